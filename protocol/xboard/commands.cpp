// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The xboard commands: one command line carried out.
//
// Commands, in the order they are tested (first match wins); in version 2
// the commands of version2.cpp come first:
//   xboard            nothing
//   new               initial position, engine plays Black, book on
//   result ...        initial position, force mode
//   quit              end
//   force             engine plays neither side
//   white / black     that side to move, engine plays the other
//   st / sd / time    time control
//   level...          time control (any word starting "level")
//   otim              nothing
//   go                engine plays the side to move
//   hint              the expected reply
//   edit              enter edit mode
//   . / c / #         edit mode only: leave, switch colour, clear board
//   Xa1 placement     edit mode only: letter, file letter, rank digit
//   undo / remove     take back one / two half-moves (version 2: an error
//                     line past the history a long game has forgotten)
//   post / nopost     thinking output on / off
//   easy / hard       pondering off / on
//   anything else     a move, or "Error (unknown command): WORD"
//                     (version 2: "Illegal move: WORD" for move text)
#include "protocol/xboard/xboard.h"

#include <cstdio>
#include <cstring>

#include "board/history.h"
#include "book/book.h"
#include "search/search.h"

namespace {

// Set by the first command after the handshake: "protover" counts only there.
int command_seen = 0;

inline bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The expected reply, when it is legal here: one left from an earlier
// position is never shown.
void hint() {
    const Move reply = pv_table[0][1];
    if (reply == 0 || !move_in_list(reply) || !move_playable(reply)) return;
    printf("Hint: %s\n", move_text(reply));
}

// "white" and "black": a new side to move keeps no en-passant square of
// the old one, and the key follows the position.
void set_side_to_move(int side) {
    if (side != side_to_move) ep_square = -1;
    side_to_move = side;
    opponent = side ^ 1;
    compute_key();
    game_position_changed();
    engine_side = side ^ 1;
}

void play_move_text(const CommandLine &line) {
    const int index = position_refused ? -1 : parse_move_text(line.word_text);
    // Version 1: the undo stack's last record is kept for the search's own
    // limit. Version 2 forgets the oldest history instead.
    if (index >= 0 && protocol_version >= 2) make_room_for_move();
    if (index >= 0 && game_ply < MAX_GAME_PLY && make_move(move_stack[index].move)) {
        game_position_changed();
        adjudicate();
        return;
    }
    // Castling text names a move in Chess960.
    const bool castling_text = fischerandom && (strncmp(line.word_text, "O-O", 3) == 0 ||
                                                strncmp(line.word_text, "0-0", 3) == 0);
    if (protocol_version >= 2 && (move_shaped(line.word) || castling_text))
        printf("Illegal move: %s\n", line.word_text);
    else
        printf("Error (unknown command): %s\n", line.word_text);
}

bool placement_text(const char *text) {
    return is_letter(text[0]) && is_letter(text[1]) && is_digit(text[2]);
}

void place_from_text(const char *text) {
    const int square = square_from_text(text[1], text[2]);
    // Text naming no square is ignored.
    if (square < 0) return;
    place_piece(edit_color, text[0], square);
    settle_edited_position();
}

// "undo" or "remove" past the history version 2 has forgotten.
void cannot_undo(const CommandLine &line) {
    if (forgotten_plies > 0) printf("Error (command not legal now): %s\n", line.word_text);
}

// Takes back plies half-moves when the game has them.
void take_back(const CommandLine &line, int plies) {
    if (game_ply < plies) {
        cannot_undo(line);
        return;
    }
    for (int i = 0; i < plies; i++) unmake_move();
    game_position_changed();
}

} // namespace

void reset_commands() {
    command_seen = 0;
    reset_version2();
}

int execute_command(const char *text) {
    CommandLine line;
    line.text = text;
    next_word(text, &line.word);
    if (text[0] == '\n' || line.word.length == 0) return 1;
    char word_text[INPUT_LINE_SIZE];
    copy_word(line.word, word_text, INPUT_LINE_SIZE);
    line.word_text = word_text;
    const int first_command = !command_seen;
    command_seen = 1;
    if (execute_version2_command(line, first_command)) return 1;

    if (command_is(line, "xboard")) {
    } else if (command_is(line, "new")) {
        start_new_game();
        if (protocol_version >= 2) forget_game_limits();
        engine_side = BLACK;
    } else if (command_is(line, "result")) {
        // The board goes back to the start; the game's flags stay.
        clear_search_control();
        new_game();
        game_position_changed();
        engine_side = EMPTY;
    } else if (command_is(line, "quit")) {
        return 0;
    } else if (command_is(line, "force")) {
        engine_side = EMPTY;
    } else if (command_is(line, "white")) {
        set_side_to_move(WHITE);
    } else if (command_is(line, "black")) {
        set_side_to_move(BLACK);
    } else if (command_is(line, "st")) {
        st_command(text);
    } else if (command_is(line, "sd")) {
        sd_command(text);
    } else if (command_is(line, "time")) {
        time_command(text);
    } else if (strncmp(word_text, "level", 5) == 0) {
        level_command(text);
    } else if (command_is(line, "otim")) {
    } else if (command_is(line, "go")) {
        engine_side = side_to_move;
    } else if (command_is(line, "hint")) {
        hint();
    } else if (command_is(line, "edit")) {
        position_refused = 0;
        edit_mode = 1;
        edit_color = WHITE;
        book_rest();
    } else if (edit_mode && command_is(line, ".")) {
        edit_mode = 0;
        settle_edited_position();
    } else if (edit_mode && command_is(line, "c")) {
        edit_color ^= 1;
    } else if (edit_mode && command_is(line, "#")) {
        clear_board();
        settle_edited_position();
    } else if (edit_mode && placement_text(text)) {
        place_from_text(text);
    } else if (command_is(line, "undo")) {
        take_back(line, 1);
    } else if (command_is(line, "remove")) {
        take_back(line, 2);
    } else if (command_is(line, "post")) {
        post_mode = 2;
    } else if (command_is(line, "nopost")) {
        post_mode = 0;
    } else if (command_is(line, "easy")) {
        set_pondering_allowed(0);
    } else if (command_is(line, "hard")) {
        set_pondering_allowed(1);
    } else {
        play_move_text(line);
    }
    return 1;
}

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

int edit_mode = 0;
int edit_color = WHITE;
char line_buffer[INPUT_LINE_SIZE];
char command_word[INPUT_LINE_SIZE];

namespace {

// Set by the first command after the handshake: "protover" counts only there.
int command_seen = 0;

inline bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// First word of the line; 0 when the line holds only blanks.
int take_command_word() {
    Word word;
    next_word(line_buffer, &word);
    copy_word(word, command_word, INPUT_LINE_SIZE);
    return word.length > 0;
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
    refresh_moves();
    engine_side = side ^ 1;
}

void play_move_text() {
    const int index = position_refused ? -1 : parse_move_text(command_word);
    // Version 1: the undo stack's last record is kept for the search's own
    // limit. Version 2 forgets the oldest history instead.
    if (index >= 0 && protocol_version >= 2) make_room_for_move();
    if (index >= 0 && game_ply < MAX_GAME_PLY && make_move(move_stack[index].move)) {
        refresh_moves();
        adjudicate();
        return;
    }
    if (protocol_version >= 2 && move_shaped(command_word))
        printf("Illegal move: %s\n", command_word);
    else
        printf("Error (unknown command): %s\n", command_word);
}

bool placement_text() {
    return is_letter(line_buffer[0]) && is_letter(line_buffer[1]) && is_digit(line_buffer[2]);
}

void place_from_text() {
    const int square = square_from_text(line_buffer[1], line_buffer[2]);
    // Text naming no square is ignored.
    if (square < 0) return;
    place_piece(edit_color, line_buffer[0], square);
    settle_edited_position();
}

// "undo" or "remove" past the history version 2 has forgotten.
void cannot_undo() {
    if (forgotten_plies > 0) printf("Error (command not legal now): %s\n", command_word);
}

} // namespace

void reset_commands() {
    command_seen = 0;
    reset_version2();
}

bool command_is(const char *command) {
    return strcmp(command_word, command) == 0;
}

void start_new_game() {
    new_game();
    refresh_moves();
    forget_root_set();
    edit_mode = 0;
    game_over = 0;
    ponder_enabled = 0;
    book_enabled = 1;
    clear_search_control();
    position_refused = 0;
}

int execute_command() {
    if (line_buffer[0] == '\n' || !take_command_word()) return 1;
    const int first_command = !command_seen;
    command_seen = 1;
    if (execute_version2_command(first_command)) return 1;

    if (command_is("xboard")) {
    } else if (command_is("new")) {
        start_new_game();
        if (protocol_version >= 2) forget_game_limits();
        engine_side = BLACK;
    } else if (command_is("result")) {
        // The board goes back to the start; the game's flags stay.
        clear_search_control();
        new_game();
        refresh_moves();
        forget_root_set();
        engine_side = EMPTY;
    } else if (command_is("quit")) {
        return 0;
    } else if (command_is("force")) {
        engine_side = EMPTY;
    } else if (command_is("white")) {
        set_side_to_move(WHITE);
    } else if (command_is("black")) {
        set_side_to_move(BLACK);
    } else if (command_is("st")) {
        st_command(line_buffer);
    } else if (command_is("sd")) {
        sd_command(line_buffer);
    } else if (command_is("time")) {
        time_command(line_buffer);
    } else if (strncmp(command_word, "level", 5) == 0) {
        level_command(line_buffer);
    } else if (command_is("otim")) {
    } else if (command_is("go")) {
        engine_side = side_to_move;
    } else if (command_is("hint")) {
        hint();
    } else if (command_is("edit")) {
        position_refused = 0;
        edit_mode = 1;
        edit_color = WHITE;
        book_enabled = 0;
    } else if (edit_mode && command_is(".")) {
        edit_mode = 0;
        settle_edited_position();
    } else if (edit_mode && command_is("c")) {
        edit_color ^= 1;
    } else if (edit_mode && command_is("#")) {
        clear_board();
        settle_edited_position();
    } else if (edit_mode && placement_text()) {
        place_from_text();
    } else if (command_is("undo")) {
        if (game_ply > 0) {
            unmake_move();
            refresh_moves();
            forget_root_set();
        } else {
            cannot_undo();
        }
    } else if (command_is("remove")) {
        if (game_ply >= 2) {
            unmake_move();
            unmake_move();
            refresh_moves();
            forget_root_set();
        } else {
            cannot_undo();
        }
    } else if (command_is("post")) {
        post_mode = 2;
    } else if (command_is("nopost")) {
        post_mode = 0;
    } else if (command_is("easy")) {
        ponder_enabled = 0;
    } else if (command_is("hard")) {
        ponder_enabled = 1;
    } else {
        play_move_text();
    }
    return 1;
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// "position startpos|fen FEN [moves ...]": the game as the client sees it.
// The moves are played from the given position, so the undo stack holds the
// game's history for the repetition test and the book.
#include "protocol/uci/uci.h"

#include <cstdio>
#include <cstring>

#include "board/history.h"
#include "search/search.h"

int uci_plies_played = 0;
int uci_game_from_start = 1;
int uci_position_refused = 0;

namespace {

char fen_text[INPUT_LINE_SIZE];

// The FEN fields up to "moves" or the end, joined by single blanks; text
// is left at "moves". The words come from one line, so they fit.
const char *collect_fen(const char *text) {
    int length = 0;
    Word word;
    for (;;) {
        const char *after = next_word(text, &word);
        if (word.length == 0 || word_is(word, "moves")) break;
        if (length > 0) fen_text[length++] = ' ';
        memcpy(fen_text + length, word.text, (size_t)word.length);
        length += word.length;
        text = after;
    }
    fen_text[length] = '\0';
    return text;
}

// The client is told what was refused (the start of it: a FEN may be a
// whole line); its games wait for a position.
constexpr int SHOWN_TEXT = 100;
void refuse(const char *what, const char *reason) {
    printf("info string position refused (%s): %.*s\n", reason, SHOWN_TEXT, what);
    fflush(stdout);
    uci_position_refused = 1;
}

} // namespace

// Letter case aside, the spelling must be the engine's: e7e8 names no
// promotion.
Move uci_spelled_move(const Word &word) {
    if (word.length < 4 || word.length > UCI_LONGEST_MOVE_TEXT) return 0;
    char text[UCI_LONGEST_MOVE_TEXT + 1];
    memcpy(text, word.text, (size_t)word.length);
    text[word.length] = '\0';
    const int index = parse_move_text(text);
    if (index < 0) return 0;
    const Move move = move_stack[index].move;
    return word_is_nocase(word, move_text(move)) ? move : 0;
}

void uci_position(const char *arguments) {
    // 1. The starting position. A FEN that does not read, a position that
    // cannot arise in a game, or neither "startpos" nor "fen", is refused:
    // the client is told, and "go" has no position to answer for.
    Word word;
    const char *p = next_word(arguments, &word);
    // With UCI_Chess960 every position is a Chess960 one, the initial
    // position too (number 518), its castling the king taking its rook.
    const int rules = uci_chess960 ? FEN_CHESS960 : FEN_STANDARD;
    if (word_is(word, "startpos")) {
        const char *error = "";
        new_game();
        if (uci_chess960) set_fen(INITIAL_FEN, &error, FEN_CHESS960);
        refresh_moves();
    } else if (word_is(word, "fen")) {
        p = collect_fen(p);
        const char *error = "";
        if (!set_playable_fen(fen_text, &error, rules)) {
            refuse(fen_text, error);
            return;
        }
    } else {
        char text[UCI_LONGEST_MOVE_TEXT + 16];
        copy_word(word, text, sizeof text);
        refuse(text, "neither startpos nor fen");
        return;
    }
    uci_position_refused = 0;
    uci_plies_played = 0;
    // The book knows standard chess alone.
    uci_game_from_start = at_initial_position() && !castling_rules.chess960;

    // 2. Words up to "moves" mean nothing; then the moves. One that is not
    // a legal move here refuses the whole line: the client's game is not
    // the one on the board.
    do p = next_word(p, &word);
    while (word.length > 0 && !word_is(word, "moves"));
    for (;;) {
        p = next_word(p, &word);
        if (word.length == 0) break;
        const Move move = uci_spelled_move(word);
        make_room_for_move();
        if (move == 0 || !make_move(move)) {
            char text[UCI_LONGEST_MOVE_TEXT + 16];
            copy_word(word, text, sizeof text);
            refuse(text, "illegal move");
            return;
        }
        refresh_moves();
        uci_plies_played++;
    }
}

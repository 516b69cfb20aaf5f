// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The game the loop plays: the engine's side, the end of the game, editing,
// a refused set-up, and the one event of a changed game position.
#include "protocol/xboard/xboard.h"

#include "book/book.h"
#include "search/search.h"

int engine_side = EMPTY;
int game_over = 0;
int edit_mode = 0;
int edit_color = WHITE;
int position_refused = 0;
int position_stamp = 0;
int fischerandom = 0;

void game_position_changed() {
    refresh_moves();
    position_stamp++;
}

void start_fischerandom() {
    fischerandom = 1;
    // xboard and python-chess read castling there as O-O and O-O-O.
    chess960_castling_as_o = 1;
    // Until a setboard: the standard start, played as Chess960.
    const char *error = "";
    set_fen(INITIAL_FEN, &error, FEN_CHESS960);
    game_position_changed();
    book_rest();
}

void reset_game_flags() {
    edit_mode = 0;
    game_over = 0;
    position_refused = 0;
    clear_search_control();
}

void start_new_game() {
    fischerandom = 0;
    chess960_castling_as_o = 0;
    new_game();
    game_position_changed();
    reset_game_flags();
    set_pondering_allowed(0);
    book_follow_game();
}

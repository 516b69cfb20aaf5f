// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Questions about the moves of a position that the protocols ask between
// searches: which moves are legal, and whether a game is at its start.
#include "board/board.h"

#include <cstring>

void refresh_moves() {
    ply = 0;
    generate_moves();
}

int move_in_list(Move move) {
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++)
        if (move_stack[i].move == move) return 1;
    return 0;
}

int move_playable(Move move) {
    if (move == 0 || !make_move(move)) return 0;
    unmake_move();
    return 1;
}

Move first_legal_move() {
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++)
        if (move_playable(move_stack[i].move)) return move_stack[i].move;
    return 0;
}

int count_legal_moves() {
    int count = 0;
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++)
        count += move_playable(move_stack[i].move);
    return count;
}

int at_initial_position() {
    return game_ply == 0 && side_to_move == WHITE && castle_rights == ALL_CASTLE_RIGHTS &&
           ep_square < 0 && memcmp(square_piece, initial_piece, sizeof square_piece) == 0 &&
           memcmp(square_color, initial_color, sizeof square_color) == 0;
}

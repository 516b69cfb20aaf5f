// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Perft: counting the legal move tree checks generation and make/unmake
// against published counts.
#include "board/board.h"

uint64_t perft(int depth) {
    if (depth == 0) return 1;
    // The last ply only counts the moves make_move would accept.
    if (depth == 1) return (uint64_t)playable_move_count();
    generate_moves();
    uint64_t nodes = 0;
    const int end = ply_move_start[ply + 1];
    for (int i = ply_move_start[ply]; i < end; i++) {
        if (!make_move(move_stack[i].move)) continue;
        nodes += perft(depth - 1);
        unmake_move();
    }
    return nodes;
}

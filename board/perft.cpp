// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Perft: counting the legal move tree checks generation and make/unmake
// against published counts.
#include "board/board.h"

namespace {

uint64_t count_leaves(int depth) {
    if (depth == 0) return 1;
    // The last ply only counts the moves make_move would accept.
    if (depth == 1) return (uint64_t)playable_move_count();
    generate_moves();
    uint64_t nodes = 0;
    const int end = ply_move_start[ply + 1];
    for (int i = ply_move_start[ply]; i < end; i++) {
        if (!make_move(move_stack[i].move)) continue;
        nodes += count_leaves(depth - 1);
        unmake_move();
    }
    return nodes;
}

// A line of its own: nothing here probes the search's table.
char no_slots[64];

} // namespace

// make_move fetches table slots that perft never reads: aimed at one line
// meanwhile.
uint64_t perft(int depth) {
    const KeySlots slots = key_slots;
    key_slots = KeySlots{no_slots, 0, 0};
    const uint64_t nodes = count_leaves(depth);
    key_slots = slots;
    return nodes;
}

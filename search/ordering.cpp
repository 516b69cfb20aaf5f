// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Lazy move ordering: one best entry at a time instead of a sort.
#include "search/search.h"

PER_THREAD int on_pv_line = 0;

// Brings the next move to try to index: the table move if it is in the
// list, else the highest score, the earliest entry winning ties.
void pick_next_move(int index, ShortMove table_move) {
    const int end = ply_move_start[ply + 1];
    int selected = index;
    int best = -1;
    // The table move's squares as they lie in the low half of a Move word;
    // no move has the squares of NO_SHORT_MOVE.
    const Move wanted = (Move)(table_move >> 8) | (Move)(table_move & 0xff) << 8;
    if (table_move == NO_SHORT_MOVE) {
        for (int i = index; i < end; i++) {
            if (move_stack[i].score > best) {
                best = move_stack[i].score;
                selected = i;
            }
        }
    } else {
        for (int i = index; i < end; i++) {
            if ((move_stack[i].move & 0xffff) == wanted) {
                selected = i;
                break;
            }
            if (move_stack[i].score > best) {
                best = move_stack[i].score;
                selected = i;
            }
        }
    }
    if (selected != index) {
        const MoveEntry swap = move_stack[index];
        move_stack[index] = move_stack[selected];
        move_stack[selected] = swap;
    }
}

// While the search walks down the previous iteration's line, its move at
// this ply goes first.
void boost_pv_move() {
    on_pv_line = 0;
    const Move wanted = pv_table[0][ply];
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++) {
        if (move_stack[i].move == wanted) {
            on_pv_line = 1;
            move_stack[i].score += PV_BOOST;
            return;
        }
    }
}

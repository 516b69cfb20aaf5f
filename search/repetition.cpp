// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Repetition count over the positions since the last capture or pawn move.
#include "search/search.h"

int repetition_count() {
    int n = fifty_count;
    if (n <= 0) return 0;
    // Positions set up by editing or FEN may claim more reversible moves
    // than the undo stack holds.
    if (n > game_ply) n = game_ply;
    int count = 0;
    for (int k = game_ply - n; k < game_ply; k++)
        if (undo_stack[k].key == position_key) count++;
    return count;
}

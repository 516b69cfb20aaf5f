// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Games longer than the undo stack: the oldest records are dropped, the
// ones the repetition test can still use are kept.
#include "board/board.h"
#include "board/history.h"

#include <cstring>

PER_THREAD int forgotten_plies = 0;

// A repetition needs a position since the last capture or pawn move, and
// past the fifty-move limit the rule, not repetition, decides: the last
// HISTORY_KEPT records hold every position the test can compare with.
void make_room_for_move() {
    if (game_ply < HISTORY_ROOM) return;
    const int dropped = game_ply - HISTORY_KEPT;
    memmove(undo_stack, undo_stack + dropped, sizeof(UndoRecord) * HISTORY_KEPT);
    game_ply = HISTORY_KEPT;
    forgotten_plies += dropped;
}

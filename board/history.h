// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Games longer than the undo stack.
#pragma once

#include "board/board.h"

// A search needs undo records above its root: a game that has reached
// HISTORY_ROOM half-moves forgets all but its last HISTORY_KEPT.
constexpr int HISTORY_ROOM = UNDO_STACK_SIZE - 2 * PLY_SLOTS;
constexpr int HISTORY_KEPT = 100;
static_assert(HISTORY_KEPT < HISTORY_ROOM, "forgetting must make room");
// Half-moves played before undo_stack[0]: the game has played game_ply +
// forgotten_plies. new_game and set_fen reset it.
extern PER_THREAD int forgotten_plies;
// Makes room for another move when the game has reached HISTORY_ROOM
// half-moves: keeps the last HISTORY_KEPT records (all a repetition test
// can use), counting the others in forgotten_plies.
void make_room_for_move();

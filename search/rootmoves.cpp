// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The root moves a search may play: all of them, or those the client named
// ("searchmoves", "exclude"), less those already shown in this iteration
// when several lines are asked for.
#include "search/search.h"

PER_THREAD int root_filter_active = 0;
PER_THREAD int root_choice_count = 0;

namespace {

PER_THREAD Move allowed[MAX_ROOT_MOVES];
PER_THREAD int allowed_count = 0; // 0: every move is allowed
PER_THREAD Move shown[MAX_ROOT_MOVES];
PER_THREAD int shown_count = 0;

bool listed(const Move *list, int count, Move move) {
    for (int i = 0; i < count; i++)
        if (list[i] == move) return true;
    return false;
}

bool playable(Move move) {
    return (allowed_count == 0 || listed(allowed, allowed_count, move)) &&
           !listed(shown, shown_count, move);
}

} // namespace

void restrict_root_moves(const Move *moves, int count) {
    allowed_count = 0;
    shown_count = 0;
    root_filter_active = 0;
    ply = 0;
    generate_moves();
    root_choice_count = 0;
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++) {
        const Move move = move_stack[i].move;
        if (!move_playable(move)) continue;
        root_choice_count++;
        if (moves && listed(moves, count, move) && !listed(allowed, allowed_count, move))
            allowed[allowed_count++] = move;
    }
    // Nothing named is legal here: every move, as if nothing was named.
    if (allowed_count > 0) root_choice_count = allowed_count;
    root_filter_active = allowed_count > 0;
}

void exclude_root_move(Move move) {
    if (shown_count < MAX_ROOT_MOVES && !listed(shown, shown_count, move))
        shown[shown_count++] = move;
    root_filter_active = 1;
}

void clear_root_exclusions() {
    shown_count = 0;
    root_filter_active = allowed_count > 0;
}

void filter_root_moves() {
    int kept = ply_move_start[0];
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++)
        if (playable(move_stack[i].move)) move_stack[kept++] = move_stack[i];
    ply_move_start[1] = kept;
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The search-control state: what the next search is asked to do, and the
// requests a protocol makes while it runs. Only these functions write it.
#include "search/search.h"

#include "platform/platform.h"

int move_now = 0;
int input_during_search = 0;
int ponder_enabled = 0;
int ponder_pending = 0;
int input_closed = 0;
int search_cancelled = 0;
void (*search_input_hook)() = nullptr;
PER_THREAD SearchLimits search_limits = depth_only_limits(0);

void start_search_clock() {
    search_start_ms = now_ms();
    search_deadline_ms = search_start_ms + search_limits.time_budget_ms;
}

void arm_search(const SearchLimits &limits) {
    search_limits = limits;
    // Before anything else: all a search does counts against its budget.
    start_search_clock();
    if (search_limits.multipv < 1) search_limits.multipv = 1;
    if (search_limits.multipv > MAX_MULTIPV) search_limits.multipv = MAX_MULTIPV;
    restrict_root_moves(limits.root_moves, limits.root_move_count);
    move_now = 0;
    input_during_search = 0;
    search_cancelled = 0;
}

void clear_search_control() {
    search_limits = depth_only_limits(0);
    restrict_root_moves(nullptr, 0);
    move_now = 0;
    input_during_search = 0;
    search_cancelled = 0;
    ponder_pending = 0;
}

void request_move_now() {
    move_now = 1;
    // A ponder search has no deadline and would not look at the request.
    search_limits.ponder = 0;
    search_limits.stop_on_input = 0;
}

void note_search_abandoned() {
    input_during_search = 0;
}

void note_input_line() {
    input_during_search = 1;
}

void note_input_closed() {
    input_closed = 1;
    input_during_search = 1;
}

void set_input_closed(int closed) {
    input_closed = closed;
}

void set_pondering_allowed(int allowed) {
    ponder_enabled = allowed;
}

void note_engine_moved() {
    ponder_pending = 1;
}

void cancel_search() {
    search_cancelled = 1;
}

void ponder_hit(int budget_ms) {
    if (!search_limits.ponder) return;
    search_limits.ponder = 0;
    search_limits.stop_on_input = 0;
    search_limits.time_budget_ms = budget_ms;
    search_deadline_ms = now_ms() + budget_ms;
}

int search_is_pondering() {
    return search_limits.ponder;
}

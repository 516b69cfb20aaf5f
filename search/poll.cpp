// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The search's only look at the world: the clock and standard input, every
// few thousand nodes.
#include "search/search.h"

#include <csetjmp>

#include "platform/platform.h"

PER_THREAD int search_aborted = 0;
PER_THREAD jmp_buf abort_context;
PER_THREAD int64_t stop_requested_ms = -1;

namespace {

[[noreturn]] void abort_search() {
    search_aborted = 1;
    longjmp(abort_context, 1);
}

// Out of time or told to move: stop, but not before the first iteration has
// found a move, so the engine has one to play. A position whose first move
// takes longer than that (only an edited board crowded with pieces) is given
// up after a grace period, counted from the first request; run_search then
// falls back on the first legal move.
void stop_once_a_move_is_known() {
    if (pv_table[0][0] != 0) abort_search();
    const int64_t now = now_ms();
    if (stop_requested_ms < 0)
        stop_requested_ms = now;
    else if (now - stop_requested_ms >= NO_MOVE_GRACE_MS)
        abort_search();
}

} // namespace

void poll_clock_and_input() {
    // Helpers leave the input, the clock and the limits to the main thread.
    if (search_thread_index != MAIN_SEARCH_THREAD) {
        if (helper_must_stop()) abort_search();
        return;
    }
    if (search_input_hook) search_input_hook();
    // Nobody is left to read the move, or nobody wants it.
    if (input_closed || search_cancelled) abort_search();
    if (search_limits.stop_on_input) {
        if (input_during_search) {
            if (search_limits.ponder) abort_search();
            stop_once_a_move_is_known();
        } else if (search_limits.ponder) {
            // While pondering there is no limit.
            return;
        }
    }
    // A node limit never cuts the first iterations short.
    if (search_limits.nodes != 0 && search_nodes_total() >= search_limits.nodes &&
        completed_depth > 0 && completed_depth >= search_limits.nodes_min_depth)
        abort_search();
    if (now_ms() >= search_deadline_ms || move_now) stop_once_a_move_is_known();
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Helper threads: while the main thread searches, each helper searches the
// same root on its own copy of the position, and what they store in the
// shared table speeds the main thread's search. Only the main thread reads
// input, watches the clock, reports and decides the move; the helpers stop
// when it stops.
#include <atomic>

#include "platform/platform.h"
#include "search/search.h"

int search_threads = 1;
int search_threads_started = 1;
int (*start_helper_thread)(int slot, void (*entry)(int), int argument) = thread_start;
PER_THREAD int search_thread_index = MAIN_SEARCH_THREAD;

namespace {

// Helpers of the search in progress, or of the last one, numbered from 1
// (their thread slots too).
int helper_count = 0;
// Helpers started and not yet joined.
int helpers_running = 0;
std::atomic<int> helpers_stop{0};
// Each helper's node count, as of its last poll, and whole once it ends.
std::atomic<uint64_t> helper_nodes[MAX_SEARCH_THREADS];

// What every helper starts from: the main thread's root and limits, with
// its own copy of the root moves, which the caller may change once the
// search is over.
PositionCopy root_position;
SearchLimits helper_limits;
Move helper_root_moves[MAX_ROOT_MOVES];

void run_helper(int index) {
    search_thread_index = index;
    load_position(root_position);
    search_limits = helper_limits;
    restrict_root_moves(search_limits.root_moves, search_limits.root_move_count);
    // Every other helper starts one iteration deeper than the main thread,
    // so that they do not all walk the same tree at the same time.
    search_as_helper(1 + index % 2);
    helper_nodes[index].store(node_count, std::memory_order_relaxed);
}

} // namespace

void set_search_threads(int n) {
    search_threads = n < 1 ? 1 : n > SEARCH_THREAD_LIMIT ? SEARCH_THREAD_LIMIT : n;
}

void start_search_helpers() {
    helper_count = 0;
    search_threads_started = 1;
    if (search_threads == 1) return;
    save_position(&root_position);
    // The limits that matter to a helper: its depth and root moves. It has
    // no clock, no book, no report and one line.
    helper_limits = depth_only_limits(search_limits.depth);
    int moves = search_limits.root_moves ? search_limits.root_move_count : 0;
    if (moves > MAX_ROOT_MOVES) moves = MAX_ROOT_MOVES;
    for (int i = 0; i < moves; i++) helper_root_moves[i] = search_limits.root_moves[i];
    helper_limits.root_moves = helper_root_moves;
    helper_limits.root_move_count = moves;
    helpers_stop.store(0, std::memory_order_relaxed);
    // A thread the system refuses ends the starting: the search goes on
    // with those that run, the main thread at least.
    for (int i = 1; i < search_threads; i++) {
        helper_nodes[i].store(0, std::memory_order_relaxed);
        if (!start_helper_thread(i, run_helper, i)) break;
        helper_count = i;
    }
    helpers_running = helper_count;
    search_threads_started = 1 + helper_count;
}

void stop_search_helpers() {
    helpers_stop.store(1, std::memory_order_relaxed);
    for (int i = 1; i <= helpers_running; i++) thread_join(i);
    helpers_running = 0;
}

int helper_must_stop() {
    helper_nodes[search_thread_index].store(node_count, std::memory_order_relaxed);
    return helpers_stop.load(std::memory_order_relaxed);
}

uint64_t search_nodes_total() {
    uint64_t total = node_count;
    for (int i = 1; i <= helper_count; i++)
        total += helper_nodes[i].load(std::memory_order_relaxed);
    return total;
}

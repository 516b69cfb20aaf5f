// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Iterative deepening with the thinking output, and the abort point that
// polls jump back to.
#include "search/search.h"

#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "platform/platform.h"

PER_THREAD uint64_t node_count = 0;
int book_answered = 0;
PER_THREAD int completed_depth = 0;
PER_THREAD int reported_line = 0;

namespace {

constexpr int PRINTED_SCORE_RANGE = 1500;

// Line 1 of the iteration in progress, kept while its other lines use the
// principal variation, and put back for the next iteration to walk.
PER_THREAD Move first_line[PLY_SLOTS];
PER_THREAD int first_line_end = 0;
PER_THREAD int first_line_score = 0;
PER_THREAD int first_line_kept = 0;

// Scores inside the normal range are printed scaled by 19/22; mate scores
// are printed as they are.
int printed_score(int score) {
    if (score >= -PRINTED_SCORE_RANGE && score <= PRINTED_SCORE_RANGE) return 19 * score / 22;
    return score;
}

void keep_first_line(int score) {
    memcpy(first_line, pv_table[0], sizeof first_line);
    first_line_end = pv_end[0];
    first_line_score = score;
    first_line_kept = 1;
}

// The root's table entry goes back to line 1 too: the next iteration tries
// its move first, as with a single line.
void restore_first_line(int depth) {
    if (!first_line_kept) return;
    first_line_kept = 0;
    memcpy(pv_table[0], first_line, sizeof first_line);
    pv_end[0] = first_line_end;
    if (depth > 0)
        tt_store(position_key, first_line_score, short_move(first_line[0]), depth, BOUND_EXACT);
}

void report(int depth, int score, int line) {
    reported_line = line;
    if (search_limits.report) search_limits.report(depth, score);
}

// Lines 2, 3... of an iteration: each the best of the root moves that no
// line before it has shown.
void search_more_lines(int depth, int score) {
    int lines = search_limits.multipv;
    if (lines > root_choice_count) lines = root_choice_count;
    if (lines < 2) return;
    keep_first_line(score);
    for (int line = 2; line <= lines; line++) {
        exclude_root_move(pv_table[0][0]);
        start_new_iteration();
        report(depth, alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, depth), line);
    }
    clear_root_exclusions();
    restore_first_line(depth);
}

// A node or mate limit is looked at between iterations as well as by the
// polls, so that it never cuts the first iteration short.
bool limit_reached(int score) {
    if (search_limits.nodes != 0 && search_nodes_total() >= search_limits.nodes &&
        completed_depth >= search_limits.nodes_min_depth)
        return true;
    const int mate = mate_in_moves(score);
    return search_limits.mate_moves > 0 && mate > 0 && mate <= search_limits.mate_moves;
}

// Full window at every depth; time is looked at only by the polls.
void deepen(int first_depth) {
    for (int depth = first_depth; depth <= search_limits.depth; depth++) {
        start_new_iteration();
        const int score = alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, depth);
        report(depth, score, 1);
        if (search_limits.multipv > 1) search_more_lines(depth, score);
        completed_depth = depth;
        if (limit_reached(score)) return;
    }
}

// A restricted search left a root list without the moves it could not
// play; the loop's move list is the whole one.
void restore_root_list() {
    if (!root_filter_active) return;
    clear_root_exclusions();
    ply = 0;
    generate_moves();
}

void search_armed() {
    // 1-2. A book move is the answer; after the first miss the book rests.
    book_answered = 0;
    if (search_limits.use_book) {
        if (book_enabled) {
            const Move book_move = book_choose();
            if (book_move != NO_BOOK_MOVE) {
                pv_table[0][0] = book_move;
                book_answered = 1;
                return;
            }
        }
        book_rest();
    }

    // 3. Entries of earlier searches become replaceable: one step of a
    // counter, so that a large table costs the search no time.
    tt_age();

    // 4. An abort comes back here: take back the moves the search had on
    // the board. Nothing in the search frames holds a resource.
    search_aborted = 0;
    if (setjmp(abort_context) != 0) {
        stop_search_helpers();
        note_search_abandoned();
        while (ply != 0) unmake_move();
        restore_first_line(0);
        // A search told to stop before any root move was searched to the
        // end (an edited board whose first move alone outlasts the grace
        // period) still answers with a move: the first legal one of the
        // root list, which the root generated and only reordered.
        if (pv_table[0][0] == 0 && stop_requested_ms >= 0) pv_table[0][0] = first_legal_move();
        restore_root_list();
        return;
    }

    // 5-7. A fresh search; no iteration at all while the depth limit is
    // below 1.
    start_new_search();
    start_search_helpers();
    deepen(1);
    stop_search_helpers();
    restore_root_list();
}

} // namespace

int mate_in_moves(int score) {
    if (score > MATE_BOUND) return (MATE_SCORE - score + 1) / 2;
    if (score < -MATE_BOUND) return -((MATE_SCORE + score) / 2);
    return 0;
}

void print_thinking_line_scored(int depth, int shown_score) {
    const long elapsed_cs = (long)((now_ms() - search_start_ms) / 10);
    printf("%d  %d  %ld  %u ", depth, shown_score, elapsed_cs, (unsigned)search_nodes_total());
    for (int j = 0; j < pv_end[0]; j++) printf(" %s", move_text(pv_table[0][j]));
    printf("\n");
    fflush(stdout);
}

void print_thinking_line(int depth, int score) {
    print_thinking_line_scored(depth, printed_score(score));
}

void start_new_search() {
    stop_requested_ms = -1;
    ply = 0;
    node_count = 0;
    completed_depth = 0;
    first_line_kept = 0;
    memset(pv_table, 0, sizeof pv_table);
    memset(history_scores, 0, sizeof history_scores);
    history_peak = 0;
    quiet_move_scores = history_scores;
}

void start_new_iteration() {
    on_pv_line = 1;
}

void clear_search_memory() {
    tt_clear();
    memset(pv_table, 0, sizeof pv_table);
    memset(pv_end, 0, sizeof pv_end);
    memset(history_scores, 0, sizeof history_scores);
    history_peak = 0;
}

void search_as_helper(int first_depth) {
    search_aborted = 0;
    if (setjmp(abort_context) != 0) return;
    start_new_search();
    deepen(first_depth);
}

void run_limited_search(const SearchLimits &limits) {
    arm_search(limits);
    search_armed();
}

void run_search(int output_mode) {
    SearchLimits limits = depth_only_limits(fixed_search_depth);
    limits.report = output_mode == 2 ? print_thinking_line : nullptr;
    run_limited_search(limits);
}

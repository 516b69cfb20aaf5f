// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Iterative deepening with the thinking output, and the abort point that
// polls jump back to.
#include "search/search.h"

#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "platform/platform.h"

uint32_t node_count = 0;
void (*report_iteration)(int depth, int score) = print_thinking_line;

namespace {

constexpr int PRINTED_SCORE_RANGE = 1500;

// Scores inside the normal range are printed scaled by 19/22; mate scores
// are printed as they are.
int printed_score(int score) {
    if (score >= -PRINTED_SCORE_RANGE && score <= PRINTED_SCORE_RANGE) return 19 * score / 22;
    return score;
}

// A search told to stop before any root move was searched to the end (an
// edited board whose first move alone outlasts the grace period) still
// answers with a move: the first legal one of the root list. The list is
// intact, only reordered, since the root generated it.
Move first_legal_root_move() {
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++) {
        const Move move = move_stack[i].move;
        if (make_move(move)) {
            unmake_move();
            return move;
        }
    }
    return 0;
}

// Full window at every depth; time is looked at only by the polls.
void deepen(int output_mode) {
    for (int depth = 1; depth <= depth_limit; depth++) {
        start_new_iteration();
        const int score = alpha_beta(-INFINITE_SCORE, INFINITE_SCORE, depth);
        if (output_mode == 2) report_iteration(depth, score);
    }
}

} // namespace

void print_thinking_line(int depth, int score) {
    const long elapsed_cs = (long)((now_ms() - search_start_ms) / 10);
    printf("%d  %d  %ld  %u ", depth, printed_score(score), elapsed_cs, (unsigned)node_count);
    for (int j = 0; j < pv_end[0]; j++) printf(" %s", move_text(pv_table[0][j]));
    printf("\n");
    fflush(stdout);
}

void start_new_search() {
    search_start_ms = now_ms();
    search_deadline_ms = search_start_ms + time_budget_ms;
    stop_requested_ms = -1;
    ply = 0;
    node_count = 0;
    memset(pv_table, 0, sizeof pv_table);
    memset(history_scores, 0, sizeof history_scores);
    // make_move starts fetching the table slot of each new key.
    key_prefetch = {(uintptr_t)tt_table, TT_INDEX_MASK, (uint32_t)sizeof(TTEntry)};
}

void start_new_iteration() {
    on_pv_line = 1;
}

void clear_search_memory() {
    memset(tt_table, 0, sizeof tt_table);
    memset(pv_table, 0, sizeof pv_table);
    memset(pv_end, 0, sizeof pv_end);
    memset(history_scores, 0, sizeof history_scores);
}

void run_search(int output_mode) {
    // 1-2. A book move is the answer; after the first miss the book rests.
    if (book_enabled == 1) {
        const Move book_move = book_choose();
        if (book_move != NO_BOOK_MOVE) {
            pv_table[0][0] = book_move;
            return;
        }
    }
    book_enabled = 0;

    // 3. Entries of earlier searches become replaceable.
    tt_age();

    // 4. An abort comes back here: take back the moves the search had on
    // the board. Nothing in the search frames holds a resource.
    search_aborted = 0;
    if (setjmp(abort_context) != 0) {
        input_during_search = 0;
        while (ply != 0) unmake_move();
        if (pv_table[0][0] == 0 && stop_requested_ms >= 0) pv_table[0][0] = first_legal_root_move();
        return;
    }

    // 5-7. A fresh search; no iteration at all while the depth limit is
    // below 1.
    start_new_search();
    deepen(output_mode);
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// A search that depends only on its position and depth, for the developer
// tools and the tests: no table or history from earlier searches, no book,
// no clock, no input.
#include "search/search.h"

#include "book/book.h"

int fixed_search_depth = 0;

void prepare_fixed_depth_search(int depth) {
    clear_search_memory();
    clear_search_control();
    // Armed as run_search will arm it, for the tests that call alpha_beta
    // directly.
    search_limits = depth_only_limits(depth);
    start_search_clock();
    start_new_search();
    fixed_search_depth = depth;
    book_rest();
    set_pondering_allowed(0);
    search_input_hook = nullptr;
    set_input_closed(0);
}

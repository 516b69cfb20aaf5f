// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Telling the user that a search could not have every thread it was given.
#include <cstdio>

#include "protocol/protocol.h"
#include "search/search.h"

namespace {

// The number of threads asked for that was last reported short; 0: none.
int reported_threads = 0;

} // namespace

void note_thread_shortfall(const char *lead) {
    if (search_threads_started >= search_threads || reported_threads == search_threads) return;
    reported_threads = search_threads;
    printf("%s %d: only %d threads could start; the search goes on with %d\n", lead, search_threads,
           search_threads_started, search_threads_started);
    fflush(stdout);
}

void reset_thread_shortfall() {
    reported_threads = 0;
}

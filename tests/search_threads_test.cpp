// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Searches on several threads: the shared table under concurrent use, and
// what a search with helpers returns. The ThreadSanitizer build runs these.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "search/search.h"

namespace {

// Keys that all fall in one slot, each always stored with the same fields,
// drawn from the key so that an entry mixed from two stores shows.
constexpr int SAME_SLOT_KEYS = 8;
constexpr uint32_t SHARED_INDEX = 0x123;
constexpr int HAMMER_MS = 500;

PositionKey same_slot_key(int i) {
    return {SHARED_INDEX + ((uint32_t)(i + 1) << 18), 0x9e3779b9u * (uint32_t)(i + 1)};
}
int score_of(int i) {
    return 97 * i - 400;
}
ShortMove move_of(int i) {
    return (ShortMove)(0x0101 * (i + 1));
}
int bound_of(int i) {
    return i % 3;
}

// Each thread stores its own half of the keys and probes all of them: every
// probe that finds an entry must find one store's fields, whole.
struct Hammering {
    std::atomic<int> started{0};
    std::atomic<int> stop{0};
    std::atomic<int> hits{0};
    std::atomic<int> mixed{0};
};

void hammer(int first_key, Hammering *shared) {
    // Both threads start together, so that their rounds overlap.
    ++shared->started;
    while (shared->started < 2) {
    }
    int found = 0, wrong = 0;
    for (int round = 0; !shared->stop.load(std::memory_order_relaxed); round++) {
        const int mine = first_key + round % (SAME_SLOT_KEYS / 2);
        // Equal depths: every store replaces the slot, whoever wrote it.
        tt_store(same_slot_key(mine), score_of(mine), move_of(mine), 3, bound_of(mine));
        const int probe = round % SAME_SLOT_KEYS;
        TTEntry entry;
        if (!tt_probe(same_slot_key(probe), &entry)) continue;
        found++;
        if (entry.score != score_of(probe) || entry.move != move_of(probe) || entry.depth != 3 ||
            entry.bound != bound_of(probe) || entry.state != TT_CURRENT)
            wrong++;
    }
    shared->hits += found;
    shared->mixed += wrong;
}

TEST(SearchThreads, TableEntryWrittenByTwoThreadsAtOnceIsNeverReadMixed) {
    tt_clear();
    Hammering shared;
    // A mixed read needs one thread's probe to fall between the other's two
    // writes: rare, so they go at it for a while.
    std::thread first(hammer, 0, &shared);
    std::thread second(hammer, SAME_SLOT_KEYS / 2, &shared);
    std::this_thread::sleep_for(std::chrono::milliseconds(HAMMER_MS));
    shared.stop = 1;
    first.join();
    second.join();
    EXPECT_EQ(shared.mixed, 0);
    // The probes did find entries.
    EXPECT_GT(shared.hits, 0);
    tt_clear();
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Searches on several threads: the shared table under concurrent use, and
// what a search with helpers returns. The ThreadSanitizer build runs these.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "protocol/protocol.h"
#include "search/search.h"
#include "tests/golden.h"

namespace {

class SearchThreads : public ::testing::Test {
  protected:
    void SetUp() override {
        if (SEARCH_THREAD_LIMIT < 2) GTEST_SKIP() << "this build searches on one thread";
    }
    void TearDown() override { set_search_threads(1); }
};

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

TEST_F(SearchThreads, TableEntryWrittenByTwoThreadsAtOnceIsNeverReadMixed) {
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

const char *MIDDLEGAME = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

void setup(const char *fen, int depth) {
    const char *error = "";
    ASSERT_EQ(set_fen(fen, &error), 1) << error;
    prepare_fixed_depth_search(depth);
}

// The posted search of a pinned record, its lines with the time masked.
std::string posted_search(const GoldenSearch &g) {
    setup(g.fen.c_str(), g.depth);
    testing::internal::CaptureStdout();
    run_search(2);
    std::istringstream in(testing::internal::GetCapturedStdout());
    std::string text, line;
    while (std::getline(in, line)) text += mask_time(line) + "\n";
    return text;
}

std::string pinned_lines(const GoldenSearch &g) {
    std::string text;
    for (const std::string &line : g.lines) text += line + "\n";
    return text;
}

TEST_F(SearchThreads, OneThreadAgainSearchesThePinnedTrees) {
    for (const GoldenSearch &g : golden_searches()) {
        SCOPED_TRACE(std::to_string(g.depth) + " " + g.fen);
        set_search_threads(2);
        posted_search(g);
        set_search_threads(1);
        EXPECT_EQ(posted_search(g), pinned_lines(g));
        EXPECT_EQ(move_text(pv_table[0][0]), g.best);
    }
}

TEST_F(SearchThreads, TwoThreadsFindALegalMoveAndCountEveryThreadsNodes) {
    setup(MIDDLEGAME, 6);
    const PositionKey root = position_key;
    set_search_threads(2);
    run_search(0);
    EXPECT_EQ(move_playable(pv_table[0][0]), 1);
    EXPECT_EQ(completed_depth, 6);
    EXPECT_GT(search_nodes_total(), node_count);
    EXPECT_EQ(ply, 0);
    EXPECT_EQ(position_key, root);
}

TEST_F(SearchThreads, NodeLimitCountsEveryThread) {
    constexpr uint64_t LIMIT = 300000;
    setup(MIDDLEGAME, 30);
    SearchLimits limits = depth_only_limits(30);
    limits.nodes = LIMIT;
    set_search_threads(2);
    run_limited_search(limits);
    EXPECT_GE(search_nodes_total(), LIMIT);
    // The helper's nodes counted too: the main thread stopped short of the
    // limit on its own (unless the helper never got to run at all).
    EXPECT_LT(node_count, LIMIT);
    EXPECT_EQ(move_playable(pv_table[0][0]), 1);
}

TEST_F(SearchThreads, HelpersKeepToTheRootMovesGiven) {
    setup(MIDDLEGAME, 5);
    // Two quiet moves, neither the best.
    const Move allowed[] = {move_stack[parse_move_text("a3a4")].move,
                            move_stack[parse_move_text("h2h3")].move};
    SearchLimits limits = depth_only_limits(5);
    limits.root_moves = allowed;
    limits.root_move_count = 2;
    limits.multipv = 2;
    set_search_threads(3);
    run_limited_search(limits);
    const std::string best = move_text(pv_table[0][0]);
    EXPECT_TRUE(best == "a3a4" || best == "h2h3") << best;
    EXPECT_EQ(parse_move_text("c4a6") >= 0, true) << "the loop's list is whole again";
}

int polls_before_stop = 0;
void stop_after_some_polls() {
    if (--polls_before_stop == 0) request_move_now();
}

TEST_F(SearchThreads, StopRequestEndsEveryThreadOfTheSearch) {
    setup(MIDDLEGAME, 30);
    search_input_hook = stop_after_some_polls;
    polls_before_stop = 20;
    set_search_threads(2);
    run_limited_search(depth_only_limits(30));
    search_input_hook = nullptr;
    EXPECT_EQ(polls_before_stop, 0);
    EXPECT_LT(completed_depth, 30);
    EXPECT_EQ(move_playable(pv_table[0][0]), 1);
    EXPECT_EQ(ply, 0);
}

// A system that refuses threads from the slot given on.
int refused_from_slot = 0;
int start_or_refuse(int slot, void (*entry)(int), int argument) {
    return slot >= refused_from_slot ? 0 : thread_start(slot, entry, argument);
}

TEST_F(SearchThreads, ThreadsTheSystemRefusesLeaveTheSearchToTheOthers) {
    start_helper_thread = start_or_refuse;
    for (int refused : {2, 1}) {
        SCOPED_TRACE(refused);
        refused_from_slot = refused;
        setup(MIDDLEGAME, 5);
        set_search_threads(4);
        run_search(0);
        EXPECT_EQ(search_threads_started, refused);
        EXPECT_EQ(completed_depth, 5);
        EXPECT_EQ(move_playable(pv_table[0][0]), 1);
    }
    // Said once for the four threads asked for, and again for another count.
    testing::internal::CaptureStdout();
    note_thread_shortfall("info string Threads");
    note_thread_shortfall("info string Threads");
    set_search_threads(3);
    run_search(0);
    note_thread_shortfall("info string Threads");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "info string Threads 4: only 1 threads could start; the search goes on with 1\n"
              "info string Threads 3: only 1 threads could start; the search goes on with 1\n");
    reset_thread_shortfall();
    start_helper_thread = thread_start;
}

// A node limit counts this search's nodes only: the helpers' of a long
// search before it are not carried over.
TEST_F(SearchThreads, NodeLimitStartsFromNothingEverySearch) {
    setup(MIDDLEGAME, 7);
    set_search_threads(2);
    run_search(0);
    ASSERT_GT(search_nodes_total() - node_count, 200000u) << "the helper searched";
    SearchLimits limits = depth_only_limits(30);
    limits.nodes = 100000;
    run_limited_search(limits);
    EXPECT_GE(completed_depth, 3);
    EXPECT_GE(search_nodes_total(), 100000u);
}

} // namespace

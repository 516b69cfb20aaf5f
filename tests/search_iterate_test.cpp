// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Iterative deepening: the thinking lines, pinned trees of a few fixed-depth
// searches, and a search abandoned at its deadline.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"
#include "tests/golden.h"
#include "tests/test_support.h"

namespace {

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// Runs a posted search and returns its thinking lines with the time masked.
std::vector<std::string> posted_search(const char *fen, int depth) {
    setup(fen);
    fresh_state(depth);
    testing::internal::CaptureStdout();
    run_search(2);
    std::vector<std::string> lines = split_lines(testing::internal::GetCapturedStdout());
    for (std::string &line : lines) line = mask_time(line);
    return lines;
}

// The node count, fourth field of a thinking line.
uint32_t nodes_of(const std::string &line) {
    std::istringstream in(line);
    std::string depth, score, time;
    uint32_t nodes = 0;
    in >> depth >> score >> time >> nodes;
    return nodes;
}

std::string joined(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines) text += line + "\n";
    return text;
}

// White king a1 against a king on h1: three root moves. Each reply gets a
// planted exact entry, which the quiescence node at ply 1 returns, so the
// root score is exactly -reply score of a1b2, the best move.
std::string line_for_root_score(int score) {
    setup("8/8/8/8/8/8/8/K6k w - - 0 1");
    fresh_state(1);
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++) {
        const Move m = move_stack[i].move;
        if (!make_move(m)) continue;
        const bool best = std::string(move_text(m)) == "a1b2";
        tt_store(position_key, best ? -score : -score + 100, NO_SHORT_MOVE, 0, BOUND_EXACT);
        unmake_move();
    }
    testing::internal::CaptureStdout();
    run_search(2);
    return mask_time(joined(split_lines(testing::internal::GetCapturedStdout())));
}

TEST(SearchThinking, PrintedScoreIsScaledInsideFifteenHundred) {
    EXPECT_EQ(line_for_root_score(35), "1  30  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(-35), "1  -30  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(0), "1  0  *  4  a1b2\n");
    // Truncation toward zero: -437 / 22 is -19, not -20.
    EXPECT_EQ(line_for_root_score(-23), "1  -19  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(23), "1  19  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(1500), "1  1295  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(-1500), "1  -1295  *  4  a1b2\n");
}

TEST(SearchThinking, PrintedScoreIsUnchangedOutsideFifteenHundred) {
    EXPECT_EQ(line_for_root_score(1501), "1  1501  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(-1501), "1  -1501  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(10000 - 3), "1  9997  *  4  a1b2\n");
    EXPECT_EQ(line_for_root_score(2 - 10000), "1  -9998  *  4  a1b2\n");
}

TEST(SearchThinking, LineWithoutMovesEndsInOneSpace) {
    const std::vector<std::string> lines = posted_search("R5k1/5ppp/8/8/8/8/8/6K1 b - - 1 1", 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "1  -10000  *  1 ");
    EXPECT_EQ(lines[1], "2  -10000  *  2 ");
    EXPECT_EQ(pv_table[0][0], 0u);
}

TEST(SearchThinking, StalemateLine) {
    const std::vector<std::string> lines = posted_search("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "1  0  *  1 ");
}

TEST(SearchThinking, DeepeningGoesOnAfterAMateIsFound) {
    const std::vector<std::string> lines = posted_search("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 5);
    ASSERT_EQ(lines.size(), 5u);
    for (int d = 2; d <= 5; d++) {
        EXPECT_EQ(lines[d - 1].substr(0, 8), std::to_string(d) + "  9999 ") << lines[d - 1];
        EXPECT_EQ(lines[d - 1].substr(lines[d - 1].size() - 6), "  a1a8") << lines[d - 1];
    }
}

TEST(SearchThinking, NothingWithoutPost) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(3);
    testing::internal::CaptureStdout();
    run_search(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(pv_table[0][0], 0u);
}

TEST(SearchDriver, DepthLimitBelowOneSearchesNothing) {
    for (int limit : {0, -3}) {
        setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
        fresh_state(limit);
        pv_table[0][0] = 0x1234;
        pv_table[0][1] = 0x5678;
        node_count = 99;
        testing::internal::CaptureStdout();
        run_search(2);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(pv_table[0][0], 0u);
        EXPECT_EQ(pv_table[0][1], 0u);
        EXPECT_EQ(node_count, 0u);
    }
}

TEST(SearchDriver, DeadlineIsTheStartPlusTheBudget) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(1);
    const int64_t before = now_ms();
    run_timed_search(2147483647, 0);
    const int64_t after = now_ms();
    EXPECT_GE(search_start_ms, before);
    EXPECT_LE(search_start_ms, after);
    // 64-bit: the largest budget does not wrap.
    EXPECT_EQ(search_deadline_ms - search_start_ms, 2147483647);
    EXPECT_GT(search_deadline_ms, search_start_ms);
}

TEST(SearchDriver, TableIsAgedAndKeptAcrossSearches) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(2);
    run_search(0);
    TTEntry root;
    ASSERT_TRUE(tt_probe(position_key, &root));
    const uint64_t index = position_key.low & tt_index_mask;
    EXPECT_EQ(root.depth, 2);
    fixed_search_depth = 0;
    run_search(0);
    EXPECT_EQ(tt_entry_at(index).state, TT_OLD);
    EXPECT_EQ(tt_entry_at(index).depth, 2);
    EXPECT_EQ(tt_entry_at(index).key, position_key);
}

// Pinned trees: the whole posted output (time masked) of the fixed-depth
// searches of tests/data/golden.txt, from a clean table. Any change in move
// generation, ordering, evaluation, pruning or table use shows here.
TEST(SearchPinned, FixedDepthSearchesAreUnchanged) {
    const std::vector<GoldenSearch> searches = golden_searches();
    ASSERT_GE(searches.size(), 1u);
    for (const GoldenSearch &g : searches) {
        SCOPED_TRACE(std::to_string(g.depth) + " " + g.fen);
        EXPECT_EQ(joined(posted_search(g.fen.c_str(), g.depth)), joined(g.lines));
        EXPECT_EQ(move_text(pv_table[0][0]), g.best);
        ASSERT_EQ(ply, 0);
    }
}

TEST(SearchPinned, SameSearchTwiceFromACleanStateIsIdentical) {
    const GoldenSearch g = golden_searches().at(0);
    const std::string first = joined(posted_search(g.fen.c_str(), g.depth));
    const uint32_t nodes = node_count;
    EXPECT_EQ(joined(posted_search(g.fen.c_str(), g.depth)), first);
    EXPECT_EQ(node_count, nodes);
}

// The move is one of the position's legal moves.
void expect_legal(Move move) {
    ASSERT_NE(move, 0u);
    generate_moves();
    bool listed = false;
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++)
        if (move_stack[i].move == move) listed = true;
    EXPECT_TRUE(listed) << move_text(move);
    ASSERT_EQ(make_move(move), 1) << move_text(move);
    unmake_move();
}

TEST(SearchAbort, DeadlineLeavesThePositionAsItWas) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    play("e2e4");
    play("c7c5");
    play("g1f3");
    play("d7d5");
    fresh_state(30);
    const Snapshot before = take_snapshot();
    ASSERT_EQ(before.game_ply_, 4);
    ASSERT_NE(before.ep, -1);
    run_timed_search(0, 0);
    EXPECT_EQ(search_aborted, 1);
    expect_same_position(before);
    expect_legal(pv_table[0][0]);
}

TEST(SearchAbort, AbortedIterationPrintsNothing) {
    const char *fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    const std::vector<std::string> full = golden_search(fen, 4).lines;
    ASSERT_GE(full.size(), 3u);
    // The first poll once a move is known, at node 2048 or 4096, falls
    // after depth 1 and before the end of depth 3.
    ASSERT_LT(nodes_of(full[0]), 2048u);
    ASSERT_GT(nodes_of(full[2]), 4096u);
    setup(fen);
    fresh_state(30);
    const Snapshot before = take_snapshot();
    testing::internal::CaptureStdout();
    run_timed_search(0, 2);
    std::vector<std::string> lines = split_lines(testing::internal::GetCapturedStdout());
    EXPECT_EQ(search_aborted, 1);
    // Only the iterations finished before that poll are printed, as a full
    // search prints them.
    ASSERT_GE(lines.size(), 1u);
    ASSERT_LE(lines.size(), 2u);
    for (size_t i = 0; i < lines.size(); i++) EXPECT_EQ(mask_time(lines[i]), full[i]);
    EXPECT_GE(node_count, 2048u);
    expect_same_position(before);
    expect_legal(pv_table[0][0]);
}

TEST(SearchAbort, InputDuringSearchIsClearedByTheAbort) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(30);
    input_during_search = 1;
    run_timed_search(0, 0);
    EXPECT_EQ(search_aborted, 1);
    EXPECT_EQ(input_during_search, 0);

    // A line the loop has already taken in does not end the next search.
    fresh_state(2);
    ponder_enabled = 1;
    input_during_search = 1;
    run_timed_search(NO_TIME_LIMIT_MS, 0);
    EXPECT_EQ(search_aborted, 0);
    EXPECT_EQ(completed_depth, 2);
    ponder_enabled = 0;
}

} // namespace

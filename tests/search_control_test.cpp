// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Searches armed with limits beyond depth and time: nodes, mate, root
// moves, several lines; and the table's size.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "search/search.h"

namespace {

const char *START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
// Rd8 mates.
const char *MATE_IN_ONE = "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1";
// Kc7, and Ra1 mates next.
const char *MATE_IN_TWO = "k7/8/2K5/8/8/8/8/1R6 w - - 0 1";

struct Line {
    int depth, line, score;
    std::string pv;
};
std::vector<Line> lines_seen;

void collect(int depth, int score) {
    std::string pv;
    for (int j = 0; j < pv_end[0]; j++) pv += std::string(move_text(pv_table[0][j])) + " ";
    lines_seen.push_back({depth, reported_line, score, pv});
}

SearchLimits limits_at(const char *fen, int depth) {
    const char *error = "";
    EXPECT_EQ(set_fen(fen, &error), 1) << error;
    prepare_fixed_depth_search(depth);
    lines_seen.clear();
    SearchLimits limits = depth_only_limits(depth);
    limits.report = collect;
    return limits;
}

std::string best() {
    return move_text(pv_table[0][0]);
}

TEST(SearchControl, NodeLimitStopsAfterTheFirstIterationAtTheNextLook) {
    SearchLimits limits = limits_at(START, 30);
    limits.nodes = 1;
    run_limited_search(limits);
    // One node asked: the first iteration still finishes, and no more.
    EXPECT_EQ(completed_depth, 1);
    ASSERT_EQ(lines_seen.size(), 1u);

    limits = limits_at(START, 30);
    limits.nodes = 50000;
    run_limited_search(limits);
    EXPECT_GE(node_count, 50000u);
    EXPECT_LT(node_count, 50000u + POLL_INTERVAL_FULL + POLL_INTERVAL_QUIESCENCE);
    EXPECT_NE(pv_table[0][0], 0u);
}

TEST(SearchControl, MateLimitEndsTheSearchAtTheProof) {
    SearchLimits limits = limits_at(MATE_IN_ONE, 30);
    limits.mate_moves = 1;
    run_limited_search(limits);
    EXPECT_EQ(best(), "d1d8");
    EXPECT_EQ(mate_in_moves(lines_seen.back().score), 1);
    EXPECT_LE(completed_depth, 3);
    // A shorter mate than asked for stops it: mate in 1 is within 2.
    limits = limits_at(MATE_IN_ONE, 30);
    limits.mate_moves = 2;
    run_limited_search(limits);
    EXPECT_LE(completed_depth, 3);
    // A longer one does not: mate in 2 is not within 1.
    limits = limits_at(MATE_IN_TWO, 6);
    limits.mate_moves = 1;
    run_limited_search(limits);
    EXPECT_EQ(mate_in_moves(lines_seen.back().score), 2);
    EXPECT_EQ(completed_depth, 6);
}

TEST(SearchControl, RootMovesRestrictTheAnswer) {
    SearchLimits limits = limits_at(MATE_IN_ONE, 3);
    const Move only[] = {0, move_stack[parse_move_text("g2g3")].move};
    limits.root_moves = only;
    limits.root_move_count = 2;
    run_limited_search(limits);
    EXPECT_EQ(best(), "g2g3");
    for (const Line &line : lines_seen) EXPECT_EQ(line.pv.substr(0, 5), "g2g3 ");
    // The loop's move list is whole again after the search.
    EXPECT_GE(parse_move_text("d1d8"), 0);

    // Nothing legal named: every move, the mate found.
    limits = limits_at(MATE_IN_ONE, 3);
    const Move illegal[] = {make_move_word(0, 63, 0, 0)};
    limits.root_moves = illegal;
    limits.root_move_count = 1;
    run_limited_search(limits);
    EXPECT_EQ(best(), "d1d8");
}

TEST(SearchControl, SeveralLinesShowDifferentMovesBestFirst) {
    SearchLimits limits = limits_at(MATE_IN_ONE, 4);
    run_limited_search(limits);
    const uint64_t single_nodes = node_count;
    const std::string single_best = best();

    limits = limits_at(MATE_IN_ONE, 4);
    limits.multipv = 3;
    run_limited_search(limits);
    ASSERT_EQ(lines_seen.size(), 12u);
    for (int depth = 1; depth <= 4; depth++) {
        std::set<std::string> first_moves;
        for (int line = 0; line < 3; line++) {
            const Line &seen = lines_seen[(depth - 1) * 3 + line];
            EXPECT_EQ(seen.depth, depth);
            EXPECT_EQ(seen.line, line + 1);
            first_moves.insert(seen.pv.substr(0, 5));
            if (line > 0) {
                EXPECT_LE(seen.score, lines_seen[(depth - 1) * 3].score);
            }
        }
        EXPECT_EQ(first_moves.size(), 3u);
    }
    EXPECT_EQ(best(), single_best);
    EXPECT_GT(node_count, single_nodes);

    // More lines than moves: one per legal move.
    limits = limits_at("7k/8/8/8/8/8/8/K7 w - - 0 1", 2);
    limits.multipv = 10;
    run_limited_search(limits);
    EXPECT_EQ(lines_seen.size(), 6u);
}

TEST(SearchControl, TableSizesArePowersOfTwoAndTheDefaultIsTodays) {
    ASSERT_EQ(tt_resize_mb(1), 1);
    EXPECT_EQ(tt_entries, 65536u);
    ASSERT_EQ(tt_resize_mb(3), 1);
    EXPECT_EQ(tt_entries, 131072u);
    EXPECT_EQ(tt_resize_mb(TT_MAX_MB + 1), 0);
    EXPECT_EQ(tt_entries, 131072u);
    ASSERT_EQ(tt_resize_mb(TT_DEFAULT_MB), 1);
    EXPECT_EQ(tt_entries, (uint64_t)TT_ENTRIES);
}

} // namespace

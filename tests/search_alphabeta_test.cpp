// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Alpha-beta and quiescence: mate and draw scores, the fifty-move override,
// repetitions below the root, use of table entries and history credit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "book/book.h"
#include "eval/eval.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"
#include "tests/test_support.h"

namespace {

// Root score of one alpha_beta call from a clean state.
int search_root(const char *fen, int depth, int alpha = -10000, int beta = 10000) {
    setup(fen);
    fresh_state(depth);
    return alpha_beta(alpha, beta, depth);
}

// Plays a move inside a search: ply goes up, the list of the new ply is
// generated as alpha_beta would.
void play_in_search(const char *text) {
    const int from = (text[0] - 'a') + 8 * (8 - (text[1] - '0'));
    const int to = (text[2] - 'a') + 8 * (8 - (text[3] - '0'));
    generate_moves();
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++) {
        const Move m = move_stack[i].move;
        if (move_from(m) == from && move_to(m) == to && make_move(m)) return;
    }
    ADD_FAILURE() << "no legal move " << text;
}

std::string pv_text(int row) {
    std::string text;
    for (int j = row; j < pv_end[row]; j++) {
        if (!text.empty()) text += ' ';
        text += move_text(pv_table[row][j]);
    }
    return text;
}

// Black: king g8, pawns f7 g7 h7. White: rook a1, king g1. Ra8 mates.
const char *MATE_IN_ONE = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";
const char *MATED = "R5k1/5ppp/8/8/8/8/8/6K1 b - - 1 1";
// Rooks a2 and b1 against a bare king on h8: Ra7, then Rb8 mates.
const char *MATE_IN_TWO = "7k/8/8/8/8/8/R7/1R4K1 w - - 0 1";
// Black's only move Kg8 is answered by Rb8 mate.
const char *MATED_IN_ONE = "7k/R7/1R6/8/8/8/8/6K1 b - - 0 1";
const char *STALEMATE = "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1";

TEST(SearchAlphaBeta, CheckmatedRootScoresMinusTenThousand) {
    EXPECT_EQ(search_root(MATED, 1), -10000);
    EXPECT_EQ(pv_end[0], 0);
    EXPECT_EQ(search_root(MATED, 4), -10000);
    EXPECT_EQ(node_count, 1u);
}

TEST(SearchAlphaBeta, MateScoresCountThePlyOfTheMatedSide) {
    // Mated at ply 1, 2 and 3: the scores are 10000 - 1, -(10000 - 2), 10000 - 3.
    EXPECT_EQ(search_root(MATE_IN_ONE, 2), 9999);
    EXPECT_EQ(pv_text(0), "a1a8");
    EXPECT_EQ(search_root(MATED_IN_ONE, 3), -9998);
    EXPECT_EQ(pv_text(0), "h8g8 b6b8");
    EXPECT_EQ(search_root(MATE_IN_TWO, 4), 9997);
    EXPECT_EQ(pv_text(0), "a2a7 h8g8 b1b8");
}

TEST(SearchAlphaBeta, DeeperSearchKeepsTheShortestMateScore) {
    EXPECT_EQ(search_root(MATE_IN_ONE, 4), 9999);
    EXPECT_EQ(pv_text(0), "a1a8");
}

TEST(SearchAlphaBeta, QuiescenceDoesNotSeeMate) {
    // At depth 1 the mated side is reached at depth 0, where only the
    // stand-pat score and captures count.
    const int score = search_root(MATE_IN_ONE, 1);
    EXPECT_LT(score, 9000);
    EXPECT_GT(score, 0);
}

TEST(SearchAlphaBeta, StalemateScoresZero) {
    EXPECT_EQ(search_root(STALEMATE, 1), 0);
    EXPECT_EQ(search_root(STALEMATE, 3), 0);
    EXPECT_EQ(pv_end[0], 0);
    EXPECT_EQ(pv_table[0][0], 0u);
}

TEST(SearchAlphaBeta, StalemateReplacesAlphaEvenBelowTheWindow) {
    EXPECT_EQ(search_root(STALEMATE, 2, 50, 100), 0);
    EXPECT_EQ(search_root(STALEMATE, 2, -100, -50), 0);
}

TEST(SearchAlphaBeta, MatedNodeBelowTheRootScoresItsPlyMinusTenThousand) {
    setup(MATE_IN_ONE);
    fresh_state(1);
    play_in_search("a1a8");
    EXPECT_EQ(alpha_beta(-10000, 10000, 1), 1 - 10000);
    unmake_move();

    setup(MATE_IN_TWO);
    fresh_state(5);
    play_in_search("a2a7");
    play_in_search("h8g8");
    play_in_search("b1b8");
    EXPECT_EQ(ply, 3);
    EXPECT_EQ(alpha_beta(-10000, 10000, 1), 3 - 10000);
    EXPECT_EQ(alpha_beta(-10000, 10000, 5), 3 - 10000);
    while (ply > 0) unmake_move();
}

TEST(SearchAlphaBeta, FiftyMoveRuleOverridesAMateBelowTheRoot) {
    // Ra8 would mate, but it is the hundredth reversible half-move.
    EXPECT_EQ(search_root("6k1/5ppp/8/8/8/8/8/R5K1 w - - 98 1", 2), 9999);
    const int score = search_root("6k1/5ppp/8/8/8/8/8/R5K1 w - - 99 1", 2);
    EXPECT_LT(score, 9000);
    EXPECT_EQ(score, 0);
}

TEST(SearchAlphaBeta, FiftyMoveRuleOverridesTheMatedRoot) {
    EXPECT_EQ(search_root("R5k1/5ppp/8/8/8/8/8/6K1 b - - 100 80", 2), 0);
    EXPECT_EQ(search_root("R5k1/5ppp/8/8/8/8/8/6K1 b - - 99 80", 2), -10000);
}

TEST(SearchAlphaBeta, FiftyMoveRuleGivesWayToACutoff) {
    // Rxa8 mates and resets the half-move clock below the root, but the
    // root itself is at 100: without a cutoff it returns 0.
    const char *fen = "r5k1/5ppp/8/8/8/8/8/R5K1 w - - 100 80";
    EXPECT_EQ(search_root(fen, 2), 0);
    // With beta below the mate score the mate is a cutoff and is returned
    // as it is, above beta.
    EXPECT_EQ(search_root(fen, 2, -10000, 9000), 9999);
    EXPECT_EQ(search_root(fen, 2, 0, 1), 9999);
}

// Queen and king against knight and king: far from a draw unless Black
// finds a repetition.
const char *QUEEN_VS_KNIGHT = "1n4k1/8/8/8/8/8/8/3Q2K1 w - - 0 1";

TEST(SearchAlphaBeta, RepetitionBelowTheRootScoresZero) {
    setup(QUEEN_VS_KNIGHT);
    play("d1d2");
    play("b8c6");
    play("d2d1");
    // Black to move: c6b8 brings back the starting position.
    fresh_state(2);
    EXPECT_EQ(alpha_beta(-10000, 10000, 2), 0);
    EXPECT_EQ(move_text(pv_table[0][0]), std::string("c6b8"));
    EXPECT_EQ(game_ply, 3);
    EXPECT_EQ(ply, 0);

    // The same position without that history is lost for Black.
    setup("6k1/8/2n5/8/8/8/8/3Q2K1 b - - 3 2");
    fresh_state(2);
    EXPECT_LT(alpha_beta(-10000, 10000, 2), -300);
}

TEST(SearchAlphaBeta, DepthZeroNodesAreNotTestedForRepetition) {
    setup(QUEEN_VS_KNIGHT);
    play("d1d2");
    play("b8c6");
    play("d2d1");
    fresh_state(1);
    // c6b8 leads to a quiescence node, which makes no repetition test.
    EXPECT_LT(alpha_beta(-10000, 10000, 1), -300);
}

TEST(SearchAlphaBeta, RepeatedRootIsSearchedNormally) {
    setup(QUEEN_VS_KNIGHT);
    play("d1d2");
    play("b8c6");
    play("d2d1");
    play("c6b8");
    ASSERT_EQ(repetition_count(), 1);
    fresh_state(2);
    EXPECT_GT(alpha_beta(-10000, 10000, 2), 300);
    EXPECT_NE(pv_table[0][0], 0u);
}

TEST(SearchAlphaBeta, TableEntriesAreNotUsedAtTheRoot) {
    const char *fen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const int plain = search_root(fen, 2);
    const uint32_t plain_nodes = node_count;
    setup(fen);
    fresh_state(2);
    tt_store(position_key, 777, NO_SHORT_MOVE, 10, BOUND_EXACT);
    EXPECT_EQ(alpha_beta(-10000, 10000, 2), plain);
    EXPECT_EQ(node_count, plain_nodes);
}

// Makes e2e4 from the initial position and plants an entry for the result.
void below_root_with_entry(int score, int depth, int bound) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(3);
    const int index = parse_move_text("e2e4");
    ASSERT_GE(index, 0);
    ASSERT_EQ(make_move(move_stack[index].move), 1);
    ASSERT_EQ(ply, 1);
    tt_store(position_key, score, NO_SHORT_MOVE, depth, bound);
}

TEST(SearchAlphaBeta, ExactEntryOneBelowTheRootReturnsItsScore) {
    below_root_with_entry(777, 3, BOUND_EXACT);
    EXPECT_EQ(alpha_beta(-1000, 1000, 3), 777);
    EXPECT_EQ(alpha_beta(-1000, 1000, 2), 777);
    EXPECT_EQ(node_count, 2u);
    unmake_move();
}

TEST(SearchAlphaBeta, ShallowerEntryGivesNoScore) {
    below_root_with_entry(777, 2, BOUND_EXACT);
    const int score = alpha_beta(-1000, 1000, 3);
    EXPECT_NE(score, 777);
    EXPECT_GT(node_count, 100u);
    unmake_move();
}

TEST(SearchAlphaBeta, BoundEntriesReturnTheWindowEdge) {
    below_root_with_entry(500, 4, BOUND_LOWER);
    EXPECT_EQ(alpha_beta(-100, 200, 3), 200);
    EXPECT_EQ(alpha_beta(-100, 500, 3), 500);
    unmake_move();

    below_root_with_entry(-500, 4, BOUND_UPPER);
    EXPECT_EQ(alpha_beta(-100, 200, 3), -100);
    EXPECT_EQ(alpha_beta(-500, 200, 3), -500);
    EXPECT_EQ(node_count, 2u);
    unmake_move();
}

TEST(SearchAlphaBeta, BoundsThatDoNotCutAreSearched) {
    below_root_with_entry(150, 4, BOUND_LOWER);
    EXPECT_GT(alpha_beta(-100, 200, 1), -100);
    EXPECT_GT(node_count, 1u);
    unmake_move();
}

TEST(SearchQuiescence, UsesAnyEntryWhateverItsDepth) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(1);
    tt_store(position_key, 1234, NO_SHORT_MOVE, 0, BOUND_EXACT);
    EXPECT_EQ(quiescence(-10000, 10000), 1234);
    tt_store(position_key, 600, NO_SHORT_MOVE, 0, BOUND_LOWER);
    EXPECT_EQ(quiescence(-100, 200), 200);
    tt_store(position_key, -600, NO_SHORT_MOVE, 0, BOUND_UPPER);
    EXPECT_EQ(quiescence(-100, 200), -100);
    EXPECT_EQ(node_count, 3u);
}

TEST(SearchQuiescence, StandPatAtOrAboveBetaIsReturnedAndStoredAsLowerBound) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(1);
    const int stand_pat = evaluate();
    EXPECT_EQ(quiescence(-10000, stand_pat - 20), stand_pat);
    TTEntry found;
    ASSERT_TRUE(tt_probe(position_key, &found));
    const TTEntry *e = &found;
    EXPECT_EQ(e->bound, BOUND_LOWER);
    EXPECT_EQ(e->score, stand_pat);
    EXPECT_EQ(e->move, NO_SHORT_MOVE);
    EXPECT_EQ(e->depth, 0);
}

TEST(SearchQuiescence, InCheckWithoutCapturesReturnsTheStandPat) {
    // The mated side gets no mate score here.
    setup(MATED);
    fresh_state(1);
    const int stand_pat = evaluate();
    EXPECT_EQ(quiescence(-10000, 10000), stand_pat);
    TTEntry found;
    ASSERT_TRUE(tt_probe(position_key, &found));
    const TTEntry *e = &found;
    EXPECT_EQ(e->bound, BOUND_EXACT);
}

TEST(SearchAlphaBeta, LastUndoRecordScoresStatically) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(3);
    game_ply = 599;
    const int score = alpha_beta(-10000, 10000, 3);
    game_ply = 0;
    EXPECT_EQ(score, evaluate());
    EXPECT_EQ(node_count, 1u);
    TTEntry found;
    EXPECT_FALSE(tt_probe(position_key, &found));
}

TEST(SearchAlphaBeta, MatedRootInTheTableStillGivesTheMatingMove) {
    // The mated position is searched first and stored as an upper bound of
    // -10000; one ply up the table then returns that bound, the root sees
    // 10000 = beta and cuts off, and must still keep the mating move.
    setup(MATED);
    fresh_state(3);
    run_search(0);
    EXPECT_EQ(pv_table[0][0], 0u);
    TTEntry found;
    ASSERT_TRUE(tt_probe(position_key, &found));
    const TTEntry *e = &found;
    EXPECT_EQ(e->score, -10000);
    EXPECT_EQ(e->bound, BOUND_UPPER);

    setup(MATE_IN_ONE);
    fixed_search_depth = 3; // the table kept
    run_search(0);
    ASSERT_NE(pv_table[0][0], 0u);
    EXPECT_EQ(move_text(pv_table[0][0]), std::string("a1a8"));

    setup(MATE_IN_ONE);
    on_pv_line = 1;
    ply = 0;
    EXPECT_EQ(alpha_beta(-10000, 10000, 2), 10000);
    EXPECT_EQ(move_text(pv_table[0][0]), std::string("a1a8"));
}

TEST(SearchAlphaBeta, HistoryIsCreditedOnlyOnACutoff) {
    // A depth-1 search has no cutoff: the root never reaches beta and its
    // children are quiescence nodes.
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(1);
    run_search(0);
    ASSERT_NE(pv_table[0][0], 0u);
    long total = 0;
    for (int from = 0; from < 64; from++)
        for (int to = 0; to < 64; to++) total += history_scores[from][to];
    EXPECT_EQ(total, 0);

    // At depth 2 only Black's replies at ply 1 can cut off (credited 1
    // each); the root's best move, which cut nothing off, gets nothing.
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    fresh_state(2);
    run_search(0);
    const Move best = pv_table[0][0];
    EXPECT_EQ(history_scores[move_from(best)][move_to(best)], 0);
    total = 0;
    for (int from = 0; from < 64; from++)
        for (int to = 0; to < 64; to++) {
            total += history_scores[from][to];
            if (history_scores[from][to] != 0) {
                EXPECT_LT(from, 16) << from << "-" << to;
            }
        }
    EXPECT_GT(total, 0);
}

// A node whose captures are tried before its quiet moves are generated
// still tries a quiet move first when its history outscores every capture:
// here the first legal move cuts off, and the table keeps it.
TEST(SearchAlphaBeta, QuietMoveOutscoringTheCapturesGoesFirst) {
    for (const int peak_history : {0, 3000000}) {
        SCOPED_TRACE(peak_history);
        setup("4k3/8/8/3p4/4P3/8/8/4K3 b - - 0 1");
        fresh_state(2);
        tt_clear();
        on_pv_line = 0;
        play_in_search("e8d8");
        const int e1 = 60, f1 = 61;
        history_scores[e1][f1] = peak_history;
        history_peak = peak_history;
        alpha_beta(-10000, -9999, 1);
        TTEntry entry;
        ASSERT_TRUE(tt_probe(position_key, &entry));
        EXPECT_EQ(move_text((Move)(entry.move >> 8) | (Move)(entry.move & 0xff) << 8),
                  std::string(peak_history ? "e1f1" : "e4d5"));
    }
    // A real search keeps the peak at the highest history score.
    setup("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10");
    fresh_state(4);
    run_search(0);
    int highest = 0;
    for (int from = 0; from < 64; from++)
        for (int to = 0; to < 64; to++) highest = std::max(highest, history_scores[from][to]);
    EXPECT_GT(highest, 0);
    EXPECT_EQ(history_peak, highest);
}

} // namespace

namespace {

// A board piled with queens by editing: every Black move loses by more than
// the root window, yet the search must still name one.
TEST(SearchRootWindow, HugeMaterialDeficitStillYieldsAMove) {
    const char *error = "";
    ASSERT_EQ(set_fen("7k/6pp/8/8/3K4/QQ6/Q1QQQQ2/QQQQQQ2 b - - 0 1", &error), 1) << error;
    EXPECT_EQ(evaluate(), -STATIC_SCORE_LIMIT);
    prepare_fixed_depth_search(2);
    run_search(0);
    EXPECT_NE(pv_table[0][0], 0u);
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Move ordering (pick_next_move, boost_pv_move) and the repetition count.
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/xboard/xboard.h"
#include "search/search.h"
#include "tests/test_support.h"

namespace {

constexpr int E7 = 12, E8 = 4, A2 = 48, A3 = 40, B1 = 57, C3 = 42, D4 = 35, E5 = 28;

// Lays out a move list for the given ply: entries start at first.
void lay_out(int at_ply, int first, const Move *moves, const int *scores, int count) {
    ply = at_ply;
    ply_move_start[at_ply] = first;
    ply_move_start[at_ply + 1] = first + count;
    for (int i = 0; i < count; i++) {
        move_stack[first + i].move = moves[i];
        move_stack[first + i].score = scores[i];
    }
}

class SearchOrdering : public ::testing::Test {
  protected:
    void SetUp() override {
        memset(pv_table, 0, sizeof pv_table);
        ply = 0;
    }
    void TearDown() override {
        ply = 0;
        memset(pv_table, 0, sizeof pv_table);
    }
};

TEST_F(SearchOrdering, HighestScoreComesFirstAndSwapsPlaces) {
    const Move m[4] = {make_move_word(A2, A3, 0, MF_PAWN_MOVE), make_move_word(B1, C3, 0, 0),
                       make_move_word(D4, E5, 0, MF_CAPTURE), make_move_word(E7, E8, 0, 0)};
    const int s[4] = {3, 8, 1000025, 40};
    lay_out(0, 0, m, s, 4);
    pick_next_move(0, NO_SHORT_MOVE);
    EXPECT_EQ(move_stack[0].move, m[2]);
    EXPECT_EQ(move_stack[0].score, 1000025);
    EXPECT_EQ(move_stack[2].move, m[0]);
    EXPECT_EQ(move_stack[2].score, 3);
    EXPECT_EQ(move_stack[1].move, m[1]);
    EXPECT_EQ(move_stack[3].move, m[3]);
    pick_next_move(1, NO_SHORT_MOVE);
    EXPECT_EQ(move_stack[1].move, m[3]);
    EXPECT_EQ(move_stack[3].move, m[1]);
}

TEST_F(SearchOrdering, EarliestWinsAmongEqualScores) {
    const Move m[4] = {make_move_word(A2, A3, 0, 0), make_move_word(B1, C3, 0, 0),
                       make_move_word(D4, E5, 0, 0), make_move_word(E7, E8, 0, 0)};
    const int s[4] = {5, 9, 9, 9};
    lay_out(0, 0, m, s, 4);
    pick_next_move(0, NO_SHORT_MOVE);
    EXPECT_EQ(move_stack[0].move, m[1]);
    EXPECT_EQ(move_stack[1].move, m[0]);
    pick_next_move(1, NO_SHORT_MOVE);
    EXPECT_EQ(move_stack[1].move, m[2]);
    EXPECT_EQ(move_stack[2].move, m[0]);
    pick_next_move(2, NO_SHORT_MOVE);
    EXPECT_EQ(move_stack[2].move, m[3]);
    EXPECT_EQ(move_stack[3].move, m[0]);
}

TEST_F(SearchOrdering, EntryAtIndexStaysWhenNoScoreExceedsMinusOne) {
    const Move m[3] = {make_move_word(A2, A3, 0, 0), make_move_word(B1, C3, 0, 0),
                       make_move_word(D4, E5, 0, 0)};
    const int s[3] = {-5, -1, -2};
    lay_out(0, 0, m, s, 3);
    pick_next_move(0, NO_SHORT_MOVE);
    EXPECT_EQ(move_stack[0].move, m[0]);
    EXPECT_EQ(move_stack[1].move, m[1]);
    EXPECT_EQ(move_stack[2].move, m[2]);
}

TEST_F(SearchOrdering, TableMoveIsPreferredOverAnyScore) {
    const Move m[3] = {make_move_word(D4, E5, 0, MF_CAPTURE), make_move_word(B1, C3, 0, 0),
                       make_move_word(A2, A3, 0, MF_PAWN_MOVE)};
    const int s[3] = {1000040 + PV_BOOST, 7, 0};
    lay_out(0, 0, m, s, 3);
    pick_next_move(0, short_move(m[2]));
    EXPECT_EQ(move_stack[0].move, m[2]);
    EXPECT_EQ(move_stack[0].score, 0);
    EXPECT_EQ(move_stack[2].move, m[0]);
    EXPECT_EQ(move_stack[2].score, 1000040 + PV_BOOST);
    // A table move absent from the rest of the list falls back to scores.
    pick_next_move(1, short_move(m[2]));
    EXPECT_EQ(move_stack[1].move, m[0]);
}

TEST_F(SearchOrdering, TableMoveOnlySearchesFromIndexOn) {
    const Move m[3] = {make_move_word(A2, A3, 0, 0), make_move_word(B1, C3, 0, 0),
                       make_move_word(D4, E5, 0, 0)};
    const int s[3] = {0, 1, 2};
    lay_out(0, 0, m, s, 3);
    pick_next_move(1, short_move(m[0]));
    EXPECT_EQ(move_stack[0].move, m[0]);
    EXPECT_EQ(move_stack[1].move, m[2]);
    EXPECT_EQ(move_stack[2].move, m[1]);
}

TEST_F(SearchOrdering, AllPromotionsOfATableMoveGoFirstKnightFirst) {
    const int promo = MF_PROMOTION | MF_PAWN_MOVE;
    const Move capture = make_move_word(D4, E5, 0, MF_CAPTURE);
    const Move quiet = make_move_word(B1, C3, 0, 0);
    const Move n = make_move_word(E7, E8, KNIGHT, promo);
    const Move b = make_move_word(E7, E8, BISHOP, promo);
    const Move r = make_move_word(E7, E8, ROOK, promo);
    const Move q = make_move_word(E7, E8, QUEEN, promo);
    const Move m[6] = {capture, quiet, n, b, r, q};
    const int s[6] = {1000035, 5, 1000010, 1000020, 1000030, 1000040};
    lay_out(0, 0, m, s, 6);
    // The table keeps only from and to; any of the four names the pawn move.
    const ShortMove table_move = short_move(q);
    ASSERT_EQ(table_move, E7 * 256 + E8);
    const Move expected[6] = {n, b, r, q, capture, quiet};
    for (int i = 0; i < 6; i++) {
        pick_next_move(i, table_move);
        EXPECT_EQ(move_stack[i].move, expected[i]) << "pick " << i;
    }
}

TEST_F(SearchOrdering, PickWorksWithinTheCurrentPlysSlice) {
    // Entries of ply 0 lie before the slice of ply 1 and are never looked at.
    const Move low[2] = {make_move_word(A2, A3, 0, 0), make_move_word(B1, C3, 0, 0)};
    const int low_scores[2] = {900, 800};
    lay_out(0, 0, low, low_scores, 2);
    const Move m[3] = {make_move_word(D4, E5, 0, 0), make_move_word(E7, E8, 0, 0),
                       make_move_word(C3, D4, 0, 0)};
    const int s[3] = {1, 3, 2};
    lay_out(1, 2, m, s, 3);
    pick_next_move(2, short_move(low[0]));
    EXPECT_EQ(move_stack[2].move, m[1]);
    EXPECT_EQ(move_stack[0].move, low[0]);
    EXPECT_EQ(move_stack[1].move, low[1]);
}

TEST_F(SearchOrdering, BoostLiftsTheFirstWholeWordMatchOfRowZero) {
    const int promo = MF_PROMOTION | MF_PAWN_MOVE;
    const Move n = make_move_word(E7, E8, KNIGHT, promo);
    const Move q = make_move_word(E7, E8, QUEEN, promo);
    const Move quiet = make_move_word(B1, C3, 0, 0);
    const Move m[5] = {quiet, n, q, quiet, make_move_word(A2, A3, 0, 0)};
    const int s[5] = {4, 1000010, 1000040, 4, 0};
    lay_out(2, 10, m, s, 5);
    pv_table[0][2] = q;
    pv_table[2][2] = quiet; // the ply's own row is not the previous line
    on_pv_line = 0;
    boost_pv_move();
    EXPECT_EQ(on_pv_line, 1);
    EXPECT_EQ(move_stack[11].score, 1000010);
    EXPECT_EQ(move_stack[12].score, 1000040 + PV_BOOST);
    EXPECT_EQ(move_stack[10].score, 4);
    EXPECT_EQ(move_stack[13].score, 4);

    // Duplicate entries: only the first is lifted.
    pv_table[0][2] = quiet;
    boost_pv_move();
    EXPECT_EQ(move_stack[10].score, 4 + PV_BOOST);
    EXPECT_EQ(move_stack[13].score, 4);
}

TEST_F(SearchOrdering, BoostWithoutAMatchLeavesThePvLine) {
    const Move m[2] = {make_move_word(A2, A3, 0, 0), make_move_word(B1, C3, 0, 0)};
    const int s[2] = {7, 9};
    lay_out(1, 3, m, s, 2);
    // Same squares, other flags: not the same move.
    pv_table[0][1] = make_move_word(A2, A3, 0, MF_PAWN_MOVE);
    on_pv_line = 1;
    boost_pv_move();
    EXPECT_EQ(on_pv_line, 0);
    EXPECT_EQ(move_stack[3].score, 7);
    EXPECT_EQ(move_stack[4].score, 9);
    // A move outside the slice does not count either.
    move_stack[5].move = pv_table[0][1];
    move_stack[5].score = 0;
    boost_pv_move();
    EXPECT_EQ(on_pv_line, 0);
    EXPECT_EQ(move_stack[5].score, 0);
}

// Repetition count over the game history.

TEST(SearchRepetition, CountsEarlierOccurrencesOfThePosition) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(repetition_count(), 0);
    play("g1f3");
    play("g8f6");
    EXPECT_EQ(repetition_count(), 0);
    play("f3g1");
    play("f6g8");
    EXPECT_EQ(game_ply, 4);
    EXPECT_EQ(repetition_count(), 1);
    play("g1f3");
    EXPECT_EQ(repetition_count(), 1);
    play("g8f6");
    play("f3g1");
    play("f6g8");
    EXPECT_EQ(repetition_count(), 2);
}

TEST(SearchRepetition, LooksBackOverTheHalfMoveClockOnly) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    play("e2e4");
    play("g8f6");
    play("g1f3");
    play("f6g8");
    play("f3g1");
    EXPECT_EQ(fifty_count, 4);
    EXPECT_EQ(repetition_count(), 1);
    // The record of the position after e2e4 lies exactly fifty_count back.
    fifty_count = 3;
    EXPECT_EQ(repetition_count(), 0);
    fifty_count = 0;
    EXPECT_EQ(repetition_count(), 0);
    fifty_count = 4;
    play("b8c6");
    play("b1c3");
    play("c6b8");
    play("c3b1");
    EXPECT_EQ(repetition_count(), 2);
}

TEST(SearchRepetition, BothHalvesOfTheKeyMustMatch) {
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    play("g1f3");
    play("g8f6");
    play("f3g1");
    play("f6g8");
    ASSERT_EQ(repetition_count(), 1);
    const PositionKey stored = undo_stack[0].key;
    undo_stack[0].key.high ^= 1;
    EXPECT_EQ(repetition_count(), 0);
    undo_stack[0].key = stored;
    undo_stack[0].key.low ^= 0x80000000u;
    EXPECT_EQ(repetition_count(), 0);
    undo_stack[0].key = stored;
}

TEST(SearchRepetition, HalfMoveClockBeyondTheHistoryIsClamped) {
    // A set-up position may claim more reversible moves than were played.
    setup("4k3/8/8/8/8/8/8/4K2R w - - 90 60");
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(repetition_count(), 0);
    play("h1h2");
    play("e8d8");
    play("h2h1");
    play("d8e8");
    EXPECT_EQ(fifty_count, 94);
    EXPECT_EQ(repetition_count(), 1);
}

TEST(SearchRepetition, SideToMoveIsPartOfThePosition) {
    setup("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    play("a1a2");
    play("e8d8");
    play("a2a3");
    play("d8e8");
    play("a3a1");
    // The starting placement again, but with Black to move.
    EXPECT_EQ(game_ply, 5);
    EXPECT_EQ(repetition_count(), 0);
    play("e8d8");
    play("a1a3");
    play("d8e8");
    // Rook on a3, king on e8, White to move: seen after d8e8 above.
    EXPECT_EQ(repetition_count(), 1);
}

} // namespace

// The square tables written out once more by hand (first row = rank 8),
// so that a slip in the engine's copy shows.
#include <gtest/gtest.h>

#include "eval/eval.h"

namespace {

const int expected_pawn[64] = {
    0, 0,  0,  0,   0,   0,  0,  0, //
    5, 10, 15, 20,  20,  15, 10, 5, //
    4, 8,  12, 16,  16,  12, 8,  4, //
    3, 6,  9,  12,  12,  9,  6,  3, //
    2, 4,  6,  8,   8,   6,  4,  2, //
    1, 2,  3,  -10, -10, 3,  2,  1, //
    0, 0,  0,  -40, -40, 0,  0,  0, //
    0, 0,  0,  0,   0,   0,  0,  0, //
};

const int expected_knight[64] = {
    -10, -10, -10, -10, -10, -10, -10, -10, //
    -10, 0,   0,   0,   0,   0,   0,   -10, //
    -10, 0,   5,   5,   5,   5,   0,   -10, //
    -10, 0,   5,   10,  10,  5,   0,   -10, //
    -10, 0,   5,   10,  10,  5,   0,   -10, //
    -10, 0,   5,   5,   5,   5,   0,   -10, //
    -10, 0,   0,   0,   0,   0,   0,   -10, //
    -10, -30, -10, -10, -10, -10, -30, -10, //
};

const int expected_bishop_rank1[8] = {-10, -10, -20, -10, -10, -20, -10, -10};

const int expected_king[64] = {
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -20, -20, -20, -20, -20, -20, -20, -20, //
    0,   20,  40,  -20, 0,   -20, 40,  20,  //
};

const int expected_king_endgame[64] = {
    0,  10, 20, 30, 30, 20, 10, 0,  //
    10, 20, 30, 40, 40, 30, 20, 10, //
    20, 30, 40, 50, 50, 40, 30, 20, //
    30, 40, 50, 60, 60, 50, 40, 30, //
    30, 40, 50, 60, 60, 50, 40, 30, //
    20, 30, 40, 50, 50, 40, 30, 20, //
    10, 20, 30, 40, 40, 30, 20, 10, //
    0,  10, 20, 30, 30, 20, 10, 0,  //
};

TEST(EvalTables, PawnTable) {
    for (int s = 0; s < 64; s++) EXPECT_EQ(pawn_table[s], expected_pawn[s]) << s;
}

TEST(EvalTables, KnightTable) {
    for (int s = 0; s < 64; s++) EXPECT_EQ(knight_table[s], expected_knight[s]) << s;
}

TEST(EvalTables, BishopTableDiffersFromKnightTableOnlyOnRankOne) {
    for (int s = 0; s < 56; s++) EXPECT_EQ(bishop_table[s], expected_knight[s]) << s;
    for (int f = 0; f < 8; f++) EXPECT_EQ(bishop_table[56 + f], expected_bishop_rank1[f]) << f;
}

TEST(EvalTables, KingTables) {
    for (int s = 0; s < 64; s++) {
        EXPECT_EQ(king_table[s], expected_king[s]) << s;
        EXPECT_EQ(king_endgame_table[s], expected_king_endgame[s]) << s;
    }
}

TEST(EvalTables, FlipMirrorsTheRank) {
    EXPECT_EQ(flip[0], 56);
    EXPECT_EQ(flip[62], 6);
    for (int s = 0; s < 64; s++) {
        EXPECT_EQ(flip[s], (7 - s / 8) * 8 + s % 8) << s;
        EXPECT_EQ(flip[flip[s]], s) << s;
    }
}

} // namespace

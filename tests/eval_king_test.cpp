// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// King shelter: the king table plus the pawn cover of the files around the
// king, scaled by the opponent's pieces. Each value is checked for White and,
// on the colour-mirrored board, for Black.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "eval/eval.h"
#include "tests/eval_support.h"

namespace {

int square_of(const char *name) {
    return (8 - (name[1] - '0')) * 8 + (name[0] - 'a');
}

// The White king on `king` scores `expected`; on the mirrored board the Black
// king on the mirrored square scores the same.
void expect_king(const std::string &placement, const char *king, int expected) {
    SCOPED_TRACE(placement);
    const int s = square_of(king);
    eval_placement(placement, 'w');
    EXPECT_EQ(eval_white_king(s), expected);
    eval_placement(mirror_placement(placement), 'b');
    EXPECT_EQ(eval_black_king(s ^ 56), expected);
}

// Shelter of one file (index file + 1) for both colours.
void expect_file_shelter(const std::string &placement, int i, int expected) {
    SCOPED_TRACE(placement);
    eval_placement(placement, 'w');
    EXPECT_EQ(white_file_shelter(i), expected);
    eval_placement(mirror_placement(placement), 'b');
    EXPECT_EQ(black_file_shelter(i), expected);
}

// Black keeps all its pieces (3104) unless stated.

TEST(EvalKingShelter, CastledKingBehindHomePawns) {
    // Table 40, three covered files, 40 * 3104 / 3100 = 40.
    expect_king("rnbqkbnr/5ppp/8/8/8/8/5PPP/6K1", "g1", 40);
    // Whole board: White 300 + 40. Black 3404 + Ra8 15 - Nb8 30 - Bc8 20
    // + Ke8 30 (endgame table) - Bf8 20 - Ng8 30 = 3349.
    expect_score("rnbqkbnr/5ppp/8/8/8/8/5PPP/6K1", 340 - 3349);
}

TEST(EvalKingShelter, AdvancedPawnAndMissingEnemyPawn) {
    // h3 own -10, no Black h-pawn -15: 40 - 25 = 15, scaled 15.
    expect_file_shelter("rnbqkbnr/5pp1/8/8/8/7P/5PP1/6K1", 8, -25);
    expect_king("rnbqkbnr/5pp1/8/8/8/7P/5PP1/6K1", "g1", 15);
    // White 300 + h3 1 + 15. Black 3304 - 55 + Rh8 half-open 10 = 3259.
    expect_score("rnbqkbnr/5pp1/8/8/8/7P/5PP1/6K1", 316 - 3259);
}

TEST(EvalKingShelter, RookInTheCorner) {
    expect_king("rnbqkbnr/5ppp/8/8/8/8/5PPP/6KR", "g1", 0);
    // White 800 + Rh1 0 + king 0 against 3349.
    expect_score("rnbqkbnr/5ppp/8/8/8/8/5PPP/6KR", 800 - 3349);
}

TEST(EvalKingShelter, EnemyRookInTheCornerCountsToo) {
    // Black's h8 rook on h1 instead: the corner holds a rook, whose colour
    // does not matter. Black's rook there earns nothing (half-open? no:
    // Black's h7 pawn), so Black is 3349 as before.
    expect_king("rnbqkbn1/5ppp/8/8/8/8/5PPP/6Kr", "g1", 0);
    expect_score("rnbqkbn1/5ppp/8/8/8/8/5PPP/6Kr", 300 - 3349);
    // The penalty comes after scaling: against Q, R, B, N, N (2303) the
    // shelter 40 scales to 29, then 29 - 40 = -11.
    expect_king("1n1qkbn1/5ppp/8/8/8/8/5PPP/6Kr", "g1", -11);
}

TEST(EvalKingShelter, CornerRookOnlyForKingOnG1) {
    // King f1 (table -20) with a rook on h1: no penalty. Shelter 0 on all
    // three files: -20 * 3104 / 3100 = -20.
    expect_king("rnbqkbnr/5ppp/8/8/8/8/5PPP/5K1R", "f1", -20);
}

TEST(EvalKingShelter, OpenCentreFiles) {
    // King e1, no pawns on d and e, White f2: 0 - 10 - 10 = -20, scaled -20.
    expect_king("rnbqkbnr/8/8/8/8/8/5P2/4K3", "e1", -20);
    // White 100 + f2 (0 - 20 + 20) - 20; Black 3104 + 15 - 30 - 20 + 30 - 20 - 30 + 15.
    expect_score("rnbqkbnr/8/8/8/8/8/5P2/4K3", 80 - 3064);
    // King d1 (table -20): c- and d-files open, e-file has a pawn: -40.
    expect_king("rnbqkbnr/8/8/8/8/8/4P3/3K4", "d1", -40);
    // A Black pawn closes a file just as well: -30.
    expect_king("rnbqkbnr/2p5/8/8/8/8/4P3/3K4", "d1", -30);
    // All three closed: only the table.
    expect_king("rnbqkbnr/2p1p3/8/8/8/8/3P4/3K4", "d1", -20);
    // The shelter of the wing files plays no part for a centre king.
    expect_king("rnbqkbnr/8/8/8/8/8/PPPPPPPP/4K3", "e1", 0);
    expect_king("rnbqkbnr/pppppppp/8/8/8/8/8/4K3", "e1", 0);
}

TEST(EvalKingShelter, QueensideKing) {
    // c1 (table 40): a-file 0, b-file b3 -10 and no Black b-pawn -15 = -25,
    // c-file empty -40 halved to -20: 40 - 25 - 20 = -5, scaled -5.
    expect_file_shelter("rnbqkbnr/p7/8/8/8/1P6/P7/2K5", 1, 0);
    expect_file_shelter("rnbqkbnr/p7/8/8/8/1P6/P7/2K5", 2, -25);
    expect_file_shelter("rnbqkbnr/p7/8/8/8/1P6/P7/2K5", 3, -40);
    expect_king("rnbqkbnr/p7/8/8/8/1P6/P7/2K5", "c1", -5);
    // b1 (table 20): -25 * 3104 / 3100 = -25; a1 (table 0): -45.
    expect_king("rnbqkbnr/p7/8/8/8/1P6/P7/1K6", "b1", -25);
    expect_king("rnbqkbnr/p7/8/8/8/1P6/P7/K7", "a1", -45);
}

TEST(EvalKingShelter, KingsideKingOnF1) {
    // f1 (table -20): h-file 0, g-file g3 -25, f-file empty -40 halved: -65.
    expect_king("rnbqkbnr/7p/8/8/8/6P1/7P/5K2", "f1", -65);
    // h1 (table 20): 20 - 25 - 20 = -25.
    expect_king("rnbqkbnr/7p/8/8/8/6P1/7P/7K", "h1", -25);
}

TEST(EvalKingShelter, HalvedFileTruncatesTowardZero) {
    // f-file: no White pawn -25, Black f7 0: -25 / 2 = -12, so 40 - 12 = 28.
    expect_file_shelter("rnbqkbnr/5ppp/8/8/8/8/6PP/6K1", 6, -25);
    expect_king("rnbqkbnr/5ppp/8/8/8/8/6PP/6K1", "g1", 28);
    // White 200 + 28 against 3349.
    expect_score("rnbqkbnr/5ppp/8/8/8/8/6PP/6K1", 228 - 3349);
    // f-file: no White pawn -25, Black f3 -10: -35 / 2 = -17, so 23.
    expect_file_shelter("rnbqkbnr/6pp/8/8/8/5p2/6PP/6K1", 6, -35);
    expect_king("rnbqkbnr/6pp/8/8/8/5p2/6PP/6K1", "g1", 23);
}

TEST(EvalKingShelter, ScalingTruncatesTowardZero) {
    // Black Q + N = 1201. g1: 40, h- and g-files empty -40 each, f-file f4
    // -20 with Black f7 0, halved -10: -50 * 1201 / 3100 = -19.37 -> -19.
    expect_king("qn2k3/5p2/8/8/5P2/8/8/6K1", "g1", -19);
    // White 100 + f4 (6 - 20) - 19 = 67. Black 1301 - Nb8 30 + Ke8 30
    // + f7 (0 - 20) = 1281.
    expect_score("qn2k3/5p2/8/8/5P2/8/8/6K1", 67 - 1281);
    // -20 * 3104 / 3100 = -20.03 -> -20 (see OpenCentreFiles); and
    // -45 * 3104 / 3100 = -45.06 -> -45 (QueensideKing).
}

TEST(EvalKingShelter, ScaledByOpponentPiecesOnly) {
    // Black R, Q, R = 1900 plus four queenside pawns, which do not count.
    // h-, g-, f-files have no enemy pawn: 40 - 15 - 15 - 15 / 2 = 3, and
    // 3 * 1900 / 3100 = 1.
    expect_king("r2qk2r/pppp4/8/8/8/8/5PPP/6K1", "g1", 1);
    // The same shelter against all 3104: 3 * 3104 / 3100 = 3.
    expect_king("rnbqkbnr/pppp4/8/8/8/8/5PPP/6K1", "g1", 3);
    // Black's pawns play no part in the scale.
    expect_king("rnbqkbnr/8/8/8/8/8/5PPP/6K1", "g1", 3);
}

int file_shelter(const std::string &placement) {
    eval_placement(placement, 'w');
    const int white = white_file_shelter(5);
    eval_placement(mirror_placement(placement), 'b');
    EXPECT_EQ(black_file_shelter(5), white) << placement;
    return white;
}

// One file of shelter (the e-file; kings out of the way on a1 and h8): the
// further the own rearmost pawn stands from home the worse, none worst; the
// nearer the enemy's rearmost pawn the worse, but none is worse still; the
// two parts add up, and only the rearmost pawn of each side counts.
TEST(EvalKingShelter, FileShelterOrdering) {
    // Own pawn on rank 2 .. 7, then none; the enemy pawn at home on e7.
    const int own[] = {file_shelter("7k/4p3/8/8/8/8/4P3/K7"), file_shelter("7k/4p3/8/8/8/4P3/8/K7"),
                       file_shelter("7k/4p3/8/8/4P3/8/8/K7"), file_shelter("7k/4p3/8/4P3/8/8/8/K7"),
                       file_shelter("7k/4p3/4P3/8/8/8/8/K7"), file_shelter("7k/4P3/8/8/8/8/8/K7"),
                       file_shelter("7k/4p3/8/8/8/8/8/K7")};
    // Enemy pawn on the defender's rank 3 .. 6, then none; own pawn on e2.
    const int enemy[] = {
        file_shelter("7k/8/8/8/8/4p3/4P3/K7"), file_shelter("7k/8/8/8/4p3/8/4P3/K7"),
        file_shelter("7k/8/8/4p3/8/8/4P3/K7"), file_shelter("7k/8/4p3/8/8/8/4P3/K7"),
        file_shelter("7k/8/8/8/8/8/4P3/K7")};
    const int home = own[0];
    EXPECT_EQ(home, 0);
    EXPECT_GT(own[0], own[1]);
    EXPECT_GT(own[1], own[2]);
    EXPECT_EQ(own[2], own[3]);
    EXPECT_EQ(own[3], own[4]);
    // With the own pawn on e7 there is no enemy pawn: less that part, rank 7
    // is as bad as 4 .. 6, and no pawn is worse.
    EXPECT_EQ(own[5] - (enemy[4] - home), own[4]);
    EXPECT_LT(own[6], own[4]);
    EXPECT_LT(enemy[0], enemy[1]);
    EXPECT_LT(enemy[1], enemy[2]);
    EXPECT_EQ(enemy[2], home);
    EXPECT_EQ(enemy[3], home);
    EXPECT_LT(enemy[4], enemy[0]);
    // The parts add up: no own pawn with the enemy's on rank 3 or 4, own
    // pawn on rank 3 with the enemy's on rank 4, no pawn at all.
    EXPECT_EQ(file_shelter("7k/8/8/8/8/4p3/8/K7"), own[6] + enemy[0] - home);
    EXPECT_EQ(file_shelter("7k/8/8/8/4p3/8/8/K7"), own[6] + enemy[1] - home);
    EXPECT_EQ(file_shelter("7k/8/8/8/4p3/4P3/8/K7"), own[1] + enemy[1] - home);
    EXPECT_EQ(file_shelter("7k/8/8/8/8/8/8/KR6"), own[6] + enemy[4] - home);
    // Only the rearmost pawn of each side counts: the enemy's on e7, behind
    // its e4, and the own e2 behind e4.
    EXPECT_EQ(file_shelter("7k/4p3/8/8/4p3/4P3/8/K7"), own[1]);
    EXPECT_EQ(file_shelter("7k/8/8/8/4P3/8/4P3/K7"), enemy[4]);
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Piece terms: rooks on open files and the seventh rank, the trapped
// bishop, and the choice between the two king treatments. Each expected
// score below is added up by hand, term by term, from White's side.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "eval/eval.h"
#include "tests/eval_support.h"

namespace {

// In the rook and bishop cases the kings read the endgame table (e1, e8: 30).

TEST(EvalRook, OpenFile) {
    // 500 + open 15 + king 30, against king 30.
    expect_score("4k3/8/8/8/8/8/8/R3K3", 515);
    // Rank 7 adds 20: 500 + 35 + 30 - 30.
    expect_score("4k3/R7/8/8/8/8/8/4K3", 535);
    expect_score("4k3/3R4/8/8/8/8/8/4K3", 535);
}

TEST(EvalRook, HalfOpenFile) {
    // Black a6: 100, table 1, isolated -20, passed two steps +40 = 121 + king 30.
    // Rook a1: 500 + 10 + king 30 = 540.
    expect_score("4k3/8/p7/8/8/8/8/R3K3", 540 - 151);
    // Rook a7: 500 + 10 + 20 + king 30 = 560.
    expect_score("4k3/R7/p7/8/8/8/8/4K3", 560 - 151);
}

TEST(EvalRook, OwnPawnOnFile) {
    // Rook a1 behind a2 (table 0, isolated -20, passed +20): 600 + 0 + 30.
    expect_score("4k3/8/8/8/8/8/P7/R3K3", 600);
    // Rook a7 ahead of a6 (table 4, isolated -20, passed five steps +100):
    // 600 + 20 + 84 + 30, against 30.
    expect_score("4k3/R7/P7/8/8/8/8/4K3", 704);
}

TEST(EvalRook, RookOnEighthRankGetsNoSeventhRankBonus) {
    // White rook a8: 500 + open 15 + king e1 30, against king h8 0.
    expect_score("R6k/8/8/8/8/8/8/4K3", 545);
    // Rank 2 is Black's seventh, not White's: 500 + 15 + 30 - 30.
    expect_score("4k3/8/8/8/8/8/R7/4K3", 515);
}

TEST(EvalBishop, TrappedOnA7) {
    // Ba7: 301 - 10 - 150 + king 30 = 171. Black: c7 (table 0, backward -8,
    // passed +20) 12, b6 (table 2, passed +40) 42, 200 + king 30 = 284.
    expect_score("4k3/B1p5/1p6/8/8/8/8/4K3", 171 - 284);
}

TEST(EvalBishop, TrappedOnH7) {
    expect_score("4k3/5p1B/6p1/8/8/8/8/4K3", 171 - 284);
}

TEST(EvalBishop, NotTrappedByABishop) {
    // Black bishop c7 (table 0) instead of the c-pawn: 301 - 10 + 30 = 321
    // against 401 + 0 + b6 (2 - 20 + 40) + 30 = 453.
    expect_score("4k3/B1b5/1p6/8/8/8/8/4K3", 321 - 453);
}

TEST(EvalBishop, NotTrappedByAWhitePawn) {
    // White c7 (15, isolated -20, passed six steps +120) = 115;
    // 401 - 10 + 115 + 30 = 536 against 100 + 22 + 30 = 152.
    expect_score("4k3/B1P5/1p6/8/8/8/8/4K3", 536 - 152);
}

TEST(EvalBishop, NotTrappedByAWhitePawnOnB6) {
    // White b6 (8, isolated -20, not passed: c7) = -12; 401 - 10 - 12 + 30
    // = 409 against 100 + c7 (0, isolated -20, not passed: b6) + 30 = 110.
    expect_score("4k3/B1p5/1P6/8/8/8/8/4K3", 409 - 110);
}

TEST(EvalBishop, NeedsBothPawns) {
    // Without b6: Ba7 -10 only; c7 isolated -20, passed +20 -> 0.
    // 301 - 10 + 30 = 321 against 100 + 0 + 30 = 130.
    expect_score("4k3/B1p5/8/8/8/8/8/4K3", 321 - 130);
    // Without c7: b6 isolated, 2 - 20 + 40 = 22: 321 against 152.
    expect_score("4k3/B7/1p6/8/8/8/8/4K3", 321 - 152);
}

TEST(EvalBishop, TableValues) {
    // c1 and f1 are -20, b1 -10 (knights lose 30 there).
    expect_score("4k3/8/8/8/8/8/8/1B2K3", 0); // lone bishop: drawn
    expect_score("4k3/8/8/8/8/8/P7/1B2K3", 401 - 10 + 0 + 30 - 30);
    expect_score("4k3/8/8/8/8/8/P7/1N2K3", 401 - 30 + 0 + 30 - 30);
    // Centre squares: +10 for both.
    expect_score("4k3/8/8/8/3B4/8/P7/4K3", 401 + 10 + 0 + 30 - 30);
    expect_score("4k3/8/8/8/3N4/8/P7/4K3", 401 + 10 + 0 + 30 - 30);
}

// King treatment: by the opponent's piece material only, strictly above 1200.

TEST(EvalKingTreatment, RookAndTwoMinorsMeanEndgame) {
    // Black: R, N, B = 1102. White king g1 on the endgame table: 10.
    // White 300 + pawns 0 + 10 = 310. Black 1402 + Ra8 15 - Nb8 30 - Bc8 20 + Ke8 30 = 1397.
    expect_score("rnb1k3/5ppp/8/8/8/8/5PPP/6K1", 310 - 1397);
}

TEST(EvalKingTreatment, QueenAndMinorMeanShelter) {
    // Black: Q, N = 1201. White king g1 sheltered: 40 * 1201 / 3100 = 15.
    // White 300 + 15 = 315. Black 1501 - Nb8 30 + Ke8 30 = 1501.
    expect_score("1n1qk3/5ppp/8/8/8/8/5PPP/6K1", 315 - 1501);
}

TEST(EvalKingTreatment, OwnMaterialDoesNotMatter) {
    // White has all its pieces, Black none: the White king is on the endgame
    // table (e1 30); the Black king, facing 3104, is sheltered: e8 table 0
    // and the d-, e- and f-files without pawns, -30 * 3104 / 3100 = -30.
    // White: 3104 + Ra1 15 - Nb1 30 - Bc1 20 + Ke1 30 - Bf1 20 - Ng1 30 + Rh1 15.
    expect_score("4k3/8/8/8/8/8/8/RNBQKBNR", 3064 - (-30));
}

TEST(EvalKingTreatment, QueenAndRookMeanShelter) {
    // Black: Q, R = 1400. White king g1: 40 * 1400 / 3100 = 18.
    // Black: 1700 + Ra8 15 + Ke8 30 = 1745 (Qd8 counts material only).
    expect_score("r2qk3/5ppp/8/8/8/8/5PPP/6K1", 318 - 1745);
    // One step below: R, B, N = 1102 uses the endgame table (g1 10), and
    // Black: 1402 + Ra8 15 - Bc8 20 - Ng8 30 + Ke8 30 = 1397.
    expect_score("r1b1k1n1/5ppp/8/8/8/8/5PPP/6K1", 310 - 1397);
}

} // namespace

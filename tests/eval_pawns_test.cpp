// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Pawn terms: square table, doubled, isolated, backward and passed pawns,
// and pawns standing where play cannot put them (only editing can).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.h"
#include "eval/eval.h"

namespace {

int square_of(const char *name) {
    return (8 - (name[1] - '0')) * 8 + (name[0] - 'a');
}

int eval_placement(const std::string &placement, char side) {
    const std::string fen = placement + " " + side + " - - 0 1";
    const char *error = "";
    EXPECT_EQ(set_fen(fen.c_str(), &error), 1) << fen << ": " << error;
    return evaluate();
}

// The board arrays are written directly, so each helper ends as position
// editing does, with compute_key, which brings the square sets in step.
void clear_board() {
    for (int s = 0; s < 64; s++) {
        square_color[s] = EMPTY;
        square_piece[s] = EMPTY;
    }
    side_to_move = WHITE;
    opponent = BLACK;
    compute_key();
}

void put(int square, int color, int piece) {
    square_color[square] = color;
    square_piece[square] = piece;
    compute_key();
}

// Board flipped top to bottom, colours swapped, the other side to move.
void mirror_board() {
    int color[64], piece[64];
    for (int s = 0; s < 64; s++) {
        color[s ^ 56] = square_color[s] == EMPTY ? EMPTY : square_color[s] ^ 1;
        piece[s ^ 56] = square_piece[s];
    }
    for (int s = 0; s < 64; s++) {
        square_color[s] = color[s];
        square_piece[s] = piece[s];
    }
    side_to_move ^= 1;
    opponent ^= 1;
    compute_key();
}

// Pawn on `name` scores `expected` for White; the mirrored Black pawn too.
void expect_white_pawn(const std::string &placement, const char *name, int expected) {
    SCOPED_TRACE(placement + " " + name);
    eval_placement(placement, 'w');
    EXPECT_EQ(eval_white_pawn(square_of(name)), expected);
    mirror_board();
    evaluate();
    EXPECT_EQ(eval_black_pawn(square_of(name) ^ 56), expected);
}

// Whole-board score from White's view, both sides to move, and mirrored.
void expect_score(const std::string &placement, int white_score) {
    SCOPED_TRACE(placement);
    EXPECT_EQ(eval_placement(placement, 'w'), white_score);
    mirror_board();
    EXPECT_EQ(evaluate(), white_score);
    EXPECT_EQ(eval_placement(placement, 'b'), -white_score);
    mirror_board();
    EXPECT_EQ(evaluate(), -white_score);
}

// Kings on the endgame table: a1/h1 and h8/a8 are worth 0.

TEST(EvalPawns, DoubledPawns) {
    // e4: 8, doubled -10, isolated -20, passed three steps +60 = 38.
    // e2: -40, isolated -20, passed one step +20 = -40.
    expect_white_pawn("7k/8/8/8/4P3/8/4P3/7K", "e4", 38);
    expect_white_pawn("7k/8/8/8/4P3/8/4P3/7K", "e2", -40);
    expect_score("7k/8/8/8/4P3/8/4P3/7K", 200 + 38 - 40);
    // Three on a file: e3 (-10 - 10 - 20 + 40 = 0) is doubled as well.
    expect_white_pawn("7k/8/8/8/4P3/4P3/4P3/7K", "e3", 0);
    expect_score("7k/8/8/8/4P3/4P3/4P3/7K", 300 + 38 + 0 - 40);
}

TEST(EvalPawns, IsolatedPawnsOnTheEdge) {
    // a2 and h2: 0 - 20 + 20 each; the h-file is no neighbour of the a-file.
    expect_white_pawn("7k/8/8/8/8/8/P6P/K7", "a2", 0);
    expect_white_pawn("7k/8/8/8/8/8/P6P/K7", "h2", 0);
    expect_score("7k/8/8/8/8/8/P6P/K7", 200);
    // With b3 the a2 pawn is no longer isolated but backward (the outer
    // neighbour has no pawn, b3 is ahead): 0 - 8 + 20 = 12.
    // b3: 2 + 40 = 42.
    expect_white_pawn("7k/8/8/8/8/1P6/P6P/K7", "a2", 12);
    expect_white_pawn("7k/8/8/8/8/1P6/P6P/K7", "b3", 42);
    expect_score("7k/8/8/8/8/1P6/P6P/K7", 300 + 12 + 42 + 0);
}

TEST(EvalPawns, BackwardPawn) {
    // e3: -10, backward -8, passed two steps +40 = 22. d4: 8 + 60 = 68.
    expect_white_pawn("7k/8/8/8/3P4/4P3/8/K7", "e3", 22);
    expect_white_pawn("7k/8/8/8/3P4/4P3/8/K7", "d4", 68);
    expect_score("7k/8/8/8/3P4/4P3/8/K7", 290);
    // A neighbour on the same row removes it: e3 30, f3 3 + 40 = 43.
    expect_white_pawn("7k/8/8/8/3P4/4PP2/8/K7", "e3", 30);
    expect_white_pawn("7k/8/8/8/3P4/4PP2/8/K7", "f3", 43);
    expect_score("7k/8/8/8/3P4/4PP2/8/K7", 300 + 30 + 68 + 43);
    // So does one behind: e3 30; f2 itself is backward now: 0 - 8 + 20 = 12.
    expect_white_pawn("7k/8/8/8/3P4/4P3/5P2/K7", "e3", 30);
    expect_white_pawn("7k/8/8/8/3P4/4P3/5P2/K7", "f2", 12);
    expect_score("7k/8/8/8/3P4/4P3/5P2/K7", 300 + 30 + 68 + 12);
}

TEST(EvalPawns, IsolatedIsNotAlsoBackward) {
    // e3 alone: -10 - 20 + 40 = 10, not a further -8.
    expect_white_pawn("7k/8/8/8/8/4P3/8/K7", "e3", 10);
}

TEST(EvalPawns, PassedPawn) {
    // e5 against d5: 12 - 20 + 80 = 72. d5: 8 - 20 + 60 = 48.
    expect_white_pawn("7k/8/8/3pP3/8/8/8/K7", "e5", 72);
    expect_score("7k/8/8/3pP3/8/8/8/K7", 172 - 148);
    // Against d6 it is not passed: 12 - 20 = -8. d6: -10 - 20 = -30.
    expect_white_pawn("7k/8/3p4/4P3/8/8/8/K7", "e5", -8);
    expect_score("7k/8/3p4/4P3/8/8/8/K7", 92 - 70);
    // Against e6 or f6 neither.
    expect_white_pawn("7k/8/4p3/4P3/8/8/8/K7", "e5", -8);
    expect_white_pawn("7k/8/5p2/4P3/8/8/8/K7", "e5", -8);
    // A pawn already behind it does not stop it: e5 72, d4 12 - 20 + 80.
    expect_white_pawn("7k/8/8/4P3/3p4/8/8/K7", "e5", 72);
    expect_score("7k/8/8/4P3/3p4/8/8/K7", 0);
    // Pawns two files away do not stop it either.
    expect_white_pawn("7k/8/2p5/4P3/8/8/8/K7", "e5", 72);
}

// A lone passed e-pawn on e2 .. e7 beside the given pieces (White on rank 1,
// Black on rank 8); each score checked against Black's mirrored pawn.
std::vector<int> passed_pawn_scores(const char *pieces) {
    std::vector<int> scores;
    for (const char *name : {"e2", "e3", "e4", "e5", "e6", "e7"}) {
        SCOPED_TRACE(std::string(pieces) + " " + name);
        eval_placement(pieces, 'w');
        const int s = square_of(name);
        put(s, WHITE, PAWN);
        evaluate();
        scores.push_back(eval_white_pawn(s));
        mirror_board();
        evaluate();
        EXPECT_EQ(eval_black_pawn(s ^ 56), scores.back());
    }
    return scores;
}

// A passed pawn gains with every step, and more the fewer pieces its own
// side keeps (1600 or less counts as few); the opponent's pieces play no
// part.
TEST(EvalPawns, PassedPawnGainsByRankAndWithFewOwnPieces) {
    const std::vector<int> few = passed_pawn_scores("7k/8/8/8/8/8/8/QR5K");   // 1400
    const std::vector<int> many = passed_pawn_scores("7k/8/8/8/8/8/8/QRN4K"); // 1701
    for (int k = 1; k < 6; k++) {
        EXPECT_GT(few[k], few[k - 1]) << k;
        EXPECT_GT(many[k], many[k - 1]) << k;
        // The gap between few and many pieces widens as the pawn advances.
        EXPECT_GT(few[k] - many[k], few[k - 1] - many[k - 1]) << k;
    }
    EXPECT_GT(few[0], many[0]);
    EXPECT_EQ(passed_pawn_scores("7k/8/8/8/8/8/8/NNNNN2K"), few);    // 1505
    EXPECT_EQ(passed_pawn_scores("7k/8/8/8/8/8/8/QRR4K"), many);     // 1900
    EXPECT_EQ(passed_pawn_scores("qrrbbnnk/8/8/8/8/8/8/7K"), few);   // none
    EXPECT_EQ(passed_pawn_scores("qrrbbnnk/8/8/8/8/8/8/QR5K"), few); // 1400 v 3104
    EXPECT_EQ(passed_pawn_scores("qr5k/8/8/8/8/8/8/QRN4K"), many);   // 1701 v 1400
}

TEST(EvalPawns, WholeBoardWithPassedPawnAndPieces) {
    // e7 with Q + R (1400): 20 - 20 + 120 = 120; Rb1 open 15; Kh1 on the
    // endgame table 0. Black's king h8 faces 1400, so it is sheltered: table
    // 20, h- and g-files -40 each, f-file -40 halved: -80 * 1400 / 3100 = -36.
    expect_score("7k/4P3/8/8/8/8/8/QR5K", 1500 + 120 + 15 + 36);
    // With a knight on c1 too (1701): e7 gets 60, the knight -10, and the
    // Black king -80 * 1701 / 3100 = -43.
    expect_score("7k/4P3/8/8/8/8/8/QRN4K", 1801 + 60 + 15 - 10 + 43);
}

TEST(EvalPawns, CentrePawnsAtHome) {
    // d2 and e2 at home cost 40 (passed here: +20); c2 costs nothing.
    expect_white_pawn("7k/8/8/8/8/8/2PPP3/K7", "d2", -20);
    expect_white_pawn("7k/8/8/8/8/8/2PPP3/K7", "e2", -20);
    expect_white_pawn("7k/8/8/8/8/8/2PPP3/K7", "c2", 20);
    expect_score("7k/8/8/8/8/8/2PPP3/K7", 300 - 20 - 20 + 20);
}

// A White pawn on row 0 (rank 8) or a Black pawn on row 7 (rank 1): its file
// reads as having no pawn of that colour unless another one stands on it.

TEST(EvalPawnsOnLastRow, WhitePawnOnRankEight) {
    clear_board();
    put(square_of("a1"), WHITE, KING);
    put(square_of("a8"), BLACK, KING);
    put(square_of("d1"), WHITE, ROOK);
    put(square_of("d8"), WHITE, PAWN);
    // Rook d1 sees an open file: 15. Pawn d8: 0 - 20 + 7 steps * 20 = 120.
    EXPECT_EQ(evaluate(), 600 + 15 + 120);
    EXPECT_EQ(rear_pawn_row[WHITE][4], 0);
    EXPECT_EQ(pawn_material[WHITE], 100);
    EXPECT_EQ(eval_white_pawn(square_of("d8")), 120);
    mirror_board();
    EXPECT_EQ(evaluate(), 735);
    EXPECT_EQ(rear_pawn_row[BLACK][4], 7);
    EXPECT_EQ(eval_black_pawn(square_of("d1")), 120);
}

TEST(EvalPawnsOnLastRow, AnotherPawnOnTheFileCounts) {
    clear_board();
    put(square_of("a1"), WHITE, KING);
    put(square_of("a8"), BLACK, KING);
    put(square_of("d1"), WHITE, ROOK);
    put(square_of("d8"), WHITE, PAWN);
    put(square_of("d3"), WHITE, PAWN);
    // d3 is the rearmost pawn: no rook bonus, d8 doubled (110),
    // d3 -10 - 20 + 40 = 10.
    EXPECT_EQ(evaluate(), 700 + 0 + 110 + 10);
    EXPECT_EQ(rear_pawn_row[WHITE][4], 5);
    mirror_board();
    EXPECT_EQ(evaluate(), 820);
    EXPECT_EQ(rear_pawn_row[BLACK][4], 2);
}

// Every file, both colours, both rows that play never reaches, with kings
// in each wing and enough material for the shelter terms: nothing may read
// outside the arrays (the sanitizer build checks), the file summary stays
// in range, and the colour mirror holds.
TEST(EvalPawnsOnLastRow, SweepOfAllFiles) {
    const char *const kings[][2] = {{"g1", "g8"}, {"c1", "b8"}, {"e1", "d8"}, {"a1", "h8"}};
    for (const auto &k : kings) {
        for (int color = WHITE; color <= BLACK; color++) {
            for (int row : {0, 7}) {
                for (int file = 0; file < 8; file++) {
                    const int s = row * 8 + file;
                    if (s == square_of(k[0]) || s == square_of(k[1])) continue;
                    SCOPED_TRACE(std::string(k[0]) + k[1] + " colour " + std::to_string(color) +
                                 " square " + std::to_string(s));
                    clear_board();
                    put(square_of(k[0]), WHITE, KING);
                    put(square_of(k[1]), BLACK, KING);
                    put(square_of("d4"), WHITE, QUEEN);
                    put(square_of("e4"), WHITE, ROOK);
                    put(square_of("d5"), BLACK, QUEEN);
                    put(square_of("e5"), BLACK, ROOK);
                    put(s, color, PAWN);
                    const int score = evaluate();
                    const int rear = rear_pawn_row[color][file + 1];
                    if (color == WHITE)
                        EXPECT_EQ(rear, row == 0 ? 0 : 7);
                    else
                        EXPECT_EQ(rear, row == 7 ? 7 : 0);
                    for (int i = 0; i < 10; i++) {
                        EXPECT_GE(rear_pawn_row[WHITE][i], 0);
                        EXPECT_LE(rear_pawn_row[WHITE][i], 7);
                        EXPECT_GE(rear_pawn_row[BLACK][i], 0);
                        EXPECT_LE(rear_pawn_row[BLACK][i], 7);
                    }
                    for (int i = 1; i <= 8; i++) {
                        white_file_shelter(i);
                        black_file_shelter(i);
                    }
                    mirror_board();
                    EXPECT_EQ(evaluate(), score);
                    mirror_board();
                    EXPECT_EQ(evaluate(), score);
                }
            }
        }
    }
}

} // namespace

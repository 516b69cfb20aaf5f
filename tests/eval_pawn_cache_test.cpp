// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// evaluate, with its pawn cache and its walk over the square sets, against
// the evaluation done the plain way: two passes over the 64 squares calling
// the per-pawn and per-king terms, at every node of small move trees.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "board/board.h"
#include "eval/eval.h"

namespace {

int reference_evaluate() {
    piece_material[WHITE] = piece_material[BLACK] = 0;
    pawn_material[WHITE] = pawn_material[BLACK] = 0;
    for (int i = 0; i < 10; i++) {
        rear_pawn_row[WHITE][i] = 0;
        rear_pawn_row[BLACK][i] = 7;
    }
    for (int s = 0; s < 64; s++) {
        const int c = square_color[s], p = square_piece[s];
        if (p == EMPTY) continue;
        if (p != PAWN) {
            piece_material[c] += piece_value[p];
            continue;
        }
        pawn_material[c] += piece_value[PAWN];
        int8_t &rear = rear_pawn_row[c][(s & 7) + 1];
        if (c == WHITE ? (s >> 3) > rear : (s >> 3) < rear) rear = (int8_t)(s >> 3);
    }
    const int white = pawn_material[WHITE] + piece_material[WHITE];
    const int black = pawn_material[BLACK] + piece_material[BLACK];
    material_total = white + black;
    material_difference = white - black;
    if (insufficient_material()) return 0;
    int score[2] = {white, black};
    for (int s = 0; s < 64; s++) {
        const int c = square_color[s], p = square_piece[s];
        const int own = c == WHITE ? s : flip[s];
        if (p == PAWN) score[c] += c == WHITE ? eval_white_pawn(s) : eval_black_pawn(s);
        if (p == KNIGHT) score[c] += knight_table[own];
        if (p == BISHOP) {
            score[c] += bishop_table[own];
            const int trap = c == WHITE ? (s == 8    ? 17
                                           : s == 15 ? 22
                                                     : -1)
                                        : (s == 48   ? 41
                                           : s == 55 ? 46
                                                     : -1);
            const int other = c == WHITE ? (s == 8 ? 10 : 13) : (s == 48 ? 50 : 53);
            if (trap >= 0 && stands(trap, c ^ 1, PAWN) && stands(other, c ^ 1, PAWN))
                score[c] -= 150;
        }
        if (p == ROOK) {
            const int i = (s & 7) + 1;
            const bool own_pawn = rear_pawn_row[c][i] != (c == WHITE ? 0 : 7);
            const bool enemy_pawn = rear_pawn_row[c ^ 1][i] != (c == WHITE ? 7 : 0);
            if (!own_pawn) score[c] += enemy_pawn ? 10 : 15;
            if ((s >> 3) == (c == WHITE ? 1 : 6)) score[c] += 20;
        }
        if (p == KING) {
            if (piece_material[c ^ 1] > KING_SHELTER_THRESHOLD)
                score[c] += c == WHITE ? eval_white_king(s) : eval_black_king(s);
            else
                score[c] += king_endgame_table[own];
        }
    }
    const int total =
        side_to_move == WHITE ? score[WHITE] - score[BLACK] : score[BLACK] - score[WHITE];
    return total > STATIC_SCORE_LIMIT    ? STATIC_SCORE_LIMIT
           : total < -STATIC_SCORE_LIMIT ? -STATIC_SCORE_LIMIT
                                         : total;
}

int nodes_checked = 0;

void check_node() {
    nodes_checked++;
    const int score = evaluate();
    const int total = material_total, difference = material_difference;
    int8_t rows[2][10];
    memcpy(rows, rear_pawn_row, sizeof rows);
    const int expected = reference_evaluate();
    ASSERT_EQ(score, expected) << nodes_checked;
    ASSERT_EQ(total, material_total);
    ASSERT_EQ(difference, material_difference);
    ASSERT_EQ(memcmp(rows, rear_pawn_row, sizeof rows), 0);
}

void walk(int depth) {
    check_node();
    if (depth == 0 || ::testing::Test::HasFatalFailure()) return;
    generate_moves();
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++) {
        if (!make_move(move_stack[i].move)) continue;
        walk(depth - 1);
        unmake_move();
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(EvalPawnCache, AgreesWithThePlainEvaluation) {
    // Pawn captures, promotions, passed pawns, trapped bishops, kings on
    // every wing, thresholds crossed by captures, insufficient material.
    const char *const fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rn1q1rk1/B1p2ppp/1p6/8/8/1P3P2/P1PP2PP/R2QK2R b KQ - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "2q3k1/5ppp/8/3Pp3/8/8/5PPP/2R3K1 w - e6 0 1",
        "r5k1/3P1ppp/8/8/1p6/8/5PPP/QRN3K1 w - - 0 1",
        "4k3/8/8/8/8/8/8/2B1KN2 w - - 0 1",
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        const char *error = "";
        ASSERT_EQ(set_fen(fen, &error), 1) << error;
        walk(3);
        if (HasFatalFailure()) return;
    }
}

// Pawns anywhere, the rows play never reaches and the edge files included,
// sparse and crowded, with kings anywhere and pieces either side of the
// thresholds: the cache's terms for all pawns at once against the per-pawn
// functions.
TEST(EvalPawnCache, AgreesOnRandomPawnSets) {
    std::mt19937_64 random(20261208);
    for (int board = 0; board < 20000; board++) {
        for (int s = 0; s < 64; s++) square_color[s] = square_piece[s] = EMPTY;
        const int one_in = 2 + board % 5;
        for (int s = 0; s < 64; s++) {
            if (random() % one_in) continue;
            square_color[s] = (int)(random() & 1);
            square_piece[s] = PAWN;
        }
        for (int c = WHITE; c <= BLACK; c++) {
            for (int piece : {KING, QUEEN, ROOK, ROOK, KNIGHT}) {
                if (piece != KING && random() % 2) continue;
                const int s = (int)(random() % 64);
                square_color[s] = c;
                square_piece[s] = piece;
            }
        }
        side_to_move = board & 1;
        opponent = side_to_move ^ 1;
        compute_key();
        check_node();
        if (HasFatalFailure()) return;
    }
}

// Each search thread has a cache of its own: the same pawns find another
// thread's entry in another place.
TEST(EvalPawnCache, EachThreadHasItsOwn) {
    if (!PER_THREAD_STATE) GTEST_SKIP() << "this build searches on one thread";
    new_game();
    const PawnEntry *mine = &pawn_entry();
    const PawnEntry *theirs = nullptr;
    std::thread other([&theirs] {
        new_game();
        theirs = &pawn_entry();
    });
    other.join();
    EXPECT_NE(mine, theirs);
    EXPECT_EQ(mine, &pawn_entry());
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The position check: it holds along whole move trees, it names each kind of
// damage, and in debug builds make_move and unmake_move stop on it.
#include "board/board.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool load(const char *fen) {
    const char *error = nullptr;
    return set_fen(fen, &error) == 1;
}

std::string fault() {
    const char *f = board_fault();
    return f ? f : "";
}

// Every node of the tree, after every make and every unmake, in every build;
// and key_after foretells the key of every move made.
void walk(int depth) {
    ASSERT_EQ(fault(), "");
    if (depth == 0) return;
    generate_moves();
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++) {
        const PositionKey foretold = key_after(move_stack[i].move);
        if (!make_move(move_stack[i].move)) {
            ASSERT_EQ(fault(), "") << move_text(move_stack[i].move) << " refused";
            continue;
        }
        ASSERT_TRUE(foretold == position_key) << move_text(move_stack[i].move);
        walk(depth - 1);
        unmake_move();
        ASSERT_EQ(fault(), "") << move_text(move_stack[i].move) << " taken back";
    }
}

// Weights with a value of their own for each colour, piece and square, so
// that a sum kept wrong by any move shows.
PieceWeights distinct_weights() {
    PieceWeights weights = {};
    for (int c = WHITE; c <= BLACK; c++)
        for (int p = PAWN; p <= KING; p++)
            for (int s = 0; s < 64; s++)
                weights.value[c][p][s] = piece_weight(100 * p + 7 * c + 1, 3 * s - 13 * p - 90);
    return weights;
}
const PieceWeights test_weights = distinct_weights();

TEST(BoardInvariants, HoldThroughMoveTrees) {
    const PieceWeights *installed = piece_weights;
    install_piece_weights(&test_weights);
    // Castling both ways, en passant, promotions with and without capture.
    const char *const fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
        // Pawns on their own back rows push twice past rows 1 and 6.
        "pppppppp/8/8/4k3/4K3/8/8/PPPPPPPP b - - 0 1",
        // Chess960 castling, the king on its destination file already.
        "1r4kr/8/8/8/8/8/8/1R4KR w HBhb - 0 1",
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        walk(3);
        if (HasFatalFailure()) break;
    }
    install_piece_weights(installed);
}

TEST(BoardInvariants, EachDamageIsNamed) {
    const char *const start = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    ASSERT_TRUE(load(start));
    square_piece[20] = KNIGHT;
    EXPECT_EQ(fault(), "a square is empty in one array only");
    // Written into both arrays but not into the sets, or the key.
    square_color[20] = WHITE;
    EXPECT_EQ(fault(), "a colour's square set differs from the board");
    // The sets rebuilt, the key not.
    rebuild_square_sets();
    EXPECT_EQ(fault(), "the key differs from the full key");
    compute_key();
    EXPECT_EQ(fault(), "");
    // A knight turned bishop in place keeps its colour's set.
    square_piece[20] = BISHOP;
    EXPECT_EQ(fault(), "a piece's square set differs from the board");

    // The same on Black's side: each colour's sets are compared.
    ASSERT_TRUE(load(start));
    square_color[20] = BLACK;
    square_piece[20] = KNIGHT;
    EXPECT_EQ(fault(), "a colour's square set differs from the board");
    rebuild_square_sets();
    compute_key();
    EXPECT_EQ(fault(), "");
    square_piece[20] = BISHOP;
    EXPECT_EQ(fault(), "a piece's square set differs from the board");

    ASSERT_TRUE(load(start));
    square_color[63] = square_piece[63] = EMPTY;
    compute_key();
    EXPECT_EQ(fault(), "a castling right without its king and rook at home");

    // A weighted sum a move has left wrong.
    const PieceWeights *installed = piece_weights;
    install_piece_weights(&test_weights);
    ASSERT_TRUE(load(start));
    EXPECT_EQ(fault(), "");
    weight_sum[BLACK] += 1;
    EXPECT_EQ(fault(), "a colour's weighted sum differs from the board");
    install_piece_weights(installed);

    ASSERT_TRUE(load(start));
    ep_square = 44; // e3: a square White has passed, yet White is to move
    EXPECT_EQ(fault(), "an en-passant square off its row");
    ASSERT_TRUE(load("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"));
    EXPECT_EQ(fault(), "");
    ep_square = 20; // e6: on the row, but no pawn passed it
    EXPECT_EQ(fault(), "an en-passant square without the pawn that passed it");
}

#ifndef NDEBUG
TEST(BoardInvariantsDeathTest, MakeAndUnmakeStopOnDamage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_TRUE(load("4k3/8/8/8/8/8/8/R3K3 w - - 0 1"));
    const Move move = move_stack[0].move;
    position_key.low ^= 1;
    // The check runs in the helper make_move hands the move to.
    EXPECT_DEATH(make_move(move), "after make_[a-z_]*move: the key differs from the full key");
    compute_key();
    ASSERT_EQ(make_move(move), 1);
    undo_stack[game_ply - 1].key.low ^= 1;
    EXPECT_DEATH(unmake_move(), "after unmake_move: the key differs from the full key");
}
#endif

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// move_is_legal gives make_move's verdict on every generated move, without
// changing the position; so does make_move_out_of_check where it applies,
// and playable_move_count counts them.
#include "board/board.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int moves_compared = 0;

// Also playable_move_count against the moves make_move plays, at every node.
void compare_tree(int depth) {
    const int counted = playable_move_count();
    generate_moves();
    int played = 0;
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++) {
        const Move move = move_stack[i].move;
        const PositionKey key = position_key;
        int color[64];
        memcpy(color, square_color, sizeof color);
        const int legal = move_is_legal(move);
        ASSERT_TRUE(key == position_key && memcmp(color, square_color, sizeof color) == 0);
        moves_compared++;
        // Its shortcut for a side not in check decides as make_move does.
        if (!in_check(side_to_move)) {
            const int shortcut = make_move_out_of_check(move);
            if (shortcut) unmake_move();
            ASSERT_EQ(shortcut, legal) << move_text(move) << " at ply " << ply;
        }
        const int made = make_move(move);
        ASSERT_EQ(legal, made) << move_text(move) << " at ply " << ply;
        if (!made) continue;
        played++;
        if (depth > 1) compare_tree(depth - 1);
        unmake_move();
        if (::testing::Test::HasFatalFailure()) return;
    }
    ASSERT_EQ(counted, played) << "at ply " << ply;
}

TEST(BoardLegality, AgreesWithMakeMove) {
    const char *const fens[] = {
        // Castling through and out of check, pins, promotions.
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        // En passant that would expose the king along the rank.
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",
        // Kings next to each other, checks by every piece.
        "8/8/8/3k4/8/3K4/8/8 w - - 0 1",
        "4k3/8/8/1b6/8/2n5/3P4/R3K2R w KQ - 0 1",
        // A side without a king can make no move.
        "8/8/8/8/8/8/8/R6k w - - 0 1",
        // Pins on every line, a pinned pawn that takes its pinner or
        // pushes along the pin, double check, checks a pawn answers en
        // passant, promotions that answer a check.
        "4k3/8/1q5b/2P1P1P1/r1PKR1Pr/3P4/1b1Q1r2/4r3 w - - 0 1",
        "8/8/8/1k6/2Pp4/8/8/4K2Q b - c3 0 1",
        "3rk3/4P3/8/8/8/8/1p6/R3K2R b KQ - 0 1",
        "1r2k2r/P5P1/8/8/8/8/8/R3K2R w KQk - 0 1",
        "4r1k1/8/8/8/2B5/3n4/8/R2QK2R w KQ - 0 1",
        // Two White kings, pawns on their own back rows.
        "4kr2/8/8/8/8/8/8/P1K1K2p w - - 0 1",
        "pppp4/4k3/8/8/8/8/3K4/4PPPP b - - 0 1",
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        const char *error = "";
        ASSERT_EQ(set_fen(fen, &error), 1) << error;
        compare_tree(3);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(moves_compared, 10000);
}

TEST(BoardLegality, FullUndoStackRefusesEveryMove) {
    new_game();
    generate_moves();
    game_ply = UNDO_STACK_SIZE;
    for (int i = 0; i < ply_move_start[1]; i++) EXPECT_EQ(move_is_legal(move_stack[i].move), 0);
    game_ply = 0;
}

// An edited board may hold two kings of one colour: the one on the lowest
// square is the king whose check counts. White kings on b8 and g1, a Black
// rook attacking one of them.
TEST(BoardLegality, InCheckLooksAtTheKingOnTheLowestSquare) {
    const int b8 = 1, g1 = 62, h5 = 31, b2 = 49, g5 = 30;
    for (int rook : {b2, g5}) {
        for (int s = 0; s < 64; s++) {
            square_color[s] = EMPTY;
            square_piece[s] = EMPTY;
        }
        for (int s : {b8, g1}) {
            square_color[s] = WHITE;
            square_piece[s] = KING;
        }
        square_color[h5] = BLACK;
        square_piece[h5] = KING;
        square_color[rook] = BLACK;
        square_piece[rook] = ROOK;
        side_to_move = WHITE;
        opponent = BLACK;
        castle_rights = 0;
        ep_square = -1;
        compute_key();
        EXPECT_EQ(in_check(WHITE), rook == b2 ? 1 : 0) << "rook on " << rook;
    }
    new_game();
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Set-up positions that cannot arise in a game are refused, each for its
// reason; positions that can are let through.
#include "board/board.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string verdict(const char *fen) {
    const char *error = nullptr;
    if (!set_fen(fen, &error)) return std::string("does not read: ") + error;
    const char *why = unplayable_position();
    return why ? why : "";
}

TEST(BoardPlayable, RefusesWhatPlayCannotReach) {
    const char *const no_king = "a side has no king, or more than one";
    const char *const crowded = "a side has more than 16 pieces";
    const char *const back_rank = "a pawn stands on the first or last rank";
    const char *const exposed = "the side not to move is in check";
    EXPECT_EQ(verdict("8/8/8/8/8/8/8/4K3 w - - 0 1"), no_king);
    EXPECT_EQ(verdict("4k3/8/8/8/8/8/8/8 b - - 0 1"), no_king);
    EXPECT_EQ(verdict("4k3/8/8/8/8/8/8/3KK3 w - - 0 1"), no_king);
    EXPECT_EQ(verdict("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), "");
    // Seventeen: a ninth pawn beside a full army.
    EXPECT_EQ(verdict("rnbqkbnr/pppppppp/8/8/8/p7/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), crowded);
    // Sixteen without pawns, promoted pieces standing in for them; the side
    // to move may be in check.
    EXPECT_EQ(verdict("qqqqkqqq/qqqqqqqq/8/8/8/8/8/4K3 w - - 0 1"), "");
    EXPECT_EQ(verdict("nnnnknnn/nnnnnnnn/8/8/8/8/8/K7 w - - 0 1"), "");
    EXPECT_EQ(verdict("4k3/8/8/8/8/8/8/P3K3 w - - 0 1"), back_rank);
    EXPECT_EQ(verdict("4k2P/8/8/8/8/8/8/4K3 w - - 0 1"), back_rank);
    EXPECT_EQ(verdict("p3k3/8/8/8/8/8/8/4K3 b - - 0 1"), back_rank);
    EXPECT_EQ(verdict("4k3/8/8/8/8/8/8/4K2p b - - 0 1"), back_rank);
    // White to move with the black king attacked: it would be taken.
    EXPECT_EQ(verdict("4k3/8/8/8/8/8/8/4RK2 w - - 0 1"), exposed);
    EXPECT_EQ(verdict("4k3/8/8/8/8/8/8/4RK2 b - - 0 1"), "");
    EXPECT_EQ(verdict("4k3/8/8/8/8/5n2/8/4K3 b - - 0 1"), exposed);
    EXPECT_EQ(verdict("4k3/8/8/8/8/5n2/8/4K3 w - - 0 1"), "");
    // A middlegame with both sides short of pieces.
    EXPECT_EQ(verdict("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 4 9"), "");
}

TEST(BoardPlayable, ARefusedPositionKeepsTheGame) {
    const char *error = "";
    new_game();
    ply = 0;
    generate_moves();
    ASSERT_EQ(make_move(move_stack[parse_move_text("e2e4")].move), 1);
    ply = 0;
    generate_moves();
    const PositionKey key = position_key;
    EXPECT_EQ(set_playable_fen("4k3/8/8/8/8/8/8/4RK2 w - - 0 1", &error), 0);
    EXPECT_STREQ(error, "the side not to move is in check");
    EXPECT_TRUE(position_key == key);
    EXPECT_EQ(board_fault(), nullptr);
    EXPECT_GE(parse_move_text("e7e5"), 0);
    // The game's history is still there to take back.
    ASSERT_EQ(game_ply, 1);
    unmake_move();
    EXPECT_TRUE(position_key == full_key());
    EXPECT_EQ(square_piece[52], PAWN);
    EXPECT_EQ(set_playable_fen("4k3/8/8/8/8/8/8/4RK2 b - - 0 1", &error), 1);
}

} // namespace

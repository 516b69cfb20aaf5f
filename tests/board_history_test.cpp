// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// A game longer than the undo stack, which forgets its oldest records
// twice: it goes on, counts every half-move, keeps its last records in
// order, and takes them back to the positions they came from.
#include "board/history.h"

#include <gtest/gtest.h>

namespace {

constexpr int GAME_PLIES = 1000;
// keys[k]: the key of the position the k-th move of the game was made in.
PositionKey keys[GAME_PLIES + 1];

// A legal move picked by a fixed random sequence, among the piece moves
// that neither capture nor check while there are any: with no check there
// is no mate, and with the material all there no stalemate.
Move next_move(uint32_t *seed) {
    Move quiet[MOVE_STACK_SIZE], any[MOVE_STACK_SIZE];
    int quiet_count = 0, any_count = 0;
    generate_moves();
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++) {
        const Move move = move_stack[i].move;
        if (!make_move(move)) continue;
        const int checks = in_check(side_to_move);
        unmake_move();
        any[any_count++] = move;
        if (!checks && !(move_flags(move) & (MF_CAPTURE | MF_PAWN_MOVE)))
            quiet[quiet_count++] = move;
    }
    *seed = *seed * 1103515245u + 12345u;
    if (quiet_count) return quiet[(*seed >> 16) % quiet_count];
    return any_count ? any[(*seed >> 16) % any_count] : 0;
}

TEST(BoardHistory, GameOfAThousandPlies) {
    new_game();
    uint32_t seed = 1;
    for (int k = 0; k < GAME_PLIES; k++) {
        make_room_for_move();
        ASSERT_EQ(game_ply + forgotten_plies, k);
        keys[k] = position_key;
        const Move move = next_move(&seed);
        ASSERT_NE(move, 0u) << "the game ended at ply " << k;
        ASSERT_EQ(make_move(move), 1) << move_text(move) << " at ply " << k;
        ply = 0;
    }
    EXPECT_STREQ(board_fault(), nullptr);
    EXPECT_TRUE(position_key == full_key());
    EXPECT_EQ(game_ply + forgotten_plies, GAME_PLIES);
    EXPECT_GE(game_ply, HISTORY_KEPT);
    EXPECT_LT(game_ply, HISTORY_ROOM);
    for (int k = 0; k < game_ply; k++)
        ASSERT_TRUE(undo_stack[k].key == keys[k + forgotten_plies]) << "record " << k;

    while (game_ply > 0) {
        unmake_move();
        ply = 0;
        ASSERT_TRUE(position_key == keys[game_ply + forgotten_plies]) << "back to " << game_ply;
    }
    EXPECT_STREQ(board_fault(), nullptr);
    EXPECT_TRUE(position_key == full_key());

    new_game();
    EXPECT_EQ(forgotten_plies, 0);
}

} // namespace

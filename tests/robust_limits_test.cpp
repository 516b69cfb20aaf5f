// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Searches at the end of the undo stack: a game of 590 and more half-moves
// leaves only a few undo records, and the search must neither write past
// them nor leave the position changed.
#include <gtest/gtest.h>

#include <cstring>

#include "board/board.h"
#include "book/book.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"

namespace {

void fresh_search(int depth) {
    prepare_fixed_depth_search(depth);
}

// Plays the ply-0 move named by text; 1 when it was played.
int play(const char *text) {
    const int index = parse_move_text(text);
    if (index < 0 || !make_move(move_stack[index].move)) return 0;
    ply = 0;
    generate_moves();
    return 1;
}

// Knights out and back until game_ply reaches target.
void shuffle_to(int target) {
    const char *cycle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    new_game();
    generate_moves();
    while (game_ply < target) ASSERT_EQ(play(cycle[game_ply % 4]), 1) << game_ply;
}

TEST(RobustLimits, SearchesNearTheEndOfTheUndoStack) {
    for (int target = MAX_GAME_PLY - 6; target <= MAX_GAME_PLY; target++) {
        shuffle_to(target);
        // Play on with fresh reversible moves so the fifty-move and
        // repetition draws do not cut every line short.
        fifty_count = 0;
        const PositionKey key = position_key;
        fresh_search(4);
        run_search(0);
        EXPECT_EQ(ply, 0) << target;
        EXPECT_EQ(game_ply, target);
        EXPECT_TRUE(position_key == key) << target;
        const Move best = pv_table[0][0];
        if (best != 0) {
            bool listed = false;
            for (int i = 0; i < ply_move_start[1]; i++)
                listed = listed || move_stack[i].move == best;
            EXPECT_TRUE(listed) << target;
            ASSERT_EQ(make_move(best), 1) << target;
            unmake_move();
        }
    }
}

TEST(RobustLimits, TheLastUndoRecordStaysUnused) {
    shuffle_to(UNDO_STACK_SIZE - 1);
    const PositionKey key = position_key;
    // The record of game_ply 599 exists; one more move fills the stack.
    ASSERT_EQ(play("f6g8"), 1);
    EXPECT_EQ(game_ply, UNDO_STACK_SIZE);
    // A full stack refuses every move and leaves the position untouched.
    const PositionKey full = position_key;
    ASSERT_GT(ply_move_start[1], 0);
    for (int i = 0; i < ply_move_start[1]; i++) EXPECT_EQ(make_move(move_stack[i].move), 0);
    EXPECT_TRUE(position_key == full);
    EXPECT_EQ(game_ply, UNDO_STACK_SIZE);
    unmake_move();
    EXPECT_TRUE(position_key == key);
}

TEST(RobustLimits, TheCommandLoopRefusesThe600thHalfMove) {
    shuffle_to(MAX_GAME_PLY);
    const PositionKey key = position_key;
    engine_side = EMPTY;
    edit_mode = 0;
    testing::internal::CaptureStdout();
    execute_command("g1f3\n");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Error (unknown command): g1f3\n");
    EXPECT_EQ(game_ply, MAX_GAME_PLY);
    EXPECT_TRUE(position_key == key);
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Time control: "level", "time", "st" and "sd" turned into the next
// search's time budget and depth limit. The commands keep hidden state (a
// fixed time per move, whether any real budget was given), so every test
// starts from the start-up time control and a "level" line.
#include <gtest/gtest.h>

#include "board/board.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"

namespace {

class SearchTimeControl : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_game_ply = game_ply;
        reset_time_control();
        level_command("level 40 5 0\n");
    }
    // Leaves the time control as at start-up and the game where it was.
    void TearDown() override {
        reset_time_control();
        game_ply = saved_game_ply;
    }
    int saved_game_ply = 0;

    // Budget of "time" at half-move g, with a sentinel as the previous one.
    int budget_at(int g, const char *time_line, int previous = 4242) {
        game_ply = g;
        time_budget_ms = previous;
        time_command(time_line);
        return time_budget_ms;
    }
};

TEST_F(SearchTimeControl, LevelReadsItsThreeNumbers) {
    level_command("level 40 5 0\n");
    EXPECT_EQ(level_moves, 40);
    EXPECT_EQ(level_base, 5);
    EXPECT_EQ(level_base_seconds, 0);
    EXPECT_EQ(level_increment, 0);
    level_command("level 0 2 12\n");
    EXPECT_EQ(level_moves, 0);
    EXPECT_EQ(level_base, 2);
    EXPECT_EQ(level_increment, 12);
}

TEST_F(SearchTimeControl, MovesPerControlBudgetTable) {
    level_command("level 40 5 0\n");
    const char *time = "time 30000\n";
    for (int g : {0, 1, 2}) EXPECT_EQ(budget_at(g, time), 7500) << "g " << g;
    EXPECT_EQ(clock_ms, 300000);
    EXPECT_EQ(budget_at(20, time), 9677);
    EXPECT_EQ(budget_at(78, time), 150000);
    // m is N - 1 or N: the previous budget stays.
    for (int g : {79, 80, 81, 82}) {
        EXPECT_EQ(budget_at(g, time, 4242), 4242) << "g " << g;
        EXPECT_EQ(budget_at(g, time, 150000), 150000) << "g " << g;
        EXPECT_EQ(depth_limit, 30);
    }
    EXPECT_EQ(budget_at(83, time), 7500);
    EXPECT_EQ(budget_at(100, time), 9375);
    for (int g : {159, 160, 239, 240}) EXPECT_EQ(budget_at(g, time), 7500) << "g " << g;
    // Between the controls the divisor counts down again.
    EXPECT_EQ(budget_at(161, time), 7317);  // m = 80: 300000 / 41
    EXPECT_EQ(budget_at(200, time), 13636); // m = 99: 300000 / 22
}

TEST_F(SearchTimeControl, IncrementalBudgetComesFromTheLevelBefore120) {
    level_command("level 0 5 3\n");
    EXPECT_EQ(budget_at(0, "time 30000\n"), 6985);
    EXPECT_EQ(budget_at(119, "time 6000\n"), 6985);
    level_command("level 0 2 12\n");
    EXPECT_EQ(budget_at(10, "time 3000\n"), 12514);
}

// The level's share would overrun a short clock: half the clock at most.
TEST_F(SearchTimeControl, BudgetNeverExceedsHalfTheClock) {
    level_command("level 0 5 3\n");
    EXPECT_EQ(budget_at(50, "time 100\n"), 500);
    level_command("level 0 2 12\n");
    EXPECT_EQ(budget_at(10, "time 1\n"), 5);
    EXPECT_EQ(clock_ms, 10);
    EXPECT_EQ(budget_at(10, "time 0\n"), 0);
    // A budget kept from the previous "time" (m is N - 1 or N) is cut too.
    level_command("level 40 5 0\n");
    EXPECT_EQ(budget_at(79, "time 20\n", 7500), 100);
    // One move per control would hand over the whole clock.
    level_command("level 1 5 0\n");
    EXPECT_EQ(budget_at(4, "time 30000\n"), 150000);
}

TEST_F(SearchTimeControl, IncrementalBudgetIsAFortiethOfTheClockFrom120) {
    level_command("level 0 2 12\n");
    EXPECT_EQ(budget_at(120, "time 6000\n"), 1500);
    EXPECT_EQ(budget_at(300, "time 6000\n"), 1500);
    EXPECT_EQ(budget_at(119, "time 6000\n"), 12514);
}

TEST_F(SearchTimeControl, BaseInMinutesAndSeconds) {
    level_command("level 0 2 12\n");
    level_command("level 0 0:30 0\n");
    EXPECT_EQ(level_base, 0);
    EXPECT_EQ(level_base_seconds, 30);
    EXPECT_EQ(level_increment, 0);
    EXPECT_EQ(budget_at(0, "time 3000\n"), 428);
    level_command("level 0 2:30 12\n");
    EXPECT_EQ(budget_at(0, "time 3000\n"), 150000 / 70 + 12 * 900);
    // A later base in whole minutes forgets the seconds.
    level_command("level 0 2 12\n");
    EXPECT_EQ(level_base_seconds, 0);
    EXPECT_EQ(budget_at(0, "time 3000\n"), 12514);
}

TEST_F(SearchTimeControl, FractionalIncrementIsDropped) {
    level_command("level 0 5 3.9\n");
    EXPECT_EQ(level_increment, 3);
    EXPECT_EQ(budget_at(0, "time 3000\n"), 6985);
}

TEST_F(SearchTimeControl, LevelStopsAtTheFirstUnreadableNumber) {
    level_command("level 0 2 12\n");
    level_command("level 0 5\n");
    EXPECT_EQ(level_base, 5);
    EXPECT_EQ(level_increment, 12);
    level_command("level 30 x 1\n");
    EXPECT_EQ(level_moves, 30);
    EXPECT_EQ(level_base, 5);
    EXPECT_EQ(level_increment, 12);
    level_command("level y 1 1\n");
    EXPECT_EQ(level_moves, 30);
    EXPECT_EQ(level_base, 5);
}

// Any word beginning with "level" is the command; its numbers follow the
// word, however long it is.
TEST_F(SearchTimeControl, LevelReadsAfterItsWord) {
    level_command("level 0 2 12\n");
    level_command("levelx 40 5 0\n");
    EXPECT_EQ(level_moves, 40);
    EXPECT_EQ(level_base, 5);
    EXPECT_EQ(level_increment, 0);
    level_command("levelxy 30 4 2\n");
    EXPECT_EQ(level_moves, 30);
    EXPECT_EQ(level_base, 4);
    EXPECT_EQ(level_increment, 2);
    level_command("  level\t20 3:15 1\n");
    EXPECT_EQ(level_moves, 20);
    EXPECT_EQ(level_base, 3);
    EXPECT_EQ(level_base_seconds, 15);
    EXPECT_EQ(level_increment, 1);
    level_command("level 0 2 12\n");
    // Too short to hold a number: nothing is read.
    level_command("level\n");
    level_command("level");
    EXPECT_EQ(level_moves, 0);
    EXPECT_EQ(level_base, 2);
    EXPECT_EQ(level_increment, 12);
}

TEST_F(SearchTimeControl, NegativeMovesCountAsZero) {
    level_command("level -5 2 12\n");
    EXPECT_EQ(level_moves, 0);
    EXPECT_EQ(budget_at(200, "time 6000\n"), 1500);
    EXPECT_EQ(budget_at(10, "time 6000\n"), 12514);
}

TEST_F(SearchTimeControl, HugeNumberOfMovesGivesAZeroBudget) {
    // 4N and 6N must not overflow: 300000 ms over a billion moves is 0.
    level_command("level 1000000000 5 0\n");
    EXPECT_EQ(level_moves, 1000000000);
    EXPECT_EQ(budget_at(0, "time 30000\n"), 0);
    level_command("level 400000000 5 0\n");
    EXPECT_EQ(budget_at(10, "time 30000\n"), 0);
}

TEST_F(SearchTimeControl, TimeSetsTheClockAndDepthThirty) {
    depth_limit = 7;
    game_ply = 0;
    time_command("time 12345\n");
    EXPECT_EQ(clock_ms, 123450);
    EXPECT_EQ(depth_limit, 30);
    EXPECT_EQ(time_budget_ms, 123450 / 40);
}

TEST_F(SearchTimeControl, TimeWithoutANumberIsIgnored) {
    game_ply = 0;
    time_command("time 30000\n");
    sd_command("sd 6\n");
    ASSERT_EQ(depth_limit, 6);
    time_budget_ms = 4242;
    time_command("time\n");
    time_command("time x\n");
    EXPECT_EQ(clock_ms, 300000);
    EXPECT_EQ(time_budget_ms, 4242);
    EXPECT_EQ(depth_limit, 6);
}

TEST_F(SearchTimeControl, SdThenTimeGivesDepthThirtyAgain) {
    game_ply = 0;
    sd_command("sd 6\n");
    EXPECT_EQ(depth_limit, 6);
    time_command("time 9000\n");
    EXPECT_EQ(depth_limit, 30);
    EXPECT_EQ(time_budget_ms, 90000 / 40);
}

TEST_F(SearchTimeControl, SdKeepsARealBudget) {
    game_ply = 0;
    time_command("time 30000\n");
    ASSERT_EQ(time_budget_ms, 7500);
    sd_command("sd 4\n");
    EXPECT_EQ(depth_limit, 4);
    EXPECT_EQ(time_budget_ms, 7500);
    sd_command("sd\n");
    sd_command("sd z\n");
    EXPECT_EQ(depth_limit, 4);
    EXPECT_EQ(time_budget_ms, 7500);
}

TEST_F(SearchTimeControl, StGivesAFixedTimeLessAMargin) {
    st_command("st 10\n");
    EXPECT_EQ(time_budget_ms, 10000 - 50 - 200);
    EXPECT_EQ(depth_limit, 30);
    st_command("st 1\n");
    EXPECT_EQ(time_budget_ms, 1000 - 50 - 20);
    st_command("st 100\n");
    EXPECT_EQ(time_budget_ms, 100000 - 50 - 2000);
    st_command("st 0\n");
    EXPECT_EQ(time_budget_ms, 0);
    st_command("st -3\n");
    EXPECT_EQ(time_budget_ms, 0);
}

TEST_F(SearchTimeControl, StWithoutANumberIsIgnored) {
    st_command("st 10\n");
    depth_limit = 5;
    st_command("st\n");
    st_command("st ?\n");
    EXPECT_EQ(time_budget_ms, 9750);
    EXPECT_EQ(depth_limit, 5);
}

TEST_F(SearchTimeControl, StHoldsItsBudgetAgainstTimeUntilALevel) {
    st_command("st 10\n");
    depth_limit = 5;
    for (int g : {0, 20, 79, 160}) {
        EXPECT_EQ(budget_at(g, "time 500\n", 9750), 9750) << "g " << g;
        EXPECT_EQ(clock_ms, 5000);
        EXPECT_EQ(depth_limit, 30);
    }
    sd_command("sd 3\n");
    EXPECT_EQ(time_budget_ms, 9750);
    EXPECT_EQ(depth_limit, 3);
    level_command("level 40 5 0\n");
    EXPECT_EQ(budget_at(0, "time 30000\n"), 7500);
}

} // namespace

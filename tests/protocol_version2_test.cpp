// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Version-2 time control: fractional seconds in "st" and in the increment
// of "level", kept to the millisecond, where version 1 reads whole numbers.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "board/history.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"

namespace {

class Version2Time : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_version = protocol_version;
        saved_game_ply = game_ply;
        saved_forgotten = forgotten_plies;
        reset_time_control();
        protocol_version = 2;
    }
    void TearDown() override {
        reset_time_control();
        protocol_version = saved_version;
        game_ply = saved_game_ply;
        forgotten_plies = saved_forgotten;
    }
    int saved_version = 0;
    int saved_game_ply = 0;
    int saved_forgotten = 0;
    // The budget "time" gives at half-move 10 after the level line.
    int budget_after(const char *level_line, int version) {
        protocol_version = version;
        level_command(level_line);
        game_ply = 10;
        time_command("time 1000\n");
        return time_budget_ms;
    }
    int st_budget(const char *line, int version) {
        protocol_version = version;
        st_command(line);
        return time_budget_ms;
    }
};

TEST_F(Version2Time, SecondsReadToTheMillisecond) {
    const struct {
        const char *text;
        int ms;
        const char *rest;
    } cases[] = {{"0.5", 500, ""},         {"0.05", 50, ""},    {" 2", 2000, ""},
                 {"1.2345 x", 1234, " x"}, {"-0.25", -250, ""}, {"+3.", 3000, ""},
                 {"7:30", 7000, ":30"}};
    for (const auto &c : cases) {
        int ms = 0;
        const char *rest = read_seconds_ms(c.text, &ms);
        ASSERT_NE(rest, nullptr) << c.text;
        EXPECT_EQ(ms, c.ms) << c.text;
        EXPECT_STREQ(rest, c.rest) << c.text;
    }
    int ms = 42;
    EXPECT_EQ(read_seconds_ms(".5", &ms), nullptr);
    EXPECT_EQ(read_seconds_ms("", &ms), nullptr);
    EXPECT_EQ(ms, 42);
}

// "level 0 0:05 0.05" is five seconds and 50 ms a move: the budget rule gets
// that increment. Version 1 reads the increment as 0 and drops the rest.
// At half-move 10 of a game with a base the rule gives base / 70 + 0.9 x
// increment.
TEST_F(Version2Time, FractionalIncrementReachesTheBudgetRule) {
    EXPECT_EQ(budget_after("level 0 0:05 0.05\n", 2), 5000 / 70 + 45);
    EXPECT_EQ(level_increment, 0);
    EXPECT_EQ(level_increment_fraction_ms, 50);
    EXPECT_EQ(budget_after("level 0 0:05 0.05\n", 1), 5000 / 70);
    // Whole and fractional seconds add up; a later whole increment in
    // version 1 forgets the fraction.
    EXPECT_EQ(budget_after("level 0 0:05 2.5\n", 2), 5000 / 70 + 2250);
    budget_after("level 0 0:05 2\n", 1);
    EXPECT_EQ(level_increment_fraction_ms, 0);
}

// "st N" keeps 50 ms and N/50 in hand: 0.5 s leaves 440 ms, where version 1
// reads "st 0.5" as "st 0".
TEST_F(Version2Time, FractionalSecondsPerMove) {
    EXPECT_EQ(st_budget("st 0.5\n", 2), 440);
    EXPECT_EQ(st_budget("st 1\n", 2), 930);
    EXPECT_EQ(st_budget("st 1.0\n", 2), 930);
    EXPECT_EQ(st_budget("st 1\n", 1), 930);
    EXPECT_EQ(st_budget("st 0.5\n", 1), 0);
    EXPECT_EQ(st_budget("st 0\n", 2), 0);
    EXPECT_EQ(depth_limit, TIMED_DEPTH_LIMIT);
}

// A long game has forgotten its oldest half-moves; the time control still
// counts them. 40 moves in 5 minutes, 300 s left, half-move 700: move 349
// is the 30th of its control, so the clock is shared over the 11 moves
// left and the one in reserve.
TEST_F(Version2Time, ForgottenPliesCountForTheClock) {
    level_command("level 40 5 0\n");
    forgotten_plies = 600;
    game_ply = 100;
    time_command("time 30000\n");
    EXPECT_EQ(time_budget_ms, 300000 / 12);
}

} // namespace

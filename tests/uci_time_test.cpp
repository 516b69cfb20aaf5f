// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// "go" as the search's limits: the words read, and the time budget taken
// from the side to move's clock.
#include <gtest/gtest.h>

#include "board/board.h"
#include "protocol/uci/uci.h"

namespace {

UciGoRequest go(const char *arguments) {
    return uci_parse_go(arguments);
}

TEST(UciGo, ReadsItsWordsAndSkipsTheRest) {
    const UciGoRequest a =
        go("searchmoves e2e4 wtime 1000 btime x binc -20 depth 7 nodes 5 ponder");
    EXPECT_EQ(a.wtime, 1000);
    EXPECT_EQ(a.btime, UCI_NOT_GIVEN); // "x" is no number: btime not sent
    EXPECT_EQ(a.binc, -20);
    EXPECT_EQ(a.depth, 7);
    EXPECT_EQ(a.nodes, 5);
    EXPECT_EQ(a.mate, UCI_NOT_GIVEN);
    EXPECT_EQ(a.winc, UCI_NOT_GIVEN);
    EXPECT_EQ(a.movestogo, UCI_NOT_GIVEN);
    EXPECT_EQ(a.movetime, UCI_NOT_GIVEN);
    EXPECT_TRUE(a.ponder);
    EXPECT_FALSE(a.infinite);
    const UciGoRequest b = go("infinite movetime 99999999999999 movestogo");
    EXPECT_TRUE(b.infinite);
    EXPECT_EQ(b.movetime, 1000000000);
    EXPECT_EQ(b.movestogo, UCI_NOT_GIVEN);
}

TEST(UciTime, NoClockNoLimit) {
    EXPECT_EQ(uci_time_budget(go("depth 5"), WHITE, 0), NO_TIME_LIMIT_MS);
    // Only the side to move's clock counts.
    EXPECT_EQ(uci_time_budget(go("btime 1000"), WHITE, 0), NO_TIME_LIMIT_MS);
    EXPECT_LT(uci_time_budget(go("btime 1000"), BLACK, 0), 1000);
}

TEST(UciTime, MovetimeLessTheOverheadWithinHalfTheClock) {
    EXPECT_EQ(uci_time_budget(go("movetime 1000"), WHITE, 0), 1000 - UCI_DEFAULT_MOVE_OVERHEAD_MS);
    EXPECT_EQ(uci_time_budget(go("movetime 10"), WHITE, 0), 0);
    EXPECT_EQ(uci_time_budget(go("movetime 5000 wtime 1050"), WHITE, 0), 500);
    uci_move_overhead_ms = 900;
    EXPECT_EQ(uci_time_budget(go("movetime 1000"), WHITE, 0), 100);
    EXPECT_EQ(uci_time_budget(go("movetime 5000 wtime 1900"), WHITE, 0), 500);
    uci_move_overhead_ms = UCI_DEFAULT_MOVE_OVERHEAD_MS;
}

TEST(UciTime, MovesToGoKeepsOneMoveInReserve) {
    EXPECT_EQ(uci_time_budget(go("wtime 41050 movestogo 40"), WHITE, 77), 1000);
    EXPECT_EQ(uci_time_budget(go("btime 3050 movestogo 1"), BLACK, 77), 1500);
}

// Whatever the clock, increment, moves to go and game length: never below
// zero, never more than half of the clock left after the overhead.
TEST(UciTime, NeverMoreThanHalfTheClock) {
    const int clocks[] = {-100, 0, 30, 50, 51, 200, 10000, 300000, 1000000000};
    const int increments[] = {-5, 0, 100, 5000, 1000000000};
    const int moves_to_go[] = {UCI_NOT_GIVEN, -1, 0, 1, 2, 40, 1000000000};
    const int plies[] = {0, 1, 79, 119, 120, 500};
    for (int clock : clocks)
        for (int increment : increments)
            for (int moves : moves_to_go)
                for (int played : plies) {
                    UciGoRequest request = go("");
                    request.btime = clock;
                    request.binc = increment;
                    request.movestogo = moves;
                    const int budget = uci_time_budget(request, BLACK, played);
                    const int usable = clock > UCI_DEFAULT_MOVE_OVERHEAD_MS
                                           ? clock - UCI_DEFAULT_MOVE_OVERHEAD_MS
                                           : 0;
                    EXPECT_GE(budget, 0) << clock << " " << increment << " " << moves;
                    EXPECT_LE(budget, usable / 2) << clock << " " << increment << " " << moves;
                }
}

// Sudden death: more increment, more time; the budget shrinks as the clock does.
TEST(UciTime, SuddenDeathFollowsClockAndIncrement) {
    const int base = uci_time_budget(go("wtime 60000"), WHITE, 10);
    EXPECT_GT(base, 0);
    EXPECT_GT(uci_time_budget(go("wtime 60000 winc 1000"), WHITE, 10), base);
    EXPECT_LT(uci_time_budget(go("wtime 6000"), WHITE, 10), base);
}

} // namespace

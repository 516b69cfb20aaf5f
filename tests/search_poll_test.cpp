// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The clock and input poll: what ends a search, and what it does with the
// lines it reads. Standard input is replaced by a pipe that the test writes.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <vector>

#include "book/book.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"
#include "tests/golden.h"
#include "tests/test_support.h"

namespace {

class SearchPoll : public PipedInput {
  protected:
    void SetUp() override {
        PipedInput::SetUp();
        search_deadline_ms = INT64_MAX;
    }

    // 1 when the poll abandoned the search (jumped to abort_context).
    int poll_aborts() {
        search_aborted = 0;
        if (setjmp(abort_context) != 0) return 1;
        poll_clock_and_input();
        return 0;
    }
};

const Move SOME_MOVE = make_move_word(52, 36, 0, MF_PAWN_MOVE | MF_DOUBLE_PUSH);

TEST_F(SearchPoll, GoesOnBeforeTheDeadline) {
    pv_table[0][0] = SOME_MOVE;
    search_deadline_ms = now_ms() + 1000000;
    EXPECT_EQ(poll_aborts(), 0);
}

TEST_F(SearchPoll, DeadlineEndsTheSearchOnceAMoveIsKnown) {
    pv_table[0][0] = SOME_MOVE;
    search_deadline_ms = now_ms();
    EXPECT_EQ(poll_aborts(), 1);
    EXPECT_EQ(search_aborted, 1);
}

TEST_F(SearchPoll, NeitherDeadlineNorMoveNowEndsASearchWithoutAMove) {
    pv_table[0][0] = 0;
    search_deadline_ms = now_ms() - 1000;
    move_now = 1;
    EXPECT_EQ(poll_aborts(), 0);
}

TEST_F(SearchPoll, MoveNowEndsTheSearchBeforeTheDeadline) {
    pv_table[0][0] = SOME_MOVE;
    move_now = 1;
    EXPECT_EQ(poll_aborts(), 1);
}

TEST_F(SearchPoll, EndOfInputEndsTheSearchAtOnce) {
    pv_table[0][0] = 0;
    input_closed = 1;
    EXPECT_EQ(poll_aborts(), 1);
}

TEST_F(SearchPoll, PonderSearchHasNoDeadline) {
    search_limits.stop_on_input = 1;
    search_limits.ponder = 1;
    pv_table[0][0] = SOME_MOVE;
    search_deadline_ms = now_ms() - 1000;
    EXPECT_EQ(poll_aborts(), 0);
    // Any input ends it, a move known or not.
    input_during_search = 1;
    EXPECT_EQ(poll_aborts(), 1);
    pv_table[0][0] = 0;
    EXPECT_EQ(poll_aborts(), 1);
}

TEST_F(SearchPoll, WithPonderingOnAnyLineEndsTheOwnSearch) {
    search_limits.stop_on_input = 1;
    search_limits.ponder = 0;
    pv_table[0][0] = SOME_MOVE;
    EXPECT_EQ(poll_aborts(), 0);
    input_during_search = 1;
    EXPECT_EQ(poll_aborts(), 1);
}

TEST_F(SearchPoll, DoesNotReadInputWhenPollingIsOff) {
    send("?\n");
    search_input_hook = nullptr;
    pv_table[0][0] = SOME_MOVE;
    EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(move_now, 0);
    EXPECT_EQ(next_command_line(), "?\n");
}

TEST_F(SearchPoll, QuestionMarkIsConsumedAndSetsMoveNow) {
    send("?\n");
    search_input_hook = take_search_input;
    pv_table[0][0] = 0;
    EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(move_now, 1);
    EXPECT_EQ(input_during_search, 1);
    EXPECT_EQ(queued_lines(), 0);
    pv_table[0][0] = SOME_MOVE;
    EXPECT_EQ(poll_aborts(), 1);
}

TEST_F(SearchPoll, OtherLinesAreQueuedOnePerPollInOrder) {
    send("hint\nforce\n");
    search_input_hook = take_search_input;
    pv_table[0][0] = SOME_MOVE;
    EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(queued_lines(), 1);
    EXPECT_EQ(move_now, 0);
    EXPECT_EQ(input_during_search, 1);
    EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(queued_lines(), 2);
    EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(queued_lines(), 2);
    EXPECT_EQ(next_command_line(), "hint\n");
    EXPECT_EQ(next_command_line(), "force\n");
    EXPECT_EQ(queued_lines(), 0);
}

TEST_F(SearchPoll, QuestionMarkAfterOtherLinesIsStillConsumed) {
    send("e7e5\n?\nnew\n");
    search_input_hook = take_search_input;
    for (int i = 0; i < 3; i++) EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(move_now, 1);
    EXPECT_EQ(queued_lines(), 2);
    EXPECT_EQ(next_command_line(), "e7e5\n");
    EXPECT_EQ(next_command_line(), "new\n");
}

// The end read behind a line that still waits does not stop the search:
// the line and then the end reach the loop in order, as if typed. Once only
// the end is left, a search stops at its first poll.
TEST_F(SearchPoll, EndOfInputBehindAWaitingLineLetsTheSearchGoOn) {
    send("hint\n");
    close_writer();
    search_input_hook = take_search_input;
    pv_table[0][0] = 0;
    EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(poll_aborts(), 0);
    EXPECT_EQ(input_closed, 0);
    EXPECT_EQ(queued_lines(), 2);
    EXPECT_EQ(next_command_line(), "hint\n");
    EXPECT_EQ(input_closed, 1);
    EXPECT_EQ(poll_aborts(), 1);
    EXPECT_EQ(move_now, 0);
    EXPECT_EQ(next_command_line(), "<end>");
}

TEST_F(SearchPoll, QuestionMarkEndsARunningSearch) {
    setup(START);
    fresh_state(30);
    search_input_hook = take_search_input;
    const PositionKey key = position_key;
    send("?\n");
    run_search(0);
    EXPECT_EQ(search_aborted, 1);
    EXPECT_EQ(move_now, 1);
    EXPECT_EQ(queued_lines(), 0);
    EXPECT_EQ(input_during_search, 0); // cleared by the abort
    EXPECT_EQ(ply, 0);
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(position_key, key);
    ASSERT_NE(pv_table[0][0], 0u);
    generate_moves();
    EXPECT_EQ(make_move(pv_table[0][0]), 1);
    unmake_move();
}

// The search reads and queues them, and visits the pinned tree all the same.
TEST_F(SearchPoll, OtherLinesDoNotDisturbTheSearch) {
    const GoldenSearch g = golden_search(START, 5);
    setup(START);
    fresh_state(5);
    search_input_hook = take_search_input;
    send("hint\nlevel 40 5 0\n");
    testing::internal::CaptureStdout();
    run_search(2);
    std::istringstream printed(testing::internal::GetCapturedStdout());
    std::vector<std::string> lines;
    for (std::string line; std::getline(printed, line);) lines.push_back(mask_time(line));
    EXPECT_EQ(search_aborted, 0);
    EXPECT_EQ(lines, g.lines);
    EXPECT_EQ(move_text(pv_table[0][0]), g.best);
    EXPECT_EQ(input_during_search, 1);
    EXPECT_EQ(queued_lines(), 2);
    EXPECT_EQ(next_command_line(), "hint\n");
    EXPECT_EQ(next_command_line(), "level 40 5 0\n");
}

TEST_F(SearchPoll, ClosedInputEndsARunningSearch) {
    setup(START);
    fresh_state(6);
    search_input_hook = take_search_input;
    close_writer();
    run_search(0);
    // Ended at the first poll (node 2048 or 4096), long before depth 6.
    EXPECT_EQ(search_aborted, 1);
    EXPECT_LE(node_count, 4096u);
    EXPECT_EQ(input_closed, 1);
    EXPECT_EQ(ply, 0);
    EXPECT_EQ(next_command_line(), "<end>");
}

static_assert(std::is_same<decltype(now_ms()), int64_t>::value, "now_ms is 64-bit");
static_assert(sizeof search_deadline_ms == 8 && sizeof search_start_ms == 8, "64-bit deadlines");

TEST(SearchClock, IsMonotonicMilliseconds) {
    const int64_t a = now_ms();
    usleep(20000);
    const int64_t b = now_ms();
    EXPECT_GE(b - a, 19);
    EXPECT_LT(b - a, 60000);
}

} // namespace

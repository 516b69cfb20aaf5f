// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Input that ends badly and commands that meet odd game states: the engine
// must notice the end of its input whenever it comes, and keep its position
// consistent whatever order the front end's commands arrive in.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <unistd.h>

#include "board/board.h"
#include "book/book.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"
#include "tests/test_support.h"

namespace {

// Standard input replaced by a pipe the test writes and closes, and no
// search flag left over.
class RobustInput : public PipedInput {
  protected:
    void SetUp() override {
        PipedInput::SetUp();
        quiet_search_flags();
    }
    void TearDown() override {
        PipedInput::TearDown();
        quiet_search_flags();
    }
    static void quiet_search_flags() {
        memset(pv_table, 0, sizeof pv_table);
        ponder_enabled = 0;
        ponder_pending = 0;
        move_now = 0;
        input_during_search = 0;
        search_input_hook = take_search_input;
        search_deadline_ms = INT64_MAX;
    }
    void send_and_close(const std::string &text) {
        send(text);
        close_writer();
    }
    // 1 when the poll abandoned the search.
    static int poll_aborts() {
        search_aborted = 0;
        if (setjmp(abort_context) != 0) return 1;
        poll_clock_and_input();
        return 0;
    }
};

// The front end's last line lacks its line feed and arrives during the
// engine's own search, which reads it together with the end of input. The
// ponder search that follows has no deadline and only input ends it: it
// must see that the input has ended, or it runs forever.
TEST_F(RobustInput, PonderSearchEndsAfterAnUnterminatedLastLine) {
    send_and_close("xyz");
    pv_table[0][0] = make_move_word(52, 36, 0, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
    ponder_enabled = 1;
    ASSERT_TRUE(input_waiting());
    read_search_input();
    EXPECT_EQ(input_during_search, 1);
    // run_search's abort path, then the loop takes the queued line.
    input_during_search = 0;
    char line[INPUT_LINE_SIZE];
    ASSERT_EQ(read_command_line(line), 1);
    EXPECT_STREQ(line, "xyz");
    // The ponder search on the expected reply.
    ponder_pending = 1;
    EXPECT_EQ(poll_aborts(), 1);
}

// The same with the line feed: the end of input is read as a line of its
// own, which ends the ponder search.
TEST_F(RobustInput, PonderSearchEndsAfterATerminatedLastLine) {
    send_and_close("xyz\n");
    pv_table[0][0] = make_move_word(52, 36, 0, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
    ponder_enabled = 1;
    ASSERT_TRUE(input_waiting());
    read_search_input();
    input_during_search = 0;
    char line[INPUT_LINE_SIZE];
    ASSERT_EQ(read_command_line(line), 1);
    EXPECT_STREQ(line, "xyz\n");
    ponder_pending = 1;
    EXPECT_EQ(poll_aborts(), 1);
}

// Commands carried out one by one, as the loop does.
void command(const char *text) {
    execute_command((std::string(text) + "\n").c_str());
}

void start_game() {
    new_game();
    generate_moves();
    engine_side = EMPTY;
    edit_mode = 0;
    game_over = 0;
    book_rest();
}

PositionKey full_key() {
    const PositionKey incremental = position_key;
    compute_key();
    const PositionKey key = position_key;
    position_key = incremental;
    return key;
}

// "white" and "black" only name the side to move; taking a move back
// afterwards must still put the moved piece back in its own colour.
TEST(RobustCommands, UndoAfterWhiteKeepsTheMovedPieceWhite) {
    start_game();
    command("e2e4");
    command("white");
    command("undo");
    EXPECT_EQ(square_color[52], WHITE);
    EXPECT_EQ(square_piece[52], PAWN);
    EXPECT_EQ(square_piece[36], EMPTY);
    EXPECT_TRUE(position_key == full_key());
}

TEST(RobustCommands, RemoveAfterBlackKeepsBothColours) {
    start_game();
    command("e2e4");
    command("e7e5");
    command("black");
    command("remove");
    for (int s = 0; s < 64; s++) {
        EXPECT_EQ(square_color[s], initial_color[s]) << "square " << s;
        EXPECT_EQ(square_piece[s], initial_piece[s]) << "square " << s;
    }
    EXPECT_TRUE(position_key == full_key());
}

} // namespace

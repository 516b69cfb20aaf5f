// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The line reader shared by the command loop and the search: pieces of at
// most LINE_SIZE - 1 characters, and the queue of lines a search read for
// the loop. Standard input is replaced by a pipe that the test writes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/xboard/xboard.h"
#include "tests/test_support.h"

namespace {

using ProtocolInput = PipedInput;

// A 300-character line splits where the loop's own read splits it,
// whether the loop or a search reads it.
TEST_F(ProtocolInput, LongLineSplitsAlikeInTheLoopAndInASearch) {
    std::string line;
    for (int i = 0; i < 300; i++) line += (char)('a' + i % 26);
    line += "\n";
    send(line);
    const std::string first = next_command_line();
    const std::string second = next_command_line();
    EXPECT_EQ(first + second, line);
    EXPECT_LT(first.size(), line.size() - 1);
    send(line);
    read_search_input();
    read_search_input();
    EXPECT_EQ(queued_lines(), 2);
    EXPECT_EQ(next_command_line(), first);
    EXPECT_EQ(next_command_line(), second);
}

// Lines at the buffer's exact capacity, with and without a line feed before
// the end of input: LINE_SIZE - 1 characters per piece, the line feed kept
// when it fits, the end of input after the last piece.
TEST_F(ProtocolInput, LinesAtTheBufferCapacity) {
    const int full = LINE_SIZE - 1;
    ASSERT_EQ(full, 255);
    struct Case {
        int length;
        bool line_feed;
        std::vector<std::string> pieces;
    };
    const std::string f(full, 'f');
    const Case cases[] = {
        {full - 1, true, {std::string(full - 1, 'f') + "\n"}},
        {full, true, {f, "\n"}},
        {full + 1, true, {f, "f\n"}},
        {full - 1, false, {std::string(full - 1, 'f')}},
        {full, false, {f}},
        {full + 1, false, {f, "f"}},
    };
    for (const Case &c : cases) {
        TearDown();
        SetUp();
        send(std::string(c.length, 'f') + (c.line_feed ? "\n" : ""));
        close_writer();
        std::vector<std::string> pieces;
        for (std::string piece; (piece = next_command_line()) != "<end>";) pieces.push_back(piece);
        EXPECT_EQ(pieces, c.pieces)
            << c.length << (c.line_feed ? " with" : " without") << " line feed";
    }
}

TEST_F(ProtocolInput, QueuedLinesComeBeforeTheStream) {
    send("one\ntwo\n");
    read_search_input();
    EXPECT_EQ(next_command_line(), "one\n");
    EXPECT_EQ(next_command_line(), "two\n");
}

TEST_F(ProtocolInput, FullQueueLeavesLinesInTheStream) {
    std::string text;
    for (int i = 0; i < INPUT_QUEUE_LINES + 2; i++) text += "line" + std::to_string(i) + "\n";
    send(text);
    for (int i = 0; i < INPUT_QUEUE_LINES + 5; i++) take_search_input();
    EXPECT_EQ(queued_lines(), INPUT_QUEUE_LINES);
    EXPECT_EQ(input_waiting(), 0);
    for (int i = 0; i < INPUT_QUEUE_LINES + 2; i++)
        EXPECT_EQ(next_command_line(), "line" + std::to_string(i) + "\n");
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped book: every line replays legally from the initial position.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board/board.h"
#include "protocol/xboard/xboard.h"

namespace {

TEST(DefaultBook, EveryLinePlaysLegallyFromTheInitialPosition) {
    FILE *file = fopen(PELMOK_SOURCE_DIR "/pelmok.opn", "r");
    ASSERT_NE(file, nullptr) << "pelmok.opn missing";
    char line[256];
    int lines = 0;
    while (fgets(line, sizeof line, file)) {
        lines++;
        const size_t length = strcspn(line, "\r\n");
        ASSERT_LT(length, sizeof line - 1) << "line " << lines << " is too long";
        ASSERT_GT(length, 0u) << "line " << lines << " is empty";
        new_game();
        generate_moves();
        size_t pos = 0;
        while (pos < length) {
            const int index = parse_move_text(line + pos);
            ASSERT_GE(index, 0) << "line " << lines << " at " << pos << ": " << line;
            const Move move = move_stack[index].move;
            ASSERT_EQ(make_move(move), 1) << "line " << lines << " at " << pos << ": " << line;
            // The text must be exactly the engine's own spelling, or the
            // line never matches a game after this move.
            const char *text = move_text(move);
            ASSERT_EQ(strncmp(line + pos, text, strlen(text)), 0) << "line " << lines;
            pos += strlen(text);
            ply = 0;
            generate_moves();
        }
    }
    fclose(file);
    EXPECT_GE(lines, 200);
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the board, search and protocol tests: setting up a
// position, playing moves, a clean search state, a snapshot of the position
// and standard input replaced by a pipe.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <unistd.h>

#include "board/board.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"

inline const char *const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

inline void setup(const char *fen) {
    const char *error = "";
    ASSERT_EQ(set_fen(fen, &error), 1) << error;
}

// Plays a move of the game position, as the command loop does.
inline void play(const char *text) {
    const int index = parse_move_text(text);
    ASSERT_GE(index, 0) << text;
    ASSERT_EQ(make_move(move_stack[index].move), 1) << text;
    refresh_moves();
}

// A clean search state, as run_search leaves it before its first
// iteration, plus a deadline that no poll can reach.
inline void fresh_state(int depth) {
    prepare_fixed_depth_search(depth);
    search_deadline_ms = INT64_MAX;
    node_count = 0;
    ply = 0;
    on_pv_line = 1;
}

// The fixed-depth search on a clock of budget_ms (0: it stops at its first
// poll once it has a move), a line arriving ending it while pondering is
// allowed, as the engine's own search does.
inline void run_timed_search(int budget_ms, int output_mode) {
    SearchLimits limits = depth_only_limits(fixed_search_depth);
    limits.time_budget_ms = budget_ms;
    limits.stop_on_input = ponder_enabled;
    limits.report = output_mode == 2 ? print_thinking_line : nullptr;
    run_limited_search(limits);
}

// The position, as far as making and unmaking moves or a search must leave it.
struct Snapshot {
    int color[64];
    int piece[64];
    int side, opp, castle, ep, fifty, ply_, game_ply_;
    PositionKey key;
};

inline Snapshot take_snapshot() {
    Snapshot s;
    memcpy(s.color, square_color, sizeof s.color);
    memcpy(s.piece, square_piece, sizeof s.piece);
    s.side = side_to_move;
    s.opp = opponent;
    s.castle = castle_rights;
    s.ep = ep_square;
    s.fifty = fifty_count;
    s.ply_ = ply;
    s.game_ply_ = game_ply;
    s.key = position_key;
    return s;
}

// Empty when equal, otherwise what differs.
inline std::string snapshot_differences(const Snapshot &a, const Snapshot &b) {
    std::ostringstream out;
    for (int i = 0; i < 64; i++) {
        if (a.color[i] != b.color[i]) out << " color[" << i << "]";
        if (a.piece[i] != b.piece[i]) out << " piece[" << i << "]";
    }
    if (a.side != b.side) out << " side_to_move";
    if (a.opp != b.opp) out << " opponent";
    if (a.castle != b.castle) out << " castle_rights";
    if (a.ep != b.ep) out << " ep_square";
    if (a.fifty != b.fifty) out << " fifty_count";
    if (a.ply_ != b.ply_) out << " ply";
    if (a.game_ply_ != b.game_ply_) out << " game_ply";
    if (!(a.key == b.key)) out << " position_key";
    return out.str();
}

inline void expect_same_position(const Snapshot &s) {
    EXPECT_EQ(snapshot_differences(s, take_snapshot()), "");
}

// Standard input replaced by a pipe that the test writes, and the reader
// reset around each test.
class PipedInput : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_stdin = dup(0);
        ASSERT_GE(saved_stdin, 0);
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        ASSERT_EQ(dup2(fds[0], 0), 0);
        close(fds[0]);
        writer = fds[1];
        reset_input();
        fresh_state(1);
    }
    void TearDown() override {
        close_writer();
        dup2(saved_stdin, 0);
        close(saved_stdin);
        reset_input();
        fresh_state(0);
    }

    void send(const std::string &text) {
        ASSERT_EQ(write(writer, text.data(), text.size()), (ssize_t)text.size());
    }
    void close_writer() {
        if (writer >= 0) close(writer);
        writer = -1;
    }
    std::string next_command_line() {
        char line[INPUT_LINE_SIZE];
        if (!read_command_line(line)) return "<end>";
        return line;
    }

    int saved_stdin = -1;
    int writer = -1;
};

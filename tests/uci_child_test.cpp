// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The UCI mode as a client sees it, a child process on two pipes: what a
// transcript cannot show, because it depends on when lines arrive during a
// search. Waits are generous and bounded; nothing here measures speed.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/engine_process.h"

namespace {

constexpr int REPLY_MS = 5000;   // "at once", on a loaded machine
constexpr int SEARCH_MS = 20000; // the longest search here is a few seconds
constexpr int QUIET_MS = 1000;   // watched for a bestmove that must not come

const char *const WHITE_FIRST_MOVES[] = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3",
                                         "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4",
                                         "h2h3", "h2h4", "b1a3", "b1c3", "g1f3", "g1h3"};

// "bestmove M [ponder R]" with M one of White's first moves.
bool white_first_bestmove(const std::string &line) {
    for (const char *move : WHITE_FIRST_MOVES)
        if (starts_with(line, std::string("bestmove ") + move)) return true;
    return false;
}

// The engine in UCI mode.
class UciEngine : public EngineProcess {
  public:
    bool start() {
        if (!EngineProcess::start()) return false;
        send("uci\n");
        return !read_until("uciok", REPLY_MS).empty();
    }

    // True when no line starting with prefix comes within ms.
    bool no_line_for(const std::string &prefix, int ms) { return read_until(prefix, ms).empty(); }

    bool exits_with_zero(int timeout_ms) {
        int status = 0;
        return wait_exit(timeout_ms, &status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

class UciChild : public ::testing::Test {
  protected:
    void SetUp() override {
        signal(SIGPIPE, SIG_IGN);
        ASSERT_TRUE(engine.start()) << engine.output();
    }

    void expect_ready(const char *when) {
        EXPECT_EQ(engine.read_until("readyok", REPLY_MS), "readyok") << when << engine.output();
    }

    void quit() {
        engine.send("quit\n");
        EXPECT_TRUE(engine.exits_with_zero(REPLY_MS)) << engine.output();
    }

    UciEngine engine;
};

// isready is answered during a search without ending it; stop ends it.
TEST_F(UciChild, IsreadyAndStopDuringASearch) {
    engine.send("position startpos\ngo infinite\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; i < 2; i++) {
        engine.send("isready\n");
        std::vector<std::string> before;
        EXPECT_EQ(engine.read_until("readyok", REPLY_MS, &before), "readyok") << engine.output();
        for (const std::string &line : before) EXPECT_FALSE(starts_with(line, "bestmove")) << line;
        EXPECT_TRUE(engine.no_line_for("bestmove", QUIET_MS)) << engine.output();
    }
    engine.send("stop\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    engine.send("isready\n");
    expect_ready("after the search");
    quit();
}

// A search that ends by itself after go infinite keeps its answer for stop.
TEST_F(UciChild, InfiniteHoldsItsBestmoveUntilStop) {
    engine.send("position startpos\ngo infinite depth 2\n");
    EXPECT_TRUE(engine.no_line_for("bestmove", QUIET_MS)) << engine.output();
    engine.send("isready\n");
    expect_ready("while the answer is held");
    engine.send("stop\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    // Stalemate: nothing to search, and still the answer waits.
    engine.send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo infinite\n");
    EXPECT_TRUE(engine.no_line_for("bestmove", QUIET_MS)) << engine.output();
    engine.send("stop\n");
    EXPECT_EQ(engine.read_until("bestmove", REPLY_MS), "bestmove 0000") << engine.output();
    quit();
}

// go ponder has no deadline; at ponderhit the budget runs from then on:
// (3000 - 50) / 70 ms for this clock, the whole movetime less 50 ms.
TEST_F(UciChild, PonderhitStartsTheClock) {
    engine.send("position startpos\ngo ponder wtime 3000 btime 3000\n");
    EXPECT_TRUE(engine.no_line_for("bestmove", 2 * QUIET_MS)) << engine.output();
    const auto hit = std::chrono::steady_clock::now();
    engine.send("ponderhit\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    EXPECT_LT(elapsed_ms(hit), 2000) << "the budget after ponderhit is some 40 ms";

    // A 1000 ms budget after two seconds of pondering: still all of it.
    engine.send("position startpos\ngo ponder movetime 1050\n");
    EXPECT_TRUE(engine.no_line_for("bestmove", 2 * QUIET_MS)) << engine.output();
    const auto second_hit = std::chrono::steady_clock::now();
    engine.send("ponderhit\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    EXPECT_GE(elapsed_ms(second_hit), 500) << "the budget counted from the start of pondering";
    quit();
}

// stop ends a ponder search at once; a ponder search that ended early
// waits for ponderhit and then answers at once.
TEST_F(UciChild, PonderEndsWithStopOrPonderhit) {
    engine.send("position startpos\ngo ponder wtime 60000 btime 60000\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.send("stop\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();

    engine.send("position startpos\ngo ponder depth 2 wtime 60000 btime 60000\n");
    EXPECT_TRUE(engine.no_line_for("bestmove", QUIET_MS)) << engine.output();
    engine.send("isready\n");
    expect_ready("while pondering");
    engine.send("ponderhit\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    quit();
}

// A clock or a movetime bounds the search; more than half the clock is
// never used, so a clock of 200 ms answers well within a second or two.
TEST_F(UciChild, ClockAndMovetimeEndTheSearch) {
    engine.send("position startpos moves e2e4\ngo wtime 200 btime 200\n");
    const std::string reply = engine.read_until("bestmove", REPLY_MS);
    EXPECT_TRUE(starts_with(reply, "bestmove ")) << engine.output();
    const auto start = std::chrono::steady_clock::now();
    engine.send("position startpos\ngo movetime 600\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    EXPECT_GE(elapsed_ms(start), 500) << "movetime 600 less the overhead";
    quit();
}

// quit during a search, and the end of input during one, end the engine.
TEST_F(UciChild, QuitDuringASearch) {
    engine.send("position startpos\ngo infinite\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    quit();
}

// The end of input ends an open-ended search at once; commands read
// during it are still carried out, in order.
TEST_F(UciChild, EndOfInputDuringASearch) {
    engine.send("position startpos\ngo infinite\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.send("foo\nposition startpos moves e2e4\ngo depth 2\n");
    engine.close_input();
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    const std::string reply = engine.read_until("bestmove", REPLY_MS);
    EXPECT_FALSE(reply.empty() || white_first_bestmove(reply)) << engine.output();
    EXPECT_TRUE(engine.exits_with_zero(REPLY_MS)) << engine.output();
}

// A NUL byte reads as a blank, and ends no line early.
TEST_F(UciChild, NulBytesEndNoLine) {
    engine.send(std::string("isr\0eady\nisready\0junk\n", 22));
    expect_ready("after a NUL inside the line");
    engine.send("isready\n");
    expect_ready("after the NUL lines");
    EXPECT_TRUE(engine.no_line_for("readyok", QUIET_MS)) << engine.output();
    quit();
}

// From a fresh state (ucinewgame, no book) go depth D searches the very
// tree the developer tools search: the same nodes and the same move.
TEST_F(UciChild, GoDepthIsTheToolsSearch) {
    const struct {
        const char *fen;
        int depth;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6},
    };
    for (const auto &c : cases) {
        const std::string command =
            std::string(PELMOK_TOOLS_BINARY) + " search '" + c.fen + "' " + std::to_string(c.depth);
        FILE *tools = popen(command.c_str(), "r");
        ASSERT_NE(tools, nullptr);
        char text[4096];
        std::string last_line, tools_best;
        while (fgets(text, sizeof text, tools)) {
            const std::string line(text, strcspn(text, "\n"));
            if (starts_with(line, "bestmove "))
                tools_best = line.substr(9);
            else
                last_line = line;
        }
        pclose(tools);
        // The thinking line: depth, score, time, nodes, moves.
        unsigned long tools_nodes = 0;
        ASSERT_EQ(sscanf(last_line.c_str(), "%*d %*d %*d %lu", &tools_nodes), 1) << last_line;

        engine.send("ucinewgame\nposition fen " + std::string(c.fen) + "\ngo depth " +
                    std::to_string(c.depth) + "\n");
        std::vector<std::string> info;
        const std::string best = engine.read_until("bestmove", SEARCH_MS, &info);
        ASSERT_FALSE(info.empty()) << engine.output();
        const std::string &last_info = info.back();
        const size_t at = last_info.find(" nodes ");
        ASSERT_NE(at, std::string::npos) << last_info;
        EXPECT_EQ(std::stoul(last_info.substr(at + 7)), tools_nodes) << c.fen;
        EXPECT_TRUE(starts_with(best, "bestmove " + tools_best)) << best << " vs " << tools_best;
        EXPECT_TRUE(starts_with(last_info, "info depth " + std::to_string(c.depth) + " "));
    }
    quit();
}

} // namespace

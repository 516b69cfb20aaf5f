// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Searches on two threads as a client drives them, the engine a child
// process: UCI's Threads and version 2's cores. Whatever ends a search
// (stop, "?", quit, the end of input) ends every thread of it, and the
// process exits cleanly. Waits are generous and bounded; nothing here
// measures speed.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "search/search.h"
#include "tests/engine_process.h"

namespace {

constexpr int REPLY_MS = 10000; // "at once", on a loaded machine or a sanitizer build
constexpr int THINK_MS = 300;   // long enough for both threads to be deep in the search

// The legal moves of the start position, as "bestmove" or "move" gives them.
bool white_first_move(const std::string &text) {
    static const char *const moves[] = {"a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4", "d2d3",
                                        "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4",
                                        "h2h3", "h2h4", "b1a3", "b1c3", "g1f3", "g1h3"};
    for (const char *move : moves)
        if (text.compare(0, 4, move) == 0) return true;
    return false;
}

// Threads of a process, from /proc; 0 when it cannot tell.
int thread_count(pid_t pid) {
    FILE *file = fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!file) return 0;
    char line[256];
    int threads = 0;
    while (fgets(line, sizeof line, file))
        if (sscanf(line, "Threads: %d", &threads) == 1) break;
    fclose(file);
    return threads;
}

void think() {
    std::this_thread::sleep_for(std::chrono::milliseconds(THINK_MS));
}

class SearchThreadsChild : public ::testing::Test {
  protected:
    void SetUp() override {
        if (SEARCH_THREAD_LIMIT < 2) GTEST_SKIP() << "this build searches on one thread";
        signal(SIGPIPE, SIG_IGN);
        ASSERT_TRUE(engine.start()) << engine.output();
    }

    // A zero exit: under ThreadSanitizer, also no race reported.
    void expect_clean_exit() {
        int status = -1;
        EXPECT_TRUE(engine.wait_exit(REPLY_MS, &status)) << engine.output();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << "\n"
                                                                   << engine.output();
    }

    // UCI with two threads.
    void start_uci() {
        engine.send("uci\n");
        ASSERT_FALSE(engine.read_until("uciok", REPLY_MS).empty()) << engine.output();
        engine.send("setoption name Threads value 2\nposition startpos\n");
    }

    // Version 2 with two cores, the engine to play White on a long clock.
    void start_xboard() {
        engine.send("xboard\nprotover 2\n");
        const std::string features = engine.read_until("feature ping", REPLY_MS);
        ASSERT_NE(features.find(" smp=1"), std::string::npos) << engine.output();
        engine.send("cores 2\nnew\nforce\nst 60\npost\n");
    }

    // The move of a bestmove line.
    std::string uci_best() {
        const std::string line = engine.read_until("bestmove ", REPLY_MS);
        return line.empty() ? line : line.substr(9);
    }

    EngineProcess engine;
};

// stop ends the search with a move, isready is answered during it, and a
// node limit counts both threads' nodes in what it reports.
TEST_F(SearchThreadsChild, UciStopIsreadyAndNodes) {
    start_uci();
    engine.send("go infinite\n");
    think();
    engine.send("isready\n");
    EXPECT_EQ(engine.read_until("readyok", REPLY_MS), "readyok") << engine.output();
    // The main thread and a helper (and maybe a sanitizer's own thread).
    const int searching_threads = thread_count(engine.pid());
    EXPECT_GE(searching_threads, 2);
    engine.send("stop\n");
    EXPECT_TRUE(white_first_move(uci_best())) << engine.output();
    // No thread outlives its search.
    EXPECT_EQ(thread_count(engine.pid()), searching_threads - 1);

    engine.send("go nodes 200000\n");
    std::vector<std::string> infos;
    const std::string best = engine.read_until("bestmove ", REPLY_MS, &infos);
    EXPECT_TRUE(best.size() > 9 && white_first_move(best.substr(9))) << engine.output();
    // The last report, at the stop, counts at least the nodes asked for.
    ASSERT_FALSE(infos.empty()) << engine.output();
    const size_t at = infos.back().find(" nodes ");
    ASSERT_NE(at, std::string::npos) << engine.output();
    EXPECT_GE(std::stoull(infos.back().substr(at + 7)), 200000u) << engine.output();
    engine.send("quit\n");
    expect_clean_exit();
}

TEST_F(SearchThreadsChild, UciPonderhitAndQuitDuringASearch) {
    start_uci();
    engine.send("position startpos moves e2e4\ngo ponder wtime 2000 btime 2000\n");
    think();
    engine.send("ponderhit\n");
    const std::string reply = engine.read_until("bestmove ", REPLY_MS);
    EXPECT_FALSE(reply.empty()) << engine.output();

    engine.send("position startpos\ngo infinite\n");
    think();
    engine.send("quit\n");
    expect_clean_exit();
}

TEST_F(SearchThreadsChild, UciEndOfInputDuringASearch) {
    start_uci();
    engine.send("go infinite\n");
    think();
    engine.close_input();
    EXPECT_TRUE(white_first_move(uci_best())) << engine.output();
    expect_clean_exit();
}

// "?" moves at once; quit during the next search ends the engine.
TEST_F(SearchThreadsChild, XboardMoveNowAndQuit) {
    start_xboard();
    engine.send("go\n");
    think();
    engine.send("?\n");
    const std::string move = engine.read_until("move ", REPLY_MS);
    EXPECT_TRUE(move.size() > 5 && white_first_move(move.substr(5))) << engine.output();

    engine.send("new\nforce\nanalyze\n");
    think();
    engine.send("quit\n");
    expect_clean_exit();
}

TEST_F(SearchThreadsChild, XboardEndOfInputDuringASearch) {
    start_xboard();
    engine.send("go\n");
    think();
    engine.close_input();
    expect_clean_exit();
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The engine as a child process over real pipes: "?" ending a search, the
// end of input ending one, and how "sd", "st" and "time" combine in a
// fresh process (their hidden state cannot be reset in this one).
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "tests/golden.h"

namespace {

int64_t monotonic_ms() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

class Engine {
  public:
    // Starts the engine in an empty directory, so that no book is found.
    bool start() {
        signal(SIGPIPE, SIG_IGN);
        char pattern[] = "/tmp/pelmok-search-XXXXXX";
        if (!mkdtemp(pattern)) return false;
        dir = pattern;
        int to_child[2], from_child[2];
        if (pipe(to_child) != 0) return false;
        if (pipe(from_child) != 0) return false;
        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            dup2(to_child[0], 0);
            dup2(from_child[1], 1);
            close(to_child[0]);
            close(to_child[1]);
            close(from_child[0]);
            close(from_child[1]);
            if (chdir(dir.c_str()) != 0) _exit(126);
            execl(PELMOK_BINARY, PELMOK_BINARY, (char *)nullptr);
            _exit(127);
        }
        close(to_child[0]);
        close(from_child[1]);
        in = to_child[1];
        out = from_child[0];
        return true;
    }

    ~Engine() {
        close_input();
        if (pid > 0 && !wait_exit(10000)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
        if (!dir.empty()) rmdir(dir.c_str());
    }

    void send(const std::string &text) {
        ASSERT_EQ(write(in, text.data(), text.size()), (ssize_t)text.size());
    }

    void close_input() {
        if (in >= 0) close(in);
        in = -1;
    }

    // The next output line (without its line feed), or false after
    // timeout_ms or at the end of output.
    bool read_line(std::string *line, int timeout_ms) {
        const int64_t deadline = monotonic_ms() + timeout_ms;
        for (;;) {
            const size_t newline = pending.find('\n');
            if (newline != std::string::npos) {
                *line = pending.substr(0, newline);
                pending.erase(0, newline + 1);
                lines.push_back(*line);
                return true;
            }
            const int64_t left = deadline - monotonic_ms();
            if (left <= 0) return false;
            struct pollfd fd = {out, POLLIN, 0};
            const int ready = poll(&fd, 1, (int)left);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return false;
            char buffer[4096];
            const ssize_t n = read(out, buffer, sizeof buffer);
            if (n <= 0) return false;
            pending.append(buffer, (size_t)n);
        }
    }

    // Reads lines until one starts with prefix; false on timeout.
    bool wait_for(const std::string &prefix, int timeout_ms, std::string *found = nullptr) {
        const int64_t deadline = monotonic_ms() + timeout_ms;
        std::string line;
        for (;;) {
            const int64_t left = deadline - monotonic_ms();
            if (left <= 0 || !read_line(&line, (int)left)) return false;
            if (line.compare(0, prefix.size(), prefix) == 0) {
                if (found) *found = line;
                return true;
            }
        }
    }

    // Collects output for a while, whatever arrives.
    void drain(int ms) {
        std::string line;
        const int64_t deadline = monotonic_ms() + ms;
        for (;;) {
            const int64_t left = deadline - monotonic_ms();
            if (left <= 0 || !read_line(&line, (int)left)) return;
        }
    }

    bool wait_exit(int timeout_ms) {
        const int64_t deadline = monotonic_ms() + timeout_ms;
        for (;;) {
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                exit_status = status;
                pid = -1;
                return true;
            }
            if (done < 0 || monotonic_ms() >= deadline) return false;
            usleep(10000);
        }
    }

    // Thinking lines seen so far (those starting with a digit).
    std::vector<std::string> thinking() const {
        std::vector<std::string> result;
        for (const std::string &line : lines)
            if (!line.empty() && line[0] >= '1' && line[0] <= '9') result.push_back(line);
        return result;
    }

    std::vector<std::string> lines;
    int exit_status = -1;

  private:
    pid_t pid = -1;
    int in = -1;
    int out = -1;
    std::string pending;
    std::string dir;
};

// Depth (first field) of a thinking line.
int line_depth(const std::string &line) {
    return atoi(line.c_str());
}

bool is_coordinate_move(const std::string &text) {
    if (text.size() != 4 && text.size() != 5) return false;
    return text[0] >= 'a' && text[0] <= 'h' && text[1] >= '1' && text[1] <= '8' && text[2] >= 'a' &&
           text[2] <= 'h' && text[3] >= '1' && text[3] <= '8';
}

// Long enough for the sanitizer build, which is many times slower.
constexpr int GENEROUS_MS = 30000;

TEST(SearchEngine, QuestionMarkEndsASearchThroughAPipe) {
    Engine engine;
    ASSERT_TRUE(engine.start());
    // sd alone: no time limit worth the name, only "?" can end this.
    engine.send("xboard\nnew\nsd 30\nwhite\ngo\n");
    engine.drain(1000);
    for (const std::string &line : engine.lines) ASSERT_NE(line.rfind("move ", 0), 0u) << line;
    engine.send("?\n");
    std::string move;
    ASSERT_TRUE(engine.wait_for("move ", 10000, &move));
    EXPECT_TRUE(is_coordinate_move(move.substr(5))) << move;
    engine.send("quit\n");
    ASSERT_TRUE(engine.wait_exit(10000));
    EXPECT_TRUE(WIFEXITED(engine.exit_status));
    EXPECT_EQ(WEXITSTATUS(engine.exit_status), 0);
}

TEST(SearchEngine, EndOfInputEndsASearchAtOnce) {
    Engine engine;
    ASSERT_TRUE(engine.start());
    engine.send("xboard\nnew\nsd 30\nwhite\ngo\n");
    engine.drain(500);
    engine.close_input();
    ASSERT_TRUE(engine.wait_exit(10000));
    EXPECT_TRUE(WIFEXITED(engine.exit_status));
}

TEST(SearchEngine, SdAloneSearchesToItsDepth) {
    Engine engine;
    ASSERT_TRUE(engine.start());
    // Thousands of nodes: without a time budget the first poll after
    // depth 1 would end the search. It is the pinned search, line for line.
    const GoldenSearch g =
        golden_search("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5);
    engine.send("xboard\nnew\npost\nsd 5\nwhite\ngo\n");
    std::string move;
    ASSERT_TRUE(engine.wait_for("move ", GENEROUS_MS, &move));
    EXPECT_EQ(move, "move " + g.best);
    std::vector<std::string> lines = engine.thinking();
    for (std::string &line : lines) line = mask_time(line);
    EXPECT_EQ(lines, g.lines);
    engine.send("quit\n");
    EXPECT_TRUE(engine.wait_exit(10000));
}

// After "st 0" (or a "time" with a zero budget) "sd" changes only the
// depth: the search stops at its first poll once it has a move.
void expect_sd_keeps_zero_budget(const char *commands) {
    Engine engine;
    ASSERT_TRUE(engine.start());
    engine.send(commands);
    ASSERT_TRUE(engine.wait_for("move ", GENEROUS_MS));
    const std::vector<std::string> lines = engine.thinking();
    ASSERT_GE(lines.size(), 1u);
    ASSERT_LT(lines.size(), 5u);
    for (size_t i = 0; i < lines.size(); i++) EXPECT_EQ(line_depth(lines[i]), (int)i + 1);
    engine.send("quit\n");
    EXPECT_TRUE(engine.wait_exit(10000));
}

TEST(SearchEngine, SdAfterStKeepsTheFixedTime) {
    expect_sd_keeps_zero_budget("xboard\nnew\npost\nst 0\nsd 5\nwhite\ngo\n");
}

TEST(SearchEngine, SdAfterTimeKeepsItsBudget) {
    // An incremental control of zero minutes and seconds: a budget of 0.
    expect_sd_keeps_zero_budget("xboard\nnew\npost\nlevel 0 0 0\ntime 100\nsd 5\nwhite\ngo\n");
}

TEST(SearchEngine, TimeAfterSdSearchesPastTheDepth) {
    Engine engine;
    ASSERT_TRUE(engine.start());
    // 40 moves in 5 minutes with 300 s left: 7.5 s and depth 30.
    engine.send("xboard\nnew\npost\nlevel 40 5 0\nsd 2\ntime 30000\nwhite\ngo\n");
    ASSERT_TRUE(engine.wait_for("3  ", GENEROUS_MS));
    engine.send("?\n");
    ASSERT_TRUE(engine.wait_for("move ", GENEROUS_MS));
    engine.send("quit\n");
    EXPECT_TRUE(engine.wait_exit(10000));
}

} // namespace

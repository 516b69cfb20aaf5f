// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The engine as a front end runs it: a child process on two pipes, in a
// directory of its own. Shared by the tests that depend on when lines
// arrive, which a transcript cannot show.
#pragma once

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

namespace {

constexpr int STATE_SAMPLES = 20;

bool starts_with(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

long elapsed_ms(std::chrono::steady_clock::time_point since) {
    return (long)std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now() - since)
        .count();
}

// One engine process in a directory of its own, so that no book file is
// found unless the test writes one there.
class EngineProcess {
  public:
    EngineProcess() = default;
    EngineProcess(const EngineProcess &) = delete;
    EngineProcess &operator=(const EngineProcess &) = delete;
    ~EngineProcess() {
        if (to_engine_ >= 0) close(to_engine_);
        if (from_engine_ >= 0) close(from_engine_);
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (!dir_.empty()) {
            std::string book = dir_ + "/pelmok.opn";
            unlink(book.c_str());
            rmdir(dir_.c_str());
        }
    }

    // Starts the engine; book_text, when given, becomes its pelmok.opn.
    bool start(const char *book_text = nullptr) {
        char dir_template[] = "/tmp/pelmok-child-XXXXXX";
        if (!mkdtemp(dir_template)) return false;
        dir_ = dir_template;
        if (book_text) {
            std::string book = dir_ + "/pelmok.opn";
            FILE *file = fopen(book.c_str(), "w");
            if (!file) return false;
            fputs(book_text, file);
            fclose(file);
        }
        int in_pipe[2], out_pipe[2];
        if (pipe(in_pipe) != 0) return false;
        if (pipe(out_pipe) != 0) return false;
        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            dup2(in_pipe[0], 0);
            dup2(out_pipe[1], 1);
            close(in_pipe[0]);
            close(in_pipe[1]);
            close(out_pipe[0]);
            close(out_pipe[1]);
            // The engine must ignore the interrupt itself, not inherit that.
            signal(SIGINT, SIG_DFL);
            signal(SIGPIPE, SIG_DFL);
            if (chdir(dir_.c_str()) != 0) _exit(126);
            execl(PELMOK_BINARY, PELMOK_BINARY, (char *)nullptr);
            _exit(127);
        }
        close(in_pipe[0]);
        close(out_pipe[1]);
        to_engine_ = in_pipe[1];
        from_engine_ = out_pipe[0];
        return true;
    }

    pid_t pid() const { return pid_; }

    void send(const std::string &text) {
        size_t done = 0;
        while (done < text.size()) {
            ssize_t n = write(to_engine_, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            ASSERT_GT(n, 0) << "the engine no longer reads its input";
            done += (size_t)n;
        }
    }

    void close_input() {
        close(to_engine_);
        to_engine_ = -1;
    }

    // The next output line; false when none comes within timeout_ms or the
    // output has ended.
    bool read_line(std::string *line, int timeout_ms) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            const size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                *line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                seen_.push_back(*line);
                return true;
            }
            const long left = timeout_ms - elapsed_ms(start);
            if (left <= 0 || output_ended_) return false;
            struct pollfd fd = {from_engine_, POLLIN, 0};
            const int ready = poll(&fd, 1, (int)left);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return false;
            char buffer[4096];
            const ssize_t n = read(from_engine_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                output_ended_ = true;
                continue;
            }
            pending_.append(buffer, (size_t)n);
        }
    }

    // Reads up to the first line that starts with prefix and returns it;
    // the lines before it go to skipped. Empty when it does not come.
    std::string read_until(const std::string &prefix, int timeout_ms,
                           std::vector<std::string> *skipped = nullptr) {
        const auto start = std::chrono::steady_clock::now();
        std::string line;
        for (;;) {
            const long left = timeout_ms - elapsed_ms(start);
            if (left <= 0 || !read_line(&line, (int)left)) return "";
            if (starts_with(line, prefix)) return line;
            if (skipped) skipped->push_back(line);
        }
    }

    // True when no output line arrives for ms milliseconds.
    bool silent_for(int ms) {
        std::string line;
        if (!read_line(&line, ms)) return true;
        pending_.insert(0, line + "\n");
        seen_.pop_back();
        return false;
    }

    // Waits for the process to end; its wait status goes to status.
    bool wait_exit(int timeout_ms, int *status) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            const pid_t done = waitpid(pid_, status, WNOHANG);
            if (done == pid_) {
                exited_ = true;
                return true;
            }
            if (elapsed_ms(start) > timeout_ms) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // The scheduler state of the process: 'R' while it computes (running or
    // waiting for a processor), 'S' while it waits for input; 0 when /proc
    // cannot tell.
    char run_state() const {
        char path[64];
        snprintf(path, sizeof path, "/proc/%d/stat", (int)pid_);
        FILE *file = fopen(path, "r");
        if (!file) return 0;
        char text[1024];
        const size_t n = fread(text, 1, sizeof text - 1, file);
        fclose(file);
        text[n] = '\0';
        // The command name in parentheses may hold blanks: the state is the
        // first field after the last closing parenthesis.
        const char *p = strrchr(text, ')');
        char state = 0;
        if (!p || sscanf(p + 1, " %c", &state) != 1) return 0;
        return state;
    }

    // The share of samples, taken over the next ms milliseconds, in which the
    // process was computing; negative when /proc cannot tell. Unlike CPU
    // time this does not depend on how loaded the machine is.
    double computing_share(int ms) const {
        int computing = 0;
        for (int i = 0; i < STATE_SAMPLES; i++) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms / STATE_SAMPLES));
            const char state = run_state();
            if (state == 0) return -1;
            if (state == 'R') computing++;
        }
        return (double)computing / STATE_SAMPLES;
    }

    // Everything the engine printed so far, for failure messages.
    std::string output() const {
        std::string all;
        for (const std::string &line : seen_) all += line + "\n";
        return all;
    }

  private:
    pid_t pid_ = -1;
    int to_engine_ = -1;
    int from_engine_ = -1;
    bool exited_ = false;
    bool output_ended_ = false;
    std::string pending_;
    std::vector<std::string> seen_;
    std::string dir_;
};

} // namespace

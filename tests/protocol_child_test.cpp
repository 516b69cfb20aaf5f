// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The engine as a front end sees it: a child process on two pipes. Covers
// what a transcript cannot: thinking on the opponent's time, "?" during a
// search, the end of input and the interrupt signal while the engine thinks,
// and a book choice that is random by design.
//
// Waits are generous (seconds) and bounded; nothing here measures speed.
// Pondering is seen from outside in the process state (Linux /proc): the
// engine computes while it waits for the opponent instead of sleeping on
// its input.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int LINE_TIMEOUT_MS = 20000; // the longest search here is given 7.5 s
constexpr int EXIT_TIMEOUT_MS = 10000;
constexpr int QUIET_MS = 1000; // how long the engine is watched between commands
constexpr int STATE_SAMPLES = 20;
constexpr double BUSY_SHARE = 0.8; // thinking: computing all the time
constexpr double IDLE_SHARE = 0.1; // blocked on a read: next to never

const char *const BANNER_1 = "pelmok version 2.3c (september 2003)";
const char *const BANNER_2 = "only Winboard interface";

// Black's twenty legal first moves.
const char *const BLACK_FIRST_MOVES[] = {"a7a6", "a7a5", "b7b6", "b7b5", "c7c6", "c7c5", "d7d6",
                                         "d7d5", "e7e6", "e7e5", "f7f6", "f7f5", "g7g6", "g7g5",
                                         "h7h6", "h7h5", "b8a6", "b8c6", "g8f6", "g8h6"};

bool is_black_first_move(const std::string &line) {
    for (const char *move : BLACK_FIRST_MOVES)
        if (line == std::string("move ") + move) return true;
    return false;
}

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

class ProtocolChild : public ::testing::Test {
  protected:
    void SetUp() override { signal(SIGPIPE, SIG_IGN); }

    // Starts the engine and takes it through the handshake.
    void start(const char *book_text = nullptr) {
        ASSERT_TRUE(engine.start(book_text));
        engine.send("xboard\n");
        std::string line;
        ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS));
        EXPECT_EQ(line, BANNER_1);
        ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS));
        EXPECT_EQ(line, BANNER_2);
        ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS));
        EXPECT_EQ(line, "");
        if (!book_text) {
            ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS));
            EXPECT_EQ(line, "no book.");
        }
    }

    // The engine's next move line, or a failure naming what it printed.
    std::string expect_move(std::vector<std::string> *skipped = nullptr) {
        const std::string line = engine.read_until("move ", LINE_TIMEOUT_MS, skipped);
        EXPECT_FALSE(line.empty()) << "no move; output so far:\n" << engine.output();
        return line;
    }

    void expect_exit_zero() {
        int status = 0;
        ASSERT_TRUE(engine.wait_exit(EXIT_TIMEOUT_MS, &status))
            << "the engine did not end; output:\n"
            << engine.output();
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    void expect_busy(const char *what) {
        const double share = engine.computing_share(QUIET_MS);
        if (share < 0) GTEST_SKIP() << "no /proc to see whether the engine computes";
        EXPECT_GE(share, BUSY_SHARE) << what;
    }

    void expect_idle(const char *what) {
        const double share = engine.computing_share(QUIET_MS);
        if (share < 0) GTEST_SKIP() << "no /proc to see whether the engine computes";
        EXPECT_LE(share, IDLE_SHARE) << what;
    }

    EngineProcess engine;
};

// After its move with "hard" the engine thinks on the opponent's time, with
// no time limit ("st 0" gives its own searches none at all); the opponent's
// move that arrives meanwhile is played and answered, and the lines sent
// with it follow, in order.
TEST_F(ProtocolChild, PondersUntilTheOpponentMovesAndLosesNoLine) {
    start();
    engine.send("new\nhard\nst 0\ne2e4\n");
    const std::string first = expect_move();
    EXPECT_TRUE(is_black_first_move(first)) << first;
    expect_busy("no pondering after the engine's move");

    // 2. Nf3 is legal whatever Black played.
    engine.send("g1f3\n");
    std::vector<std::string> before;
    expect_move(&before);
    EXPECT_TRUE(before.empty()) << engine.output();
    expect_busy("no pondering after the second move");

    // 3. Nc3 is legal too: Black's two moves can neither check nor reach c3.
    engine.send("b1c3\nfoo\nbar\n");
    expect_move(&before);
    EXPECT_TRUE(before.empty()) << engine.output();
    std::string line;
    ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS)) << engine.output();
    EXPECT_EQ(line, "Error (unknown command): foo");
    ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS)) << engine.output();
    EXPECT_EQ(line, "Error (unknown command): bar");

    engine.send("quit\n");
    expect_exit_zero();
    EXPECT_TRUE(engine.silent_for(0)) << engine.output();
}

// Without "hard" (and again after "easy") the engine waits idle after its move.
TEST_F(ProtocolChild, NoPonderingWithoutHard) {
    start();
    engine.send("new\nst 0\ne2e4\n");
    expect_move();
    expect_idle("the engine thinks on the opponent's time without \"hard\"");
    engine.send("hard\neasy\ng1f3\n");
    expect_move();
    expect_idle("\"easy\" did not stop pondering");
    engine.send("quit\n");
    expect_exit_zero();
}

// While the book still answers the engine does not ponder; after the first
// search it does.
TEST_F(ProtocolChild, NoPonderingWhileTheBookAnswers) {
    start("e2e4e7e5\n");
    engine.send("new\nhard\nst 0\ne2e4\n");
    EXPECT_EQ(expect_move(), "move e7e5");
    expect_idle("pondering while the book is in use");
    engine.send("g1f3\n");
    expect_move();
    expect_busy("no pondering once the book has missed");
    engine.send("quit\n");
    expect_exit_zero();
}

// "?" ends the engine's own search, which has no time limit here, at once;
// with pondering off any other line does not, and is carried out after it.
TEST_F(ProtocolChild, MoveNowEndsTheSearch) {
    start();
    engine.send("new\nsd 30\ne2e4\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.send("foo\n");
    EXPECT_TRUE(engine.silent_for(QUIET_MS)) << engine.output();
    engine.send("?\n");
    const std::string move = expect_move();
    EXPECT_TRUE(is_black_first_move(move)) << move;
    std::string line;
    ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS)) << engine.output();
    EXPECT_EQ(line, "Error (unknown command): foo");
    // The "?" was taken by the search; it is no command.
    engine.send("quit\n");
    expect_exit_zero();
    EXPECT_TRUE(engine.silent_for(0)) << engine.output();
}

// With "hard" any line ends the engine's own search, and the engine plays.
TEST_F(ProtocolChild, WithHardAnyLineEndsTheSearch) {
    start();
    engine.send("new\nhard\nsd 30\ne2e4\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.send("foo\n");
    const std::string move = expect_move();
    EXPECT_TRUE(is_black_first_move(move)) << move;
    std::string line;
    ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS)) << engine.output();
    EXPECT_EQ(line, "Error (unknown command): foo");
    engine.send("quit\n");
    expect_exit_zero();
}

// The front end closing the pipe while the engine ponders ends the engine.
TEST_F(ProtocolChild, EndOfInputWhilePonderingEndsTheEngine) {
    start();
    engine.send("new\nhard\nst 0\ne2e4\n");
    expect_move();
    expect_busy("no pondering after the engine's move");
    engine.close_input();
    expect_exit_zero();
}

// The same during the engine's own search, which would otherwise run for hours.
TEST_F(ProtocolChild, EndOfInputDuringTheSearchEndsTheEngine) {
    start();
    engine.send("new\nsd 30\ne2e4\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.close_input();
    expect_exit_zero();
}

// Ctrl-C at the front end reaches the engine too; it must not end it.
TEST_F(ProtocolChild, InterruptDuringTheSearchIsIgnored) {
    start();
    engine.send("new\nsd 30\ne2e4\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(kill(engine.pid(), SIGINT), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.send("?\n");
    const std::string move = expect_move();
    EXPECT_TRUE(is_black_first_move(move)) << move;
    ASSERT_EQ(kill(engine.pid(), SIGINT), 0);
    engine.send("quit\n");
    expect_exit_zero();
}

// Thinking lines: depth, score, centiseconds, nodes, the line.
const std::regex
    THINKING_LINE("([0-9]+)  -?[0-9]+  [0-9]+  [0-9]+ ( [a-h][1-8][a-h][1-8][nbrq]?)*");

// Version 2 as xboard speaks it at the start of a game, with a real time
// control (40 moves in 5 minutes: 7.5 s for this move): the features at
// once, the commands pelmok has no use for taken silently, thinking lines,
// and a ping while pondering answered at once with the pondering going on.
TEST_F(ProtocolChild, XboardGameStart) {
    start();
    engine.send("protover 2\n");
    std::string line;
    ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS));
    EXPECT_TRUE(starts_with(line, "feature myname=\"pelmok ")) << line;
    ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS));
    EXPECT_TRUE(std::regex_match(line, std::regex("feature .*\\bping=1 .*setboard=1 .* done=1")))
        << line;
    engine.send("accepted ping\naccepted done\nnew\nrandom\nlevel 40 5 0\npost\nhard\n"
                "time 30000\notim 30000\ne2e4\n");
    std::vector<std::string> thinking;
    const std::string move = expect_move(&thinking);
    EXPECT_TRUE(is_black_first_move(move)) << move;
    ASSERT_FALSE(thinking.empty()) << "no thinking lines with \"post\"";
    for (size_t i = 0; i < thinking.size(); i++) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(thinking[i], match, THINKING_LINE)) << thinking[i];
        EXPECT_EQ(std::stoi(match[1].str()), (int)i + 1) << thinking[i];
    }
    expect_busy("no pondering after the engine's move");
    engine.send("ping 7\n");
    ASSERT_TRUE(engine.read_line(&line, QUIET_MS * 2)) << "no pong while pondering";
    EXPECT_EQ(line, "pong 7");
    expect_busy("the ping ended the pondering");
    engine.send("quit\n");
    expect_exit_zero();
    EXPECT_TRUE(engine.silent_for(0)) << engine.output();
}

// A ping during the engine's own search does not end it, even with "hard"
// on (where any other line would), and is answered after the move.
TEST_F(ProtocolChild, PingDuringTheOwnSearchIsAnsweredAfterTheMove) {
    start();
    engine.send("protover 2\nnew\nhard\nsd 30\ne2e4\n");
    ASSERT_FALSE(engine.read_until("feature ping=", LINE_TIMEOUT_MS).empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.send("ping 3\n");
    EXPECT_TRUE(engine.silent_for(QUIET_MS)) << engine.output();
    engine.send("?\n");
    const std::string move = expect_move();
    EXPECT_TRUE(is_black_first_move(move)) << move;
    std::string line;
    ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS)) << engine.output();
    EXPECT_EQ(line, "pong 3");
    engine.send("quit\n");
    expect_exit_zero();
}

// Analysis thinks until told otherwise and shows its thinking; "." and ping
// are answered while it goes on; a move restarts it on the new position;
// "exit" ends it without a move.
TEST_F(ProtocolChild, AnalysisAnswersWhileItThinks) {
    start();
    engine.send("protover 2\nnew\nforce\npost\nanalyze\n");
    ASSERT_FALSE(engine.read_until("feature ping=", LINE_TIMEOUT_MS).empty());
    ASSERT_FALSE(engine.read_until("3  ", LINE_TIMEOUT_MS).empty()) << engine.output();
    expect_busy("no analysis after \"analyze\"");
    engine.send(".\n");
    // Time, nodes, depth, root moves left, root moves, the one searched.
    const std::regex status(
        "stat01: [0-9]+ [0-9]+ [1-9][0-9]* ([0-9]+) 20( [a-h][1-8][a-h][1-8])?");
    std::vector<std::string> between;
    const std::string stat = engine.read_until("stat01:", LINE_TIMEOUT_MS, &between);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(stat, match, status)) << stat;
    if (match[2].matched) {
        EXPECT_LT(std::stoi(match[1].str()), 20) << stat;
    }
    engine.send("ping 4\n");
    EXPECT_FALSE(engine.read_until("pong 4", LINE_TIMEOUT_MS, &between).empty());
    for (const std::string &line : between)
        EXPECT_TRUE(std::regex_match(line, THINKING_LINE)) << line;
    expect_busy("\".\" or ping ended the analysis");

    engine.send("e2e4\n");
    std::string line;
    ASSERT_FALSE((line = engine.read_until("1  ", LINE_TIMEOUT_MS)).empty());
    ASSERT_TRUE(std::regex_match(line, match, std::regex(".* ([a-h][1-8][a-h][1-8])$"))) << line;
    EXPECT_TRUE(is_black_first_move("move " + match[1].str())) << line;
    engine.send("exit\nping 5\n");
    std::vector<std::string> after;
    EXPECT_FALSE(engine.read_until("pong 5", LINE_TIMEOUT_MS, &after).empty());
    for (const std::string &l : after) EXPECT_FALSE(starts_with(l, "move")) << l;
    expect_idle("analysis went on after \"exit\"");
    engine.send("quit\n");
    expect_exit_zero();
}

// A script piped in whole, with lines queued behind a search and its end
// right behind them, gives the output it gives when typed line by line.
TEST_F(ProtocolChild, PipedScriptGivesTheTypedOutput) {
    const std::string head = "xboard\nnew\npost\nsd 5\ne2e4\n";
    const std::string tail = "hint\nforce\nundo\n";
    const std::regex time_field("^([0-9]+  -?[0-9]+  )[0-9]+");
    auto masked = [&](const std::string &text) {
        std::string out;
        size_t begin = 0, end;
        while ((end = text.find('\n', begin)) != std::string::npos) {
            out += std::regex_replace(text.substr(begin, end - begin), time_field, "$1*") + "\n";
            begin = end + 1;
        }
        return out;
    };

    EngineProcess piped;
    ASSERT_TRUE(piped.start());
    piped.send(head + tail);
    piped.close_input();
    std::string line;
    while (piped.read_line(&line, LINE_TIMEOUT_MS)) {
    }
    int status = 0;
    ASSERT_TRUE(piped.wait_exit(EXIT_TIMEOUT_MS, &status));

    ASSERT_TRUE(engine.start());
    engine.send(head);
    expect_move();
    engine.send(tail);
    ASSERT_FALSE(engine.read_until("Hint:", LINE_TIMEOUT_MS).empty()) << engine.output();
    engine.close_input();
    while (engine.read_line(&line, LINE_TIMEOUT_MS)) {
    }
    expect_exit_zero();
    EXPECT_EQ(masked(piped.output()), masked(engine.output()));
    EXPECT_NE(engine.output().find("\n5  "), std::string::npos) << engine.output();
}

// The game that leads to a position where White has 52 legal moves.
const char *const WIDE_OPENING[] = {"e2e4", "b8a6", "d2d4", "a6b8", "g1f3", "b8a6", "b1c3",
                                    "a6b8", "f1c4", "b8a6", "c1f4", "a6b8", "d1d3", "b8a6"};
// White's legal moves there, castling last.
const char *const WIDE_MOVES[] = {
    "c4b5", "c4a6", "c4d5", "c4e6", "c4f7", "c4b3", "d4d5", "e4e5", "f4e5", "f4d6", "f4c7",
    "f4g5", "f4h6", "f4e3", "f4d2", "f4c1", "f4g3", "c3b5", "c3d5", "c3a4", "c3e2", "c3b1",
    "c3d1", "d3e3", "d3d2", "d3d1", "d3e2", "d3f1", "f3e5", "f3g5", "f3h4", "f3d2", "f3g1",
    "a2a3", "a2a4", "b2b3", "b2b4", "g2g3", "g2g4", "h2h3", "h2h4", "a1b1", "a1c1", "a1d1",
    "e1d2", "e1e2", "e1d1", "e1f1", "h1g1", "h1f1", "e1g1", "e1c1"};
constexpr int BOOK_CANDIDATE_LIMIT = 50;
constexpr int EXTRA_VOTES = 100;

// The book keeps 50 different candidates; lines for further moves are
// skipped, however many they are.
TEST_F(ProtocolChild, BookSkipsCandidatesBeyondFifty) {
    std::string game;
    for (const char *move : WIDE_OPENING) game += move;
    std::string book;
    const int moves = (int)(sizeof WIDE_MOVES / sizeof WIDE_MOVES[0]);
    ASSERT_GT(moves, BOOK_CANDIDATE_LIMIT);
    for (int i = 0; i < moves; i++) {
        const int lines = i < BOOK_CANDIDATE_LIMIT ? 1 : EXTRA_VOTES;
        for (int k = 0; k < lines; k++) book += game + WIDE_MOVES[i] + "\n";
    }
    start(book.c_str());
    std::string commands = "force\n";
    for (const char *move : WIDE_OPENING) commands += std::string(move) + "\n";
    engine.send(commands + "go\n");
    const std::string move = expect_move();
    bool among_first = false;
    for (int i = 0; i < BOOK_CANDIDATE_LIMIT; i++)
        if (move == std::string("move ") + WIDE_MOVES[i]) among_first = true;
    EXPECT_TRUE(among_first) << move;
    engine.send("quit\n");
    expect_exit_zero();
}

} // namespace

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
#include <sstream>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/engine_process.h"

namespace {

constexpr int LINE_TIMEOUT_MS = 20000; // the longest search here is given 7.5 s
constexpr int EXIT_TIMEOUT_MS = 10000;
constexpr int QUIET_MS = 1000;     // how long the engine is watched between commands
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

// The first move of a game is not pondered on: with "hard" the engine that
// opens waits idle, answers the reply, and ponders from its second move on.
TEST_F(ProtocolChild, NoPonderingAfterTheFirstMoveOfTheGame) {
    start();
    engine.send("new\nhard\nst 0\ngo\n");
    expect_move();
    expect_idle("pondering after the first move of the game");
    // 1... e5 is legal whatever White played.
    engine.send("e7e5\n");
    std::vector<std::string> before;
    expect_move(&before);
    EXPECT_TRUE(before.empty()) << engine.output();
    expect_busy("no pondering after the second move");
    engine.send("quit\n");
    expect_exit_zero();
}

// An expected reply that takes en passant is not pondered on: after
// 1... Bb7+ the engine's only move, e2e4, invites f4xe3 with a discovered
// check, after which the game goes on (the knight blocks, or the king
// steps to g1). The game's first move is one of Black's, so the engine's
// is its second half-move, which would be pondered on.
TEST_F(ProtocolChild, NoPonderingOnAnEnPassantReply) {
    start();
    engine.send("protover 2\nsetboard k7/8/b7/2b5/5p2/2N5/4P3/5n1K b - - 0 1\nforce\na6b7\n"
                "hard\nst 1\ngo\n");
    EXPECT_EQ(expect_move(), "move e2e4");
    engine.send("hint\n");
    std::string hint;
    ASSERT_TRUE(engine.read_line(&hint, LINE_TIMEOUT_MS));
    EXPECT_EQ(hint, "Hint: f4e3");
    expect_idle("pondering on an en-passant reply");
    engine.send("f4e3\n");
    const std::string answer = expect_move();
    EXPECT_TRUE(answer == "move h1g1" || answer == "move c3d5" || answer == "move c3e4") << answer;
    engine.send("quit\n");
    expect_exit_zero();
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
    // The options, then the rest, done=1 last.
    do ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS));
    while (starts_with(line, "feature option="));
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
// Version 2: "force", "new", "result", "setboard" and "edit" end the
// engine's own search (here with no time limit) without its move, with
// pondering off or on, and the ping behind each is answered at once;
// "quit" ends the engine.
TEST_F(ProtocolChild, CommandsEndTheOwnSearchWithoutAMove) {
    start();
    engine.send("protover 2\nnew\neasy\nsd 30\ne2e4\n");
    ASSERT_FALSE(engine.read_until("feature ping=", LINE_TIMEOUT_MS).empty());
    const struct {
        const char *cancelling;
        const char *next_search; // leaves the engine searching again
    } steps[] = {
        {"force\n", "go\n"},
        {"new\n", "hard\ne2e4\n"},
        {"result 1-0 {White mates}\n", "easy\ngo\n"},
        // Black to move: the engine, White, waits.
        {"setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1\n", "go\n"},
        {"edit\n", ".\n"},
    };
    int ping = 0;
    for (const auto &step : steps) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        engine.send(std::string(step.cancelling) + "ping " + std::to_string(++ping) + "\n");
        std::string line;
        ASSERT_TRUE(engine.read_line(&line, LINE_TIMEOUT_MS)) << step.cancelling;
        EXPECT_EQ(line, "pong " + std::to_string(ping)) << step.cancelling;
        engine.send(step.next_search);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.send("quit\n");
    expect_exit_zero();
    EXPECT_TRUE(engine.silent_for(0)) << engine.output();
}

// "nps 1" turns "st N" into N nodes a move (python-chess's node limit):
// the move comes at once, although N seconds were given.
TEST_F(ProtocolChild, NodeRateTurnsSecondsIntoNodes) {
    start();
    engine.send("protover 2\npost\nnps 1\nst 20000\n"
                "setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3\ngo\n");
    const std::string move = engine.read_until("move ", LINE_TIMEOUT_MS);
    ASSERT_FALSE(move.empty()) << engine.output();
    // Every finished iteration stayed within the nodes: the depth-1 and
    // depth-2 lines at least were printed, each under the limit.
    std::istringstream lines(engine.output());
    int iterations = 0;
    for (std::string line; std::getline(lines, line);) {
        int depth, score, time;
        unsigned long nodes;
        if (sscanf(line.c_str(), "%d %d %d %lu", &depth, &score, &time, &nodes) != 4) continue;
        iterations++;
        EXPECT_LT(nodes, 20000u) << line;
    }
    EXPECT_GE(iterations, 2);
    engine.send("quit\n");
    expect_exit_zero();
}

// Rooks walking their ranks (White's on b3-g3, Black's on b6-f6: no
// position comes back often enough for a repetition) and a pawn move every
// 91 half-moves (no fifty-move draw), from LONG_GAME_START.
const char *const LONG_GAME_START = "7k/7p/1r6/8/8/1R6/P7/K7 w - - 0 1";
constexpr int PAWN_MOVE_EVERY = 91;

std::vector<std::string> long_game(int plies) {
    std::vector<std::string> moves;
    int white_file = 1, black_file = 1, white_pawn = 2, black_pawn = 7;
    for (int i = 0; i < plies; i++) {
        const bool white = i % 2 == 0;
        char move[32]; // room for any int the compiler cannot rule out
        if (i % PAWN_MOVE_EVERY == PAWN_MOVE_EVERY - 1) {
            if (white) {
                snprintf(move, sizeof move, "a%da%d", white_pawn, white_pawn + 1);
                white_pawn++;
            } else {
                snprintf(move, sizeof move, "h%dh%d", black_pawn, black_pawn - 1);
                black_pawn--;
            }
        } else if (white) {
            const int next = white_file == 6 ? 1 : white_file + 1;
            snprintf(move, sizeof move, "%c3%c3", 'a' + white_file, 'a' + next);
            white_file = next;
        } else {
            const int next = black_file == 5 ? 1 : black_file + 1;
            snprintf(move, sizeof move, "%c6%c6", 'a' + black_file, 'a' + next);
            black_file = next;
        }
        moves.push_back(move);
    }
    return moves;
}

// Version 2 plays a game longer than the undo stack, the engine moving on
// after 700 half-moves; "undo" and "remove" past the history it kept
// answer an error, and the position they leave is the game's own there:
// the rest of the game plays on from it.
TEST_F(ProtocolChild, Version2GameOfSevenHundredPlies) {
    constexpr int PLIES = 700;
    const std::vector<std::string> moves = long_game(PLIES);
    start();
    std::string commands = std::string("protover 2\nforce\nsetboard ") + LONG_GAME_START + "\n";
    for (const std::string &move : moves) commands += move + "\n";
    engine.send(commands + "ping 1\n");
    ASSERT_FALSE(engine.read_until("feature ping=", LINE_TIMEOUT_MS).empty());
    std::vector<std::string> lines;
    ASSERT_FALSE(engine.read_until("pong 1", LINE_TIMEOUT_MS, &lines).empty()) << engine.output();
    EXPECT_TRUE(lines.empty()) << lines.front();

    engine.send("sd 1\ngo\n");
    expect_move();
    std::string undos = "force\n";
    for (int i = 0; i <= PLIES; i++) undos += "undo\n";
    engine.send(undos + "remove\nping 2\n");
    lines.clear();
    ASSERT_FALSE(engine.read_until("pong 2", LINE_TIMEOUT_MS, &lines).empty()) << engine.output();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "Error (command not legal now): remove");
    lines.pop_back();
    for (const std::string &line : lines) EXPECT_EQ(line, "Error (command not legal now): undo");
    const int kept = PLIES + 1 - (int)lines.size();
    ASSERT_GT(kept, 0);
    ASSERT_LT(kept, PLIES);

    std::string rest;
    for (int i = PLIES + 1 - kept; i < PLIES; i++) rest += moves[i] + "\n";
    engine.send(rest + "ping 3\n");
    lines.clear();
    ASSERT_FALSE(engine.read_until("pong 3", LINE_TIMEOUT_MS, &lines).empty()) << engine.output();
    EXPECT_TRUE(lines.empty()) << lines.front();
    engine.send("quit\n");
    expect_exit_zero();
}

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

// Version 2's strength options: a limited level answers long before the
// time the clock gives full strength, which it uses; an option that is not
// the engine's is an error line.
TEST_F(ProtocolChild, LimitedStrengthOptions) {
    start();
    engine.send("protover 2\n");
    std::vector<std::string> features;
    ASSERT_FALSE(engine.read_until("feature ping=1", LINE_TIMEOUT_MS, &features).empty());
    EXPECT_EQ(features.back(), "feature option=\"UCI_Elo -spin 1500 630 1610\"");
    engine.send("option Threads=2\nping 1\n");
    EXPECT_EQ(engine.read_until("Error", LINE_TIMEOUT_MS), "Error (bad option): Threads=2");
    std::vector<std::string> after_error;
    EXPECT_EQ(engine.read_until("pong", LINE_TIMEOUT_MS, &after_error), "pong 1");
    EXPECT_TRUE(after_error.empty()) << "the error is one line: " << after_error.size();
    engine.send("option UCI_LimitStrength=1\noption UCI_Elo=700\nnew\nst 4\nforce\ne2e4\n");
    auto start_time = std::chrono::steady_clock::now();
    engine.send("go\n");
    EXPECT_TRUE(is_black_first_move(expect_move()));
    EXPECT_LT(elapsed_ms(start_time), 2000) << "a weak level answers at once";
    engine.send("option UCI_LimitStrength=0\nnew\nst 4\nforce\ne2e4\n");
    start_time = std::chrono::steady_clock::now();
    engine.send("go\n");
    EXPECT_TRUE(is_black_first_move(expect_move()));
    EXPECT_GT(elapsed_ms(start_time), 3000) << "full strength takes its time";
    engine.send("quit\n");
    expect_exit_zero();
}

} // namespace

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

#include "board/board.h"
#include "board/history.h"
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
    bool start(const char *book_text = nullptr) {
        if (!EngineProcess::start(book_text)) return false;
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
    // Stalemate and mate: nothing to search; the depth-0 line comes at
    // once, and still the answer waits.
    const struct {
        const char *fen, *info;
    } finished[] = {
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "info depth 0 score cp 0"},
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "info depth 0 score mate 0"},
    };
    for (const auto &game : finished) {
        engine.send("position fen " + std::string(game.fen) + "\ngo infinite\n");
        EXPECT_EQ(engine.read_until("info", REPLY_MS), game.info) << engine.output();
        EXPECT_TRUE(engine.no_line_for("bestmove", QUIET_MS)) << engine.output();
        engine.send("stop\n");
        EXPECT_EQ(engine.read_until("bestmove", REPLY_MS), "bestmove 0000") << engine.output();
    }
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
    engine.send(std::string("\0isready\n", 9));
    expect_ready("after a leading NUL");
    // The moves after a NUL are still the line's: Black is to move.
    engine.send(std::string("position startpos\0moves e2e4\ngo depth 1\n", 40));
    const std::string best = engine.read_until("bestmove", REPLY_MS);
    EXPECT_TRUE(best.size() > 10 && (best[10] == '7' || best[10] == '8')) << best;
    quit();
}

// pelmok-tools search FEN DEPTH: the nodes of its last iteration and its
// move.
void tools_search(const char *fen, int depth, unsigned long *nodes, std::string *best) {
    const std::string command =
        std::string(PELMOK_TOOLS_BINARY) + " search '" + fen + "' " + std::to_string(depth);
    FILE *tools = popen(command.c_str(), "r");
    ASSERT_NE(tools, nullptr);
    char text[4096];
    std::string last_line;
    while (fgets(text, sizeof text, tools)) {
        const std::string line(text, strcspn(text, "\n"));
        if (starts_with(line, "bestmove "))
            *best = line.substr(9);
        else
            last_line = line;
    }
    pclose(tools);
    // The thinking line: depth, score, time, nodes, moves.
    ASSERT_EQ(sscanf(last_line.c_str(), "%*d %*d %*d %lu", nodes), 1) << last_line;
}

// The count after " nodes " in an info line; 0 when it has none.
unsigned long info_nodes(const std::string &line) {
    const size_t at = line.find(" nodes ");
    return at == std::string::npos ? 0 : std::stoul(line.substr(at + 7));
}

// The move of a bestmove line.
std::string bestmove_of(const std::string &line) {
    if (!starts_with(line, "bestmove ")) return "";
    return line.substr(9, line.find(' ', 9) - 9);
}

// The nodes of the last info line of a "go depth" and its bestmove line.
unsigned long depth_search(UciEngine &engine, const std::string &go, std::string *best) {
    engine.send(go);
    std::vector<std::string> info;
    *best = engine.read_until("bestmove", SEARCH_MS, &info);
    return info.empty() ? 0 : info_nodes(info.back());
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
        unsigned long tools_nodes = 0;
        std::string tools_best;
        tools_search(c.fen, c.depth, &tools_nodes, &tools_best);
        engine.send("ucinewgame\nposition fen " + std::string(c.fen) + "\ngo depth " +
                    std::to_string(c.depth) + "\n");
        std::vector<std::string> info;
        const std::string best = engine.read_until("bestmove", SEARCH_MS, &info);
        ASSERT_FALSE(info.empty()) << engine.output();
        EXPECT_EQ(info_nodes(info.back()), tools_nodes) << c.fen;
        EXPECT_TRUE(starts_with(best, "bestmove " + tools_best)) << best << " vs " << tools_best;
        EXPECT_TRUE(starts_with(info.back(), "info depth " + std::to_string(c.depth) + " "));
    }
    quit();
}

// A node limit and a mate limit each end a search that would otherwise run
// for minutes; the nodes are counted past the limit only up to the next look
// at it.
TEST_F(UciChild, NodesEndTheSearch) {
    constexpr unsigned long NODES = 20000;
    constexpr unsigned long POLL_SLACK = 8192;
    engine.send("position startpos\ngo nodes 20000\n");
    std::vector<std::string> info;
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS, &info)))
        << engine.output();
    ASSERT_FALSE(info.empty()) << engine.output();
    EXPECT_GE(info_nodes(info.back()), NODES) << info.back();
    EXPECT_LT(info_nodes(info.back()), NODES + POLL_SLACK) << info.back();

    // A node-limited search is bounded: a command waiting behind it and the
    // end of input let it count its nodes to the end.
    info.clear();
    engine.send("position startpos\ngo nodes 300000\nposition startpos moves e2e4\n");
    engine.close_input();
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", SEARCH_MS, &info)))
        << engine.output();
    ASSERT_FALSE(info.empty()) << engine.output();
    EXPECT_GE(info_nodes(info.back()), 300000ul) << info.back();
    EXPECT_TRUE(engine.exits_with_zero(REPLY_MS));
}

// go mate stops once the mate is proven.
TEST_F(UciChild, MateEndsTheSearch) {
    std::vector<std::string> info;
    // Mate in 2: Kc7 Ka7 Ra1.
    info.clear();
    engine.send("position fen k7/8/2K5/8/8/8/8/1R6 w - - 0 1\ngo mate 2\n");
    EXPECT_TRUE(starts_with(engine.read_until("bestmove", REPLY_MS, &info), "bestmove c6c7"))
        << engine.output();
    bool proven = false;
    for (const std::string &line : info) proven |= line.find(" score mate 2 ") != std::string::npos;
    EXPECT_TRUE(proven) << engine.output();
    quit();
}

// searchmoves: only the legal moves it names, up to the first word that is
// no move; when it names none that is legal, every move.
TEST_F(UciChild, SearchmovesRestrictTheAnswer) {
    std::vector<std::string> info;
    engine.send("position startpos\ngo searchmoves e1e2 a2a3 h2h3 depth 3\n");
    const std::string best = engine.read_until("bestmove", SEARCH_MS, &info);
    EXPECT_TRUE(starts_with(best, "bestmove a2a3") || starts_with(best, "bestmove h2h3")) << best;
    ASSERT_FALSE(info.empty());
    EXPECT_TRUE(starts_with(info.back(), "info depth 3 ")) << info.back();
    for (const std::string &line : info) {
        const size_t pv = line.find(" pv ");
        ASSERT_NE(pv, std::string::npos) << line;
        const std::string first = line.substr(pv + 4, 4);
        EXPECT_TRUE(first == "a2a3" || first == "h2h3") << line;
    }
    // The knight is pinned: e2c3 is no legal move and is dropped.
    const std::string pinned = "position fen 4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1\n";
    engine.send(pinned + "go depth 3 searchmoves e2c3 e1d1\n");
    EXPECT_TRUE(starts_with(engine.read_until("bestmove", SEARCH_MS), "bestmove e1d1"))
        << engine.output();
    engine.send(pinned + "go depth 3 searchmoves e2c3\n");
    EXPECT_TRUE(starts_with(engine.read_until("bestmove", SEARCH_MS), "bestmove e1"))
        << engine.output();
    // Black's knights, from the back rank, neither being the move found
    // without the restriction.
    info.clear();
    engine.send("position startpos moves e2e4\ngo depth 3 searchmoves g8f6 b8c6\n");
    const std::string knight = engine.read_until("bestmove", SEARCH_MS, &info);
    EXPECT_TRUE(starts_with(knight, "bestmove g8f6") || starts_with(knight, "bestmove b8c6"))
        << knight;
    quit();
}

// MultiPV 3: three lines per iteration, each with its own first move, the
// best first; bestmove is the first line's move. Values beyond the bounds
// are brought within them: 1000 asks for every legal move.
TEST_F(UciChild, MultiPvLines) {
    constexpr int DEPTH = 4;
    engine.send("setoption name MultiPV value 3\nposition startpos\ngo depth 4\n");
    std::vector<std::string> info;
    const std::string best = engine.read_until("bestmove", SEARCH_MS, &info);
    ASSERT_EQ(info.size(), (size_t)(3 * DEPTH)) << engine.output();
    for (int depth = 1; depth <= DEPTH; depth++) {
        std::vector<std::string> firsts;
        int previous_score = 1000000;
        for (int line = 1; line <= 3; line++) {
            const std::string &text = info[(size_t)(3 * (depth - 1) + line - 1)];
            const std::string head = "info depth " + std::to_string(depth) + " multipv " +
                                     std::to_string(line) + " score cp ";
            ASSERT_TRUE(starts_with(text, head)) << text;
            const int score = std::stoi(text.substr(head.size()));
            EXPECT_LE(score, previous_score) << text;
            previous_score = score;
            const std::string first = text.substr(text.find(" pv ") + 4, 4);
            for (const std::string &seen : firsts) EXPECT_NE(first, seen) << text;
            firsts.push_back(first);
        }
        if (depth == DEPTH) {
            EXPECT_TRUE(starts_with(best, "bestmove " + firsts[0])) << best;
        }
    }

    info.clear();
    engine.send("setoption name multipv value 1000\ngo depth 1\n");
    engine.read_until("bestmove", SEARCH_MS, &info);
    ASSERT_EQ(info.size(), 20u) << engine.output();
    EXPECT_TRUE(starts_with(info.back(), "info depth 1 multipv 20 ")) << info.back();

    // Two moves to search: two lines, whatever MultiPV asks for.
    info.clear();
    engine.send("setoption name MultiPV value 3\ngo depth 2 searchmoves e2e4 d2d4\n");
    engine.read_until("bestmove", SEARCH_MS, &info);
    ASSERT_EQ(info.size(), 4u) << engine.output();
    for (const std::string &line : info) EXPECT_EQ(line.find("multipv 3"), std::string::npos);

    info.clear();
    engine.send("setoption name MultiPV value 1\ngo depth 2\n");
    engine.read_until("bestmove", SEARCH_MS, &info);
    ASSERT_EQ(info.size(), 2u) << engine.output();
    EXPECT_TRUE(starts_with(info.back(), "info depth 2 score ")) << info.back();
    quit();
}

// Hash resizes and Clear Hash clears: after either, a search is the tools'
// fresh search again, while a second search on a warm table is not.
TEST_F(UciChild, HashAndClearHash) {
    const char *fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    unsigned long tools_nodes = 0;
    std::string tools_best, best;
    tools_search(fen, 5, &tools_nodes, &tools_best);
    const std::string go = "position fen " + std::string(fen) + "\ngo depth 5\n";
    EXPECT_GT(depth_search(engine, "setoption name Hash value 16\n" + go, &best), 0ul);
    EXPECT_EQ(depth_search(engine, "setoption name hash value 4\n" + go, &best), tools_nodes);
    EXPECT_NE(depth_search(engine, go, &best), tools_nodes) << "a warm table changes the tree";
    EXPECT_EQ(depth_search(engine, "setoption name Clear Hash\n" + go, &best), tools_nodes);
    EXPECT_TRUE(starts_with(best, "bestmove " + tools_best)) << best;
    quit();
}

// A large table costs a search nothing outside its clock: at 4 GB, warm,
// the wall time of a movetime search is the time its last info line
// reports, give or take the pipes (the best of three, against the load of
// the machine).
TEST_F(UciChild, LargeTableCostsNothingOutsideTheClock) {
#ifndef NDEBUG
    GTEST_SKIP() << "the sanitizers make every fresh page of a 4 GB table slow; Release runs it";
#endif
    engine.send("setoption name Hash value 4096\nposition startpos moves e2e4\ngo depth 7\n");
    ASSERT_FALSE(engine.read_until("bestmove", SEARCH_MS).empty()) << engine.output();
    long least_gap_ms = REPLY_MS;
    for (int search = 0; search < 3; search++) {
        const auto start = std::chrono::steady_clock::now();
        engine.send("position startpos moves e2e4 e7e5\ngo movetime 100\n");
        std::vector<std::string> info;
        ASSERT_FALSE(engine.read_until("bestmove", REPLY_MS, &info).empty()) << engine.output();
        const long wall_ms = elapsed_ms(start);
        ASSERT_FALSE(info.empty());
        const size_t at = info.back().find(" time ");
        ASSERT_NE(at, std::string::npos) << info.back();
        const long gap_ms = wall_ms - std::stol(info.back().substr(at + 6));
        if (gap_ms < least_gap_ms) least_gap_ms = gap_ms;
    }
    EXPECT_LT(least_gap_ms, 100) << engine.output();
    quit();
}

// A limited level never thinks longer than full strength on the same
// clock, and a low one answers at once.
TEST_F(UciChild, LimitedStrengthIsNeverSlower) {
    engine.send("setoption name UCI_LimitStrength value true\n");
    for (int elo : {630, 1500, 1610}) {
        engine.send("setoption name UCI_Elo value " + std::to_string(elo) + "\n");
        const auto start = std::chrono::steady_clock::now();
        engine.send("position startpos moves e2e4\ngo movetime 3000\n");
        const std::string best = engine.read_until("bestmove", REPLY_MS);
        EXPECT_TRUE(best.size() > 10 && (best[10] == '7' || best[10] == '8')) << best;
        EXPECT_LT(elapsed_ms(start), elo < 1610 ? 1500 : 3100) << elo;
    }
    quit();
}

// Move Overhead comes off a movetime: 1000 less 900 leaves 100 ms.
TEST_F(UciChild, MoveOverheadShortensTheBudget) {
    engine.send("setoption name Move Overhead value 900\nisready\n");
    expect_ready("after the option");
    const auto start = std::chrono::steady_clock::now();
    engine.send("position startpos\ngo movetime 1000\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();
    EXPECT_LT(elapsed_ms(start), 700) << "a budget of 100 ms";
    quit();
}

// A position that is refused is answered for no other: the client is
// told, and every go (ponder too) answers bestmove 0000 at once until a
// readable position comes.
TEST_F(UciChild, RefusedPositionsGetNoMove) {
    const char *refused[] = {
        "fen 4k3/8/8/8/8/8/8/R7 w - - 0 1",   // no white king
        "fen 4k3/8/8/8/8/8/8/4RK2 w - - 0 1", // Black, not to move, in check
        "fen 4k3/8/8/8/8/8/8/P3K3 w - - 0 1", // a pawn on the first rank
        "startpos moves e2e4 e7e5 e1e3",      // an illegal move
    };
    for (const char *position : refused) {
        engine.send("position startpos moves e2e4\nposition " + std::string(position) +
                    "\ngo depth 2\ngo ponder\n");
        const std::string told = engine.read_until("info string", REPLY_MS);
        EXPECT_TRUE(starts_with(told, "info string position refused"))
            << position << engine.output();
        EXPECT_EQ(engine.read_until("bestmove", REPLY_MS), "bestmove 0000") << position;
        EXPECT_EQ(engine.read_until("bestmove", REPLY_MS), "bestmove 0000") << position;
    }
    std::string best;
    depth_search(engine, "position startpos moves e2e4\ngo depth 2\n", &best);
    // Black's first moves all start on rank 7 or 8.
    const std::string move = bestmove_of(best);
    EXPECT_TRUE(move.size() >= 4 && (move[1] == '7' || move[1] == '8')) << best;
    quit();
}

// A game of 700 half-moves, longer than the undo stack: knights shuffling,
// and a pawn move for each side every 50 half-moves so that the fifty-move
// rule never applies. The answer is a legal move of its last position,
// which the board finds by playing the game itself.
TEST_F(UciChild, SevenHundredPlyGame) {
    std::vector<std::string> game;
    for (char file = 'a'; file <= 'g'; file++) {
        for (int step = 0; step < 2; step++) {
            game.push_back(std::string{file, (char)('2' + step), file, (char)('3' + step)});
            game.push_back(std::string{file, (char)('7' - step), file, (char)('6' - step)});
            for (int i = 0; i < 12; i++)
                for (const char *move : {"g1h3", "g8h6", "h3g1", "h6g8"}) game.push_back(move);
        }
    }
    ASSERT_EQ(game.size(), 700u);
    std::string line = "position startpos moves";
    new_game();
    refresh_moves();
    for (const std::string &move : game) {
        line += " " + move;
        const int index = parse_move_text(move.c_str());
        ASSERT_GE(index, 0) << move;
        make_room_for_move();
        ASSERT_TRUE(make_move(move_stack[index].move)) << move;
        refresh_moves();
    }
    engine.send(line + "\ngo depth 4\n");
    const std::string best = engine.read_until("bestmove", SEARCH_MS);
    const int index = parse_move_text(bestmove_of(best).c_str());
    ASSERT_GE(index, 0) << best;
    EXPECT_TRUE(move_playable(move_stack[index].move)) << best;
    quit();
}

// Analysis never answers from the book: go infinite and UCI_AnalyseMode
// search and print their lines, where a plain go takes the book's move.
TEST(UciAnalysis, NeverFromTheBook) {
    signal(SIGPIPE, SIG_IGN);
    UciEngine engine;
    ASSERT_TRUE(engine.start("e2e4e7e5g1f3\n")) << engine.output();
    std::vector<std::string> before;
    engine.send("position startpos\ngo depth 3\n");
    EXPECT_EQ(engine.read_until("bestmove", REPLY_MS, &before), "bestmove e2e4") << engine.output();
    EXPECT_TRUE(before.empty()) << engine.output();

    engine.send("position startpos\ngo infinite\n");
    EXPECT_TRUE(starts_with(engine.read_until("info depth", REPLY_MS), "info depth 1 "))
        << engine.output();
    engine.send("stop\n");
    EXPECT_TRUE(white_first_bestmove(engine.read_until("bestmove", REPLY_MS))) << engine.output();

    before.clear();
    engine.send("setoption name UCI_AnalyseMode value true\nposition startpos\ngo depth 3\n");
    engine.read_until("bestmove", SEARCH_MS, &before);
    ASSERT_FALSE(before.empty()) << engine.output();
    EXPECT_TRUE(starts_with(before.back(), "info depth 3 ")) << engine.output();
    engine.send("quit\n");
    EXPECT_TRUE(engine.exits_with_zero(REPLY_MS)) << engine.output();
}

} // namespace

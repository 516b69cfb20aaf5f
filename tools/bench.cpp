// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// bench: a fixed-depth search of a fixed set of positions, each from a fresh
// state. The node total is the engine's signature: any change to the tree
// searched changes it.
#include "tools/tools.h"

#include <cinttypes>
#include <cstdio>

#include "platform/platform.h"
#include "search/search.h"

namespace {

constexpr int DEFAULT_BENCH_DEPTH = 6;

const char *const bench_positions[] = {
    // Openings
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "rnbqkb1r/ppp1pppp/5n2/3p4/2PP4/8/PP2PPPP/RNBQKBNR w KQkq d6 0 3",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5",
    // Middlegames
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R1BQKB1R w KQ - 0 8",
    "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 0 11",
    "r2q1rk1/ppp2ppp/2n1bn2/2bpp3/4P3/2PP1NP1/PP1N1PBP/R1BQ1RK1 w - - 0 8",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/5N1P/PPBN1PP1/R1BQR1K1 b - - 0 13",
    "3r1rk1/p4ppp/2p1bq2/2b1p3/4P3/1BN2Q1P/PPP2PP1/3R1RK1 w - - 0 18",
    "r1bqk2r/ppp2ppp/2n5/3np3/1bB5/2N2N2/PPPP1PPP/R1BQK2R w KQkq - 0 6",
    // Checks, tactics and mates
    "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3",
    "r1bqkb1r/pppp1Qpp/2n2n2/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1",
    "2kr3r/ppp2ppp/2n5/2b1q3/4P1b1/2NP1N2/PPP1BPPP/R1BQK2R b KQ - 0 9",
    // Promotions
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "8/P6k/8/8/8/8/6Kp/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    // En passant and castling available
    "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "r3k2r/8/8/8/3pPp2/8/8/R3K2R b KQkq e3 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    // Endgames
    "8/8/8/4k3/8/8/4P3/4K3 w - - 0 1",
    "8/5pk1/6p1/8/8/6P1/5PK1/8 w - - 0 1",
    "8/8/4k3/8/2R5/8/4K3/8 w - - 0 1",
    "8/8/1p6/1P1k4/3p4/3K4/8/8 w - - 0 1",
    "6k1/5p2/6p1/8/7P/6P1/5PK1/3r4 b - - 0 40",
    "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
    "4k3/8/8/8/8/8/8/4KBN1 w - - 0 1",
    "8/8/8/3qk3/8/8/8/3QK3 w - - 0 1",
};

} // namespace

int bench_command(int argc, char **argv) {
    int depth = DEFAULT_BENCH_DEPTH;
    int threads = 0; // not given: the plain signature run
    if (argc > 2 || (argc >= 1 && (!parse_depth(argv[0], &depth) || depth < 1)) ||
        (argc == 2 &&
         (!parse_depth(argv[1], &threads) || threads < 1 || threads > MAX_SEARCH_THREADS))) {
        fprintf(stderr, "usage: pelmok-tools bench [DEPTH [THREADS]]\n");
        return TOOL_USAGE_ERROR;
    }
    set_search_threads(threads > 0 ? threads : 1);
    uint64_t total = 0;
    const int64_t start = now_ms();
    int number = 0;
    for (const char *fen : bench_positions) {
        if (!setup_position(fen, FEN_AS_WRITTEN)) return TOOL_USAGE_ERROR;
        const int64_t position_start = now_ms();
        prepare_fixed_depth_search(depth);
        run_search(0);
        total += search_nodes_total();
        // With a thread count given, the time each position took to reach
        // the depth, for comparing thread counts, and the nodes of all
        // threads and of the main thread (which alone decides when the
        // depth is reached).
        number++;
        if (threads > 0)
            printf("position %d time_ms %" PRId64 " nodes %" PRIu64 " main_nodes %" PRIu64
                   " best %s\n",
                   number, now_ms() - position_start, search_nodes_total(), node_count,
                   move_text(pv_table[0][0]));
    }
    const int64_t elapsed = now_ms() - start;
    printf("nodes %" PRIu64 "\n", total);
    printf("time_ms %" PRId64 "\n", elapsed);
    printf("nps %" PRIu64 "\n", elapsed > 0 ? total * 1000 / (uint64_t)elapsed : total * 1000);
    return 0;
}

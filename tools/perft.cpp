// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// perft and divide: move-generator node counts.
#include "tools/tools.h"

#include <cinttypes>
#include <cstdio>

#include "board/board.h"
#include "platform/platform.h"
#include "search/search.h"

namespace {

// Perft is limited by the per-ply move lists.
constexpr int MAX_PERFT_DEPTH = PLY_SLOTS - 2;

int read_arguments(int argc, char **argv, const char *name, int *depth) {
    const int rules = take_rules_option(&argc, &argv);
    if (argc != 2) {
        fprintf(stderr, "usage: pelmok-tools %s [--chess960] FEN DEPTH\n", name);
        return 0;
    }
    if (!parse_depth(argv[1], depth) || *depth > MAX_PERFT_DEPTH) {
        fprintf(stderr, "pelmok-tools: bad depth: %s\n", argv[1]);
        return 0;
    }
    return setup_position(argv[0], rules);
}

} // namespace

int perft_command(int argc, char **argv) {
    int depth;
    if (!read_arguments(argc, argv, "perft", &depth)) return TOOL_USAGE_ERROR;
    const int64_t start = now_ms();
    const uint64_t nodes = perft(depth);
    const int64_t elapsed = now_ms() - start;
    printf("nodes %" PRIu64 "\n", nodes);
    printf("time_ms %" PRId64 "\n", elapsed);
    printf("nps %" PRIu64 "\n", elapsed > 0 ? nodes * 1000 / (uint64_t)elapsed : nodes * 1000);
    return 0;
}

int divide_command(int argc, char **argv) {
    int depth;
    if (!read_arguments(argc, argv, "divide", &depth)) return TOOL_USAGE_ERROR;
    uint64_t total = 0;
    if (depth > 0) {
        const int end = ply_move_start[1];
        for (int i = 0; i < end; i++) {
            const Move move = move_stack[i].move;
            if (!make_move(move)) continue;
            const uint64_t count = perft(depth - 1);
            unmake_move();
            printf("%s: %" PRIu64 "\n", move_text(move), count);
            total += count;
        }
    } else {
        total = 1;
    }
    printf("nodes %" PRIu64 "\n", total);
    return 0;
}

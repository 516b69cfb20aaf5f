// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// search: one search from a fresh state, printing the thinking lines.
#include "tools/tools.h"

#include <cstdio>

#include "search/search.h"

int search_command(int argc, char **argv) {
    int depth;
    const int rules = take_rules_option(&argc, &argv);
    if (argc != 2) {
        fprintf(stderr, "usage: pelmok-tools search [--chess960] FEN DEPTH\n");
        return TOOL_USAGE_ERROR;
    }
    if (!parse_depth(argv[1], &depth)) {
        fprintf(stderr, "pelmok-tools: bad depth: %s\n", argv[1]);
        return TOOL_USAGE_ERROR;
    }
    if (!setup_position(argv[0], rules)) return TOOL_USAGE_ERROR;
    prepare_fixed_depth_search(depth);
    run_search(2);
    const Move best = pv_table[0][0];
    printf("bestmove %s\n", best ? move_text(best) : "none");
    return 0;
}

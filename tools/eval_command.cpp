// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// eval: the static score of one position.
#include "tools/tools.h"

#include <cstdio>

#include "eval/eval.h"

int eval_command(int argc, char **argv) {
    const int rules = take_rules_option(&argc, &argv);
    if (argc != 1) {
        fprintf(stderr, "usage: pelmok-tools eval [--chess960] FEN\n");
        return TOOL_USAGE_ERROR;
    }
    if (!setup_position(argv[0], rules)) return TOOL_USAGE_ERROR;
    const int score = evaluate();
    printf("score %d\n", score);
    printf("material_total %d\n", material_total);
    printf("material_difference %d\n", material_difference);
    return 0;
}

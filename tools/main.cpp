// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// pelmok-tools COMMAND ...: perft, divide, eval, search, bench.
#include <cstdio>
#include <cstring>

#include "tools/tools.h"

namespace {

struct ToolCommand {
    const char *name;
    int (*run)(int argc, char **argv);
    const char *usage;
};

const ToolCommand commands[] = {
    {"perft", perft_command, "perft [--chess960] FEN DEPTH"},
    {"divide", divide_command, "divide [--chess960] FEN DEPTH"},
    {"eval", eval_command, "eval [--chess960] FEN"},
    {"search", search_command, "search [--chess960] FEN DEPTH"},
    {"bench", bench_command, "bench [DEPTH [THREADS]]"},
};

int usage() {
    fprintf(stderr, "usage: pelmok-tools COMMAND ...\n");
    for (const ToolCommand &c : commands) fprintf(stderr, "  pelmok-tools %s\n", c.usage);
    return TOOL_USAGE_ERROR;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) return usage();
    for (const ToolCommand &c : commands)
        if (strcmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
    return usage();
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tool commands.
#include "tools/tools.h"

#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "search/search.h"

int setup_position(const char *fen, int rules) {
    const char *error = "";
    if (set_fen(fen, &error, rules)) return 1;
    fprintf(stderr, "pelmok-tools: bad FEN: %s\n", error);
    return 0;
}

int parse_depth(const char *text, int *depth) {
    int value = 0;
    if (!*text) return 0;
    for (const char *p = text; *p; p++) {
        if (*p < '0' || *p > '9' || value > 1000) return 0;
        value = value * 10 + (*p - '0');
    }
    *depth = value;
    return 1;
}

int take_rules_option(int *argc, char ***argv) {
    if (*argc < 1 || strcmp((*argv)[0], "--chess960") != 0) return FEN_AS_WRITTEN;
    (*argc)--;
    (*argv)++;
    return FEN_CHESS960;
}

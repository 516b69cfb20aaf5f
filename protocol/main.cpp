// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// pelmok: an xboard engine. It takes no arguments.
#include <cstdio>
#include <cstring>

#include "protocol/protocol.h"

int main() {
    char word[LINE_SIZE];
    for (;;) {
        printf("pelmok version 2.3c (september 2003)\n");
        printf("only Winboard interface\n");
        fflush(stdout);
        if (!read_word(word, sizeof word)) return 0;
        if (strcmp(word, "xboard") == 0) break;
    }
    command_loop();
    fflush(stdout);
    return 0;
}

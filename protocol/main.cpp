// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// pelmok: an xboard engine, or a UCI engine when the first word it reads is
// "uci". It takes no arguments.
#include <cstdio>
#include <cstring>

#include "protocol/protocol.h"
#include "protocol/uci/uci.h"
#include "protocol/xboard/xboard.h"

int main() {
    char word[LINE_SIZE];
    for (int first = 1;; first = 0) {
        printf("pelmok version 2.3c (september 2003)\n");
        printf("only Winboard interface\n");
        fflush(stdout);
        if (!read_word(word, sizeof word)) return 0;
        if (first && strcmp(word, "uci") == 0) {
            uci_loop();
            fflush(stdout);
            return 0;
        }
        if (strcmp(word, "xboard") == 0) break;
    }
    command_loop();
    fflush(stdout);
    return 0;
}

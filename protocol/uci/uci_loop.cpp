// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The UCI command loop: one command line per pass; a "go" is answered
// before the next line is taken.
//
// Commands (the first word of a line that names one; words before it are
// skipped, and a line with none is ignored):
//   uci               id lines, the options, uciok
//   isready           readyok
//   setoption         name N [value V]: the options of uci_options.cpp
//   ucinewgame        table, history and book state cleared
//   position          startpos | fen FEN, then [moves ...]
//   go                search; bestmove
//   quit              end
//   debug, register,  nothing (stop and ponderhit act only during a go)
//   stop, ponderhit
#include "protocol/uci/uci.h"

#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "search/search.h"

namespace {

char line[INPUT_LINE_SIZE];

void identify() {
    printf("id name %s\n", ENGINE_NAME);
    printf("id author the pelmok developers\n");
    uci_print_options();
    printf("uciok\n");
}

} // namespace

void uci_new_game() {
    clear_search_memory();
    if (uci_own_book)
        book_follow_game();
    else
        book_rest();
    new_game();
    refresh_moves();
    uci_plies_played = 0;
    uci_game_from_start = 1;
}

void uci_loop() {
    uci_reset_input();
    uci_reset_options();
    ignore_interrupt();
    clear_search_control();
    reset_thread_shortfall();
    uci_position_refused = 0;
    search_input_hook = uci_take_search_input;
    book_open();
    uci_new_game();
    identify();

    for (;;) {
        fflush(stdout);
        if (!uci_read_line(line)) return;
        const char *arguments;
        switch (uci_command(line, &arguments)) {
        case UCI_UCI:
            identify();
            break;
        case UCI_ISREADY:
            printf("readyok\n");
            break;
        case UCI_SETOPTION:
            uci_set_option(arguments);
            break;
        case UCI_UCINEWGAME:
            uci_new_game();
            break;
        case UCI_POSITION:
            uci_position(arguments);
            break;
        case UCI_GO:
            if (!uci_go(arguments)) return;
            break;
        case UCI_QUIT:
            return;
        default:
            break;
        }
    }
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The UCI command loop: one command line per pass; a "go" is answered
// before the next line is taken.
//
// Commands (the first word of a line that names one; words before it are
// skipped, and a line with none is ignored):
//   uci               id lines, the options, uciok
//   isready           readyok
//   setoption         name N [value V]: OwnBook, Ponder
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

int uci_own_book;
int uci_ponder_option;

namespace {

constexpr int OPTION_NAME_SIZE = 64;

char line[INPUT_LINE_SIZE];

void identify() {
    printf("id name %s\n", ENGINE_NAME);
    printf("id author the pelmok developers\n");
    printf("option name OwnBook type check default %s\n", uci_own_book ? "true" : "false");
    printf("option name Ponder type check default %s\n", uci_ponder_option ? "true" : "false");
    printf("uciok\n");
}

// Whether a check option's value reads as true or false; -1 for neither.
int check_value(const Word &word) {
    if (word_is_nocase(word, "true")) return 1;
    if (word_is_nocase(word, "false")) return 0;
    return -1;
}

} // namespace

// "setoption name N [value V]": N is every word up to "value", joined by
// single blanks and matched without regard to case.
void uci_set_option(const char *arguments) {
    Word word;
    const char *p = next_word(arguments, &word);
    if (!word_is(word, "name")) return;
    char name[OPTION_NAME_SIZE];
    int length = 0;
    for (;;) {
        p = next_word(p, &word);
        if (word.length == 0 || word_is(word, "value")) break;
        // A name this long is no option of the engine's.
        if (length + 1 + word.length >= OPTION_NAME_SIZE) return;
        if (length > 0) name[length++] = ' ';
        memcpy(name + length, word.text, (size_t)word.length);
        length += word.length;
    }
    name[length] = '\0';
    const Word option = {name, length};
    next_word(p, &word);
    const int value = check_value(word);
    if (value < 0) return;
    if (word_is_nocase(option, "OwnBook")) {
        uci_own_book = value;
        book_enabled = value;
    } else if (word_is_nocase(option, "Ponder")) {
        uci_ponder_option = value;
    }
}

void uci_new_game() {
    clear_search_memory();
    book_enabled = uci_own_book;
    new_game();
    refresh_moves();
    uci_plies_played = 0;
    uci_game_from_start = 1;
}

void uci_loop() {
    uci_reset_input();
    uci_own_book = 1;
    uci_ponder_option = 0;
    ignore_interrupt();
    search_input_hook = uci_take_search_input;
    report_iteration = uci_report_iteration;
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

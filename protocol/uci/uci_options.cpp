// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The options: declared in the "uci" reply with their type, default and
// bounds, and set by "setoption".
#include "protocol/uci/uci.h"

#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "search/search.h"

int uci_own_book = 1;
int uci_ponder_option = 0;
int uci_threads = 1;
int uci_hash_mb = TT_DEFAULT_MB;
int uci_move_overhead_ms = UCI_DEFAULT_MOVE_OVERHEAD_MS;
int uci_multipv = 1;
int uci_analyse_mode = 0;
int uci_chess960 = 0;
int uci_limit_strength = 0;
int uci_elo = STRENGTH_DEFAULT_ELO;

namespace {

constexpr int OPTION_NAME_SIZE = 64;

constexpr int OPTION_CHECK = 0;
constexpr int OPTION_SPIN = 1;
constexpr int OPTION_BUTTON = 2;

void set_own_book(int value) {
    uci_own_book = value;
    if (value)
        book_follow_game();
    else
        book_rest();
}

void set_threads(int threads) {
    uci_threads = threads;
    set_search_threads(threads);
}

// A table that cannot be had leaves the old one, and its size, in force.
void set_hash(int megabytes) {
    if (tt_resize_mb(megabytes)) {
        uci_hash_mb = megabytes;
        return;
    }
    printf("info string Hash %d MB could not be allocated; the table stays at %d MB\n", megabytes,
           uci_hash_mb);
    fflush(stdout);
}

void clear_hash(int) {
    tt_clear();
}

// In the order of the "uci" reply. The default shown is the value in force,
// which is the default until a "setoption" changes it. A null setter: the
// value is only stored.
struct UciOption {
    const char *name;
    int type;
    int *value; // null for a button
    int min, max;
    void (*set)(int value);
};

const UciOption options[] = {
    {"OwnBook", OPTION_CHECK, &uci_own_book, 0, 1, set_own_book},
    {"Ponder", OPTION_CHECK, &uci_ponder_option, 0, 1, nullptr},
    {"Threads", OPTION_SPIN, &uci_threads, 1, MAX_SEARCH_THREADS, set_threads},
    {"Hash", OPTION_SPIN, &uci_hash_mb, TT_MIN_MB, TT_MAX_MB, set_hash},
    {"Clear Hash", OPTION_BUTTON, nullptr, 0, 0, clear_hash},
    {"Move Overhead", OPTION_SPIN, &uci_move_overhead_ms, 0, UCI_MAX_MOVE_OVERHEAD_MS, nullptr},
    {"MultiPV", OPTION_SPIN, &uci_multipv, 1, MAX_MULTIPV, nullptr},
    {"UCI_AnalyseMode", OPTION_CHECK, &uci_analyse_mode, 0, 1, nullptr},
    {"UCI_Chess960", OPTION_CHECK, &uci_chess960, 0, 1, nullptr},
    {"UCI_LimitStrength", OPTION_CHECK, &uci_limit_strength, 0, 1, nullptr},
    {"UCI_Elo", OPTION_SPIN, &uci_elo, STRENGTH_MIN_ELO, STRENGTH_MAX_ELO, nullptr},
};

// The value a "setoption" gives the option, or -1 when it gives none it
// can take: a check reads true or false (any case), a spin a number, which
// is brought within its bounds; a button needs none.
int option_value(const UciOption &option, const Word &word) {
    if (option.type == OPTION_BUTTON) return 0;
    if (option.type == OPTION_CHECK) {
        if (word_is_nocase(word, "true")) return 1;
        if (word_is_nocase(word, "false")) return 0;
        return -1;
    }
    int value;
    if (!word_number(word, &value)) return -1;
    return value < option.min ? option.min : value > option.max ? option.max : value;
}

} // namespace

void uci_reset_options() {
    // The table too, for a loop run again in the same process (the fuzzer).
    if (uci_hash_mb != TT_DEFAULT_MB && tt_resize_mb(TT_DEFAULT_MB)) uci_hash_mb = TT_DEFAULT_MB;
    set_threads(1);
    uci_own_book = 1;
    uci_ponder_option = 0;
    uci_move_overhead_ms = UCI_DEFAULT_MOVE_OVERHEAD_MS;
    uci_multipv = 1;
    uci_analyse_mode = 0;
    uci_chess960 = 0;
    uci_limit_strength = 0;
    uci_elo = STRENGTH_DEFAULT_ELO;
}

void uci_print_options() {
    for (const UciOption &option : options) {
        printf("option name %s type ", option.name);
        if (option.type == OPTION_CHECK)
            printf("check default %s\n", *option.value ? "true" : "false");
        else if (option.type == OPTION_SPIN)
            printf("spin default %d min %d max %d\n", *option.value, option.min, option.max);
        else
            printf("button\n");
    }
}

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
    const Word given = {name, length};
    next_word(p, &word);
    for (const UciOption &option : options) {
        if (!word_is_nocase(given, option.name)) continue;
        const int value = option_value(option, word);
        if (value < 0) return;
        if (option.set)
            option.set(value);
        else
            *option.value = value;
        return;
    }
}

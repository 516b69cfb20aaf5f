// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Words of a UCI line: any run of blanks separates them, and a word that
// means nothing is skipped, as the protocol asks.
#include "protocol/uci/uci.h"

#include <cstring>

namespace {

constexpr int64_t NUMBER_LIMIT = 1000000000;

inline bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline char lower(char c) {
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

struct CommandName {
    const char *name;
    int code;
};

const CommandName commands[] = {
    {"uci", UCI_UCI},           {"debug", UCI_DEBUG},
    {"isready", UCI_ISREADY},   {"setoption", UCI_SETOPTION},
    {"register", UCI_REGISTER}, {"ucinewgame", UCI_UCINEWGAME},
    {"position", UCI_POSITION}, {"go", UCI_GO},
    {"stop", UCI_STOP},         {"ponderhit", UCI_PONDERHIT},
    {"quit", UCI_QUIT},
};

} // namespace

const char *uci_next_word(const char *text, UciWord *word) {
    while (*text && is_blank(*text)) text++;
    word->text = text;
    while (*text && !is_blank(*text)) text++;
    word->length = (int)(text - word->text);
    return text;
}

bool uci_word_is(const UciWord &word, const char *name) {
    return (int)strlen(name) == word.length && memcmp(word.text, name, (size_t)word.length) == 0;
}

bool uci_word_is_nocase(const UciWord &word, const char *name) {
    if ((int)strlen(name) != word.length) return false;
    for (int i = 0; i < word.length; i++)
        if (lower(word.text[i]) != lower(name[i])) return false;
    return true;
}

bool uci_word_number(const UciWord &word, int *value) {
    int i = 0;
    int64_t sign = 1;
    if (word.length > 0 && (word.text[0] == '-' || word.text[0] == '+')) {
        if (word.text[0] == '-') sign = -1;
        i = 1;
    }
    if (i == word.length) return false;
    int64_t number = 0;
    for (; i < word.length; i++) {
        const char c = word.text[i];
        if (c < '0' || c > '9') return false;
        if (number <= NUMBER_LIMIT) number = number * 10 + (c - '0');
    }
    if (number > NUMBER_LIMIT) number = NUMBER_LIMIT;
    *value = (int)(sign * number);
    return true;
}

int uci_command(const char *line, const char **arguments) {
    UciWord word;
    const char *p = line;
    for (;;) {
        p = uci_next_word(p, &word);
        if (word.length == 0) break;
        for (const CommandName &command : commands) {
            if (uci_word_is(word, command.name)) {
                *arguments = p;
                return command.code;
            }
        }
    }
    *arguments = p;
    return UCI_UNKNOWN;
}

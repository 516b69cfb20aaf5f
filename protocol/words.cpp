// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Words and numbers of a command line, read alike by both protocols.
#include "protocol/protocol.h"

#include <cstring>

namespace {

inline char lower(char c) {
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

const char *next_word(const char *text, Word *word) {
    while (*text && is_blank(*text)) text++;
    word->text = text;
    while (*text && !is_blank(*text)) text++;
    word->length = (int)(text - word->text);
    return text;
}

bool word_is(const Word &word, const char *name) {
    return (int)strlen(name) == word.length && memcmp(word.text, name, (size_t)word.length) == 0;
}

bool word_is_nocase(const Word &word, const char *name) {
    if ((int)strlen(name) != word.length) return false;
    for (int i = 0; i < word.length; i++)
        if (lower(word.text[i]) != lower(name[i])) return false;
    return true;
}

void copy_word(const Word &word, char *text, int size) {
    const int n = word.length < size - 1 ? word.length : size - 1;
    memcpy(text, word.text, (size_t)n);
    text[n] = '\0';
}

bool move_shaped(const Word &word) {
    if (word.length < 4 || word.length > 5) return false;
    for (int i = 0; i < 4; i++) {
        const char c = word.text[i];
        const bool fits = i % 2 == 0 ? lower(c) >= 'a' && lower(c) <= 'h' : c >= '1' && c <= '8';
        if (!fits) return false;
    }
    return word.length == 4 || strchr("nbrqNBRQ", word.text[4]) != nullptr;
}

int clamp_number(int64_t value) {
    return value > NUMBER_LIMIT ? NUMBER_LIMIT : value < -NUMBER_LIMIT ? -NUMBER_LIMIT : (int)value;
}

const char *read_number(const char *text, int *value) {
    while (*text && is_blank(*text)) text++;
    int64_t sign = 1;
    if (*text == '-' || *text == '+') {
        if (*text == '-') sign = -1;
        text++;
    }
    if (!is_digit(*text)) return nullptr;
    // Past the limit the digits still count, but no longer grow the number.
    int64_t number = 0;
    for (; is_digit(*text); text++)
        if (number <= NUMBER_LIMIT) number = number * 10 + (*text - '0');
    *value = clamp_number(sign * number);
    return text;
}

bool word_number(const Word &word, int *value) {
    if (word.length == 0) return false;
    int number;
    const char *end = read_number(word.text, &number);
    if (end != word.text + word.length) return false;
    *value = number;
    return true;
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Version 2's engine options: declared with "feature option=...", set with
// "option NAME=VALUE". The same strength settings as UCI's, under the same
// names, so that a front end's dialog and a script's configure reach them.
#include <cstdio>
#include <cstring>

#include "protocol/xboard/xboard.h"
#include "search/search.h"

int strength_limited = 0;
int strength_elo = STRENGTH_DEFAULT_ELO;

namespace {

constexpr char LIMIT_STRENGTH[] = "UCI_LimitStrength";
constexpr char ELO[] = "UCI_Elo";

} // namespace

void send_option_features() {
    printf("feature option=\"%s -check %d\"\n", LIMIT_STRENGTH, strength_limited);
    printf("feature option=\"%s -spin %d %d %d\"\n", ELO, strength_elo, STRENGTH_MIN_ELO,
           STRENGTH_MAX_ELO);
}

void reset_options() {
    strength_limited = 0;
    strength_elo = STRENGTH_DEFAULT_ELO;
}

// "option NAME=VALUE": a check takes 0 or 1, a spin a number, brought
// within its bounds. Anything else is an error the front end can show.
void option_command(const CommandLine &line) {
    Word command, setting;
    next_word(line.text, &command);
    const char *rest = command.text + command.length;
    while (*rest == ' ' || *rest == '\t') rest++;
    const char *equals = strchr(rest, '=');
    int value = 0;
    const int has_value = equals && read_number(equals + 1, &value) != nullptr;
    next_word(rest, &setting);
    const int name_length = equals ? (int)(equals - rest) : setting.length;
    const Word name = {rest, name_length};
    if (has_value && word_is(name, LIMIT_STRENGTH) && (value == 0 || value == 1)) {
        strength_limited = value;
    } else if (has_value && word_is(name, ELO)) {
        strength_elo = value < STRENGTH_MIN_ELO   ? STRENGTH_MIN_ELO
                       : value > STRENGTH_MAX_ELO ? STRENGTH_MAX_ELO
                                                  : value;
    } else {
        // The setting as it came, without the line's end.
        int length = (int)strcspn(rest, "\r\n");
        if (length > 200) length = 200;
        if (length == 0)
            printf("Error (bad option): option\n");
        else
            printf("Error (bad option): %.*s\n", length, rest);
    }
}

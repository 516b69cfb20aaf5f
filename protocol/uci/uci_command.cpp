// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The command of a UCI line: its first word that names one; a word that
// means nothing is skipped, as the protocol asks.
#include "protocol/uci/uci.h"

#include <cstring>

namespace {

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

int uci_command(const char *line, const char **arguments) {
    Word word;
    const char *p = line;
    for (;;) {
        p = next_word(p, &word);
        if (word.length == 0) break;
        for (const CommandName &command : commands) {
            if (word_is(word, command.name)) {
                *arguments = p;
                return command.code;
            }
        }
    }
    *arguments = p;
    return UCI_UNKNOWN;
}

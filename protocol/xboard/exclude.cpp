// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Version 2's "exclude" and "include": the root moves that analysis and
// the engine's own search may choose from. A set belongs to the position it
// was made in; every other position starts with all its moves again.
#include "protocol/xboard/xboard.h"

#include <cstdio>

#include "search/search.h"

namespace {

Move allowed[MAX_ROOT_MOVES];
int allowed_count = 0;
// The position the set was made in: none (-1) until a command makes one.
int set_stamp = -1;

bool set_in_force() {
    return set_stamp == position_stamp;
}

// Every legal move of the position: the set before any command changes it.
void start_set() {
    allowed_count = 0;
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++) {
        const Move move = move_stack[i].move;
        if (move_playable(move) && allowed_count < MAX_ROOT_MOVES) allowed[allowed_count++] = move;
    }
    set_stamp = position_stamp;
}

int allowed_index(Move move) {
    for (int i = 0; i < allowed_count; i++)
        if (allowed[i] == move) return i;
    return -1;
}

void change_set(Move move, int include) {
    const int index = allowed_index(move);
    if (include && index < 0)
        allowed[allowed_count++] = move;
    else if (!include && index >= 0)
        allowed[index] = allowed[--allowed_count];
}

} // namespace

int root_set_changes = 0;

const Move *root_set(int *count) {
    // An empty set ("exclude all") waits for a move to be included: until
    // then every move is searched, as before it.
    if (!set_in_force() || allowed_count == 0) {
        *count = 0;
        return nullptr;
    }
    *count = allowed_count;
    return allowed;
}

void root_set_command(const CommandLine &line, int include) {
    Word command, argument;
    next_word(next_word(line.text, &command), &argument);
    if (argument.length == 0) {
        printf("Error (missing move): %s\n", line.word_text);
        return;
    }
    char text[INPUT_LINE_SIZE];
    copy_word(argument, text, INPUT_LINE_SIZE);
    Move move = 0;
    if (!word_is(argument, "all")) {
        const int index = parse_move_text(text);
        if (index >= 0) move = move_stack[index].move;
        // Not "Illegal move", which would make the front end take back
        // the last move it sent.
        if (move == 0 || !move_playable(move)) {
            printf("Error (illegal move): %s %s\n", line.word_text, text);
            return;
        }
    }
    if (!set_in_force()) start_set();
    if (move != 0)
        change_set(move, include);
    else if (include)
        start_set();
    else
        allowed_count = 0;
    root_set_changes++;
}

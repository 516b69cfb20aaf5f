// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Version 2's "exclude" and "include": the root moves that analysis and
// the engine's own search may choose from. A set belongs to the position it
// was made in; every other position starts with all its moves again.
#include "protocol/xboard/xboard.h"

#include <cstdio>

#include "board/history.h"
#include "search/search.h"

namespace {

Move allowed[MAX_ROOT_MOVES];
int allowed_count = 0;
// Set once a command has changed the set of the position below.
int set_made = 0;
PositionKey set_key = {0, 0};
int set_plies = -1;
int set_ep_square = -1;

bool set_in_force() {
    return set_made && position_key == set_key && game_ply + forgotten_plies == set_plies &&
           ep_square == set_ep_square;
}

// Every legal move of the position: the set before any command changes it.
void start_set() {
    allowed_count = 0;
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++) {
        const Move move = move_stack[i].move;
        if (move_playable(move) && allowed_count < MAX_ROOT_MOVES) allowed[allowed_count++] = move;
    }
    set_made = 1;
    set_key = position_key;
    set_plies = game_ply + forgotten_plies;
    set_ep_square = ep_square;
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

void forget_root_set() {
    set_made = 0;
}

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

void root_set_command(int include) {
    Word command, argument;
    next_word(next_word(line_buffer, &command), &argument);
    if (argument.length == 0) {
        printf("Error (missing move): %s\n", command_word);
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
            printf("Error (illegal move): %s %s\n", command_word, text);
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
    restart_analysis();
}

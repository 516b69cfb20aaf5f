// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The command loop: one command line, one engine move or one ponder search
// per pass. The commands are in commands.cpp.
#include "protocol/xboard/xboard.h"

#include <cstdio>

#include "board/history.h"
#include "book/book.h"
#include "search/search.h"

int post_mode = 0;

namespace {

// The line the loop carries out.
char line_buffer[INPUT_LINE_SIZE];

// The expected reply, when it is a move of the current position's list;
// a reply left from an earlier position is never played.
bool expected_reply_in_list() {
    const Move reply = pv_table[0][1];
    return reply != 0 && move_in_list(reply);
}

// Set when a command ended the engine's own search, which then played
// nothing: the lines it read are carried out before it searches again.
int move_cancelled = 0;

// The one road from the loop into the search: the limits the time
// commands left, pondering on the expected reply or not. Version 2 also
// keeps to the root moves "exclude" and "include" left (the book, which
// knows nothing of them, only when there are none), counts nodes instead
// of time after "nps", and shows mate scores its own way. A ponder search
// shows nothing and knows no node count: only input ends it.
SearchLimits search_limits_for(int pondering) {
    const int version2 = protocol_version >= 2;
    SearchLimits limits = timed_search_limits(version2 && !pondering);
    limits.ponder = pondering;
    limits.stop_on_input = ponder_enabled;
    if (version2 && !pondering) limits.root_moves = root_set(&limits.root_move_count);
    limits.use_book = limits.root_move_count == 0;
    if (!pondering && post_mode == 2)
        limits.report = version2 ? report_version2 : print_thinking_line;
    return limits;
}

// A search of the loop's, and what the user is told after it. At a
// limited strength (version 2's options) the move and its expected reply
// are the level's choice; a ponder search keeps to the level's nodes.
void search_for_loop(int pondering) {
    const SearchLimits limits = search_limits_for(pondering);
    const int weakened = protocol_version >= 2 && strength_limited;
    run_limited_search(weakened ? limit_strength(limits, strength_elo, 1) : limits);
    if (weakened && !pondering && !book_answered && !search_cancelled) {
        Move reply;
        pv_table[0][0] = strength_choice(strength_elo, &reply);
        pv_table[0][1] = reply;
    }
    if (protocol_version >= 2) note_thread_shortfall("telluser cores");
}

// Version 2 games longer than the undo stack go on: the oldest history is
// forgotten. Version 1 keeps its limit.
void make_room() {
    if (protocol_version >= 2) make_room_for_move();
}

void engine_move() {
    clear_search_control();
    search_for_loop(0);
    if (search_cancelled) {
        move_cancelled = 1;
        return;
    }
    const Move best = pv_table[0][0];
    if (best == 0) {
        engine_side = EMPTY;
        return;
    }
    printf("move %s\n", move_text(best));
    make_room();
    make_move(best);
    game_position_changed();
    adjudicate();
    note_engine_moved();
}

// Thinks on the opponent's time about the reply the search expects, until
// input arrives. Prints and plays nothing.
void ponder() {
    const Move reply = pv_table[0][1];
    const bool en_passant = move_flags(reply) == (MF_CAPTURE | MF_EN_PASSANT | MF_PAWN_MOVE);
    make_room();
    if (game_ply != 1 && !en_passant && expected_reply_in_list() && make_move(reply)) {
        search_for_loop(1);
        unmake_move();
        refresh_moves();
    }
    clear_search_control();
}

} // namespace

void command_loop() {
    post_mode = 0;
    move_cancelled = 0;
    reset_commands();
    reset_thread_shortfall();
    ignore_interrupt();
    search_input_hook = take_search_input;
    printf("\n");
    start_new_game();
    book_open();
    engine_side = EMPTY;

    for (;;) {
        fflush(stdout);
        if (analysis_mode) {
            // Analysis plays no move and ponders on nothing. Lines a search
            // already read come first, as below.
            if (analysis_due() && !queued_lines()) {
                analyse();
                continue;
            }
        } else if (side_to_move == engine_side && !game_over && !position_refused &&
                   !move_cancelled && !(protocol_version >= 2 && edit_mode)) {
            engine_move();
            continue;
        } else if (opponent == engine_side && ponder_enabled && !book_enabled && ponder_pending &&
                   !game_over && !position_refused && !queued_lines()) {
            // Lines a search already read come first: one of them may be
            // the very move this ponder search would wait for.
            ponder();
            continue;
        }
        if (!read_command_line(line_buffer)) return;
        if (!execute_command(line_buffer)) return;
        if (!queued_lines()) move_cancelled = 0;
    }
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The command loop: one command line, one engine move or one ponder search
// per pass. The commands are in commands.cpp.
#include "protocol/xboard/xboard.h"

#include <cstdio>

#include "book/book.h"
#include "search/search.h"

int engine_side = EMPTY;
int post_mode = 0;
int game_over = 0;

namespace {

// The expected reply, when it is a move of the current position's list;
// a reply left from an earlier position is never played.
bool expected_reply_in_list() {
    const Move reply = pv_table[0][1];
    return reply != 0 && move_in_list(reply);
}

void engine_move() {
    clear_search_control();
    run_search(post_mode);
    const Move best = pv_table[0][0];
    if (best == 0) {
        engine_side = EMPTY;
        return;
    }
    printf("move %s\n", move_text(best));
    make_move(best);
    refresh_moves();
    adjudicate();
    ponder_pending = 1;
}

// Thinks on the opponent's time about the reply the search expects, until
// input arrives. Prints and plays nothing.
void ponder() {
    const Move reply = pv_table[0][1];
    const bool en_passant = move_flags(reply) == (MF_CAPTURE | MF_EN_PASSANT | MF_PAWN_MOVE);
    if (game_ply != 1 && !en_passant && expected_reply_in_list() && make_move(reply)) {
        run_search(0);
        unmake_move();
        refresh_moves();
    }
    clear_search_control();
}

} // namespace

void command_loop() {
    post_mode = 0;
    reset_commands();
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
        } else if (side_to_move == engine_side && !game_over && !position_refused) {
            engine_move();
            continue;
        } else if (opponent == engine_side && ponder_enabled && !book_enabled && ponder_pending &&
                   !game_over && !queued_lines()) {
            // Lines a search already read come first: one of them may be
            // the very move this ponder search would wait for.
            ponder();
            continue;
        }
        if (!read_command_line(line_buffer)) return;
        if (!execute_command()) return;
    }
}

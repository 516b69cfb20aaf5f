// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Version-2 analysis: "analyze" searches the position without limit and
// shows its thinking until a command comes; "." asks for the status line.
#include "protocol/xboard/xboard.h"

#include <cstdio>

#include "search/search.h"

int analysis_mode = 0;

namespace {

int analysis_pending = 0; // start again: just entered, or interrupted
int analysis_running = 0;
// The position the analysis searched last, and its root moves.
int analysed_stamp = -1;
int analysed_root_set = -1;
// For the status line.
Move legal_root_moves[MAX_ROOT_MOVES];
int legal_root_count = 0;
int root_game_ply = 0;
int finished_depth = 0;
long last_elapsed_cs = 0;

// The moves of the position about to be analysed: the legal ones, or
// those "exclude" and "include" left.
void note_root_moves(const Move *moves, int count) {
    legal_root_count = 0;
    for (int i = 0; i < ply_move_start[1] && legal_root_count < MAX_ROOT_MOVES; i++) {
        const Move move = move_stack[i].move;
        if (!move_playable(move)) continue;
        bool chosen = count == 0;
        for (int k = 0; k < count && !chosen; k++) chosen = moves[k] == move;
        if (chosen) legal_root_moves[legal_root_count++] = move;
    }
}

bool legal_at_root(Move move) {
    for (int i = 0; i < legal_root_count; i++)
        if (legal_root_moves[i] == move) return true;
    return false;
}

void report_analysis(int depth, int score) {
    finished_depth = depth;
    report_version2(depth, score);
}

} // namespace

// "stat01: TIME NODES DEPTH MOVES_LEFT MOVES_TOTAL [CURRENT_MOVE]". While the
// search runs, the root move on the board is the one being searched: the
// root list keeps those already searched at this depth in front of it.
void print_analysis_status() {
    if (!analysis_running) {
        printf("stat01: %ld %u %d 0 %d\n", last_elapsed_cs, (unsigned)search_nodes_total(),
               finished_depth, legal_root_count);
        return;
    }
    const long elapsed_cs = (long)((now_ms() - search_start_ms) / 10);
    int left = legal_root_count;
    const char *current = nullptr;
    if (game_ply > root_game_ply) {
        const Move move = undo_stack[root_game_ply].move;
        int index = 0;
        while (index < ply_move_start[1] && move_stack[index].move != move) index++;
        left = 0;
        for (int i = index + 1; i < ply_move_start[1]; i++)
            if (legal_at_root(move_stack[i].move)) left++;
        current = move_text(move);
    }
    printf("stat01: %ld %u %d %d %d", elapsed_cs, (unsigned)search_nodes_total(),
           finished_depth + 1, left, legal_root_count);
    if (current) printf(" %s", current);
    printf("\n");
}

void reset_analysis() {
    analysis_mode = 0;
    analysis_pending = 0;
    analysis_running = 0;
    analysed_stamp = -1;
    analysed_root_set = -1;
    legal_root_count = 0;
    root_game_ply = 0;
    finished_depth = 0;
    last_elapsed_cs = 0;
}

void enter_analysis() {
    analysis_mode = 1;
    analysis_pending = 1;
}

void leave_analysis() {
    analysis_mode = 0;
    analysis_pending = 0;
}

int analysis_searching() {
    return analysis_running;
}

int analysis_due() {
    if (!analysis_mode || edit_mode || position_refused) return 0;
    return analysis_pending || position_stamp != analysed_stamp ||
           root_set_changes != analysed_root_set;
}

void analyse() {
    refresh_moves();
    int root_count;
    const Move *root_moves = root_set(&root_count);
    note_root_moves(root_moves, root_count);
    analysed_stamp = position_stamp;
    analysed_root_set = root_set_changes;
    root_game_ply = game_ply;
    finished_depth = 0;

    // An analysis search is a ponder search that shows its thinking: no
    // deadline, no book, and any command ends it.
    SearchLimits limits = depth_only_limits(TIMED_DEPTH_LIMIT);
    limits.ponder = 1;
    limits.stop_on_input = 1;
    limits.use_book = 0;
    limits.report = report_analysis;
    limits.root_moves = root_moves;
    limits.root_move_count = root_count;
    analysis_running = 1;
    run_limited_search(limits);
    note_thread_shortfall("telluser cores");
    analysis_running = 0;
    last_elapsed_cs = (long)((now_ms() - search_start_ms) / 10);
    analysis_pending = search_aborted;
    clear_search_control();
    refresh_moves();
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Negamax alpha-beta over the searching thread's position, made and unmade
// in place.
#include "search/search.h"

#include <cassert>

#include "eval/eval.h"

PER_THREAD Move pv_table[PLY_SLOTS][PLY_SLOTS];
PER_THREAD int history_scores[64][64];
PER_THREAD int history_peak = 0;
PER_THREAD int pv_end[PLY_SLOTS];

// The line from ply p is the move played there followed by the child's line.
void update_pv(Move move) {
    Move *row = pv_table[ply];
    const Move *child = pv_table[ply + 1];
    row[ply] = move;
    const int end = pv_end[ply + 1];
    for (int j = ply + 1; j < end; j++) row[j] = child[j];
    pv_end[ply] = end;
}

namespace {

// The whole list in place of the captures, as the first pick of it would
// have left it: the move already tried first.
void complete_move_list() {
    const int first = ply_move_start[ply];
    const Move tried = move_stack[first].move;
    generate_moves();
    int at = first;
    while (move_stack[at].move != tried) at++;
    const MoveEntry swap = move_stack[first];
    move_stack[first] = move_stack[at];
    move_stack[at] = swap;
}

} // namespace

int alpha_beta(int alpha, int beta, int depth) {
    // A child never searches deeper than its parent, check extension
    // included, so no node goes past the deepest iteration armed.
    assert(-INFINITE_SCORE <= alpha && alpha < beta && beta <= INFINITE_SCORE);
    assert(depth >= 0 && depth <= search_limits.depth);
    assert(ply >= 0 && ply <= MAX_SEARCH_PLY);

    // 1-3. Leaves go to quiescence; count the node and poll now and then.
    pv_end[ply] = ply;
    if (depth == 0) return quiescence(alpha, beta);
    if (++node_count % POLL_INTERVAL_FULL == 0) poll_clock_and_input();

    // 4. Any earlier occurrence below the root is a draw; the root position
    // itself must still be searched for a move.
    if (ply > 0 && repetition_count() != 0) return 0;

    // 5. The table's bounds are never used at the root, which needs a move.
    ShortMove table_move = NO_SHORT_MOVE;
    TTEntry entry;
    if (tt_probe(position_key, &entry) && ply > 0) {
        if (entry.depth >= depth) {
            if (entry.bound == BOUND_EXACT) return entry.score;
            if (entry.bound == BOUND_LOWER && entry.score >= beta) return beta;
            if (entry.bound == BOUND_UPPER && entry.score <= alpha) return alpha;
        }
        table_move = entry.move;
    }

    // 6. Check extension.
    const int checked = in_check(side_to_move);
    if (checked) depth++;

    // 7. Out of per-ply slots or undo records: score statically.
    if (ply >= MAX_SEARCH_PLY || game_ply >= MAX_GAME_PLY) return evaluate();

    // 8. Moves, with the previous line's move lifted while on it. The first
    // pick is the table move, or the best capture whenever that outscores
    // every quiet move; most nodes end with it, so when it is among the
    // captures the quiet moves are generated only if the node goes on
    // (complete_move_list).
    // Only where the children are quiescence nodes, which leave the history
    // scores alone: the quiet moves must score as they would have before.
    // And only where the whole list fits: one cut short by a full stack may
    // lack the capture picked first.
    int first_pick_only = 0;
    if (depth == 1 && ply > 0 && !on_pv_line && move_list_fits()) {
        generate_capture_scored_moves();
        if (ply_move_start[ply + 1] > ply_move_start[ply]) {
            pick_next_move(ply_move_start[ply], table_move);
            const MoveEntry &first = move_stack[ply_move_start[ply]];
            // A table move among the captures is the first pick, whatever it
            // scores: no quiet move has its squares.
            first_pick_only = table_move == NO_SHORT_MOVE ? first.score > history_peak
                                                          : short_move(first.move) == table_move;
        }
    }
    if (!first_pick_only) {
        generate_moves();
        if (ply == 0 && root_filter_active) filter_root_moves();
        if (on_pv_line) boost_pv_move();
    }

    // 9. The move loop.
    const int incoming_alpha = alpha;
    ShortMove best_move = NO_SHORT_MOVE;
    int legal_seen = 0;
    int cutoff = 0;
    Move cutoff_move = 0;
    for (int i = ply_move_start[ply];; i++) {
        if (first_pick_only && i > ply_move_start[ply]) {
            complete_move_list();
            first_pick_only = 0;
        }
        if (i >= ply_move_start[ply + 1]) break;
        if (!first_pick_only) pick_next_move(i, table_move);
        const Move move = move_stack[i].move;
        // The pick stops at the first entry of the table move's squares: if
        // this is not one, none is left, and the scans need not look.
        if (short_move(move) != table_move) table_move = NO_SHORT_MOVE;
        // The child probes its table slot first: the fetch starts before the
        // move is made. A node that goes past its first move mostly tries
        // them all, so then every remaining child's fetch starts at once,
        // each with the time of the moves before it to arrive.
        if (i == ply_move_start[ply])
            tt_prefetch_after(move);
        else if (i == ply_move_start[ply] + 1)
            for (int j = i; j < ply_move_start[ply + 1]; j++) tt_prefetch_after(move_stack[j].move);
        if (!(checked ? make_move(move) : make_move_out_of_check(move))) continue;
        legal_seen = 1;
        const int score = -alpha_beta(-beta, -alpha, depth - 1);
        unmake_move();
        if (score > alpha) {
            alpha = score;
            best_move = short_move(move);
            if (score >= beta) {
                // The root keeps its line even on a cutoff: a mate found
                // there must still leave a move to play.
                if (ply == 0) update_pv(move);
                cutoff = 1;
                cutoff_move = move;
                break;
            }
            update_pv(move);
        }
    }

    if (!cutoff) {
        // 10. No legal move: mated (sooner is worse) or stalemated.
        if (!legal_seen) alpha = checked ? ply - MATE_SCORE : 0;
        // 11. The fifty-move rule overrides everything but a cutoff.
        if (fifty_count >= FIFTY_MOVE_LIMIT) return 0;
    } else {
        // 12. History credit for the move that cut off.
        // Saturates rather than overflow in a search left running for hours.
        int &history = history_scores[move_from(cutoff_move)][move_to(cutoff_move)];
        if (history < HISTORY_LIMIT) history += depth * depth;
        if (history > history_peak) history_peak = history;
    }

    // 13-14. Store and return.
    const int bound = alpha >= beta            ? BOUND_LOWER
                      : alpha > incoming_alpha ? BOUND_EXACT
                                               : BOUND_UPPER;
    tt_store(position_key, alpha, best_move, depth, bound);
    return alpha;
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Captures and promotions only, on top of a stand-pat score.
#include "search/search.h"

#include <cassert>

#include "eval/eval.h"

int quiescence(int alpha, int beta) {
    assert(-INFINITE_SCORE <= alpha && alpha < beta && beta <= INFINITE_SCORE);
    assert(ply >= 0 && ply <= MAX_SEARCH_PLY);

    // 1-3. Probe first; count the node and poll now and then.
    TTEntry entry;
    const int found = tt_probe(position_key, &entry);
    ShortMove table_move = NO_SHORT_MOVE;
    ShortMove best_move = NO_SHORT_MOVE;
    if (++node_count % POLL_INTERVAL_QUIESCENCE == 0) poll_clock_and_input();
    pv_end[ply] = ply;

    // 4. Any entry will do here, whatever its depth.
    if (found) {
        if (entry.bound == BOUND_EXACT) return entry.score;
        if (entry.bound == BOUND_LOWER && entry.score >= beta) return beta;
        if (entry.bound == BOUND_UPPER && entry.score <= alpha) return alpha;
        table_move = entry.move;
    }

    // 5. Out of per-ply slots or undo records.
    if (ply >= MAX_SEARCH_PLY || game_ply >= MAX_GAME_PLY) return evaluate();

    // 6. Stand pat: the side to move need not capture.
    const int stand_pat = evaluate();
    const int incoming_alpha = alpha;
    if (stand_pat > alpha) alpha = stand_pat;
    if (stand_pat >= beta) {
        tt_store(position_key, stand_pat, NO_SHORT_MOVE, 0, BOUND_LOWER);
        return stand_pat;
    }

    // 7-8. Captures, best first. Their children's table slots are fetched
    // at once: by the time a child probes, its slot has had the time of the
    // moves before it to arrive.
    generate_captures();
    if (on_pv_line) boost_pv_move();
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++)
        tt_prefetch_after(move_stack[i].move);
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++) {
        pick_next_move(i, table_move);
        const Move move = move_stack[i].move;
        // The pick stops at the first entry of the table move's squares: if
        // this is not one, none is left, and the scans need not look.
        if (short_move(move) != table_move) table_move = NO_SHORT_MOVE;
        if (!make_move(move)) continue;
        const int score = -quiescence(-beta, -alpha);
        unmake_move();
        if (score > alpha) {
            alpha = score;
            best_move = short_move(move);
            if (score >= beta) {
                tt_store(position_key, score, best_move, 0, BOUND_LOWER);
                return score;
            }
            update_pv(move);
        }
    }

    // 9. A raise by the stand-pat score counts as exact.
    tt_store(position_key, alpha, best_move, 0, alpha > incoming_alpha ? BOUND_EXACT : BOUND_UPPER);
    return alpha;
}

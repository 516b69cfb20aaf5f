// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The FEN reader, and whatever it accepts run through move generation,
// evaluation and a short search, which must leave the position as it was.
#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "book/book.h"
#include "eval/eval.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr size_t MAX_FEN = 512;

// Counts leaf nodes, checking the incremental key after every move.
uint64_t checked_perft(int depth) {
    if (depth == 0) return 1;
    generate_moves();
    uint64_t nodes = 0;
    const int end = ply_move_start[ply + 1];
    for (int i = ply_move_start[ply]; i < end; i++) {
        if (!make_move(move_stack[i].move)) continue;
        fuzz_check_position("perft");
        nodes += checked_perft(depth - 1);
        unmake_move();
    }
    return nodes;
}

struct Snapshot {
    int color[64];
    int piece[64];
    int side, castle, ep, fifty, game_ply;
    PositionKey key;
};

void take(Snapshot *s) {
    memcpy(s->color, square_color, sizeof s->color);
    memcpy(s->piece, square_piece, sizeof s->piece);
    s->side = side_to_move;
    s->castle = castle_rights;
    s->ep = ep_square;
    s->fifty = fifty_count;
    s->game_ply = game_ply;
    s->key = position_key;
}

bool same(const Snapshot &a, const Snapshot &b) {
    return memcmp(a.color, b.color, sizeof a.color) == 0 &&
           memcmp(a.piece, b.piece, sizeof a.piece) == 0 && a.side == b.side &&
           a.castle == b.castle && a.ep == b.ep && a.fifty == b.fifty && a.game_ply == b.game_ply &&
           a.key == b.key;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz_enter_work_dir(argc, argv);
    // Positions stuffed with queens make every node slow.
    fuzz_set_clock_reading_limit(8);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > MAX_FEN) return 0;
    char fen[MAX_FEN + 1];
    memcpy(fen, data, size);
    fen[size] = '\0';
    fuzz_platform_reset(nullptr, 0);
    reset_input();
    fuzz_reset_engine();

    const char *error = nullptr;
    if (!set_fen(fen, &error)) {
        if (!error) fuzz_fail("set_fen failed without a reason", "set_fen");
        return 0;
    }
    if (ply != 0 || game_ply != 0) fuzz_fail("set_fen left ply or game_ply", "set_fen");
    fuzz_check_position("set_fen");

    Snapshot before, after;
    take(&before);
    int legal_moves = 0;
    for (int i = 0; i < ply_move_start[1]; i++) {
        if (make_move(move_stack[i].move)) {
            legal_moves++;
            unmake_move();
        }
    }
    checked_perft(2);
    ply = 0;
    generate_moves();
    take(&after);
    if (!same(before, after)) fuzz_fail("perft did not restore the position", "perft");

    evaluate();

    search_input_hook = nullptr;
    book_rest();
    fixed_search_depth = 2;
    run_search(0);
    take(&after);
    if (ply != 0 || !same(before, after))
        fuzz_fail("search did not restore the position", "search");
    const Move best = pv_table[0][0];
    // Only a search stopped before its first move (see the fake platform) may
    // end without one.
    if (legal_moves > 0 && best == 0 && !fuzz_clock_limit_reached())
        fuzz_fail("search found no move", "run_search");
    if (best != 0) {
        ply = 0;
        generate_moves();
        bool listed = false;
        for (int i = 0; i < ply_move_start[1]; i++) listed = listed || move_stack[i].move == best;
        if (!listed || !make_move(best)) fuzz_fail("search chose an illegal move", "run_search");
        unmake_move();
    }
    fuzz_close_book();
    return 0;
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The debug check of the position: everything kept incrementally is
// recomputed from the board arrays and compared.
#include "board/board.h"

#include <cstdio>
#include <cstdlib>

// It runs after every make and unmake in the sanitizer builds, where
// instrumenting its own reads, all at fixed bounds, would triple the time of
// the debug tests and find nothing.
__attribute__((no_sanitize("address", "undefined"))) const char *board_fault() {
    SquareSet colors[2] = {0, 0};
    SquareSet pieces[2][6] = {};
    int64_t sums[2] = {0, 0};
    // The full key, as compute_key builds it, in the same pass.
    PositionKey key = castle_key(castle_rights & ALL_CASTLE_RIGHTS);
    // Written for unoptimised debug builds, where every helper is a call.
    for (int s = 0; s < 64; s++) {
        const int color = square_color[s];
        const int piece = square_piece[s];
        if (color == EMPTY && piece == EMPTY) continue;
        if (color == EMPTY || piece == EMPTY) return "a square is empty in one array only";
        if (color != WHITE && color != BLACK) return "a colour code out of range";
        if (piece < PAWN || piece > KING) return "a piece code out of range";
        const SquareSet bit = (SquareSet)1 << s;
        colors[color] |= bit;
        pieces[color][piece] |= bit;
        sums[color] += piece_weights->value[color][piece][s];
        const PositionKey &k = key_table[color * 8 + piece + s * 16];
        key.low ^= k.low;
        key.high ^= k.high;
    }
    if (side_to_move == BLACK) {
        key.low ^= side_key().low;
        key.high ^= side_key().high;
    }
    for (int c = WHITE; c <= BLACK; c++) {
        if (colors[c] != color_set[c]) return "a colour's square set differs from the board";
        for (int p = PAWN; p <= KING; p++)
            if (pieces[c][p] != piece_set[c][p])
                return "a piece's square set differs from the board";
    }
    if (sums[WHITE] != weight_sum[WHITE] || sums[BLACK] != weight_sum[BLACK])
        return "a colour's weighted sum differs from the board";
    if (side_to_move != WHITE && side_to_move != BLACK) return "no side to move";
    if (castle_rights < 0 || castle_rights > ALL_CASTLE_RIGHTS)
        return "castling rights out of range";
    if (position_key != key) return "the key differs from the full key";
    if (opponent != (side_to_move ^ 1)) return "the opponent is not the other side";
    if (castle_rights & ~castle_rights_on_board())
        return "a castling right without its king and rook at home";
    // A held right's king and rook share their back rank, the rook on its
    // side of the king, and the pair lands on the files castling puts them.
    for (int right = 0; right < 4; right++) {
        if (!(castle_rights & (1 << right))) continue;
        const CastleRule &rule = castling_rules.rule[right];
        const int back_row = right < 2 ? 56 : 0;
        const bool king_side = (right & 1) == 0;
        const int king_file = rule.king_from - back_row;
        const int rook_file = rule.rook_from - back_row;
        if (king_file < 0 || king_file > 7 || rook_file < 0 || rook_file > 7 ||
            (king_side ? rook_file <= king_file : rook_file >= king_file) ||
            rule.king_to != back_row + (king_side ? 6 : 2) ||
            rule.rook_to != back_row + (king_side ? 5 : 3))
            return "a castling right whose king and rook are not placed for it";
    }
    // The square a pawn of the side not to move has just passed over: one
    // or two rows from that side's back row (editing can leave pawns on the
    // back row, which push twice too), empty, the pawn right beyond it.
    if (ep_square != -1) {
        const int pusher = side_to_move ^ 1;
        const int row = ep_square >> 3;
        const bool on_row = pusher == WHITE ? row == 5 || row == 6 : row == 1 || row == 2;
        if (ep_square < 0 || ep_square > 63 || !on_row) return "an en-passant square off its row";
        const int beyond = pusher == WHITE ? ep_square - 8 : ep_square + 8;
        if (square_color[ep_square] != EMPTY || !stands(beyond, pusher, PAWN))
            return "an en-passant square without the pawn that passed it";
    }
    // ply is left to its callers: the command loop takes a game move back
    // from ply 0 and only then sets it to 0 again.
    if (game_ply < 0 || game_ply > UNDO_STACK_SIZE) return "game_ply out of range";
    return nullptr;
}

#ifndef NDEBUG
void check_board_or_abort(const char *where) {
    const char *fault = board_fault();
    if (!fault) return;
    fprintf(stderr, "pelmok: after %s: %s\n", where, fault);
    abort();
}
#endif

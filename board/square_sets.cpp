// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The square sets that mirror the board arrays, and the weighted sums over
// the pieces, rebuilt from them in full.
#include "board/board.h"

PER_THREAD SquareSet color_set[2];
PER_THREAD SquareSet piece_set[2][6];

namespace {
const PieceWeights no_weights = {};
} // namespace

PER_THREAD const PieceWeights *piece_weights = &no_weights;
PER_THREAD int64_t weight_sum[2];

void install_piece_weights(const PieceWeights *weights) {
    piece_weights = weights;
    rebuild_square_sets();
}

void rebuild_square_sets() {
    weight_sum[WHITE] = weight_sum[BLACK] = 0;
    color_set[WHITE] = color_set[BLACK] = 0;
    for (int p = PAWN; p <= KING; p++) piece_set[WHITE][p] = piece_set[BLACK][p] = 0;
    for (int s = 0; s < 64; s++) {
        const int color = square_color[s];
        const int piece = square_piece[s];
        // A square only half filled in is left out; board_fault reports it.
        if (color != WHITE && color != BLACK) continue;
        if (piece < PAWN || piece > KING) continue;
        color_set[color] |= square_bit(s);
        piece_set[color][piece] |= square_bit(s);
        weight_sum[color] += piece_weights->value[color][piece][s];
    }
}

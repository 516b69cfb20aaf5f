// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The square sets that mirror the board arrays, rebuilt from them in full.
#include "board/board.h"

PER_THREAD SquareSet color_set[2];
PER_THREAD SquareSet piece_set[2][6];

void rebuild_square_sets() {
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
    }
}

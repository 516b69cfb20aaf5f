// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Attack detection. Attackers are looked for from the target square: the
// pieces that could reach it by their own moves, among those of the
// attacking colour, which finds exactly what a scan of every attacker would.
#include "board/board.h"

int square_attacked(int square, int by) {
    return square_attacked_after(square, by, occupied_set(), 0);
}

// The king is the lowest-numbered one, should editing have left several; a
// side without a king counts as in check, so none of its moves is legal.
int in_check(int color) {
    const SquareSet kings = piece_set[color][KING];
    if (!kings) return 1;
    return square_attacked(first_square(kings), color ^ 1);
}

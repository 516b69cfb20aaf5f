// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Attack detection. Attackers are looked for from the target square: the
// pieces that could reach it by their own moves, among those of the
// attacking colour, which finds exactly what a scan of every attacker would.
#include "board/board.h"

int square_attacked_after(int square, int by, SquareSet occupied, SquareSet removed) {
    const SquareSet *pieces = piece_set[by];
    const SquareSet kept = ~removed;
    // A pawn attacks the squares a pawn of the other colour would attack
    // it from.
    if (pawn_attacks[by ^ 1][square] & pieces[PAWN] & kept) return 1;
    if (knight_attacks[square] & pieces[KNIGHT] & kept) return 1;
    if (king_attacks[square] & pieces[KING] & kept) return 1;
    const SquareSet diagonal = (pieces[BISHOP] | pieces[QUEEN]) & kept;
    const SquareSet straight = (pieces[ROOK] | pieces[QUEEN]) & kept;
    // Most squares see no slider on their lines at all.
    if ((diagonal_lines[square] & diagonal) && (bishop_reach(square, occupied) & diagonal))
        return 1;
    if ((straight_lines[square] & straight) && (rook_reach(square, occupied) & straight)) return 1;
    return 0;
}

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

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Legality without making the move: where the mover's king would stand,
// and whether the board the move leaves has it attacked.
#include "board/board.h"

int move_is_legal(Move move) {
    const int from = move_from(move);
    const int to = move_to(move);
    const int flags = move_flags(move);
    const int mover = side_to_move;
    // Castling has its own conditions; it is rare enough to be played out.
    if (flags & MF_CASTLE) {
        if (!make_move(move)) return 0;
        unmake_move();
        return 1;
    }
    // make_move's own refusals.
    if (square_color[from] != mover || square_color[to] == mover) return 0;
    if (game_ply >= UNDO_STACK_SIZE) return 0;

    SquareSet removed = square_bit(to);
    SquareSet occupied = (occupied_set() ^ square_bit(from)) | square_bit(to);
    if (flags & MF_EN_PASSANT) {
        const SquareSet victim = square_bit(mover == WHITE ? to + 8 : to - 8);
        removed |= victim;
        occupied ^= victim;
    }
    // The king in_check would look at: the lowest-numbered one, should
    // editing have left several. A side without a king counts as in check.
    SquareSet kings = piece_set[mover][KING];
    if (square_piece[from] == KING) kings = (kings ^ square_bit(from)) | square_bit(to);
    if (!kings) return 0;
    const int king = first_square(kings);
    return !square_attacked_after(king, mover ^ 1, occupied, removed);
}

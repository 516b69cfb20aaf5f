// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Position editing: "edit", "#", "c", placement text such as "Pe4", and ".".
#include "protocol/xboard/xboard.h"

#include "board/history.h"

// "X" empties the square; any other unknown letter recolours a piece and
// leaves an empty square empty, so no square has a colour without a piece.
void place_piece(int color, int letter, int square) {
    if (square < 0 || square > 63) return;
    if (letter == 'X') {
        square_color[square] = EMPTY;
        square_piece[square] = EMPTY;
        return;
    }
    const int piece = piece_from_letter((char)letter);
    if (piece >= 0) {
        square_color[square] = color;
        square_piece[square] = piece;
    } else if (square_piece[square] != EMPTY) {
        square_color[square] = color;
    }
}

void clear_board() {
    for (int s = 0; s < 64; s++) {
        square_color[s] = EMPTY;
        square_piece[s] = EMPTY;
    }
}

// Only a king and rook on their start squares give a castling right.
void settle_edited_position() {
    castle_rights = castle_rights_on_board();
    ep_square = -1;
    fifty_count = 0;
    ply = 0;
    game_ply = 0;
    forgotten_plies = 0;
    compute_key();
    game_position_changed();
}

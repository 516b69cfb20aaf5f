// Position editing: "edit", "#", "c", placement text such as "Pe4", and ".".
#include "protocol/protocol.h"

namespace {

int piece_of_letter(int letter) {
    switch (letter) {
    case 'P':
        return PAWN;
    case 'N':
        return KNIGHT;
    case 'B':
        return BISHOP;
    case 'R':
        return ROOK;
    case 'Q':
        return QUEEN;
    case 'K':
        return KING;
    }
    return -1;
}

bool stands(int square, int color, int piece) {
    return square_color[square] == color && square_piece[square] == piece;
}

} // namespace

// "X" empties the square; any other unknown letter recolours a piece and
// leaves an empty square empty, so no square has a colour without a piece.
void place_piece(int color, int letter, int square) {
    if (square < 0 || square > 63) return;
    if (letter == 'X') {
        square_color[square] = EMPTY;
        square_piece[square] = EMPTY;
        return;
    }
    const int piece = piece_of_letter(letter);
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
    castle_rights = 0;
    if (stands(60, WHITE, KING)) {
        if (stands(63, WHITE, ROOK)) castle_rights |= CASTLE_WHITE_KINGSIDE;
        if (stands(56, WHITE, ROOK)) castle_rights |= CASTLE_WHITE_QUEENSIDE;
    }
    if (stands(4, BLACK, KING)) {
        if (stands(7, BLACK, ROOK)) castle_rights |= CASTLE_BLACK_KINGSIDE;
        if (stands(0, BLACK, ROOK)) castle_rights |= CASTLE_BLACK_QUEENSIDE;
    }
    ep_square = -1;
    fifty_count = 0;
    ply = 0;
    game_ply = 0;
    generate_moves();
    compute_key();
}

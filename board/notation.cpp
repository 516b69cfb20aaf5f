// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Coordinate move notation: e2e4, e1g1 for castling, e7e8q for promotions;
// square and piece letters shared by the FEN reader and position editing.
#include "board/board.h"

PER_THREAD char move_text_buffer[8];

namespace {

constexpr char PIECE_LETTERS[] = "PNBRQK";

inline bool is_file(char c) {
    return c >= 'a' && c <= 'h';
}
inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

inline char *write_square(char *out, int square) {
    out[0] = (char)('a' + (square & 7));
    out[1] = (char)('8' - (square >> 3));
    return out + 2;
}

} // namespace

int square_from_text(char file, char rank) {
    if (!is_file(file) || rank < '1' || rank > '8') return -1;
    return (file - 'a') + 8 * ('8' - rank);
}

int piece_from_letter(char letter) {
    for (int piece = PAWN; piece <= KING; piece++)
        if (PIECE_LETTERS[piece] == letter) return piece;
    return -1;
}

int parse_move_text(const char *text) {
    if (!is_file(text[0]) || !is_digit(text[1]) || !is_file(text[2]) || !is_digit(text[3]))
        return -1;
    // The digits 0 and 9 name no square, and so no move.
    const int from = square_from_text(text[0], text[1]);
    const int to = square_from_text(text[2], text[3]);
    if (from < 0 || to < 0) return -1;
    for (int i = 0; i < ply_move_start[1]; i++) {
        const Move m = move_stack[i].move;
        if (move_from(m) != from || move_to(m) != to) continue;
        if (!(move_flags(m) & MF_PROMOTION)) return i;
        // The four promotions stand together: knight, bishop, rook, queen.
        switch (text[4]) {
        case 'N':
        case 'n':
            return i;
        case 'B':
        case 'b':
            return i + 1;
        case 'R':
        case 'r':
            return i + 2;
        default:
            return i + 3;
        }
    }
    return -1;
}

const char *move_text(Move move) {
    char *out = write_square(move_text_buffer, move_from(move) & 63);
    out = write_square(out, move_to(move) & 63);
    if (move_flags(move) & MF_PROMOTION) {
        const int piece = move_promotion(move);
        *out++ = piece == KNIGHT ? 'n' : piece == BISHOP ? 'b' : piece == ROOK ? 'r' : 'q';
    }
    *out = '\0';
    return move_text_buffer;
}

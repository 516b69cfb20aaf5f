// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Coordinate move notation: e2e4, e7e8q for promotions, castling e1g1 in
// standard chess and e1h1 (the king taking its rook) in Chess960, with
// O-O and O-O-O besides; square and piece letters shared by the FEN reader
// and position editing.
#include "board/board.h"

#include <cstring>

PER_THREAD char move_text_buffer[8];
int chess960_castling_as_o = 0;

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

namespace {

// The index of the ply-0 castling move of the side to move on one side, or -1.
int find_castling(bool queen_side) {
    for (int i = 0; i < ply_move_start[1]; i++) {
        const Move m = move_stack[i].move;
        if ((move_flags(m) & MF_CASTLE) && castle_right_index(m) == 2 * side_to_move + queen_side)
            return i;
    }
    return -1;
}

// O-O, O-O-O, or the same with zeros; anything may follow (a check sign).
int parse_castling_text(const char *text) {
    const char o = text[0];
    if ((o != 'O' && o != '0') || text[1] != '-' || text[2] != o) return -1;
    return find_castling(text[3] == '-' && text[4] == o);
}

// The square a castling move's rook starts from in the game being played.
inline int castling_rook(Move move) {
    return castling_rules.rule[castle_right_index(move)].rook_from;
}

} // namespace

int parse_move_text(const char *text) {
    const int chess960 = castling_rules.chess960;
    if (chess960 && (text[0] == 'O' || text[0] == '0')) return parse_castling_text(text);
    if (!is_file(text[0]) || !is_digit(text[1]) || !is_file(text[2]) || !is_digit(text[3]))
        return -1;
    // The digits 0 and 9 name no square, and so no move.
    const int from = square_from_text(text[0], text[1]);
    const int to = square_from_text(text[2], text[3]);
    if (from < 0 || to < 0) return -1;
    for (int i = 0; i < ply_move_start[1]; i++) {
        const Move m = move_stack[i].move;
        // Chess960 writes castling as the king taking its own rook.
        if (chess960 && (move_flags(m) & MF_CASTLE)) {
            if (move_from(m) == from && castling_rook(m) == to) return i;
            continue;
        }
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
    int to = move_to(move) & 63;
    if (castling_rules.chess960 && (move_flags(move) & MF_CASTLE) && castling_rook(move) >= 0) {
        if (chess960_castling_as_o) return move_text_castle_o(move);
        to = castling_rook(move);
    }
    char *out = write_square(move_text_buffer, move_from(move) & 63);
    out = write_square(out, to);
    if (move_flags(move) & MF_PROMOTION) {
        const int piece = move_promotion(move);
        *out++ = piece == KNIGHT ? 'n' : piece == BISHOP ? 'b' : piece == ROOK ? 'r' : 'q';
    }
    *out = '\0';
    return move_text_buffer;
}

const char *move_text_castle_o(Move move) {
    if (!(move_flags(move) & MF_CASTLE)) return move_text(move);
    const bool queen_side = castle_right_index(move) & 1;
    return strcpy(move_text_buffer, queen_side ? "O-O-O" : "O-O");
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Piece values and square tables.
#include "eval/eval.h"

// Minor pieces at 301 so that a lone minor never equals three pawns.
const int piece_value[6] = {100, 301, 301, 500, 900, 0};

const int pawn_table[64] = {
    0, 0,  0,  0,   0,   0,  0,  0, //
    5, 10, 15, 20,  20,  15, 10, 5, //
    4, 8,  12, 16,  16,  12, 8,  4, //
    3, 6,  9,  12,  12,  9,  6,  3, //
    2, 4,  6,  8,   8,   6,  4,  2, //
    1, 2,  3,  -10, -10, 3,  2,  1, //
    0, 0,  0,  -40, -40, 0,  0,  0, //
    0, 0,  0,  0,   0,   0,  0,  0, //
};

const int knight_table[64] = {
    -10, -10, -10, -10, -10, -10, -10, -10, //
    -10, 0,   0,   0,   0,   0,   0,   -10, //
    -10, 0,   5,   5,   5,   5,   0,   -10, //
    -10, 0,   5,   10,  10,  5,   0,   -10, //
    -10, 0,   5,   10,  10,  5,   0,   -10, //
    -10, 0,   5,   5,   5,   5,   0,   -10, //
    -10, 0,   0,   0,   0,   0,   0,   -10, //
    -10, -30, -10, -10, -10, -10, -30, -10, //
};

const int bishop_table[64] = {
    -10, -10, -10, -10, -10, -10, -10, -10, //
    -10, 0,   0,   0,   0,   0,   0,   -10, //
    -10, 0,   5,   5,   5,   5,   0,   -10, //
    -10, 0,   5,   10,  10,  5,   0,   -10, //
    -10, 0,   5,   10,  10,  5,   0,   -10, //
    -10, 0,   5,   5,   5,   5,   0,   -10, //
    -10, 0,   0,   0,   0,   0,   0,   -10, //
    -10, -10, -20, -10, -10, -20, -10, -10, //
};

const int king_table[64] = {
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -40, -40, -40, -40, -40, -40, -40, -40, //
    -20, -20, -20, -20, -20, -20, -20, -20, //
    0,   20,  40,  -20, 0,   -20, 40,  20,  //
};

const int king_endgame_table[64] = {
    0,  10, 20, 30, 30, 20, 10, 0,  //
    10, 20, 30, 40, 40, 30, 20, 10, //
    20, 30, 40, 50, 50, 40, 30, 20, //
    30, 40, 50, 60, 60, 50, 40, 30, //
    30, 40, 50, 60, 60, 50, 40, 30, //
    20, 30, 40, 50, 50, 40, 30, 20, //
    10, 20, 30, 40, 40, 30, 20, 10, //
    0,  10, 20, 30, 30, 20, 10, 0,  //
};

const int flip[64] = {
    56, 57, 58, 59, 60, 61, 62, 63, //
    48, 49, 50, 51, 52, 53, 54, 55, //
    40, 41, 42, 43, 44, 45, 46, 47, //
    32, 33, 34, 35, 36, 37, 38, 39, //
    24, 25, 26, 27, 28, 29, 30, 31, //
    16, 17, 18, 19, 20, 21, 22, 23, //
    8,  9,  10, 11, 12, 13, 14, 15, //
    0,  1,  2,  3,  4,  5,  6,  7,  //
};

namespace {

constexpr int SEVENTH_RANK_BONUS = 20;

// Material of the pieces other than pawns and kings, the square tables of
// pawns, knights and bishops and the rooks' seventh rank: what the board
// sums as moves are made.
PieceWeights material_and_placement() {
    PieceWeights weights = {};
    for (int s = 0; s < 64; s++) {
        const int own[2] = {s, flip[s]};
        for (int c = WHITE; c <= BLACK; c++) {
            const int rook_placement = (own[c] >> 3) == 1 ? SEVENTH_RANK_BONUS : 0;
            weights.value[c][PAWN][s] = piece_weight(0, pawn_table[own[c]]);
            weights.value[c][KNIGHT][s] = piece_weight(piece_value[KNIGHT], knight_table[own[c]]);
            weights.value[c][BISHOP][s] = piece_weight(piece_value[BISHOP], bishop_table[own[c]]);
            weights.value[c][ROOK][s] = piece_weight(piece_value[ROOK], rook_placement);
            weights.value[c][QUEEN][s] = piece_weight(piece_value[QUEEN], 0);
        }
    }
    return weights;
}

} // namespace

// Built at start-up: the tables it reads are declared extern, which a
// constant expression may not read.
const PieceWeights evaluation_weights = material_and_placement();

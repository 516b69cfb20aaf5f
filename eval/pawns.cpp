// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Per-pawn terms: square table, doubled, isolated, backward and passed.
// The two colours are exact mirror images. Everything but the size of the
// passed bonus depends on the pawns alone, so the pawn cache keeps it.
#include "eval/eval.h"

#include "board/board.h"

namespace {
constexpr int PASSED_STEP_SMALL = 10; // own pieces above the threshold
constexpr int PASSED_STEP_LARGE = 20;
} // namespace

int passed_step_bonus(int own_pieces) {
    return own_pieces > PASSED_SCALE_THRESHOLD ? PASSED_STEP_SMALL : PASSED_STEP_LARGE;
}

int white_pawn_structure(int square) {
    const int8_t *W = rear_pawn_row[WHITE];
    const int r = square >> 3;
    const int i = (square & 7) + 1;
    int score = pawn_table[square];
    if (W[i] > r) score -= DOUBLED_PENALTY;
    if (W[i - 1] == 0 && W[i + 1] == 0)
        score -= ISOLATED_PENALTY;
    else if (W[i - 1] < r && W[i + 1] < r)
        score -= BACKWARD_PENALTY;
    return score;
}

int black_pawn_structure(int square) {
    const int8_t *B = rear_pawn_row[BLACK];
    const int r = square >> 3;
    const int i = (square & 7) + 1;
    int score = pawn_table[flip[square]];
    if (B[i] < r) score -= DOUBLED_PENALTY;
    if (B[i - 1] == 7 && B[i + 1] == 7)
        score -= ISOLATED_PENALTY;
    else if (B[i - 1] > r && B[i + 1] > r)
        score -= BACKWARD_PENALTY;
    return score;
}

int white_passed_steps(int square) {
    const int8_t *B = rear_pawn_row[BLACK];
    const int r = square >> 3;
    const int i = (square & 7) + 1;
    return B[i - 1] >= r && B[i] >= r && B[i + 1] >= r ? 7 - r : 0;
}

int black_passed_steps(int square) {
    const int8_t *W = rear_pawn_row[WHITE];
    const int r = square >> 3;
    const int i = (square & 7) + 1;
    return W[i - 1] <= r && W[i] <= r && W[i + 1] <= r ? r : 0;
}

int eval_white_pawn(int square) {
    return white_pawn_structure(square) +
           white_passed_steps(square) * passed_step_bonus(piece_material[WHITE]);
}

int eval_black_pawn(int square) {
    return black_pawn_structure(square) +
           black_passed_steps(square) * passed_step_bonus(piece_material[BLACK]);
}

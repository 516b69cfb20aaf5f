// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Per-pawn terms: square table, doubled, isolated, backward and passed.
// The two colours are exact mirror images.
#include "eval/eval.h"

#include "board/board.h"

namespace {
constexpr int DOUBLED_PENALTY = 10;
constexpr int ISOLATED_PENALTY = 20;
constexpr int BACKWARD_PENALTY = 8;
} // namespace

int eval_white_pawn(int square) {
    const int *W = rear_pawn_row[WHITE];
    const int *B = rear_pawn_row[BLACK];
    const int r = square >> 3;
    const int i = (square & 7) + 1;
    int score = pawn_table[square];
    if (W[i] > r) score -= DOUBLED_PENALTY;
    if (W[i - 1] == 0 && W[i + 1] == 0)
        score -= ISOLATED_PENALTY;
    else if (W[i - 1] < r && W[i + 1] < r)
        score -= BACKWARD_PENALTY;
    if (B[i - 1] >= r && B[i] >= r && B[i + 1] >= r) {
        const int steps = 7 - r;
        score += steps * (piece_material[WHITE] > PASSED_SCALE_THRESHOLD ? 10 : 20);
    }
    return score;
}

int eval_black_pawn(int square) {
    const int *W = rear_pawn_row[WHITE];
    const int *B = rear_pawn_row[BLACK];
    const int r = square >> 3;
    const int i = (square & 7) + 1;
    int score = pawn_table[flip[square]];
    if (B[i] < r) score -= DOUBLED_PENALTY;
    if (B[i - 1] == 7 && B[i + 1] == 7)
        score -= ISOLATED_PENALTY;
    else if (B[i - 1] > r && B[i + 1] > r)
        score -= BACKWARD_PENALTY;
    if (W[i - 1] <= r && W[i] <= r && W[i + 1] <= r) {
        const int steps = r;
        score += steps * (piece_material[BLACK] > PASSED_SCALE_THRESHOLD ? 10 : 20);
    }
    return score;
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Attack detection. Rays are walked outward from the target square, which
// finds exactly the attackers a scan of every enemy piece would find, at a
// fraction of the cost.
#include "board/board.h"

namespace {

constexpr int KNIGHT_STEPS[8] = {-21, -19, -12, -8, 8, 12, 19, 21};
constexpr int KING_STEPS[8] = {-11, -10, -9, -1, 1, 9, 10, 11};
constexpr int DIAGONAL_STEPS[4] = {-11, -9, 9, 11};
constexpr int STRAIGHT_STEPS[4] = {-10, -1, 1, 10};

// Frame steps off the board give -1.
inline bool holds(int square, int color, int piece) {
    return square >= 0 && stands(square, color, piece);
}

// First occupied square along a ray from the frame index, or -1.
inline int first_blocker(int frame, int step) {
    int t = mailbox[frame + step];
    while (t != -1 && square_color[t] == EMPTY) {
        frame += step;
        t = mailbox[frame + step];
    }
    return t;
}

} // namespace

int square_attacked(int square, int by) {
    const int frame = square_to_mailbox[square];
    // A pawn attacks one row toward its promotion row, so its attackers sit
    // one row the other way.
    const int pawn_row = by == WHITE ? 10 : -10;
    if (holds(mailbox[frame + pawn_row - 1], by, PAWN)) return 1;
    if (holds(mailbox[frame + pawn_row + 1], by, PAWN)) return 1;
    for (int d = 0; d < 8; d++) {
        if (holds(mailbox[frame + KNIGHT_STEPS[d]], by, KNIGHT)) return 1;
        if (holds(mailbox[frame + KING_STEPS[d]], by, KING)) return 1;
    }
    for (int d = 0; d < 4; d++) {
        int t = first_blocker(frame, DIAGONAL_STEPS[d]);
        if (t != -1 && square_color[t] == by &&
            (square_piece[t] == BISHOP || square_piece[t] == QUEEN))
            return 1;
        t = first_blocker(frame, STRAIGHT_STEPS[d]);
        if (t != -1 && square_color[t] == by &&
            (square_piece[t] == ROOK || square_piece[t] == QUEEN))
            return 1;
    }
    return 0;
}

// A side without a king counts as in check, so none of its moves is legal.
int in_check(int color) {
    for (int s = 0; s < 64; s++) {
        if (square_piece[s] == KING && square_color[s] == color)
            return square_attacked(s, color ^ 1);
    }
    return 1;
}

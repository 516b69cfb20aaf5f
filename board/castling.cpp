// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The castling of the game being played: where each right's king and rook
// start and land, what must be empty and unattacked, and which moves keep
// which rights.
#include "board/board.h"

namespace {

// The squares from a to b on one rank, both included.
constexpr SquareSet rank_span(int a, int b) {
    const int low = a < b ? a : b;
    const int high = a < b ? b : a;
    return (((SquareSet)1 << high) - ((SquareSet)1 << low)) | (SquareSet)1 << high;
}

constexpr CastleRule castle_rule(int right, int king_from, int rook_from) {
    const int back_row = right < 2 ? 56 : 0;
    const bool king_side = (right & 1) == 0;
    CastleRule rule = {
        king_from, back_row + (king_side ? 6 : 2), rook_from, back_row + (king_side ? 5 : 3), 0, 0};
    if (rook_from < 0) return rule;
    const SquareSet start = (SquareSet)1 << king_from | (SquareSet)1 << rook_from;
    rule.must_be_empty =
        (rank_span(king_from, rule.king_to) | rank_span(rook_from, rule.rook_to)) & ~start;
    rule.king_path = rank_span(king_from, rule.king_to) & ~((SquareSet)1 << king_from);
    return rule;
}

constexpr CastlingRules castling_of(int chess960, const int king_square[2],
                                    const int rook_square[4]) {
    CastlingRules rules = {};
    rules.chess960 = chess960;
    for (int s = 0; s < 64; s++) rules.mask[s] = ALL_CASTLE_RIGHTS;
    for (int right = 0; right < 4; right++) {
        const int color = right < 2 ? WHITE : BLACK;
        rules.rule[right] = castle_rule(right, king_square[color], rook_square[right]);
        if (rook_square[right] < 0) continue;
        // The king leaving takes both of its colour's rights, the rook its own.
        rules.mask[king_square[color]] &= ~(3 << (2 * color));
        rules.mask[rook_square[right]] &= ~(1 << right);
    }
    return rules;
}

constexpr int STANDARD_KINGS[2] = {60, 4};
constexpr int STANDARD_ROOKS[4] = {63, 56, 7, 0};
// Built at compile time: a per-thread variable needs a constant initial
// value, or every access would pay for a check that it is set up.
constexpr CastlingRules STANDARD_CASTLING = castling_of(0, STANDARD_KINGS, STANDARD_ROOKS);

} // namespace

PER_THREAD CastlingRules castling_rules = STANDARD_CASTLING;

void set_standard_castling() {
    castling_rules = STANDARD_CASTLING;
}

void set_chess960_castling(const int king_square[2], const int rook_square[4]) {
    castling_rules = castling_of(1, king_square, rook_square);
}

int castle_rights_on_board() {
    int rights = 0;
    for (int right = 0; right < 4; right++) {
        const CastleRule &rule = castling_rules.rule[right];
        const int color = right < 2 ? WHITE : BLACK;
        if (rule.rook_from >= 0 && stands(rule.king_from, color, KING) &&
            stands(rule.rook_from, color, ROOK))
            rights |= 1 << right;
    }
    return rights;
}

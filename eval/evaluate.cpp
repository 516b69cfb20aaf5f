// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Two passes over the board: material and pawn summaries first, then the
// positional terms that read them.
#include "eval/eval.h"

#include "board/board.h"

int piece_material[2];
int pawn_material[2];
int rear_pawn_row[2][10];
int material_total;
int material_difference;

namespace {

constexpr int TRAPPED_BISHOP_PENALTY = 150;
constexpr int OPEN_FILE_BONUS = 15;
constexpr int HALF_OPEN_FILE_BONUS = 10;
constexpr int SEVENTH_RANK_BONUS = 20;

// A bishop that took a rook pawn and is shut in by two pawns.
int white_bishop(int s) {
    int score = bishop_table[s];
    if ((s == 8 && stands(17, BLACK, PAWN) && stands(10, BLACK, PAWN)) ||
        (s == 15 && stands(22, BLACK, PAWN) && stands(13, BLACK, PAWN)))
        score -= TRAPPED_BISHOP_PENALTY;
    return score;
}

int black_bishop(int s) {
    int score = bishop_table[flip[s]];
    if ((s == 48 && stands(41, WHITE, PAWN) && stands(50, WHITE, PAWN)) ||
        (s == 55 && stands(46, WHITE, PAWN) && stands(53, WHITE, PAWN)))
        score -= TRAPPED_BISHOP_PENALTY;
    return score;
}

int white_rook(int s) {
    const int i = (s & 7) + 1;
    int score = 0;
    if (rear_pawn_row[WHITE][i] == 0)
        score += rear_pawn_row[BLACK][i] == 7 ? OPEN_FILE_BONUS : HALF_OPEN_FILE_BONUS;
    if ((s >> 3) == 1) score += SEVENTH_RANK_BONUS;
    return score;
}

int black_rook(int s) {
    const int i = (s & 7) + 1;
    int score = 0;
    if (rear_pawn_row[BLACK][i] == 7)
        score += rear_pawn_row[WHITE][i] == 0 ? OPEN_FILE_BONUS : HALF_OPEN_FILE_BONUS;
    if ((s >> 3) == 6) score += SEVENTH_RANK_BONUS;
    return score;
}

} // namespace

int insufficient_material() {
    const int minor = piece_value[KNIGHT];
    return material_total == 0 || material_total == minor ||
           (material_total == 2 * minor && material_difference == 0);
}

int evaluate() {
    // 1. Reset the summaries.
    piece_material[WHITE] = piece_material[BLACK] = 0;
    pawn_material[WHITE] = pawn_material[BLACK] = 0;
    for (int i = 0; i < 10; i++) {
        rear_pawn_row[WHITE][i] = 0;
        rear_pawn_row[BLACK][i] = 7;
    }

    // 2. Material and the rearmost pawn of each file; the occupied squares
    // are noted, in board order, for the second pass.
    int occupied[64];
    int occupied_count = 0;
    for (int s = 0; s < 64; s++) {
        const int piece = square_piece[s];
        if (piece == EMPTY) continue;
        occupied[occupied_count++] = s;
        const int color = square_color[s];
        if (piece == PAWN) {
            pawn_material[color] += piece_value[PAWN];
            const int row = s >> 3;
            int &rear = rear_pawn_row[color][(s & 7) + 1];
            if (color == WHITE ? row > rear : row < rear) rear = row;
        } else {
            piece_material[color] += piece_value[piece];
        }
    }

    // 3. Written before the early return, for adjudication.
    const int white = pawn_material[WHITE] + piece_material[WHITE];
    const int black = pawn_material[BLACK] + piece_material[BLACK];
    material_difference = white - black;
    material_total = white + black;

    // 4. Bare kings, a lone minor, or one minor each: a dead draw.
    if (insufficient_material()) return 0;

    // 5. Positional terms.
    int score[2] = {white, black};
    for (int k = 0; k < occupied_count; k++) {
        const int s = occupied[k];
        const int piece = square_piece[s];
        if (square_color[s] == WHITE) {
            switch (piece) {
            case PAWN:
                score[WHITE] += eval_white_pawn(s);
                break;
            case KNIGHT:
                score[WHITE] += knight_table[s];
                break;
            case BISHOP:
                score[WHITE] += white_bishop(s);
                break;
            case ROOK:
                score[WHITE] += white_rook(s);
                break;
            case KING:
                score[WHITE] += piece_material[BLACK] > KING_SHELTER_THRESHOLD
                                    ? eval_white_king(s)
                                    : king_endgame_table[s];
                break;
            default:
                break;
            }
        } else {
            switch (piece) {
            case PAWN:
                score[BLACK] += eval_black_pawn(s);
                break;
            case KNIGHT:
                score[BLACK] += knight_table[flip[s]];
                break;
            case BISHOP:
                score[BLACK] += black_bishop(s);
                break;
            case ROOK:
                score[BLACK] += black_rook(s);
                break;
            case KING:
                score[BLACK] += piece_material[WHITE] > KING_SHELTER_THRESHOLD
                                    ? eval_black_king(s)
                                    : king_endgame_table[flip[s]];
                break;
            default:
                break;
            }
        }
    }

    // 6. From the side to move's view. Only an edited board can pile up
    // enough material to leave the static range; beyond it a score would
    // read as a mate, and past the root window no move could ever be chosen.
    const int total =
        side_to_move == WHITE ? score[WHITE] - score[BLACK] : score[BLACK] - score[WHITE];
    return total > STATIC_SCORE_LIMIT    ? STATIC_SCORE_LIMIT
           : total < -STATIC_SCORE_LIMIT ? -STATIC_SCORE_LIMIT
                                         : total;
}

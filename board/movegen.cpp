// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Pseudo-legal move generation with ordering scores, in a fixed order:
// origin squares a8..h1, then castling, then en-passant captures. The search
// breaks ties between equal scores by this order.
#include "board/board.h"

namespace {

constexpr int CAPTURE_BASE = 1000000;

// Appends one entry; a full stack drops the move rather than overrun.
inline void append(Move move, int score) {
    int index = ply_move_start[ply + 1];
    if (index >= MOVE_STACK_SIZE) return;
    move_stack[index].move = move;
    move_stack[index].score = score;
    ply_move_start[ply + 1] = index + 1;
}

// A pawn on the row it would promote on (only editing can put it there)
// has nowhere to go.
void white_pawn(int i, bool captures_only) {
    if (i < 8) return;
    int file = i & 7;
    if (file != 0 && square_color[i - 9] == BLACK) push_move(i, i - 9, MF_PAWN_MOVE | MF_CAPTURE);
    if (file != 7 && square_color[i - 7] == BLACK) push_move(i, i - 7, MF_PAWN_MOVE | MF_CAPTURE);
    if (square_color[i - 8] != EMPTY) return;
    if (captures_only) {
        if (i <= 15) push_move(i, i - 8, MF_PAWN_MOVE);
        return;
    }
    push_move(i, i - 8, MF_PAWN_MOVE);
    if (i >= 48 && square_color[i - 16] == EMPTY)
        push_move(i, i - 16, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
}

void black_pawn(int i, bool captures_only) {
    if (i >= 56) return;
    int file = i & 7;
    if (file != 0 && square_color[i + 7] == WHITE) push_move(i, i + 7, MF_PAWN_MOVE | MF_CAPTURE);
    if (file != 7 && square_color[i + 9] == WHITE) push_move(i, i + 9, MF_PAWN_MOVE | MF_CAPTURE);
    if (square_color[i + 8] != EMPTY) return;
    if (captures_only) {
        if (i >= 48) push_move(i, i + 8, MF_PAWN_MOVE);
        return;
    }
    push_move(i, i + 8, MF_PAWN_MOVE);
    if (i <= 15 && square_color[i + 16] == EMPTY)
        push_move(i, i + 16, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
}

void piece_moves(int i, int piece, bool captures_only) {
    const int frame = square_to_mailbox[i];
    const int slides = piece_slides[piece];
    for (int d = 0; d < direction_count[piece]; d++) {
        const int step = direction_offsets[piece][d];
        int f = frame + step;
        int t = mailbox[f];
        while (t != -1) {
            if (square_color[t] != EMPTY) {
                if (square_color[t] == opponent) push_move(i, t, MF_CAPTURE);
                break;
            }
            if (!captures_only) push_move(i, t, 0);
            if (!slides) break;
            f += step;
            t = mailbox[f];
        }
    }
}

// The capturer on the a-file side first.
void en_passant_moves() {
    const int e = ep_square;
    if (e == -1) return;
    const int file = e & 7;
    const int flags = MF_PAWN_MOVE | MF_EN_PASSANT | MF_CAPTURE;
    if (side_to_move == WHITE) {
        if (file != 0 && e + 7 < 64 && stands(e + 7, WHITE, PAWN)) push_move(e + 7, e, flags);
        if (file != 7 && e + 9 < 64 && stands(e + 9, WHITE, PAWN)) push_move(e + 9, e, flags);
    } else {
        if (file != 0 && e - 9 >= 0 && stands(e - 9, BLACK, PAWN)) push_move(e - 9, e, flags);
        if (file != 7 && e - 7 >= 0 && stands(e - 7, BLACK, PAWN)) push_move(e - 7, e, flags);
    }
}

void generate(bool captures_only) {
    ply_move_start[ply + 1] = ply_move_start[ply];
    for (int i = 0; i < 64; i++) {
        if (square_color[i] != side_to_move) continue;
        const int piece = square_piece[i];
        if (piece == PAWN) {
            if (side_to_move == WHITE)
                white_pawn(i, captures_only);
            else
                black_pawn(i, captures_only);
        } else {
            piece_moves(i, piece, captures_only);
        }
    }
    if (!captures_only) {
        // From the rights bits alone; make_move tests the squares between.
        if (side_to_move == WHITE) {
            if (castle_rights & CASTLE_WHITE_KINGSIDE) push_move(60, 62, MF_CASTLE);
            if (castle_rights & CASTLE_WHITE_QUEENSIDE) push_move(60, 58, MF_CASTLE);
        } else {
            if (castle_rights & CASTLE_BLACK_KINGSIDE) push_move(4, 6, MF_CASTLE);
            if (castle_rights & CASTLE_BLACK_QUEENSIDE) push_move(4, 2, MF_CASTLE);
        }
    }
    en_passant_moves();
}

} // namespace

void generate_moves() {
    generate(false);
}

void generate_captures() {
    generate(true);
}

void push_move(int from, int to, int flags) {
    if ((flags & MF_PAWN_MOVE) && (side_to_move == WHITE ? to <= 7 : to >= 56)) {
        push_promotions(from, to, flags);
        return;
    }
    // The score follows the destination square for every kind of move: an
    // occupied castling destination scores as a capture, though make_move
    // will refuse it.
    int score = square_color[to] != EMPTY
                    ? CAPTURE_BASE + 10 * square_piece[to] - square_piece[from]
                    : history_scores[from][to];
    append(make_move_word(from, to, 0, flags), score);
}

void push_promotions(int from, int to, int flags) {
    for (int piece = KNIGHT; piece <= QUEEN; piece++)
        append(make_move_word(from, to, piece, flags | MF_PROMOTION), CAPTURE_BASE + 10 * piece);
}

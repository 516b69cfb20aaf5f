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

inline int capture_score(int from, int to) {
    return CAPTURE_BASE + 10 * square_piece[to] - square_piece[from];
}

// Knights and kings: their targets, lowest square first, are their
// directions in table order, since those offsets only ever grow.
void step_moves(int i, SquareSet targets, SquareSet enemies) {
    const int *history = history_scores[i];
    for (; targets; targets &= targets - 1) {
        const int t = first_square(targets);
        if (enemies & square_bit(t))
            append(make_move_word(i, t, 0, MF_CAPTURE), capture_score(i, t));
        else
            append(make_move_word(i, t, 0, 0), history[t]);
    }
}

// Sliders: direction by direction in table order, nearest square first,
// the blocking enemy piece (if any) last.
void slide_moves(int i, const int *rays, int ray_count, SquareSet occupied, SquareSet enemies,
                 bool captures_only) {
    const int *history = history_scores[i];
    for (int k = 0; k < ray_count; k++) {
        const int ray = rays[k];
        const SquareSet reach = ray_reach(ray, i, occupied);
        const SquareSet hit = reach & occupied;
        if (!captures_only) {
            SquareSet quiet = reach ^ hit;
            if (ray_descends(ray)) {
                while (quiet) {
                    const int t = last_square(quiet);
                    quiet ^= square_bit(t);
                    append(make_move_word(i, t, 0, 0), history[t]);
                }
            } else {
                for (; quiet; quiet &= quiet - 1) {
                    const int t = first_square(quiet);
                    append(make_move_word(i, t, 0, 0), history[t]);
                }
            }
        }
        if (hit & enemies) {
            const int t = first_square(hit);
            append(make_move_word(i, t, 0, MF_CAPTURE), capture_score(i, t));
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

constexpr int QUEEN_RAYS[8] = {0, 1, 2, 3, 4, 5, 6, 7};

void generate(bool captures_only) {
    ply_move_start[ply + 1] = ply_move_start[ply];
    const int us = side_to_move;
    const SquareSet occupied = occupied_set();
    const SquareSet enemies = color_set[us ^ 1];
    const SquareSet targets = captures_only ? enemies : ~color_set[us];
    // Origin squares in board order, as the search's tie-break expects.
    for (SquareSet own = color_set[us]; own; own &= own - 1) {
        const int i = first_square(own);
        switch (square_piece[i]) {
        case PAWN:
            if (us == WHITE)
                white_pawn(i, captures_only);
            else
                black_pawn(i, captures_only);
            break;
        case KNIGHT:
            step_moves(i, knight_attacks[i] & targets, enemies);
            break;
        case BISHOP:
            slide_moves(i, DIAGONAL_RAYS, 4, occupied, enemies, captures_only);
            break;
        case ROOK:
            slide_moves(i, STRAIGHT_RAYS, 4, occupied, enemies, captures_only);
            break;
        case QUEEN:
            slide_moves(i, QUEEN_RAYS, 8, occupied, enemies, captures_only);
            break;
        default:
            step_moves(i, king_attacks[i] & targets, enemies);
            break;
        }
    }
    if (!captures_only) {
        // From the rights bits alone; make_move tests the squares between.
        if (us == WHITE) {
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

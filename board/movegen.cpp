// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Pseudo-legal move generation with ordering scores, in a fixed order:
// origin squares a8..h1, then castling, then en-passant captures. The search
// breaks ties between equal scores by this order.
#include "board/board.h"

namespace {

constexpr int CAPTURE_BASE = 1000000;

// The list being written: its next entry and the end of the stack. A full
// stack drops further moves rather than overrun.
struct ListEnd {
    MoveEntry *next;
    MoveEntry *limit;
};

inline ListEnd open_list() {
    return ListEnd{move_stack + ply_move_start[ply + 1], move_stack + MOVE_STACK_SIZE};
}
inline void close_list(const ListEnd &list) {
    ply_move_start[ply + 1] = (int)(list.next - move_stack);
}

inline void append(ListEnd &list, Move move, int score) {
    if (list.next == list.limit) return;
    list.next->move = move;
    list.next->score = score;
    list.next++;
}

inline int capture_score(int from, int to) {
    return CAPTURE_BASE + 10 * square_piece[to] - square_piece[from];
}

void add_promotions(ListEnd &list, int from, int to, int flags) {
    for (int piece = KNIGHT; piece <= QUEEN; piece++)
        append(list, make_move_word(from, to, piece, flags | MF_PROMOTION),
               CAPTURE_BASE + 10 * piece);
}

// push_move's rule: a pawn move onto the last row becomes four promotions;
// the score follows the destination square for every kind of move, so an
// occupied castling destination scores as a capture, though make_move will
// refuse it.
inline void add_move(ListEnd &list, int from, int to, int flags) {
    if ((flags & MF_PAWN_MOVE) && (side_to_move == WHITE ? to <= 7 : to >= 56)) {
        add_promotions(list, from, to, flags);
        return;
    }
    const int score =
        square_color[to] != EMPTY ? capture_score(from, to) : quiet_move_scores[from][to];
    append(list, make_move_word(from, to, 0, flags), score);
}

// A pawn on the row it would promote on (only editing can put it there)
// has nowhere to go.
void white_pawn(ListEnd &list, int i, bool captures_only) {
    if (i < 8) return;
    int file = i & 7;
    if (file != 0 && square_color[i - 9] == BLACK)
        add_move(list, i, i - 9, MF_PAWN_MOVE | MF_CAPTURE);
    if (file != 7 && square_color[i - 7] == BLACK)
        add_move(list, i, i - 7, MF_PAWN_MOVE | MF_CAPTURE);
    if (square_color[i - 8] != EMPTY) return;
    if (captures_only) {
        if (i <= 15) add_move(list, i, i - 8, MF_PAWN_MOVE);
        return;
    }
    add_move(list, i, i - 8, MF_PAWN_MOVE);
    if (i >= 48 && square_color[i - 16] == EMPTY)
        add_move(list, i, i - 16, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
}

void black_pawn(ListEnd &list, int i, bool captures_only) {
    if (i >= 56) return;
    int file = i & 7;
    if (file != 0 && square_color[i + 7] == WHITE)
        add_move(list, i, i + 7, MF_PAWN_MOVE | MF_CAPTURE);
    if (file != 7 && square_color[i + 9] == WHITE)
        add_move(list, i, i + 9, MF_PAWN_MOVE | MF_CAPTURE);
    if (square_color[i + 8] != EMPTY) return;
    if (captures_only) {
        if (i >= 48) add_move(list, i, i + 8, MF_PAWN_MOVE);
        return;
    }
    add_move(list, i, i + 8, MF_PAWN_MOVE);
    if (i <= 15 && square_color[i + 16] == EMPTY)
        add_move(list, i, i + 16, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
}

// Knights and kings: their targets, lowest square first, are their
// directions in table order, since those offsets only ever grow.
inline void step_moves(ListEnd &list, int i, SquareSet targets, SquareSet enemies) {
    const int *history = quiet_move_scores[i];
    for (; targets; targets &= targets - 1) {
        const int t = first_square(targets);
        if (enemies & square_bit(t))
            append(list, make_move_word(i, t, 0, MF_CAPTURE), capture_score(i, t));
        else
            append(list, make_move_word(i, t, 0, 0), history[t]);
    }
}

// Sliders: direction by direction in table order, nearest square first,
// the blocking enemy piece (if any) last. reach is all the slider reaches.
inline void slide_moves(ListEnd &list, int i, const int *rays, int ray_count, SquareSet reach,
                        SquareSet occupied, SquareSet enemies, bool captures_only) {
    // Most sliders have nothing to take.
    if (captures_only && !(reach & enemies)) return;
    const int *history = quiet_move_scores[i];
    for (int k = 0; k < ray_count; k++) {
        const int ray = rays[k];
        const SquareSet along = reach & ray_squares[ray][i];
        if (!captures_only) {
            SquareSet quiet = along & ~occupied;
            if (ray_descends(ray)) {
                while (quiet) {
                    const int t = last_square(quiet);
                    quiet ^= square_bit(t);
                    append(list, make_move_word(i, t, 0, 0), history[t]);
                }
            } else {
                for (; quiet; quiet &= quiet - 1) {
                    const int t = first_square(quiet);
                    append(list, make_move_word(i, t, 0, 0), history[t]);
                }
            }
        }
        const SquareSet hit = along & enemies;
        if (hit) {
            const int t = first_square(hit);
            append(list, make_move_word(i, t, 0, MF_CAPTURE), capture_score(i, t));
        }
    }
}

// The capturer on the a-file side first.
void en_passant_moves(ListEnd &list) {
    const int e = ep_square;
    if (e == -1) return;
    const int file = e & 7;
    const int flags = MF_PAWN_MOVE | MF_EN_PASSANT | MF_CAPTURE;
    if (side_to_move == WHITE) {
        if (file != 0 && e + 7 < 64 && stands(e + 7, WHITE, PAWN)) add_move(list, e + 7, e, flags);
        if (file != 7 && e + 9 < 64 && stands(e + 9, WHITE, PAWN)) add_move(list, e + 9, e, flags);
    } else {
        if (file != 0 && e - 9 >= 0 && stands(e - 9, BLACK, PAWN)) add_move(list, e - 9, e, flags);
        if (file != 7 && e - 7 >= 0 && stands(e - 7, BLACK, PAWN)) add_move(list, e - 7, e, flags);
    }
}

// From the rights bits alone, king side first; make_move tests the
// squares. The score follows the destination as for any move (one that
// another piece holds scores as a capture, and make_move refuses it), the
// castling king and rook themselves aside.
void castle_moves(ListEnd &list, int us) {
    for (int right = 2 * us; right < 2 * us + 2; right++) {
        if (!(castle_rights & (1 << right))) continue;
        const CastleRule &rule = castling_rules.rule[right];
        const int from = rule.king_from;
        const int to = rule.king_to;
        const bool held = square_color[to] != EMPTY && to != from && to != rule.rook_from;
        append(list, make_move_word(from, to, 0, MF_CASTLE),
               held ? capture_score(from, to) : quiet_move_scores[from][to]);
    }
}

constexpr int QUEEN_RAYS[8] = {0, 1, 2, 3, 4, 5, 6, 7};

void generate(bool captures_only) {
    ply_move_start[ply + 1] = ply_move_start[ply];
    ListEnd list = open_list();
    const int us = side_to_move;
    const SquareSet occupied = occupied_set();
    const SquareSet enemies = color_set[us ^ 1];
    const SquareSet targets = captures_only ? enemies : ~color_set[us];
    // Origin squares in board order, as the search's tie-break expects.
    for (SquareSet own = color_set[us]; own; own &= own - 1) {
        const int i = first_square(own);
        const int piece = square_piece[i];
        if (piece == PAWN) {
            // Among captures, a pawn with no enemy to take and no step onto
            // the last row adds nothing.
            if (captures_only && !(pawn_attacks[us][i] & enemies) &&
                (us == WHITE ? i > 15 : i < 48))
                continue;
            if (us == WHITE)
                white_pawn(list, i, captures_only);
            else
                black_pawn(list, i, captures_only);
        } else if (piece == KNIGHT) {
            step_moves(list, i, knight_attacks[i] & targets, enemies);
        } else if (piece == KING) {
            step_moves(list, i, king_attacks[i] & targets, enemies);
        } else if (piece == BISHOP) {
            slide_moves(list, i, DIAGONAL_RAYS, 4, bishop_reach(i, occupied), occupied, enemies,
                        captures_only);
        } else if (piece == ROOK) {
            slide_moves(list, i, STRAIGHT_RAYS, 4, rook_reach(i, occupied), occupied, enemies,
                        captures_only);
        } else {
            slide_moves(list, i, QUEEN_RAYS, 8, bishop_reach(i, occupied) | rook_reach(i, occupied),
                        occupied, enemies, captures_only);
        }
    }
    if (!captures_only && (castle_rights & (3 << (2 * us)))) castle_moves(list, us);
    en_passant_moves(list);
    close_list(list);
}

} // namespace

void generate_moves() {
    generate(false);
}

void generate_captures() {
    generate(true);
}

void push_move(int from, int to, int flags) {
    ListEnd list = open_list();
    add_move(list, from, to, flags);
    close_list(list);
}

void push_promotions(int from, int to, int flags) {
    ListEnd list = open_list();
    add_promotions(list, from, to, flags);
    close_list(list);
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Pseudo-legal move generation with ordering scores, in a fixed order:
// origin squares a8..h1, then castling, then en-passant captures. The search
// breaks ties between equal scores by this order.
#include "board/board.h"

namespace {

constexpr int CAPTURE_BASE = 1000000;

// The list being written: its next entry and the end of the stack. A full
// stack drops further moves rather than overrun. Each function below comes
// twice: CHECKED tests for the end at every entry, the other is for a list
// known to fit (see generate).
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

template <bool CHECKED> inline void append(ListEnd &list, Move move, int score) {
    if (CHECKED && list.next == list.limit) return;
    list.next->move = move;
    list.next->score = score;
    list.next++;
}

inline int capture_score(int from, int to) {
    return CAPTURE_BASE + 10 * square_piece[to] - square_piece[from];
}

// A piece other than a pawn taking on to.
template <bool CHECKED> inline void add_capture(ListEnd &list, int from, int to) {
    append<CHECKED>(list, make_move_word(from, to, 0, MF_CAPTURE), capture_score(from, to));
}

template <bool CHECKED> void add_promotions(ListEnd &list, int from, int to, int flags) {
    for (int piece = KNIGHT; piece <= QUEEN; piece++)
        append<CHECKED>(list, make_move_word(from, to, piece, flags | MF_PROMOTION),
                        CAPTURE_BASE + 10 * piece);
}

// push_move's rule: a pawn move onto the last row becomes four promotions;
// the score follows the destination square for every kind of move, so an
// occupied castling destination scores as a capture, though make_move will
// refuse it.
template <bool CHECKED> inline void add_move(ListEnd &list, int from, int to, int flags) {
    if ((flags & MF_PAWN_MOVE) && (side_to_move == WHITE ? to <= 7 : to >= 56)) {
        add_promotions<CHECKED>(list, from, to, flags);
        return;
    }
    const int score =
        square_color[to] != EMPTY ? capture_score(from, to) : quiet_move_scores[from][to];
    append<CHECKED>(list, make_move_word(from, to, 0, flags), score);
}

constexpr SquareSet ROW_0 = 0xff;
constexpr SquareSet ROW_1 = (SquareSet)0xff << 8;
constexpr SquareSet ROW_6 = (SquareSet)0xff << 48;
constexpr SquareSet ROW_7 = (SquareSet)0xff << 56;

// Each kind of pawn move with the pawns that can make it, for all of a
// colour's pawns at once; a pawn then only looks itself up. Captures only:
// the pushes onto the last row, no double pushes. A pawn on the row it
// would promote on (only editing can put it there) has nowhere to go; one
// on the row behind its start (editing again) pushes two as from its start.
struct PawnMoves {
    SquareSet take_toward_a; // toward the a-file
    SquareSet take_toward_h;
    SquareSet push;
    SquareSet double_push;
};

PawnMoves white_pawn_moves(SquareSet enemies, SquareSet empty, bool captures_only) {
    const SquareSet pawns = piece_set[WHITE][PAWN] & ~ROW_0;
    PawnMoves moves;
    moves.take_toward_a = pawns & (enemies << 9) & ~A_FILE_SQUARES;
    moves.take_toward_h = pawns & (enemies << 7) & ~H_FILE_SQUARES;
    moves.push = pawns & (empty << 8) & (captures_only ? ROW_1 : ~(SquareSet)0);
    moves.double_push = captures_only ? 0 : moves.push & (ROW_6 | ROW_7) & (empty << 16);
    return moves;
}

PawnMoves black_pawn_moves(SquareSet enemies, SquareSet empty, bool captures_only) {
    const SquareSet pawns = piece_set[BLACK][PAWN] & ~ROW_7;
    PawnMoves moves;
    moves.take_toward_a = pawns & (enemies >> 7) & ~A_FILE_SQUARES;
    moves.take_toward_h = pawns & (enemies >> 9) & ~H_FILE_SQUARES;
    moves.push = pawns & (empty >> 8) & (captures_only ? ROW_6 : ~(SquareSet)0);
    moves.double_push = captures_only ? 0 : moves.push & (ROW_0 | ROW_1) & (empty >> 16);
    return moves;
}

template <bool CHECKED> inline void white_pawn(ListEnd &list, int i, const PawnMoves &moves) {
    const SquareSet pawn = square_bit(i);
    if (moves.take_toward_a & pawn) add_move<CHECKED>(list, i, i - 9, MF_PAWN_MOVE | MF_CAPTURE);
    if (moves.take_toward_h & pawn) add_move<CHECKED>(list, i, i - 7, MF_PAWN_MOVE | MF_CAPTURE);
    if (moves.push & pawn) add_move<CHECKED>(list, i, i - 8, MF_PAWN_MOVE);
    if (moves.double_push & pawn) add_move<CHECKED>(list, i, i - 16, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
}

template <bool CHECKED> inline void black_pawn(ListEnd &list, int i, const PawnMoves &moves) {
    const SquareSet pawn = square_bit(i);
    if (moves.take_toward_a & pawn) add_move<CHECKED>(list, i, i + 7, MF_PAWN_MOVE | MF_CAPTURE);
    if (moves.take_toward_h & pawn) add_move<CHECKED>(list, i, i + 9, MF_PAWN_MOVE | MF_CAPTURE);
    if (moves.push & pawn) add_move<CHECKED>(list, i, i + 8, MF_PAWN_MOVE);
    if (moves.double_push & pawn) add_move<CHECKED>(list, i, i + 16, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
}

// Knights and kings: their targets, lowest square first, are their
// directions in table order, since those offsets only ever grow.
template <bool CHECKED>
inline void step_moves(ListEnd &list, int i, SquareSet targets, SquareSet enemies) {
    const int *history = quiet_move_scores[i];
    for (; targets; targets &= targets - 1) {
        const int t = first_square(targets);
        if (enemies & square_bit(t))
            add_capture<CHECKED>(list, i, t);
        else
            append<CHECKED>(list, make_move_word(i, t, 0, 0), history[t]);
    }
}

// Sliders: direction by direction in table order, nearest square first,
// the blocking enemy piece (if any) last. reach is all the slider reaches.
template <bool CHECKED>
inline void slide_moves(ListEnd &list, int i, const int *rays, int ray_count, SquareSet reach,
                        SquareSet occupied, SquareSet enemies) {
    const int *history = quiet_move_scores[i];
    for (int k = 0; k < ray_count; k++) {
        const int ray = rays[k];
        const SquareSet along = reach & ray_squares[ray][i];
        if (!along) continue;
        SquareSet quiet = along & ~occupied;
        if (ray_descends(ray)) {
            while (quiet) {
                const int t = last_square(quiet);
                quiet ^= square_bit(t);
                append<CHECKED>(list, make_move_word(i, t, 0, 0), history[t]);
            }
        } else {
            for (; quiet; quiet &= quiet - 1) {
                const int t = first_square(quiet);
                append<CHECKED>(list, make_move_word(i, t, 0, 0), history[t]);
            }
        }
        const SquareSet hit = along & enemies;
        if (hit) {
            const int t = first_square(hit);
            add_capture<CHECKED>(list, i, t);
        }
    }
}

// A slider's captures, direction by direction in table order: each ray of
// what it reaches holds one enemy piece at most, the blocker.
template <bool CHECKED>
inline void slide_captures(ListEnd &list, int i, const int *rays, int ray_count, SquareSet hits) {
    for (int k = 0; k < ray_count; k++) {
        const SquareSet hit = hits & ray_squares[rays[k]][i];
        if (hit) {
            const int t = first_square(hit);
            add_capture<CHECKED>(list, i, t);
        }
    }
}

// The capturer on the a-file side first.
template <bool CHECKED> void en_passant_moves(ListEnd &list) {
    const int e = ep_square;
    if (e == -1) return;
    const int file = e & 7;
    const int flags = MF_PAWN_MOVE | MF_EN_PASSANT | MF_CAPTURE;
    if (side_to_move == WHITE) {
        if (file != 0 && e + 7 < 64 && stands(e + 7, WHITE, PAWN))
            add_move<CHECKED>(list, e + 7, e, flags);
        if (file != 7 && e + 9 < 64 && stands(e + 9, WHITE, PAWN))
            add_move<CHECKED>(list, e + 9, e, flags);
    } else {
        if (file != 0 && e - 9 >= 0 && stands(e - 9, BLACK, PAWN))
            add_move<CHECKED>(list, e - 9, e, flags);
        if (file != 7 && e - 7 >= 0 && stands(e - 7, BLACK, PAWN))
            add_move<CHECKED>(list, e - 7, e, flags);
    }
}

// From the rights bits alone, king side first; make_move tests the
// squares. The score follows the destination as for any move (one that
// another piece holds scores as a capture, and make_move refuses it), the
// castling king and rook themselves aside. HELD_ONLY: only those that score
// as captures.
template <bool CHECKED, bool HELD_ONLY = false> void castle_moves(ListEnd &list, int us) {
    for (int right = 2 * us; right < 2 * us + 2; right++) {
        if (!(castle_rights & (1 << right))) continue;
        const CastleRule &rule = castling_rules.rule[right];
        const int from = rule.king_from;
        const int to = rule.king_to;
        const bool held = square_color[to] != EMPTY && to != from && to != rule.rook_from;
        if (HELD_ONLY && !held) continue;
        append<CHECKED>(list, make_move_word(from, to, 0, MF_CASTLE),
                        held ? capture_score(from, to) : quiet_move_scores[from][to]);
    }
}

constexpr int QUEEN_RAYS[8] = {0, 1, 2, 3, 4, 5, 6, 7};

// Every move, origin squares in board order, as the search's tie-break
// expects.
template <bool CHECKED> void all_moves(ListEnd &list, int us) {
    const SquareSet occupied = occupied_set();
    const SquareSet enemies = color_set[us ^ 1];
    const SquareSet targets = ~color_set[us];
    const PawnMoves pawns = us == WHITE ? white_pawn_moves(enemies, ~occupied, false)
                                        : black_pawn_moves(enemies, ~occupied, false);
    for (SquareSet own = color_set[us]; own; own &= own - 1) {
        const int i = first_square(own);
        const int piece = square_piece[i];
        if (piece == PAWN) {
            if (us == WHITE)
                white_pawn<CHECKED>(list, i, pawns);
            else
                black_pawn<CHECKED>(list, i, pawns);
        } else if (piece == KNIGHT) {
            step_moves<CHECKED>(list, i, knight_attacks[i] & targets, enemies);
        } else if (piece == KING) {
            step_moves<CHECKED>(list, i, king_attacks[i] & targets, enemies);
        } else if (piece == BISHOP) {
            slide_moves<CHECKED>(list, i, DIAGONAL_RAYS, 4, bishop_reach(i, occupied), occupied,
                                 enemies);
        } else if (piece == ROOK) {
            slide_moves<CHECKED>(list, i, STRAIGHT_RAYS, 4, rook_reach(i, occupied), occupied,
                                 enemies);
        } else {
            slide_moves<CHECKED>(list, i, QUEEN_RAYS, 8,
                                 bishop_reach(i, occupied) | rook_reach(i, occupied), occupied,
                                 enemies);
        }
    }
    if (castle_rights & (3 << (2 * us))) castle_moves<CHECKED>(list, us);
    en_passant_moves<CHECKED>(list);
}

// Captures and promotions, and with HELD_CASTLING the castling moves that
// score as captures, where the full list has them. Most pieces have nothing
// to take, so the pieces that do are found first, all the pawns at once, and
// only those are walked, in board order.
template <bool CHECKED, bool HELD_CASTLING> void capture_moves(ListEnd &list, int us) {
    const SquareSet occupied = occupied_set();
    const SquareSet enemies = color_set[us ^ 1];
    const SquareSet empty = ~occupied;
    const SquareSet *pieces = piece_set[us];
    // Pawns that take toward the a-file or the h-file, or push onto the
    // last row.
    const PawnMoves pawns = us == WHITE ? white_pawn_moves(enemies, empty, true)
                                        : black_pawn_moves(enemies, empty, true);
    const SquareSet pawn_origins = pawns.take_toward_a | pawns.take_toward_h | pawns.push;
    SquareSet origins = pawn_origins;
    // What each other piece can take, kept for the walk below.
    SquareSet hits[64];
    for (SquareSet set = pieces[KNIGHT]; set; set &= set - 1) {
        const int i = first_square(set);
        hits[i] = knight_attacks[i] & enemies;
        if (hits[i]) origins |= set & -set;
    }
    for (SquareSet set = pieces[KING]; set; set &= set - 1) {
        const int i = first_square(set);
        hits[i] = king_attacks[i] & enemies;
        if (hits[i]) origins |= set & -set;
    }
    // A bishop with no enemy piece on its diagonals, as is common, takes
    // nothing, whatever stands between.
    for (SquareSet set = pieces[BISHOP]; set; set &= set - 1) {
        const int i = first_square(set);
        if (!(diagonal_lines[i] & enemies)) continue;
        hits[i] = bishop_reach(i, occupied) & enemies;
        if (hits[i]) origins |= set & -set;
    }
    for (SquareSet set = pieces[ROOK]; set; set &= set - 1) {
        const int i = first_square(set);
        hits[i] = rook_reach(i, occupied) & enemies;
        if (hits[i]) origins |= set & -set;
    }
    for (SquareSet set = pieces[QUEEN]; set; set &= set - 1) {
        const int i = first_square(set);
        hits[i] = (bishop_reach(i, occupied) | rook_reach(i, occupied)) & enemies;
        if (hits[i]) origins |= set & -set;
    }
    for (; origins; origins &= origins - 1) {
        const int i = first_square(origins);
        if (pawn_origins & square_bit(i)) {
            if (us == WHITE)
                white_pawn<CHECKED>(list, i, pawns);
            else
                black_pawn<CHECKED>(list, i, pawns);
            continue;
        }
        // One thing to take, as most pieces that take anything have: the
        // order among directions does not matter then.
        const SquareSet targets = hits[i];
        if (!(targets & (targets - 1))) {
            add_capture<CHECKED>(list, i, first_square(targets));
            continue;
        }
        const int piece = square_piece[i];
        if (piece == KNIGHT || piece == KING) {
            for (SquareSet set = targets; set; set &= set - 1)
                add_capture<CHECKED>(list, i, first_square(set));
        } else if (piece == BISHOP) {
            slide_captures<CHECKED>(list, i, DIAGONAL_RAYS, 4, targets);
        } else if (piece == ROOK) {
            slide_captures<CHECKED>(list, i, STRAIGHT_RAYS, 4, targets);
        } else {
            slide_captures<CHECKED>(list, i, QUEEN_RAYS, 8, targets);
        }
    }
    if (HELD_CASTLING && (castle_rights & (3 << (2 * us)))) castle_moves<CHECKED, true>(list, us);
    en_passant_moves<CHECKED>(list);
}

// No piece adds more entries than a queen's 27 moves (a pawn's three
// promoting moves add 12), and castling and en passant add two each: a list
// with room for that many is written without looking for the stack's end.
constexpr int MOST_ENTRIES_PER_PIECE = 28;
constexpr int MOST_OTHER_ENTRIES = 4;

enum GenerationKind { ALL_MOVES, CAPTURES, CAPTURE_SCORED };

} // namespace

int move_list_fits() {
    return square_count(color_set[side_to_move]) * MOST_ENTRIES_PER_PIECE + MOST_OTHER_ENTRIES <=
           MOVE_STACK_SIZE - ply_move_start[ply];
}

namespace {

template <GenerationKind KIND> void generate() {
    ply_move_start[ply + 1] = ply_move_start[ply];
    ListEnd list = open_list();
    const int us = side_to_move;
    const bool fits = move_list_fits();
    if (KIND == ALL_MOVES) {
        if (fits)
            all_moves<false>(list, us);
        else
            all_moves<true>(list, us);
    } else {
        if (fits)
            capture_moves<false, KIND == CAPTURE_SCORED>(list, us);
        else
            capture_moves<true, KIND == CAPTURE_SCORED>(list, us);
    }
    close_list(list);
}

} // namespace

void generate_moves() {
    generate<ALL_MOVES>();
}

void generate_captures() {
    generate<CAPTURES>();
}

void generate_capture_scored_moves() {
    generate<CAPTURE_SCORED>();
}

void push_move(int from, int to, int flags) {
    ListEnd list = open_list();
    add_move<true>(list, from, to, flags);
    close_list(list);
}

void push_promotions(int from, int to, int flags) {
    ListEnd list = open_list();
    add_promotions<true>(list, from, to, flags);
    close_list(list);
}

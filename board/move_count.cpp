// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// How many moves of the position make_move would play, counted from square
// sets without listing or making them: the checks on the king and the pins
// on its lines decide, piece by piece, which of its moves are legal. Perft
// counts its last ply this way; the count is the same as that of
// generate_moves' list played through make_move.
#include "board/board.h"

namespace {

constexpr SquareSet ROW_0 = 0xffull;
constexpr SquareSet ROW_7 = ROW_0 << 56;
// Where a double push may start from, as generation has it: rows 6 and 7
// for White (7 only by editing), rows 0 and 1 for Black.
constexpr SquareSet WHITE_DOUBLE_FROM = ROW_7 | ROW_7 >> 8;
constexpr SquareSet BLACK_DOUBLE_FROM = ROW_0 | ROW_0 << 8;
constexpr int PROMOTION_PIECES = 4;

// The squares from the king along ray r up to and including square s,
// which lies on it.
inline SquareSet ray_up_to(int ray, int king, int s) {
    return ray_squares[ray][king] ^ ray_squares[ray][s];
}

// The ray from the king that holds square s (s on one of its lines).
inline int ray_toward(int king, int s) {
    const SquareSet bit = square_bit(s);
    int ray = 0;
    while (!(ray_squares[ray][king] & bit)) ray++;
    return ray;
}

// The nearest occupied square of a ray, or -1.
inline int nearest_on_ray(int ray, int square, SquareSet occupied) {
    const SquareSet blockers = ray_squares[ray][square] & occupied;
    if (!blockers) return -1;
    return ray_descends(ray) ? last_square(blockers) : first_square(blockers);
}

// The count for a side with exactly one king, not on an undo stack that is
// full.
int count_with_king(int us, int king) {
    const int them = us ^ 1;
    const SquareSet own = color_set[us];
    const SquareSet enemies = color_set[them];
    const SquareSet occupied = own | enemies;
    const SquareSet *their = piece_set[them];
    const SquareSet diagonal_sliders = their[BISHOP] | their[QUEEN];
    const SquareSet straight_sliders = their[ROOK] | their[QUEEN];

    // The pieces checking the king, and the squares a move must reach to
    // answer a single check: the checker, or a square between it and a
    // slider's king.
    SquareSet checkers = (pawn_attacks[us][king] & their[PAWN]) |
                         (knight_attacks[king] & their[KNIGHT]) |
                         (king_attacks[king] & their[KING]);
    const SquareSet slider_checkers = (bishop_reach(king, occupied) & diagonal_sliders) |
                                      (rook_reach(king, occupied) & straight_sliders);
    checkers |= slider_checkers;
    SquareSet answers = ~(SquareSet)0;
    // In double check only the king moves (below); its first checker may
    // be a knight or a pawn, on no ray from the king.
    if (checkers && !(checkers & (checkers - 1))) {
        const int checker = first_square(checkers);
        answers = checkers & slider_checkers ? ray_up_to(ray_toward(king, checker), king, checker)
                                             : checkers;
    }

    int count = 0;
    // The king: wherever it is not attacked once it stands there.
    const SquareSet without_king = occupied ^ square_bit(king);
    for (SquareSet targets = king_attacks[king] & ~own; targets; targets &= targets - 1) {
        const int t = first_square(targets);
        count += !square_attacked_after(t, them, without_king | square_bit(t), square_bit(t));
    }
    // Castling has its own conditions; make_move tries it.
    if (castle_rights & (3 << (2 * us))) {
        for (int right = 2 * us; right < 2 * us + 2; right++) {
            if (!(castle_rights & (1 << right))) continue;
            const CastleRule &rule = castling_rules.rule[right];
            if (!make_move(make_move_word(rule.king_from, rule.king_to, 0, MF_CASTLE))) continue;
            unmake_move();
            count++;
        }
    }
    // En passant: two squares change besides the mover's, which may uncover
    // the king along its rank; tested in full.
    if (ep_square != -1) {
        const int e = ep_square;
        const int file = e & 7;
        const int victim = us == WHITE ? e + 8 : e - 8;
        const int sources[2] = {us == WHITE ? e + 7 : e - 9, us == WHITE ? e + 9 : e - 7};
        const bool allowed[2] = {file != 0, file != 7};
        for (int k = 0; k < 2; k++) {
            const int from = sources[k];
            if (!allowed[k] || from < 0 || from > 63 || !stands(from, us, PAWN)) continue;
            const SquareSet after =
                (occupied ^ square_bit(from) ^ square_bit(victim)) | square_bit(e);
            count += !square_attacked_after(king, them, after, square_bit(victim) | square_bit(e));
        }
    }

    // In double check only the king moves (or, on an edited board, an
    // en-passant capture, counted above).
    if (checkers & (checkers - 1)) return count;

    // Pinned pieces: the only own piece between the king and an enemy slider
    // on its line. Each moves along that line or not at all, and is counted
    // here, apart from the others.
    SquareSet pinned = 0;
    SquareSet candidates =
        (diagonal_lines[king] & diagonal_sliders) | (straight_lines[king] & straight_sliders);
    for (int ray = 0; ray < 8 && candidates; ray++) {
        const SquareSet line = ray_squares[ray][king];
        const bool diagonal = ray == 0 || ray == 2 || ray == 5 || ray == 7;
        const SquareSet sliders = line & (diagonal ? diagonal_sliders : straight_sliders);
        if (!sliders) continue;
        candidates &= ~line;
        const int first = nearest_on_ray(ray, king, occupied);
        if (first < 0 || !(own & square_bit(first))) continue;
        const int second = nearest_on_ray(ray, first, occupied);
        if (second < 0 || !(sliders & square_bit(second))) continue;
        pinned |= square_bit(first);
        const SquareSet allowed = ray_up_to(ray, king, second) & answers;
        const int piece = square_piece[first];
        SquareSet reach = 0;
        if (piece == PAWN) {
            // A pawn pinned along its file pushes; along a diagonal it can
            // take only the pinner. Pushes and captures are counted below,
            // with the others, through the mask of the line.
            continue;
        } else if (piece == BISHOP) {
            reach = bishop_reach(first, occupied);
        } else if (piece == ROOK) {
            reach = rook_reach(first, occupied);
        } else if (piece == QUEEN) {
            reach = bishop_reach(first, occupied) | rook_reach(first, occupied);
        }
        // A pinned knight never moves.
        count += square_count(reach & allowed);
    }

    // Knights, bishops, rooks and queens that are not pinned.
    const SquareSet *ours = piece_set[us];
    const SquareSet free = ~pinned;
    const SquareSet targets = ~own & answers;
    for (SquareSet set = ours[KNIGHT] & free; set; set &= set - 1)
        count += square_count(knight_attacks[first_square(set)] & targets);
    for (SquareSet set = (ours[BISHOP] | ours[QUEEN]) & free; set; set &= set - 1)
        count += square_count(bishop_reach(first_square(set), occupied) & targets);
    for (SquareSet set = (ours[ROOK] | ours[QUEEN]) & free; set; set &= set - 1)
        count += square_count(rook_reach(first_square(set), occupied) & targets);

    // Pawns, all at once: each set below holds the destinations of one kind
    // of pawn move. A pinned pawn moves only along its pin line, which holds
    // its king too; so its moves are those whose destination and origin lie
    // on one line with the king, checked one by one.
    const SquareSet pawns = ours[PAWN];
    const SquareSet empty = ~occupied;
    SquareSet push, double_push, take_left, take_right;
    if (us == WHITE) {
        push = pawns >> 8 & empty;
        double_push = (pawns & WHITE_DOUBLE_FROM) >> 8 & empty;
        double_push = double_push >> 8 & empty;
        take_left = (pawns & ~A_FILE_SQUARES) >> 9 & enemies;
        take_right = (pawns & ~H_FILE_SQUARES) >> 7 & enemies;
    } else {
        push = pawns << 8 & empty;
        double_push = (pawns & BLACK_DOUBLE_FROM) << 8 & empty;
        double_push = double_push << 8 & empty;
        take_left = (pawns & ~A_FILE_SQUARES) << 7 & enemies;
        take_right = (pawns & ~H_FILE_SQUARES) << 9 & enemies;
    }
    const SquareSet last_row = us == WHITE ? ROW_0 : ROW_7;
    const int step = us == WHITE ? -8 : 8;
    const int kinds_step[4] = {step, 2 * step, step - 1, step + 1};
    SquareSet kinds[4] = {push & answers, double_push & answers, take_left & answers,
                          take_right & answers};
    for (int k = 0; k < 4; k++) {
        SquareSet moves = kinds[k];
        if (pinned & pawns) {
            // Destinations of pinned pawns: kept only when on the pin line.
            for (SquareSet set = moves; set; set &= set - 1) {
                const int to = first_square(set);
                const int from = to - kinds_step[k];
                if (!(pinned & square_bit(from))) continue;
                const int ray = ray_toward(king, from);
                if (!(ray_squares[ray][king] & square_bit(to))) moves ^= square_bit(to);
            }
        }
        count +=
            square_count(moves & ~last_row) + PROMOTION_PIECES * square_count(moves & last_row);
    }

    return count;
}

// The plain way, for what the count above does not cover: a side with no
// king or several (only editing makes them), or a move stack too full to
// hold a whole list.
int count_by_making() {
    generate_moves();
    int count = 0;
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++)
        count += move_is_legal(move_stack[i].move);
    return count;
}

} // namespace

// No piece has more entries in a list than a queen's 27 moves (a pawn's
// three promoting moves make 12), and castling and en passant add two each.
constexpr int MOST_ENTRIES_PER_PIECE = 28;
constexpr int MOST_OTHER_ENTRIES = 4;

int playable_move_count() {
    const int us = side_to_move;
    if (game_ply >= UNDO_STACK_SIZE) return 0;
    const SquareSet kings = piece_set[us][KING];
    const int room = MOVE_STACK_SIZE - ply_move_start[ply];
    if (!kings || (kings & (kings - 1)) ||
        square_count(color_set[us]) * MOST_ENTRIES_PER_PIECE + MOST_OTHER_ENTRIES > room)
        return count_by_making();
    return count_with_king(us, first_square(kings));
}

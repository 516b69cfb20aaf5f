// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Making and unmaking moves; legality is decided here, not in generation.
#include "board/board.h"

namespace {

inline void toggle(PositionKey &key, int color, int piece, int square) {
    const PositionKey k = key_table[key_index(color, piece, square)];
    key.low ^= k.low;
    key.high ^= k.high;
}

inline void toggle(PositionKey &key, PositionKey k) {
    key.low ^= k.low;
    key.high ^= k.high;
}

inline void clear_square(int square) {
    square_color[square] = EMPTY;
    square_piece[square] = EMPTY;
}

// Flips the squares of a piece in its colour's sets: a piece leaving one
// square and entering another is one flip of both.
inline void flip_sets(int color, int piece, SquareSet squares) {
    color_set[color] ^= squares;
    piece_set[color][piece] ^= squares;
}

// Castling squares by the king's destination: those that must be empty,
// the two that must not be attacked, and the rook's move.
struct CastleRule {
    int empty[3];
    int empty_count;
    int safe[2];
    int rook_from;
    int rook_to;
};

inline const CastleRule &castle_rule(int to) {
    static const CastleRule c8 = {{1, 2, 3}, 3, {2, 3}, 0, 3};
    static const CastleRule g8 = {{5, 6, 0}, 2, {5, 6}, 7, 5};
    static const CastleRule c1 = {{57, 58, 59}, 3, {58, 59}, 56, 59};
    static const CastleRule g1 = {{61, 62, 0}, 2, {61, 62}, 63, 61};
    return to == 2 ? c8 : to == 6 ? g8 : to == 58 ? c1 : g1;
}

} // namespace

int make_move(Move move) {
    const int from = move_from(move);
    const int to = move_to(move);
    const int flags = move_flags(move);
    const int mover = side_to_move;
    const int other = opponent;

    // Only a piece of the side to move moves, and never onto its own colour.
    if (square_color[from] != mover || square_color[to] == mover) return 0;
    // A full undo stack refuses every move rather than be overrun.
    if (game_ply >= UNDO_STACK_SIZE) return 0;

    UndoRecord &record = undo_stack[game_ply];
    record.key = position_key;
    PositionKey key = position_key;

    if (flags & MF_CASTLE) {
        if (in_check(mover)) return 0;
        const CastleRule &rule = castle_rule(to);
        for (int k = 0; k < rule.empty_count; k++)
            if (square_color[rule.empty[k]] != EMPTY) return 0;
        if (square_attacked(rule.safe[0], other) || square_attacked(rule.safe[1], other)) return 0;
        const int rook_color = square_color[rule.rook_from];
        const int rook_piece = square_piece[rule.rook_from];
        if (rook_piece != EMPTY) {
            toggle(key, rook_color, rook_piece, rule.rook_from);
            toggle(key, rook_color, rook_piece, rule.rook_to);
            flip_sets(rook_color, rook_piece,
                      square_bit(rule.rook_from) | square_bit(rule.rook_to));
        }
        square_color[rule.rook_to] = rook_color;
        square_piece[rule.rook_to] = rook_piece;
        clear_square(rule.rook_from);
    }

    record.move = move;
    record.captured = square_piece[to];
    record.castle_rights = castle_rights;
    record.ep_square = ep_square;
    record.fifty_count = fifty_count;
    ply++;
    game_ply++;

    const int old_rights = castle_rights;
    castle_rights &= castle_mask[from] & castle_mask[to];

    if (flags & MF_DOUBLE_PUSH)
        ep_square = mover == WHITE ? to + 8 : to - 8;
    else
        ep_square = -1;

    if (flags & (MF_CAPTURE | MF_PAWN_MOVE))
        fifty_count = 0;
    else
        fifty_count++;

    const int moving = square_piece[from];
    const int captured = square_piece[to];
    toggle(key, mover, moving, from);
    if (captured != EMPTY) {
        toggle(key, other, captured, to);
        flip_sets(other, captured, square_bit(to));
    }
    const int arriving = (flags & MF_PROMOTION) ? move_promotion(move) : moving;
    square_color[to] = mover;
    square_piece[to] = arriving;
    toggle(key, mover, arriving, to);
    clear_square(from);
    if (arriving == moving) {
        flip_sets(mover, moving, square_bit(from) | square_bit(to));
    } else {
        flip_sets(mover, moving, square_bit(from));
        flip_sets(mover, arriving, square_bit(to));
    }

    if (flags & MF_EN_PASSANT) {
        const int victim = mover == WHITE ? to + 8 : to - 8;
        clear_square(victim);
        toggle(key, other, PAWN, victim);
        flip_sets(other, PAWN, square_bit(victim));
    }

    if (castle_rights != old_rights) {
        toggle(key, castle_key(old_rights));
        toggle(key, castle_key(castle_rights));
    }

    side_to_move = other;
    opponent = mover;
    toggle(key, side_key());
    position_key = key;

    if (in_check(mover)) {
        unmake_move();
        return 0;
    }
    DEBUG_CHECK_BOARD();
    return 1;
}

void unmake_move() {
    game_ply--;
    ply--;
    const UndoRecord &record = undo_stack[game_ply];
    const Move move = record.move;
    const int from = move_from(move);
    const int to = move_to(move);
    const int flags = move_flags(move);
    // The mover is the colour standing on the destination, not simply the
    // side not to move: "white" and "black" can hand the move over between
    // a move and its undo.
    const int mover = square_color[to];
    const int other = mover ^ 1;
    side_to_move = mover;
    opponent = other;

    position_key = record.key;
    castle_rights = record.castle_rights;
    ep_square = record.ep_square;
    fifty_count = record.fifty_count;

    const int arrived = square_piece[to];
    const int moved = (flags & MF_PROMOTION) ? PAWN : arrived;
    square_color[from] = mover;
    square_piece[from] = moved;
    if (moved == arrived) {
        flip_sets(mover, moved, square_bit(from) | square_bit(to));
    } else {
        flip_sets(mover, arrived, square_bit(to));
        flip_sets(mover, moved, square_bit(from));
    }
    const int captured = record.captured;
    if (captured == EMPTY) {
        clear_square(to);
    } else {
        square_color[to] = other;
        square_piece[to] = captured;
        flip_sets(other, captured, square_bit(to));
    }

    // Whatever make_move moved from the corner goes back to it.
    if (flags & MF_CASTLE) {
        const CastleRule &rule = castle_rule(to);
        const int rook_color = square_color[rule.rook_to];
        const int rook_piece = square_piece[rule.rook_to];
        if (rook_piece != EMPTY)
            flip_sets(rook_color, rook_piece,
                      square_bit(rule.rook_from) | square_bit(rule.rook_to));
        square_color[rule.rook_from] = rook_color;
        square_piece[rule.rook_from] = rook_piece;
        clear_square(rule.rook_to);
    }

    if (flags & MF_EN_PASSANT) {
        const int victim = mover == WHITE ? to + 8 : to - 8;
        square_color[victim] = other;
        square_piece[victim] = PAWN;
        flip_sets(other, PAWN, square_bit(victim));
    }
    DEBUG_CHECK_BOARD();
}

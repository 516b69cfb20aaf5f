// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Making and unmaking moves; legality is decided here, not in generation.
#include "board/board.h"

#include <cassert>

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

inline uint64_t piece_key(int color, int piece, int square) {
    return key_bits(key_table[key_index(color, piece, square)]);
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

// Castling takes king and rook off the board before it puts either down,
// so that any overlap of their squares (a king that stays, a rook landing
// where the king stood) comes out right.
inline void take_off(int color, int piece, int square) {
    clear_square(square);
    flip_sets(color, piece, square_bit(square));
    weight_sum[color] -= piece_weights->value[color][piece][square];
}

inline void put_down(int color, int piece, int square) {
    square_color[square] = color;
    square_piece[square] = piece;
    flip_sets(color, piece, square_bit(square));
    weight_sum[color] += piece_weights->value[color][piece][square];
}

// make_move for castling, by the game's rules: the right still held, the
// squares either piece passes empty but for the two, the king in no check
// on its start square, on the squares it crosses and lands on, and after
// both have moved (a rook beyond the castling one may see the king then).
// Rare next to other moves, so it stays out of make_move's way.
__attribute__((noinline)) int make_castling(Move move) {
    const int mover = side_to_move;
    const int other = opponent;
    const int right = castle_right_index(move);
    const CastleRule &rule = castling_rules.rule[right];
    if (!(castle_rights & (1 << right)) || move_from(move) != rule.king_from ||
        move_to(move) != rule.king_to || !stands(rule.king_from, mover, KING) ||
        !stands(rule.rook_from, mover, ROOK))
        return 0;
    if (game_ply >= UNDO_STACK_SIZE) return 0;
    if (occupied_set() & rule.must_be_empty) return 0;
    if (in_check(mover)) return 0;
    for (SquareSet path = rule.king_path; path; path &= path - 1)
        if (square_attacked(first_square(path), other)) return 0;

    UndoRecord &record = undo_stack[game_ply];
    record.key = position_key;
    record.move = move;
    record.captured = EMPTY;
    record.castle_rights = castle_rights;
    record.ep_square = ep_square;
    record.fifty_count = fifty_count;
    ply++;
    game_ply++;

    PositionKey key = position_key;
    take_off(mover, KING, rule.king_from);
    take_off(mover, ROOK, rule.rook_from);
    put_down(mover, KING, rule.king_to);
    put_down(mover, ROOK, rule.rook_to);
    toggle(key, mover, KING, rule.king_from);
    toggle(key, mover, ROOK, rule.rook_from);
    toggle(key, mover, KING, rule.king_to);
    toggle(key, mover, ROOK, rule.rook_to);
    // The king has left its start: both of its colour's rights go.
    toggle(key, castle_key(castle_rights));
    castle_rights &= ~(3 << (2 * mover));
    toggle(key, castle_key(castle_rights));
    ep_square = -1;
    fifty_count++;

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

// unmake_move for castling; the mover is the colour of the king on its
// destination.
void unmake_castling(const UndoRecord &record) {
    const CastleRule &rule = castling_rules.rule[castle_right_index(record.move)];
    const int mover = square_color[rule.king_to];
    restore_position_state(record, mover);
    take_off(mover, KING, rule.king_to);
    take_off(mover, ROOK, rule.rook_to);
    put_down(mover, KING, rule.king_from);
    put_down(mover, ROOK, rule.rook_from);
}

} // namespace

namespace {

// Whether the side that has just moved left its king attacked. A side that
// was not in check and has moved a piece other than its king (and not en
// passant, which empties a second square) can only have opened a line to
// its king through the square the piece left.
template <bool WAS_SAFE>
inline bool king_left_attacked(int mover, int from, int moving, int flags) {
    if (!WAS_SAFE || moving == KING || (flags & MF_EN_PASSANT)) return in_check(mover);
    const SquareSet kings = piece_set[mover][KING];
    if (!kings) return true;
    const int king = first_square(kings);
    const SquareSet left = square_bit(from);
    const SquareSet *their = piece_set[mover ^ 1];
    if (diagonal_lines[king] & left)
        return bishop_reach(king, occupied_set()) & (their[BISHOP] | their[QUEEN]);
    if (straight_lines[king] & left)
        return rook_reach(king, occupied_set()) & (their[ROOK] | their[QUEEN]);
    return false;
}

// make_move for every move but castling. PLAIN: the move is no promotion
// and no en passant, so one piece moves and at most one is taken on its
// destination.
template <bool WAS_SAFE, bool PLAIN> inline int make_piece_move(Move move) {
    const int from = move_from(move);
    const int to = move_to(move);
    const int flags = move_flags(move);
    const int mover = side_to_move;
    const int other = opponent;

    // Only a piece of the side to move moves, and never onto its own colour.
    if (square_color[from] != mover || square_color[to] == mover) return 0;
    // A full undo stack refuses every move rather than be overrun.
    if (game_ply >= UNDO_STACK_SIZE) return 0;

    const int moving = square_piece[from];
    const int captured = square_piece[to];
    const int arriving = (!PLAIN && (flags & MF_PROMOTION)) ? move_promotion(move) : moving;
    const int old_rights = castle_rights;

    UndoRecord &record = undo_stack[game_ply];
    record.key = position_key;
    record.move = move;
    record.captured = captured;
    record.castle_rights = old_rights;
    record.ep_square = ep_square;
    record.fifty_count = fifty_count;
    ply++;
    game_ply++;

    castle_rights &= castling_rules.mask[from] & castling_rules.mask[to];
    ep_square = (flags & MF_DOUBLE_PUSH) ? (mover == WHITE ? to + 8 : to - 8) : -1;
    fifty_count = (flags & (MF_CAPTURE | MF_PAWN_MOVE)) ? 0 : fifty_count + 1;

    const PieceWeights &weights = *piece_weights;
    weight_sum[mover] += weights.value[mover][arriving][to] - weights.value[mover][moving][from];
    uint64_t key = key_bits(position_key) ^ piece_key(mover, moving, from) ^
                   piece_key(mover, arriving, to) ^ key_bits(side_key());
    if (captured != EMPTY) {
        key ^= piece_key(other, captured, to);
        flip_sets(other, captured, square_bit(to));
        weight_sum[other] -= weights.value[other][captured][to];
    }
    square_color[to] = mover;
    square_piece[to] = arriving;
    clear_square(from);
    if (arriving == moving) {
        flip_sets(mover, moving, square_bit(from) | square_bit(to));
    } else {
        flip_sets(mover, moving, square_bit(from));
        flip_sets(mover, arriving, square_bit(to));
    }
    if (!PLAIN && (flags & MF_EN_PASSANT)) {
        const int victim = mover == WHITE ? to + 8 : to - 8;
        clear_square(victim);
        key ^= piece_key(other, PAWN, victim);
        flip_sets(other, PAWN, square_bit(victim));
        weight_sum[other] -= weights.value[other][PAWN][victim];
    }
    if (castle_rights != old_rights)
        key ^= key_bits(castle_key(old_rights)) ^ key_bits(castle_key(castle_rights));

    side_to_move = other;
    opponent = mover;
    position_key = key_from_bits(key);

    if (king_left_attacked<WAS_SAFE>(mover, from, moving, flags)) {
        unmake_move();
        return 0;
    }
    DEBUG_CHECK_BOARD();
    return 1;
}

// Castling, promotions and en passant: rare, so out of line, and with the
// full legality test.
__attribute__((noinline)) int make_rare_move(Move move) {
    if (move_flags(move) & MF_CASTLE) return make_castling(move);
    return make_piece_move<false, false>(move);
}

template <bool WAS_SAFE> inline int make_ordinary_move(Move move) {
    if (move_flags(move) & (MF_CASTLE | MF_PROMOTION | MF_EN_PASSANT)) return make_rare_move(move);
    return make_piece_move<WAS_SAFE, true>(move);
}

} // namespace

int make_move(Move move) {
    return make_ordinary_move<false>(move);
}

int make_move_out_of_check(Move move) {
    assert(!in_check(side_to_move));
    return make_ordinary_move<true>(move);
}

// The mover is the colour standing on the destination, not simply the side
// not to move: "white" and "black" can hand the move over between a move and
// its undo.
void unmake_special_move() {
    game_ply--;
    ply--;
    const UndoRecord &record = undo_stack[game_ply];
    const Move move = record.move;
    const int from = move_from(move);
    const int to = move_to(move);
    const int flags = move_flags(move);
    if (flags & MF_CASTLE) {
        unmake_castling(record);
        DEBUG_CHECK_BOARD();
        return;
    }
    const int mover = square_color[to];
    const int other = mover ^ 1;
    restore_position_state(record, mover);

    const int arrived = square_piece[to];
    const int moved = (flags & MF_PROMOTION) ? PAWN : arrived;
    const PieceWeights &weights = *piece_weights;
    weight_sum[mover] += weights.value[mover][moved][from] - weights.value[mover][arrived][to];
    square_color[from] = mover;
    square_piece[from] = moved;
    flip_sets(mover, arrived, square_bit(to));
    flip_sets(mover, moved, square_bit(from));
    const int captured = record.captured;
    if (captured == EMPTY) {
        clear_square(to);
    } else {
        square_color[to] = other;
        square_piece[to] = captured;
        flip_sets(other, captured, square_bit(to));
        weight_sum[other] += weights.value[other][captured][to];
    }
    if (flags & MF_EN_PASSANT) {
        const int victim = mover == WHITE ? to + 8 : to - 8;
        square_color[victim] = other;
        square_piece[victim] = PAWN;
        flip_sets(other, PAWN, square_bit(victim));
        weight_sum[other] += weights.value[other][PAWN][victim];
    }
    DEBUG_CHECK_BOARD();
}

PositionKey key_after_castling(Move move) {
    const int mover = side_to_move;
    const CastleRule &rule = castling_rules.rule[castle_right_index(move)];
    uint64_t key = key_bits(position_key) ^ key_bits(side_key()) ^
                   piece_key(mover, KING, rule.king_from) ^ piece_key(mover, KING, rule.king_to) ^
                   piece_key(mover, ROOK, rule.rook_from) ^ piece_key(mover, ROOK, rule.rook_to);
    const int rights = castle_rights & ~(3 << (2 * mover));
    if (rights != castle_rights)
        key ^= key_bits(castle_key(castle_rights)) ^ key_bits(castle_key(rights));
    return key_from_bits(key);
}

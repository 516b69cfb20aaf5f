// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Making and unmaking moves: exact restoration, legality, castling rules,
// counters, incremental keys and the undo-stack limit.
#include "board/board.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "tests/test_support.h"

namespace {

const char *const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char *const CASTLE_W = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char *const CASTLE_B = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";

bool load(const char *fen) {
    const char *error = nullptr;
    return set_fen(fen, &error) == 1;
}

int sq(const char *name) {
    return (name[0] - 'a') + 8 * (8 - (name[1] - '0'));
}

uint64_t as64(PositionKey k) {
    return ((uint64_t)k.high << 32) | k.low;
}

// The full key of the position on the board, position_key left as it was.
PositionKey full_key() {
    const PositionKey kept = position_key;
    compute_key();
    const PositionKey full = position_key;
    position_key = kept;
    return full;
}

// Index of a move of the current ply's list, or -1.
int find(const char *from, const char *to, int promotion = 0) {
    for (int i = ply_move_start[ply]; i < ply_move_start[ply + 1]; i++) {
        const Move m = move_stack[i].move;
        if (move_from(m) == sq(from) && move_to(m) == sq(to) && move_promotion(m) == promotion)
            return i;
    }
    return -1;
}

// Plays a move of the current list (generated on demand); returns make_move's result.
int play(const char *from, const char *to, int promotion = 0) {
    generate_moves();
    const int i = find(from, to, promotion);
    if (i < 0) {
        ADD_FAILURE() << from << to << " not generated";
        return -1;
    }
    return make_move(move_stack[i].move);
}

// Every rule a single accepted move must follow, checked against the position before it.
void check_after_make(const Snapshot &before, Move m) {
    const int from = move_from(m), to = move_to(m), flags = move_flags(m);
    const int mover = before.side;
    EXPECT_EQ(side_to_move, mover ^ 1);
    EXPECT_EQ(opponent, mover);
    EXPECT_EQ(ply, before.ply_ + 1);
    EXPECT_EQ(game_ply, before.game_ply_ + 1);
    EXPECT_EQ(castle_rights, before.castle & castle_mask[from] & castle_mask[to]);
    if (flags & MF_DOUBLE_PUSH)
        EXPECT_EQ(ep_square, mover == WHITE ? to + 8 : to - 8);
    else
        EXPECT_EQ(ep_square, -1);
    EXPECT_EQ(fifty_count, (flags & (MF_CAPTURE | MF_PAWN_MOVE)) ? 0 : before.fifty + 1);
    EXPECT_EQ(square_color[from], EMPTY);
    EXPECT_EQ(square_piece[from], EMPTY);
    EXPECT_EQ(square_color[to], mover);
    EXPECT_EQ(square_piece[to], (flags & MF_PROMOTION) ? move_promotion(m) : before.piece[from]);
    for (int s = 0; s < 64; s++) EXPECT_EQ(square_color[s] == EMPTY, square_piece[s] == EMPTY) << s;
    EXPECT_EQ(as64(position_key), as64(full_key()));
    const UndoRecord &r = undo_stack[game_ply - 1];
    EXPECT_EQ(r.move, m);
    EXPECT_EQ(r.captured, (flags & MF_CASTLE) ? EMPTY : before.piece[to]);
    EXPECT_EQ(r.castle_rights, before.castle);
    EXPECT_EQ(r.ep_square, before.ep);
    EXPECT_EQ(r.fifty_count, before.fifty);
    EXPECT_EQ(r.key, before.key);
}

// Makes and unmakes one move of the list at ply 0 and checks the round trip.
void round_trip(const char *fen, const char *from, const char *to, int promotion, int flags) {
    SCOPED_TRACE(std::string(fen) + " " + from + to);
    ASSERT_TRUE(load(fen));
    const int i = find(from, to, promotion);
    ASSERT_GE(i, 0);
    const Move m = move_stack[i].move;
    EXPECT_EQ(move_flags(m), flags);
    const Snapshot before = take_snapshot();
    ASSERT_EQ(make_move(m), 1);
    check_after_make(before, m);
    unmake_move();
    EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
}

TEST(BoardMakeMove, EveryKindOfMoveIsTakenBackExactly) {
    round_trip(START_FEN, "g1", "f3", 0, 0);
    round_trip(START_FEN, "e2", "e3", 0, 16);
    round_trip(START_FEN, "e2", "e4", 0, 24);
    round_trip("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4", "d5", 0, 17);
    round_trip("4k3/8/8/3p4/4B3/8/8/4K3 w - - 5 9", "e4", "d5", 0, 1);
    round_trip("4k3/8/8/3p4/4B3/8/8/4K3 b - - 5 9", "d5", "e4", 0, 17);
    round_trip("4k3/8/8/3p4/4B3/8/8/4K3 w - - 5 9", "e1", "e2", 0, 0);
    round_trip("4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1", "d5", "e6", 0, 21);
    round_trip("4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1", "f5", "e6", 0, 21);
    round_trip("4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1", "d4", "e3", 0, 21);
    round_trip("4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1", "f4", "e3", 0, 21);
    round_trip(CASTLE_W, "e1", "g1", 0, 2);
    round_trip(CASTLE_W, "e1", "c1", 0, 2);
    round_trip(CASTLE_B, "e8", "g8", 0, 2);
    round_trip(CASTLE_B, "e8", "c8", 0, 2);
    round_trip(CASTLE_W, "a1", "a8", 0, 1);
    round_trip(CASTLE_W, "h1", "h8", 0, 1);
    round_trip(CASTLE_B, "a8", "a1", 0, 1);
    round_trip(CASTLE_B, "h8", "h1", 0, 1);
    round_trip(CASTLE_W, "a1", "b1", 0, 0);
    round_trip(CASTLE_B, "e8", "d7", 0, 0);
    for (int p = KNIGHT; p <= QUEEN; p++) {
        round_trip("2k2r2/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7", "e8", p, 48);
        round_trip("2k2r2/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7", "f8", p, 49);
        round_trip("4k3/8/8/8/8/8/4p3/2K2R2 b - - 0 1", "e2", "e1", p, 48);
        round_trip("4k3/8/8/8/8/8/4p3/2K2R2 b - - 0 1", "e2", "f1", p, 49);
        // Promotion by capturing a rook on its corner also drops that right.
        round_trip("r3k2r/1P6/8/8/8/8/8/4K3 w kq - 0 1", "b7", "a8", p, 49);
    }
}

TEST(BoardMakeMove, DoublePushSetsEnPassantSquare) {
    new_game();
    ASSERT_EQ(play("e2", "e4"), 1);
    EXPECT_EQ(ep_square, 44);
    EXPECT_EQ(fifty_count, 0);
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_EQ(opponent, WHITE);
    ply = 0;
    ASSERT_EQ(play("e7", "e5"), 1);
    EXPECT_EQ(ep_square, 20);
    ply = 0;
    ASSERT_EQ(play("g1", "f3"), 1);
    EXPECT_EQ(ep_square, -1);
    EXPECT_EQ(fifty_count, 1);
    ply = 0;
    ASSERT_EQ(play("b8", "c6"), 1);
    EXPECT_EQ(fifty_count, 2);
    ply = 0;
    ASSERT_EQ(play("d2", "d3"), 1); // single push: no square, counter cleared
    EXPECT_EQ(ep_square, -1);
    EXPECT_EQ(fifty_count, 0);
    EXPECT_EQ(game_ply, 5);
}

TEST(BoardMakeMove, FiftyCountRules) {
    ASSERT_TRUE(load("r3k2r/8/8/3p4/4B3/8/4P3/R3K2R w KQkq - 10 30"));
    EXPECT_EQ(fifty_count, 10);
    ASSERT_EQ(play("e4", "f3"), 1); // bishop move
    EXPECT_EQ(fifty_count, 11);
    ply = 0;
    ASSERT_EQ(play("e8", "g8"), 1); // castling counts as a quiet move
    EXPECT_EQ(fifty_count, 12);
    ply = 0;
    ASSERT_EQ(play("f3", "d5"), 1); // capture
    EXPECT_EQ(fifty_count, 0);
    ply = 0;
    ASSERT_EQ(play("g8", "g7"), 1); // out of the bishop's check
    EXPECT_EQ(fifty_count, 1);
    ply = 0;
    ASSERT_EQ(play("e2", "e3"), 1); // pawn move
    EXPECT_EQ(fifty_count, 0);
}

TEST(BoardMakeMove, KingSideCastlingMovesTheRook) {
    ASSERT_TRUE(load("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 3 20"));
    const Snapshot before = take_snapshot();
    ASSERT_EQ(play("e1", "g1"), 1);
    EXPECT_EQ(square_piece[62], KING);
    EXPECT_EQ(square_color[62], WHITE);
    EXPECT_EQ(square_piece[61], ROOK);
    EXPECT_EQ(square_color[61], WHITE);
    EXPECT_EQ(square_piece[60], EMPTY);
    EXPECT_EQ(square_color[60], EMPTY);
    EXPECT_EQ(square_piece[63], EMPTY);
    EXPECT_EQ(square_color[63], EMPTY);
    EXPECT_EQ(castle_rights, CASTLE_BLACK_KINGSIDE | CASTLE_BLACK_QUEENSIDE);
    EXPECT_EQ(fifty_count, 4);
    EXPECT_EQ(as64(position_key), as64(full_key()));
    unmake_move();
    EXPECT_EQ(square_piece[63], ROOK);
    EXPECT_EQ(square_color[63], WHITE);
    EXPECT_EQ(square_piece[61], EMPTY);
    EXPECT_EQ(square_color[61], EMPTY);
    EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
}

TEST(BoardMakeMove, OtherCastlingsMoveTheirRooks) {
    struct Case {
        const char *fen, *from, *to;
        int king, rook_from, rook_to, rights_after;
    };
    const Case cases[] = {
        {CASTLE_W, "e1", "c1", 58, 56, 59, 12},
        {CASTLE_B, "e8", "g8", 6, 7, 5, 3},
        {CASTLE_B, "e8", "c8", 2, 0, 3, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.from) + c.to);
        ASSERT_TRUE(load(c.fen));
        const int mover = side_to_move;
        ASSERT_EQ(play(c.from, c.to), 1);
        EXPECT_EQ(square_piece[c.king], KING);
        EXPECT_EQ(square_color[c.king], mover);
        EXPECT_EQ(square_piece[c.rook_to], ROOK);
        EXPECT_EQ(square_color[c.rook_to], mover);
        EXPECT_EQ(square_piece[c.rook_from], EMPTY);
        EXPECT_EQ(square_piece[sq(c.from)], EMPTY);
        EXPECT_EQ(castle_rights, c.rights_after);
        unmake_move();
        EXPECT_EQ(square_piece[c.rook_from], ROOK);
        EXPECT_EQ(square_color[c.rook_from], mover);
        EXPECT_EQ(square_piece[c.rook_to], EMPTY);
        EXPECT_EQ(square_color[c.rook_to], EMPTY);
    }
}

// Castling is refused out of check, through or into an attacked square, or
// over an occupied one; the b-file square may be attacked.
TEST(BoardMakeMove, CastlingConditions) {
    struct Case {
        const char *fen, *from, *to;
        int legal;
    };
    const Case cases[] = {
        {"r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 0}, // in check
        {"r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 0},
        {"r3k2r/8/8/8/5r2/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 0}, // f1 attacked
        {"r3k2r/8/8/8/5r2/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 1},
        {"r3k2r/8/8/8/6r1/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 0}, // g1 attacked
        {"r3k2r/8/8/8/6r1/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 1},
        {"r3k2r/8/8/8/7r/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 1},  // only h1 attacked
        {"r3k2r/8/8/8/3r4/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 0}, // d1 attacked
        {"r3k2r/8/8/8/3r4/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 1},
        {"r3k2r/8/8/8/2r5/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 0}, // c1 attacked
        {"r3k2r/8/8/8/1r6/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 1}, // b1 attacked only
        {"r3k2r/8/8/8/r7/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 1},  // a1 attacked only
        {"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", "e1", "c1", 0},  // b1 occupied
        {"r3k2r/8/8/8/8/8/8/R1N1K2R w KQkq - 0 1", "e1", "c1", 0}, // c1 occupied
        {"r3k2r/8/8/8/8/8/8/R2NK2R w KQkq - 0 1", "e1", "c1", 0},  // d1 occupied
        {"r3k2r/8/8/8/8/8/8/R3KN1R w KQkq - 0 1", "e1", "g1", 0},  // f1 occupied
        {"r3k2r/8/8/8/8/8/8/R3K1NR w KQkq - 0 1", "e1", "g1", 0},  // g1 occupied
        {"r3k2r/8/8/8/8/8/8/R3K1nR w KQkq - 0 1", "e1", "g1", 0},  // g1 enemy piece
        {START_FEN, "e1", "g1", 0},
        {START_FEN, "e1", "c1", 0},
        {"r3k2r/8/8/8/4R3/8/8/R3K2R b KQkq - 0 1", "e8", "g8", 0}, // in check
        {"r3k2r/8/8/8/4R3/8/8/R3K2R b KQkq - 0 1", "e8", "c8", 0},
        {"r3k2r/8/8/8/5R2/8/8/R3K2R b KQkq - 0 1", "e8", "g8", 0}, // f8 attacked
        {"r3k2r/8/8/8/6R1/8/8/R3K2R b KQkq - 0 1", "e8", "g8", 0}, // g8 attacked
        {"r3k2r/8/8/8/3R4/8/8/R3K2R b KQkq - 0 1", "e8", "c8", 0}, // d8 attacked
        {"r3k2r/8/8/8/2R5/8/8/R3K2R b KQkq - 0 1", "e8", "c8", 0}, // c8 attacked
        {"r3k2r/8/8/8/1R6/8/8/R3K2R b KQkq - 0 1", "e8", "c8", 1}, // b8 attacked only
        {"rn2k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8", 0},  // b8 occupied
        {"r3kb1r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "g8", 0},  // f8 occupied
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "g8", 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8", 1},
        // A knight attack and a pawn attack count too.
        {"r3k2r/8/8/8/8/4n3/8/R3K2R w KQkq - 0 1", "e1", "g1", 0}, // knight e3 hits f1
        {"r3k2r/8/8/8/8/4n3/8/R3K2R w KQkq - 0 1", "e1", "c1", 0}, // and d1
        {"r3k2r/8/8/8/8/8/6p1/R3K2R w KQkq - 0 1", "e1", "g1", 0}, // pawn g2 hits f1
        {"r3k2r/8/8/8/8/8/1p6/R3K2R w KQkq - 0 1", "e1", "c1", 0}, // pawn b2 hits c1
        {"r3k2r/8/8/8/8/8/p7/R3K2R w KQkq - 0 1", "e1", "c1", 1},  // pawn a2 hits b1 only
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1", 1},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "c1", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.from + c.to);
        ASSERT_TRUE(load(c.fen));
        const int i = find(c.from, c.to);
        ASSERT_GE(i, 0);
        ASSERT_EQ(move_flags(move_stack[i].move), MF_CASTLE);
        const Snapshot before = take_snapshot();
        const int result = make_move(move_stack[i].move);
        EXPECT_EQ(result, c.legal);
        if (result) {
            check_after_make(before, move_stack[i].move);
            unmake_move();
        }
        EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
    }
}

TEST(BoardMakeMove, PromotionToKnightAndBack) {
    ASSERT_TRUE(load("2k2r2/4P3/8/8/8/8/8/4K3 w - - 0 1"));
    ASSERT_EQ(play("e7", "e8", KNIGHT), 1);
    EXPECT_EQ(square_piece[4], KNIGHT);
    EXPECT_EQ(square_color[4], WHITE);
    EXPECT_EQ(square_piece[12], EMPTY);
    unmake_move();
    EXPECT_EQ(square_piece[12], PAWN);
    EXPECT_EQ(square_color[12], WHITE);
    EXPECT_EQ(square_piece[4], EMPTY);
    EXPECT_EQ(square_color[4], EMPTY);
    // With a capture, the victim comes back.
    ASSERT_EQ(play("e7", "f8", KNIGHT), 1);
    EXPECT_EQ(square_piece[5], KNIGHT);
    EXPECT_EQ(square_color[5], WHITE);
    unmake_move();
    EXPECT_EQ(square_piece[12], PAWN);
    EXPECT_EQ(square_piece[5], ROOK);
    EXPECT_EQ(square_color[5], BLACK);
}

TEST(BoardMakeMove, BlackEnPassantRemovesTheWhitePawn) {
    ASSERT_TRUE(load("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1"));
    ASSERT_EQ(play("e2", "e4"), 1);
    ASSERT_EQ(ep_square, 44);
    ply = 0;
    const Snapshot before = take_snapshot();
    ASSERT_EQ(play("d4", "e3"), 1);
    EXPECT_EQ(square_piece[36], EMPTY);
    EXPECT_EQ(square_color[36], EMPTY);
    EXPECT_EQ(square_piece[44], PAWN);
    EXPECT_EQ(square_color[44], BLACK);
    EXPECT_EQ(square_piece[35], EMPTY);
    EXPECT_EQ(undo_stack[game_ply - 1].captured, EMPTY);
    EXPECT_EQ(as64(position_key), as64(full_key()));
    unmake_move();
    EXPECT_EQ(square_piece[36], PAWN);
    EXPECT_EQ(square_color[36], WHITE);
    EXPECT_EQ(square_piece[44], EMPTY);
    EXPECT_EQ(square_color[44], EMPTY);
    EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
}

TEST(BoardMakeMove, WhiteEnPassantRemovesTheBlackPawn) {
    ASSERT_TRUE(load("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1"));
    ASSERT_EQ(play("d7", "d5"), 1);
    ASSERT_EQ(ep_square, sq("d6"));
    ply = 0;
    ASSERT_EQ(play("e5", "d6"), 1);
    EXPECT_EQ(square_piece[sq("d5")], EMPTY);
    EXPECT_EQ(square_piece[sq("d6")], PAWN);
    EXPECT_EQ(square_color[sq("d6")], WHITE);
    unmake_move();
    EXPECT_EQ(square_piece[sq("d5")], PAWN);
    EXPECT_EQ(square_color[sq("d5")], BLACK);
    EXPECT_EQ(square_piece[sq("d6")], EMPTY);
}

// A king leaving its square loses both rights of its side, a rook leaving
// its corner that corner's right, and any capture on a corner the right of
// the rook that stood there; other moves keep every right.
TEST(BoardMakeMove, KingCornerMovesAndCapturesClearRights) {
    struct Case {
        const char *fen, *from, *to;
        int rights;
    };
    const int white = CASTLE_WHITE_KINGSIDE | CASTLE_WHITE_QUEENSIDE;
    const int black = CASTLE_BLACK_KINGSIDE | CASTLE_BLACK_QUEENSIDE;
    const Case cases[] = {
        {CASTLE_W, "e1", "f1", black},
        {CASTLE_W, "a1", "b1", 15 & ~CASTLE_WHITE_QUEENSIDE},
        {CASTLE_W, "h1", "g1", 15 & ~CASTLE_WHITE_KINGSIDE},
        {CASTLE_B, "e8", "d8", white},
        {CASTLE_B, "a8", "a2", 15 & ~CASTLE_BLACK_QUEENSIDE},
        {CASTLE_B, "h8", "h7", 15 & ~CASTLE_BLACK_KINGSIDE},
        {CASTLE_W, "a1", "a8", CASTLE_WHITE_KINGSIDE | CASTLE_BLACK_KINGSIDE},
        {CASTLE_B, "h8", "h1", CASTLE_WHITE_QUEENSIDE | CASTLE_BLACK_QUEENSIDE},
        {"r3k2r/8/8/8/8/8/1B6/R3K2R w KQkq - 0 1", "b2", "h8", 15 & ~CASTLE_BLACK_KINGSIDE},
        {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2", "a1", 15 & ~CASTLE_WHITE_QUEENSIDE},
        {"r3k2r/8/8/8/8/8/1B6/R3K2R w KQkq - 0 1", "b2", "g7", 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.from + c.to);
        ASSERT_TRUE(load(c.fen));
        ASSERT_EQ(play(c.from, c.to), 1);
        EXPECT_EQ(castle_rights, c.rights);
    }
}

TEST(BoardMakeMove, IllegalMovesChangeNothing) {
    struct Case {
        const char *fen, *from, *to;
    };
    const Case cases[] = {
        {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "e2", "d3"}, // pinned bishop
        {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "e2", "f1"},
        {"4k3/8/8/8/8/8/3r4/4K3 w - - 0 1", "e1", "e2"},   // king steps into check
        {"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", "e1", "f1"},    // still on the checking line
        {"4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", "e1", "d2"},   // from one knight check to another
        {"8/8/8/8/k2pP2R/8/8/4K3 b - e3 0 1", "d4", "e3"}, // both pawns leave the rank
        {"8/8/8/8/8/8/8/R6k w - - 0 1", "a1", "a2"},       // no white king
        {"8/8/8/8/8/8/8/R6k w - - 0 1", "a1", "h1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.from + c.to);
        ASSERT_TRUE(load(c.fen));
        const int i = find(c.from, c.to);
        ASSERT_GE(i, 0);
        const Snapshot before = take_snapshot();
        EXPECT_EQ(make_move(move_stack[i].move), 0);
        EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
    }
    // A side without a king can make no move at all.
    ASSERT_TRUE(load("8/8/8/8/8/8/8/R6k w - - 0 1"));
    const Snapshot before = take_snapshot();
    for (int i = 0; i < ply_move_start[1]; i++) EXPECT_EQ(make_move(move_stack[i].move), 0) << i;
    EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
}

TEST(BoardMakeMove, GuardsRefuseBadWords) {
    new_game();
    const Snapshot before = take_snapshot();
    // Moving the opponent's piece, landing on an own piece, moving from an empty square.
    EXPECT_EQ(make_move(make_move_word(sq("e7"), sq("e5"), 0, 24)), 0);
    EXPECT_EQ(make_move(make_move_word(sq("a1"), sq("a2"), 0, 0)), 0);
    EXPECT_EQ(make_move(make_move_word(sq("e4"), sq("e5"), 0, 0)), 0);
    EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
}

TEST(BoardMakeMove, KnightsOutAndBackRestoreTheKey) {
    new_game();
    const PositionKey start = position_key;
    const char *const moves[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
    for (const auto &mv : moves) {
        ASSERT_EQ(play(mv[0], mv[1]), 1);
        ply = 0;
        EXPECT_EQ(as64(position_key), as64(full_key()));
    }
    EXPECT_EQ(game_ply, 4);
    EXPECT_EQ(fifty_count, 4);
    EXPECT_EQ(as64(position_key), as64(start));
    EXPECT_EQ(as64(undo_stack[0].key), as64(start));
}

TEST(BoardMakeMove, KingWalkLosesRightsInTheKey) {
    new_game();
    ASSERT_EQ(play("e2", "e4"), 1);
    ply = 0;
    ASSERT_EQ(play("e7", "e5"), 1);
    ply = 0;
    const PositionKey after_pawns = position_key;
    const char *const moves[][2] = {{"e1", "e2"}, {"e8", "e7"}, {"e2", "e1"}, {"e7", "e8"}};
    for (const auto &mv : moves) {
        ASSERT_EQ(play(mv[0], mv[1]), 1);
        ply = 0;
    }
    EXPECT_EQ(castle_rights, 0);
    EXPECT_NE(as64(position_key), as64(after_pawns));
    const PositionKey c15 = castle_key(15), c0 = castle_key(0);
    EXPECT_EQ(position_key.low ^ after_pawns.low, c15.low ^ c0.low);
    EXPECT_EQ(position_key.high ^ after_pawns.high, c15.high ^ c0.high);
    EXPECT_EQ(as64(position_key), as64(full_key()));
}

TEST(BoardMakeMove, FullUndoStackRefusesMoves) {
    new_game();
    generate_moves();
    const int i = find("g1", "f3");
    ASSERT_GE(i, 0);
    game_ply = UNDO_STACK_SIZE;
    undo_stack[UNDO_STACK_SIZE - 1].fifty_count = 4242;
    const Snapshot before = take_snapshot();
    EXPECT_EQ(make_move(move_stack[i].move), 0);
    EXPECT_EQ(snapshot_differences(before, take_snapshot()), "");
    EXPECT_EQ(undo_stack[UNDO_STACK_SIZE - 1].fifty_count, 4242);
    // One below the limit the move is still played, into the last record.
    game_ply = UNDO_STACK_SIZE - 1;
    EXPECT_EQ(make_move(move_stack[i].move), 1);
    EXPECT_EQ(game_ply, UNDO_STACK_SIZE);
    EXPECT_EQ(undo_stack[UNDO_STACK_SIZE - 1].move, move_stack[i].move);
    unmake_move();
    EXPECT_EQ(game_ply, UNDO_STACK_SIZE - 1);
}

TEST(BoardMakeMove, SixHundredMovesFillTheUndoStack) {
    new_game();
    const Snapshot start = take_snapshot();
    const char *const moves[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
    for (int n = 0; n < UNDO_STACK_SIZE; n++) {
        ASSERT_EQ(play(moves[n % 4][0], moves[n % 4][1]), 1) << n;
        ply = 0; // as the command loop does after every game move
    }
    EXPECT_EQ(game_ply, UNDO_STACK_SIZE);
    EXPECT_EQ(as64(position_key), as64(start.key));
    generate_moves();
    const Snapshot full = take_snapshot();
    for (int i = ply_move_start[0]; i < ply_move_start[1]; i++)
        EXPECT_EQ(make_move(move_stack[i].move), 0) << i;
    EXPECT_EQ(snapshot_differences(full, take_snapshot()), "");
    for (int k = 0; k < UNDO_STACK_SIZE; k += 4)
        EXPECT_EQ(as64(undo_stack[k].key), as64(start.key));
    for (int n = 0; n < UNDO_STACK_SIZE; n++) {
        ply = 1;
        unmake_move();
    }
    EXPECT_EQ(snapshot_differences(start, take_snapshot()), "");
    EXPECT_EQ(fifty_count, 0);
}

// Walks every line to the given depth, checking each accepted move against
// the rules, each refused move for no change, and each unmake for an exact
// restoration.
void walk(int depth, long *moves_made) {
    generate_moves();
    const int end = ply_move_start[ply + 1];
    for (int i = ply_move_start[ply]; i < end; i++) {
        const Move m = move_stack[i].move;
        const Snapshot before = take_snapshot();
        if (!make_move(m)) {
            ASSERT_EQ(snapshot_differences(before, take_snapshot()), "") << "refused move " << i;
            continue;
        }
        (*moves_made)++;
        check_after_make(before, m);
        if (::testing::Test::HasFailure()) {
            unmake_move();
            FAIL() << "move " << move_from(m) << "-" << move_to(m) << " flags " << move_flags(m);
        }
        if (depth > 1) walk(depth - 1, moves_made);
        unmake_move();
        ASSERT_EQ(snapshot_differences(before, take_snapshot()), "") << "after unmaking " << i;
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(BoardMakeMove, WalkKeepsKeysAndRestoresEverything) {
    const char *const fens[] = {
        START_FEN,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
        "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1",
        "r3k2r/8/8/8/3pPp2/8/8/R3K2R b KQkq e3 0 1",
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        long made = 0;
        walk(3, &made);
        if (HasFatalFailure()) return;
        EXPECT_GT(made, 0);
        EXPECT_EQ(ply, 0);
        EXPECT_EQ(game_ply, 0);
    }
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Board representation, constant tables, new_game and full position keys.
#include "board/board.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>

namespace {

const char *const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char *const KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

bool load(const char *fen) {
    const char *error = nullptr;
    return set_fen(fen, &error) == 1;
}

PositionKey xor_key(PositionKey a, PositionKey b) {
    return PositionKey{a.low ^ b.low, a.high ^ b.high};
}

// Placement part of the key, from the table alone.
PositionKey placement_key() {
    PositionKey key = {0, 0};
    for (int s = 0; s < 64; s++) {
        if (square_piece[s] == EMPTY) continue;
        key = xor_key(key, key_table[square_color[s] * 8 + square_piece[s] + s * 16]);
    }
    return key;
}

PositionKey reference_key() {
    PositionKey key = xor_key(placement_key(), key_table[castle_rights * 16 + 7]);
    if (side_to_move == BLACK) key = xor_key(key, key_table[15]);
    return key;
}

uint64_t as64(PositionKey k) {
    return ((uint64_t)k.high << 32) | k.low;
}

TEST(BoardState, NewGameSetsInitialPosition) {
    // Start from something quite different so every field has to be reset.
    ASSERT_TRUE(load("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b k - 17 40"));
    ply = 3;
    game_ply = 9;
    ep_square = 20;
    ply_move_start[0] = 55;
    position_key = PositionKey{0x12345678u, 0x9abcdef0u};

    new_game();

    static const int back_rank[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    for (int f = 0; f < 8; f++) {
        EXPECT_EQ(square_color[f], BLACK) << f;
        EXPECT_EQ(square_piece[f], back_rank[f]) << f;
        EXPECT_EQ(square_color[8 + f], BLACK) << f;
        EXPECT_EQ(square_piece[8 + f], PAWN) << f;
        EXPECT_EQ(square_color[48 + f], WHITE) << f;
        EXPECT_EQ(square_piece[48 + f], PAWN) << f;
        EXPECT_EQ(square_color[56 + f], WHITE) << f;
        EXPECT_EQ(square_piece[56 + f], back_rank[f]) << f;
    }
    for (int s = 16; s < 48; s++) {
        EXPECT_EQ(square_color[s], EMPTY) << s;
        EXPECT_EQ(square_piece[s], EMPTY) << s;
    }
    EXPECT_EQ(square_piece[4], KING);
    EXPECT_EQ(square_color[4], BLACK);
    EXPECT_EQ(square_piece[60], KING);
    EXPECT_EQ(square_color[60], WHITE);
    EXPECT_EQ(side_to_move, WHITE);
    EXPECT_EQ(opponent, BLACK);
    EXPECT_EQ(castle_rights, 15);
    EXPECT_EQ(ep_square, -1);
    EXPECT_EQ(fifty_count, 0);
    EXPECT_EQ(ply, 0);
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(ply_move_start[0], 0);
    // The key is the full key of the new position, not a leftover.
    EXPECT_EQ(as64(position_key), as64(reference_key()));
}

TEST(BoardState, NewGameKeyDoesNotDependOnThePreviousKey) {
    position_key = PositionKey{1, 2};
    new_game();
    const PositionKey first = position_key;
    position_key = PositionKey{0xdeadbeefu, 0xfeedfaceu};
    new_game();
    EXPECT_EQ(as64(position_key), as64(first));
    ASSERT_TRUE(load(START_FEN));
    EXPECT_EQ(as64(position_key), as64(first));
}

TEST(BoardState, NewGameLeavesHistoryAndStacksAlone) {
    new_game();
    history_scores[12][28] = 77;
    move_stack[5].score = 1234;
    move_stack[5].move = 0x01020304u;
    undo_stack[3].fifty_count = 42;
    ply_move_start[1] = 17;
    new_game();
    EXPECT_EQ(history_scores[12][28], 77);
    EXPECT_EQ(move_stack[5].score, 1234);
    EXPECT_EQ(move_stack[5].move, 0x01020304u);
    EXPECT_EQ(undo_stack[3].fifty_count, 42);
    EXPECT_EQ(ply_move_start[1], 17); // no moves generated
    history_scores[12][28] = 0;
}

// key_table entry i is output i of splitmix64 started from state 0.
TEST(BoardState, KeyTableIsSplitmix64FromZero) {
    EXPECT_EQ(key_table[0].low, 0x7B1DCDAFu);
    EXPECT_EQ(key_table[0].high, 0xE220A839u);
    uint64_t state = 0;
    for (int i = 0; i < KEY_TABLE_SIZE; i++) {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        ASSERT_EQ(key_table[i].low, (uint32_t)z) << i;
        ASSERT_EQ(key_table[i].high, (uint32_t)(z >> 32)) << i;
    }
}

TEST(BoardState, KeyIndexLayoutAndDisjointUses) {
    EXPECT_EQ(key_index(WHITE, PAWN, 0), 0);
    EXPECT_EQ(key_index(WHITE, KING, 0), 5);
    EXPECT_EQ(key_index(BLACK, PAWN, 0), 8);
    EXPECT_EQ(key_index(BLACK, KING, 63), 1021);
    EXPECT_EQ(key_index(WHITE, QUEEN, 60), 964);
    std::set<int> used;
    for (int s = 0; s < 64; s++)
        for (int c = WHITE; c <= BLACK; c++)
            for (int p = PAWN; p <= KING; p++) used.insert(key_index(c, p, s));
    for (int r = 0; r < 16; r++) {
        EXPECT_EQ(as64(castle_key(r)), as64(key_table[r * 16 + 7])) << r;
        used.insert(r * 16 + 7);
    }
    EXPECT_EQ(as64(side_key()), as64(key_table[15]));
    used.insert(15);
    EXPECT_EQ(used.size(), 64u * 12u + 16u + 1u);
}

TEST(BoardState, ComputeKeyIsTheFullKey) {
    const char *fens[] = {
        START_FEN,
        KIWIPETE,
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
        "8/8/8/8/8/8/8/8 w - - 0 1",
        "4k3/8/8/8/8/8/8/4K2R b K - 0 1",
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        position_key = PositionKey{0x55555555u, 0xaaaaaaaau};
        compute_key();
        EXPECT_EQ(as64(position_key), as64(reference_key()));
    }
    // The empty board with no rights, white to move: only the rights entry.
    ASSERT_TRUE(load("8/8/8/8/8/8/8/8 w - - 0 1"));
    EXPECT_EQ(as64(position_key), as64(castle_key(0)));
}

TEST(BoardState, SideToMoveKeyDifference) {
    ASSERT_TRUE(load(KIWIPETE));
    const PositionKey white = position_key;
    ASSERT_TRUE(load("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1"));
    const PositionKey black = position_key;
    EXPECT_NE(as64(white), as64(black));
    EXPECT_EQ(as64(xor_key(white, black)), as64(side_key()));

    // compute_key after flipping the side alone gives the same difference.
    side_to_move = WHITE;
    opponent = BLACK;
    compute_key();
    EXPECT_EQ(as64(position_key), as64(white));
}

TEST(BoardState, CastleKeyForNoRightsIsIncluded) {
    ASSERT_TRUE(load("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1"));
    EXPECT_EQ(castle_rights, 0);
    EXPECT_NE(as64(castle_key(0)), 0u);
    EXPECT_EQ(as64(position_key), as64(xor_key(placement_key(), castle_key(0))));
    const PositionKey none = position_key;
    ASSERT_TRUE(load("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"));
    EXPECT_EQ(as64(xor_key(none, position_key)), as64(xor_key(castle_key(0), castle_key(15))));
    for (int r = 0; r < 16; r++) {
        castle_rights = r;
        compute_key();
        EXPECT_EQ(as64(position_key), as64(xor_key(placement_key(), castle_key(r)))) << r;
    }
}

TEST(BoardState, EnPassantSquareIsNotInTheKey) {
    ASSERT_TRUE(load("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"));
    ASSERT_EQ(ep_square, 44);
    const PositionKey with_ep = position_key;
    ASSERT_TRUE(load("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"));
    ASSERT_EQ(ep_square, -1);
    EXPECT_EQ(as64(position_key), as64(with_ep));
}

TEST(BoardState, CastleMaskTable) {
    for (int s = 0; s < 64; s++) {
        int expected = 15;
        if (s == 0) expected = 7;
        if (s == 4) expected = 3;
        if (s == 7) expected = 11;
        if (s == 56) expected = 13;
        if (s == 60) expected = 12;
        if (s == 63) expected = 14;
        EXPECT_EQ(castle_mask[s], expected) << s;
    }
    // The white king leaving e1 clears both white bits only.
    EXPECT_EQ(15 & castle_mask[60] & castle_mask[62], 12);
    // Any capture on h8 clears the black king-side right.
    for (int from = 8; from < 64; from++) {
        if (from == 56 || from == 60 || from == 63) continue;
        EXPECT_EQ(15 & castle_mask[from] & castle_mask[7], 15 & ~CASTLE_BLACK_KINGSIDE) << from;
    }
    EXPECT_EQ(castle_mask[0], 15 & ~CASTLE_BLACK_QUEENSIDE);
    EXPECT_EQ(castle_mask[56], 15 & ~CASTLE_WHITE_QUEENSIDE);
    EXPECT_EQ(castle_mask[63], 15 & ~CASTLE_WHITE_KINGSIDE);
}

TEST(BoardState, MailboxFrame) {
    int off_board = 0;
    for (int i = 0; i < 120; i++) {
        const int r = i / 10, c = i % 10;
        const int expected = (r >= 2 && r <= 9 && c >= 1 && c <= 8) ? (r - 2) * 8 + (c - 1) : -1;
        EXPECT_EQ(mailbox[i], expected) << i;
        if (mailbox[i] == -1) off_board++;
    }
    EXPECT_EQ(off_board, 56);
    for (int s = 0; s < 64; s++) {
        EXPECT_EQ(square_to_mailbox[s], 21 + 10 * (s >> 3) + (s & 7)) << s;
        EXPECT_EQ(mailbox[square_to_mailbox[s]], s) << s;
        // Every step of every piece from every square stays inside the frame.
        for (int p = KNIGHT; p <= KING; p++)
            for (int d = 0; d < direction_count[p]; d++) {
                const int f = square_to_mailbox[s] + direction_offsets[p][d];
                EXPECT_TRUE(f >= 0 && f < 120) << s << " " << p << " " << d;
            }
    }
    EXPECT_EQ(square_to_mailbox[0], 21);
    EXPECT_EQ(square_to_mailbox[7], 28);
    EXPECT_EQ(square_to_mailbox[56], 91);
    EXPECT_EQ(square_to_mailbox[63], 98);
    EXPECT_EQ(mailbox[21 - 10], -1);
    EXPECT_EQ(mailbox[21 - 21], -1);
}

TEST(BoardState, PieceMovementTables) {
    const int slides[6] = {0, 0, 1, 1, 1, 0};
    const int counts[6] = {0, 8, 4, 4, 8, 8};
    const int offsets[6][8] = {
        {0, 0, 0, 0, 0, 0, 0, 0},         {-21, -19, -12, -8, 8, 12, 19, 21},
        {-11, -9, 9, 11, 0, 0, 0, 0},     {-10, -1, 1, 10, 0, 0, 0, 0},
        {-11, -10, -9, -1, 1, 9, 10, 11}, {-11, -10, -9, -1, 1, 9, 10, 11},
    };
    for (int p = 0; p < 6; p++) {
        EXPECT_EQ(piece_slides[p], slides[p]) << p;
        EXPECT_EQ(direction_count[p], counts[p]) << p;
        for (int d = 0; d < 8; d++) EXPECT_EQ(direction_offsets[p][d], offsets[p][d]) << p << d;
    }
}

TEST(BoardState, InitialTables) {
    static const int back_rank[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    for (int s = 0; s < 64; s++) {
        const int row = s >> 3;
        int piece = EMPTY, color = EMPTY;
        if (row == 0 || row == 7) piece = back_rank[s & 7];
        if (row == 1 || row == 6) piece = PAWN;
        if (row <= 1) color = BLACK;
        if (row >= 6) color = WHITE;
        EXPECT_EQ(initial_piece[s], piece) << s;
        EXPECT_EQ(initial_color[s], color) << s;
    }
}

TEST(BoardState, MoveWordLayout) {
    const Move m = make_move_word(52, 36, 0, MF_PAWN_MOVE | MF_DOUBLE_PUSH);
    EXPECT_EQ(m, 0x18002434u);
    EXPECT_EQ(move_from(m), 52);
    EXPECT_EQ(move_to(m), 36);
    EXPECT_EQ(move_promotion(m), 0);
    EXPECT_EQ(move_flags(m), 24);
    const Move p = make_move_word(12, 4, QUEEN, MF_PAWN_MOVE | MF_PROMOTION | MF_CAPTURE);
    EXPECT_EQ(p, 0x3104040Cu);
    EXPECT_EQ(move_promotion(p), QUEEN);
    EXPECT_EQ(move_flags(p), 49);
    EXPECT_EQ(MF_CAPTURE, 1);
    EXPECT_EQ(MF_CASTLE, 2);
    EXPECT_EQ(MF_EN_PASSANT, 4);
    EXPECT_EQ(MF_DOUBLE_PUSH, 8);
    EXPECT_EQ(MF_PAWN_MOVE, 16);
    EXPECT_EQ(MF_PROMOTION, 32);
    EXPECT_EQ(MOVE_STACK_SIZE, 1120);
    EXPECT_EQ(PLY_SLOTS, 32);
    EXPECT_EQ(UNDO_STACK_SIZE, 600);
}

} // namespace

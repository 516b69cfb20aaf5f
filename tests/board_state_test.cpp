// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// new_game, position keys (what they tell apart, what they share), the
// mailbox frame and the move word.
#include "board/board.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace {

const char *const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char *const KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

bool load(const char *fen) {
    const char *error = nullptr;
    return set_fen(fen, &error) == 1;
}

uint64_t as64(PositionKey k) {
    return ((uint64_t)k.high << 32) | k.low;
}

// Plays coordinate moves from the current position, as the command loop does.
void play(const char *const *moves, int count) {
    for (int i = 0; i < count; i++) {
        const int index = parse_move_text(moves[i]);
        ASSERT_GE(index, 0) << moves[i];
        ASSERT_EQ(make_move(move_stack[index].move), 1) << moves[i];
        ply = 0;
        generate_moves();
    }
}

TEST(BoardState, NewGameResetsEverythingToTheStartPosition) {
    ASSERT_TRUE(load(START_FEN));
    int color[64], piece[64];
    memcpy(color, square_color, sizeof color);
    memcpy(piece, square_piece, sizeof piece);
    const PositionKey start_key = position_key;
    // Start from something quite different so every field has to be reset.
    ASSERT_TRUE(load("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b k - 17 40"));
    ply = 3;
    game_ply = 9;
    ep_square = 20;
    ply_move_start[0] = 55;
    position_key = PositionKey{0x12345678u, 0x9abcdef0u};

    new_game();

    EXPECT_EQ(memcmp(color, square_color, sizeof color), 0);
    EXPECT_EQ(memcmp(piece, square_piece, sizeof piece), 0);
    EXPECT_EQ(side_to_move, WHITE);
    EXPECT_EQ(opponent, BLACK);
    EXPECT_EQ(castle_rights, 15);
    EXPECT_EQ(ep_square, -1);
    EXPECT_EQ(fifty_count, 0);
    EXPECT_EQ(ply, 0);
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(ply_move_start[0], 0);
    // The key is the full key of the new position, not a leftover.
    EXPECT_EQ(as64(position_key), as64(start_key));
}

TEST(BoardState, NewGameLeavesStacksAlone) {
    new_game();
    move_stack[5].score = 1234;
    move_stack[5].move = 0x01020304u;
    undo_stack[3].fifty_count = 42;
    ply_move_start[1] = 17;
    new_game();
    EXPECT_EQ(move_stack[5].score, 1234);
    EXPECT_EQ(move_stack[5].move, 0x01020304u);
    EXPECT_EQ(undo_stack[3].fifty_count, 42);
    EXPECT_EQ(ply_move_start[1], 17); // no moves generated
}

// What a key covers: placement, side to move and castling rights.
std::string position_text() {
    std::string text;
    for (int s = 0; s < 64; s++) text += (char)('A' + square_color[s] * 8 + square_piece[s]);
    return text + (char)('0' + side_to_move) + (char)('A' + castle_rights);
}

struct KeyWalk {
    std::map<uint64_t, std::string> position_of_key;
    long nodes = 0;
    long collisions = 0;
};

void walk_keys(int depth, KeyWalk &walk) {
    walk.nodes++;
    const auto found = walk.position_of_key.emplace(as64(position_key), position_text());
    if (!found.second && found.first->second != position_text()) walk.collisions++;
    if (depth == 0) return;
    generate_moves();
    const int end = ply_move_start[ply + 1];
    for (int i = ply_move_start[ply]; i < end; i++) {
        if (!make_move(move_stack[i].move)) continue;
        walk_keys(depth - 1, walk);
        unmake_move();
    }
}

// Over every position of small move trees, keys and positions pair up one
// to one: positions reached by different move orders share a key, different
// positions never do.
TEST(BoardState, KeysTellPositionsApartAndTranspositionsAlike) {
    for (const char *fen : {START_FEN, "r3k2r/8/8/8/3pPp2/8/8/R3K2R b KQkq e3 0 1",
                            "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"}) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        KeyWalk walk;
        walk_keys(3, walk);
        EXPECT_EQ(walk.collisions, 0);
        std::set<std::string> positions;
        for (const auto &entry : walk.position_of_key) positions.insert(entry.second);
        EXPECT_EQ(positions.size(), walk.position_of_key.size());
        // Transpositions did occur, and met their own keys.
        EXPECT_LT((long)positions.size(), walk.nodes);
    }
}

// Every entry a key is built from is its own: no two alike, none zero.
TEST(BoardState, KeyEntriesInUseAreDistinct) {
    std::set<uint64_t> keys;
    for (int s = 0; s < 64; s++)
        for (int c = WHITE; c <= BLACK; c++)
            for (int p = PAWN; p <= KING; p++) keys.insert(as64(key_table[key_index(c, p, s)]));
    for (int r = 0; r < 16; r++) keys.insert(as64(castle_key(r)));
    keys.insert(as64(side_key()));
    EXPECT_EQ(keys.size(), 64u * 12u + 16u + 1u);
    EXPECT_EQ(keys.count(0), 0u);
}

// The key a position reaches through moves is the full key of the same
// position set up from its text.
TEST(BoardState, KeyReachedByMovesIsTheFullKey) {
    struct Case {
        const char *start;
        const char *moves[8];
        int count;
        const char *end;
    };
    const Case cases[] = {
        {START_FEN,
         {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6", "e1g1"},
         7,
         "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5 4"},
        {"r3k2r/8/8/8/3p4/8/4P3/R3K2R w KQkq - 0 1",
         {"e2e4", "d4e3", "a1b1", "e8c8"},
         4,
         "2kr3r/8/8/8/8/4p3/8/1R2K2R w K - 2 3"},
        {KIWIPETE,
         {"e2a6", "b4c3", "d2c3", "h3g2", "f3g2", "e8g8"},
         6,
         "r4rk1/p1ppqpb1/Bn2pnp1/3PN3/4P3/2B5/PPP2PQP/R3K2R w KQ - 1 4"},
        {"4k3/1P6/8/8/8/8/6p1/4K2R w K - 0 1",
         {"b7b8n", "g2h1n"},
         2,
         "1N2k3/8/8/8/8/8/8/4K2n w - - 0 2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.end);
        ASSERT_TRUE(load(c.start));
        play(c.moves, c.count);
        if (HasFatalFailure()) return;
        const PositionKey reached = position_key;
        ASSERT_TRUE(load(c.end));
        EXPECT_EQ(as64(reached), as64(position_key));
    }
    // The empty board with no rights, White to move: only the rights entry.
    ASSERT_TRUE(load("8/8/8/8/8/8/8/8 w - - 0 1"));
    EXPECT_EQ(as64(position_key), as64(castle_key(0)));
}

TEST(BoardState, SideToMoveKeyDifference) {
    ASSERT_TRUE(load(KIWIPETE));
    const PositionKey white = position_key;
    ASSERT_TRUE(load("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1"));
    const PositionKey black = position_key;
    EXPECT_NE(as64(white), as64(black));
    EXPECT_EQ(as64(white) ^ as64(black), as64(side_key()));

    // compute_key after flipping the side alone gives the same difference.
    side_to_move = WHITE;
    opponent = BLACK;
    compute_key();
    EXPECT_EQ(as64(position_key), as64(white));
}

// Each of the sixteen rights values has its own entry, none of them left out.
TEST(BoardState, EveryCastlingRightsValueIsInTheKey) {
    ASSERT_TRUE(load("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1"));
    const uint64_t placement = as64(position_key) ^ as64(castle_key(0));
    std::set<uint64_t> keys;
    for (int r = 0; r < 16; r++) {
        castle_rights = r;
        position_key = PositionKey{0x55555555u, 0xaaaaaaaau};
        compute_key();
        EXPECT_EQ(as64(position_key) ^ as64(castle_key(r)), placement) << r;
        keys.insert(as64(position_key));
    }
    EXPECT_EQ(keys.size(), 16u);
}

TEST(BoardState, EnPassantSquareIsNotInTheKey) {
    ASSERT_TRUE(load("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"));
    ASSERT_EQ(ep_square, 44);
    const PositionKey with_ep = position_key;
    ASSERT_TRUE(load("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"));
    ASSERT_EQ(ep_square, -1);
    EXPECT_EQ(as64(position_key), as64(with_ep));
}

// Every square maps into the frame and back, and no step of any piece from
// any square reads outside the frame.
TEST(BoardState, MailboxFrameHoldsEveryStep) {
    for (int s = 0; s < 64; s++) {
        EXPECT_EQ(mailbox[square_to_mailbox[s]], s) << s;
        for (int p = KNIGHT; p <= KING; p++)
            for (int d = 0; d < direction_count[p]; d++) {
                const int f = square_to_mailbox[s] + direction_offsets[p][d];
                EXPECT_TRUE(f >= 0 && f < 120) << s << " " << p << " " << d;
            }
    }
}

} // namespace

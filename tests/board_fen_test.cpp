// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Setting up positions from FEN text: accepted forms, rejected text, and the
// castling rights and en-passant squares the board cannot back.
#include "board/board.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char *const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

int sq(const char *name) {
    return (name[0] - 'a') + 8 * (8 - (name[1] - '0'));
}

uint64_t as64(PositionKey k) {
    return ((uint64_t)k.high << 32) | k.low;
}

TEST(BoardFen, StartPositionEqualsNewGame) {
    new_game();
    const Snapshot fresh = take_snapshot();
    const char *error = nullptr;
    ASSERT_EQ(set_fen("8/8/8/8/8/8/8/K6k b - - 33 70", &error), 1);
    ply = 2;
    game_ply = 7;
    ASSERT_EQ(set_fen(START_FEN, &error), 1);
    EXPECT_EQ(snapshot_differences(fresh, take_snapshot()), "");
    EXPECT_EQ(ply, 0);
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(ply_move_start[0], 0);
    // The moves of the position stand at ply 0.
    EXPECT_EQ(ply_move_start[1], 22);
    EXPECT_EQ(move_stack[0].move, make_move_word(48, 40, 0, 16));
}

TEST(BoardFen, FieldsAreRead) {
    const char *error = nullptr;
    ASSERT_EQ(set_fen("r3k2r/8/8/8/4Pp2/8/8/R3K2R b Kq e3 17 42", &error), 1);
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_EQ(opponent, WHITE);
    EXPECT_EQ(castle_rights, CASTLE_WHITE_KINGSIDE | CASTLE_BLACK_QUEENSIDE);
    EXPECT_EQ(ep_square, 44);
    EXPECT_EQ(fifty_count, 17);
    EXPECT_EQ(square_piece[sq("e4")], PAWN);
    EXPECT_EQ(square_color[sq("e4")], WHITE);
    EXPECT_EQ(square_piece[sq("f4")], PAWN);
    EXPECT_EQ(square_color[sq("f4")], BLACK);
    EXPECT_EQ(square_piece[sq("a8")], ROOK);
    EXPECT_EQ(square_color[sq("a8")], BLACK);
    EXPECT_EQ(square_piece[sq("e1")], KING);
    EXPECT_EQ(square_color[sq("e1")], WHITE);
    // Four fields are enough; the counters then start from zero.
    ASSERT_EQ(set_fen("4k3/8/8/8/8/8/8/4K3 w - -", &error), 1);
    EXPECT_EQ(fifty_count, 0);
    ASSERT_EQ(set_fen("4k3/8/8/8/8/8/8/4K3 w - - 5", &error), 1);
    EXPECT_EQ(fifty_count, 5);
    // Blanks between fields may repeat.
    ASSERT_EQ(set_fen("  4k3/8/8/8/8/8/8/4K3   b  -  -  3  9 ", &error), 1);
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_EQ(fifty_count, 3);
}

TEST(BoardFen, KeyIsTheFullKey) {
    const char *error = nullptr;
    position_key = PositionKey{0x1234u, 0x5678u};
    ASSERT_EQ(
        set_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1", &error), 1);
    const PositionKey from_fen = position_key;
    compute_key();
    EXPECT_EQ(as64(position_key), as64(from_fen));
}

TEST(BoardFen, MalformedTextIsRejected) {
    const char *const bad[] = {
        "",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",                // one field
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",         // three fields
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 x", // seven fields
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - 0 1",   // bad piece letter
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN1x w KQkq - 0 1",  // bad piece letter
        "rnbqkbnr/ppppxppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // bad piece letter
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // digit 9
        "rnbqkbnr/pppppppp/08/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // digit 0
        "rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // rank too long
        "rnbqkbnr/pppppppp/72/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // rank too long
        "rnbqkbnr/pppppppp/8/8/44p/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", // rank too long
        "rnbqkbn/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",    // rank too short
        "rnbqkbnr/pppppppp/7/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // rank too short
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq - 0 1",    // last rank too short
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",            // seven ranks
        "rnbqkbnr/pppppppp/8/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", // nine ranks
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ w KQkq - 0 1",  // trailing slash
        "rnbqkbnr/pppppppp/8/8//8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",    // empty rank
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",   // side
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR W KQkq - 0 1",   // side
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR wb KQkq - 0 1",  // side
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkx - 0 1",   // castling letter
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w K-kq - 0 1",   // castling letter
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e9 0 1",  // bad square
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq i3 0 1",  // bad square
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e0 0 1",  // bad square
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e 0 1",   // bad square
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3e 0 1", // bad square
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq E3 0 1",  // bad square
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - x 1",   // half-move clock
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - -1 1",  // half-move clock
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 one", // move number
    };
    // A position to compare against: nothing may change on a rejection.
    const char *error = nullptr;
    ASSERT_EQ(
        set_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 3 9", &error), 1);
    ply = 1;
    game_ply = 1;
    const Snapshot before = take_snapshot();
    const int list_end = ply_move_start[1];
    for (const char *fen : bad) {
        error = nullptr;
        EXPECT_EQ(set_fen(fen, &error), 0) << '"' << fen << '"';
        EXPECT_NE(error, nullptr) << fen;
        if (error) {
            EXPECT_GT(strlen(error), 0u) << fen;
        }
        EXPECT_EQ(snapshot_differences(before, take_snapshot()), "") << fen;
        EXPECT_EQ(ply_move_start[1], list_end) << fen;
    }
}

TEST(BoardFen, UnsupportedCastlingRightsAreDropped) {
    struct Case {
        const char *fen;
        int rights;
    };
    const Case cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 15},
        {"4k3/8/8/8/8/8/8/4K2R w KQkq - 0 1", CASTLE_WHITE_KINGSIDE},
        {"4k3/8/8/8/8/8/8/R3K3 w KQkq - 0 1", CASTLE_WHITE_QUEENSIDE},
        {"r3k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", CASTLE_BLACK_QUEENSIDE},
        {"4k2r/8/8/8/8/8/8/4K3 w KQkq - 0 1", CASTLE_BLACK_KINGSIDE},
        // Kings off e1 and e8 that no Chess960 reading backs either.
        {"r3k2r/8/8/8/8/8/8/R6K w KQkq - 0 1", 12},
        {"r6k/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 3},
        {"r3k2R/8/8/8/8/8/8/R3K2r w KQkq - 0 1", 10}, // rooks of the wrong colour
        {"n3k2b/8/8/8/8/8/8/N3K2B w KQkq - 0 1", 0},  // no rooks at all
        {"r3q2r/8/8/8/8/8/8/R3Q2R w KQkq - 0 1", 0},  // queens, not kings
        {"r3k2r/8/8/8/8/8/8/R3K2R w Kk - 0 1", 5},    // only what is asked
        {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R w qkQK - 0 1", 15}, // any order
    };
    for (const Case &c : cases) {
        const char *error = nullptr;
        ASSERT_EQ(set_fen(c.fen, &error), 1) << c.fen;
        EXPECT_EQ(castle_rights, c.rights) << c.fen;
        // The castling entries follow the rights that were kept.
        int castles = 0;
        for (int i = 0; i < ply_move_start[1]; i++)
            if (move_flags(move_stack[i].move) & MF_CASTLE) castles++;
        EXPECT_EQ(castles, __builtin_popcount(c.rights & 3)) << c.fen;
        const PositionKey kept = position_key;
        compute_key();
        EXPECT_EQ(as64(position_key), as64(kept)) << c.fen;
    }
}

TEST(BoardFen, EnPassantSquareNeedsAPawnThatJustPassed) {
    struct Case {
        const char *fen;
        int ep;
    };
    const Case cases[] = {
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 44},
        {"rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2", 20},
        {"4k3/8/8/pP6/8/8/8/4K3 w - a6 0 1", 16},
        {"4k3/8/8/8/6pP/8/8/4K3 b - h3 0 1", 47},
        // Nobody can capture, but a pawn did pass: kept.
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1", 44},
        // Wrong rank for the side to move.
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 1", -1},
        {"rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e6 0 2", -1},
        // Wrong rank although an enemy pawn stands just beyond the square.
        {"4k3/8/8/8/8/4p3/3P4/4K3 w - e4 0 1", -1},
        {"4k3/8/4P3/8/8/8/8/4K3 b - e5 0 1", -1},
        {"4k3/8/8/8/8/8/4p3/4K3 w - e3 0 1", -1},
        {"4k3/4P3/8/8/8/8/8/4K3 b - e6 0 1", -1},
        // No pawn on the square in front.
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq d3 0 1", -1},
        {"4k3/8/8/8/4N3/8/8/4K3 b - e3 0 1", -1},
        // The pawn there is the side to move's own.
        {"4k3/8/8/8/4p3/8/8/4K3 b - e3 0 1", -1},
        {"4k3/8/8/4P3/8/8/8/4K3 w - e6 0 1", -1},
        // The square passed over is occupied.
        {"4k3/8/8/8/4P3/4n3/8/4K3 b - e3 0 1", -1},
        {"4k3/8/4N3/4p3/8/8/8/4K3 w - e6 0 1", -1},
    };
    for (const Case &c : cases) {
        const char *error = nullptr;
        ASSERT_EQ(set_fen(c.fen, &error), 1) << c.fen;
        EXPECT_EQ(ep_square, c.ep) << c.fen;
        int ep_moves = 0;
        for (int i = 0; i < ply_move_start[1]; i++)
            if (move_flags(move_stack[i].move) & MF_EN_PASSANT) {
                ep_moves++;
                EXPECT_EQ(move_to(move_stack[i].move), c.ep) << c.fen;
            }
        if (c.ep == -1) {
            EXPECT_EQ(ep_moves, 0) << c.fen;
        }
    }
}

} // namespace

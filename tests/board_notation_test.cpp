// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Coordinate move text: writing moves and finding typed moves in the root list.
#include "board/board.h"
#include "protocol/xboard/xboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char *const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

bool load(const char *fen) {
    const char *error = nullptr;
    return set_fen(fen, &error) == 1;
}

int sq(const char *name) {
    return (name[0] - 'a') + 8 * (8 - (name[1] - '0'));
}

// Root-list index of the move with these squares and promotion piece, or -1.
int index_of(const char *from, const char *to, int promotion = 0) {
    for (int i = 0; i < ply_move_start[1]; i++) {
        const Move m = move_stack[i].move;
        if (move_from(m) == sq(from) && move_to(m) == sq(to) && move_promotion(m) == promotion)
            return i;
    }
    return -1;
}

TEST(BoardNotation, WritesCoordinates) {
    EXPECT_STREQ(move_text(make_move_word(52, 36, 0, 24)), "e2e4");
    EXPECT_STREQ(move_text(make_move_word(0, 63, 0, 0)), "a8h1");
    EXPECT_STREQ(move_text(make_move_word(56, 7, 0, 0)), "a1h8");
    EXPECT_STREQ(move_text(make_move_word(60, 62, 0, MF_CASTLE)), "e1g1");
    EXPECT_STREQ(move_text(make_move_word(60, 58, 0, MF_CASTLE)), "e1c1");
    EXPECT_STREQ(move_text(make_move_word(4, 6, 0, MF_CASTLE)), "e8g8");
    EXPECT_STREQ(move_text(make_move_word(4, 2, 0, MF_CASTLE)), "e8c8");
    EXPECT_STREQ(move_text(make_move_word(27, 20, 0, 21)), "d5e6");
}

TEST(BoardNotation, WritesPromotionLetters) {
    const int flags = MF_PAWN_MOVE | MF_PROMOTION;
    EXPECT_STREQ(move_text(make_move_word(12, 4, KNIGHT, flags)), "e7e8n");
    EXPECT_STREQ(move_text(make_move_word(12, 4, BISHOP, flags)), "e7e8b");
    EXPECT_STREQ(move_text(make_move_word(12, 4, ROOK, flags)), "e7e8r");
    EXPECT_STREQ(move_text(make_move_word(12, 4, QUEEN, flags)), "e7e8q");
    EXPECT_STREQ(move_text(make_move_word(52, 61, KNIGHT, flags | MF_CAPTURE)), "e2f1n");
    // Any other code is written as a queen.
    EXPECT_STREQ(move_text(make_move_word(12, 4, PAWN, flags)), "e7e8q");
    EXPECT_STREQ(move_text(make_move_word(12, 4, KING, flags)), "e7e8q");
    EXPECT_STREQ(move_text(make_move_word(12, 4, 9, flags)), "e7e8q");
    // Without the promotion flag the piece byte is not written.
    EXPECT_STREQ(move_text(make_move_word(12, 4, KNIGHT, MF_PAWN_MOVE)), "e7e8");
}

TEST(BoardNotation, OneSharedBuffer) {
    const char *first = move_text(make_move_word(52, 36, 0, 24));
    const char *second = move_text(make_move_word(12, 4, ROOK, MF_PAWN_MOVE | MF_PROMOTION));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, (const char *)move_text_buffer);
    EXPECT_STREQ(first, "e7e8r");
    move_text(make_move_word(62, 45, 0, 0));
    EXPECT_STREQ(first, "g1f3");
}

// Every move of the root list reads back to its own index from its text.
TEST(BoardNotation, RoundTripOverWholeLists) {
    const char *const fens[] = {
        START_FEN,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "3r1r2/4P3/8/8/8/8/8/8 w - - 0 1",
        "4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1",
        "R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1",
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        ASSERT_GT(ply_move_start[1], 0);
        for (int i = 0; i < ply_move_start[1]; i++) {
            const Move m = move_stack[i].move;
            const std::string text = move_text(m);
            const bool promotes = (move_flags(m) & MF_PROMOTION) != 0;
            EXPECT_EQ(text.size(), promotes ? 5u : 4u) << text;
            EXPECT_EQ(parse_move_text(text.c_str()), i) << text;
            // Letters are read in either case.
            if (promotes) {
                std::string upper = text;
                upper[4] = (char)(upper[4] - 'a' + 'A');
                EXPECT_EQ(parse_move_text(upper.c_str()), i) << upper;
            }
        }
    }
}

TEST(BoardNotation, PromotionLetterChoosesTheEntry) {
    ASSERT_TRUE(load("3r1r2/4P3/8/8/8/8/8/4K2k w - - 0 1"));
    const int knight = index_of("e7", "e8", KNIGHT);
    ASSERT_GE(knight, 0);
    EXPECT_EQ(index_of("e7", "e8", QUEEN), knight + 3);
    EXPECT_EQ(parse_move_text("e7e8"), knight + 3);
    EXPECT_EQ(parse_move_text("e7e8q"), knight + 3);
    EXPECT_EQ(parse_move_text("e7e8Q"), knight + 3);
    EXPECT_EQ(parse_move_text("e7e8n"), knight);
    EXPECT_EQ(parse_move_text("e7e8N"), knight);
    EXPECT_EQ(parse_move_text("e7e8b"), knight + 1);
    EXPECT_EQ(parse_move_text("e7e8B"), knight + 1);
    EXPECT_EQ(parse_move_text("e7e8r"), knight + 2);
    EXPECT_EQ(parse_move_text("e7e8R"), knight + 2);
    EXPECT_EQ(parse_move_text("e7e8x"), knight + 3);
    EXPECT_EQ(parse_move_text("e7e8k"), knight + 3);
    EXPECT_EQ(parse_move_text("e7e8 "), knight + 3);
    EXPECT_EQ(parse_move_text("e7d8n"), index_of("e7", "d8", KNIGHT));
    EXPECT_EQ(parse_move_text("e7f8"), index_of("e7", "f8", QUEEN));
    EXPECT_EQ(move_stack[parse_move_text("e7e8b")].move,
              make_move_word(12, 4, BISHOP, MF_PAWN_MOVE | MF_PROMOTION));
    // Black promotes the same way.
    ASSERT_TRUE(load("4k3/8/8/8/8/8/4p3/3R1R1K b - - 0 1"));
    const int black_knight = index_of("e2", "e1", KNIGHT);
    ASSERT_GE(black_knight, 0);
    EXPECT_EQ(parse_move_text("e2e1"), black_knight + 3);
    EXPECT_EQ(parse_move_text("e2e1r"), black_knight + 2);
    EXPECT_EQ(parse_move_text("e2f1n"), index_of("e2", "f1", KNIGHT));
}

TEST(BoardNotation, ExtraTextAfterAnOrdinaryMoveIsIgnored) {
    new_game();
    generate_moves();
    const int e2e4 = index_of("e2", "e4");
    ASSERT_GE(e2e4, 0);
    EXPECT_EQ(parse_move_text("e2e4"), e2e4);
    EXPECT_EQ(parse_move_text("e2e4q"), e2e4);
    EXPECT_EQ(parse_move_text("e2e4n"), e2e4);
    EXPECT_EQ(parse_move_text("e2e4xyz"), e2e4);
    EXPECT_EQ(parse_move_text("g1f3"), index_of("g1", "f3"));
}

TEST(BoardNotation, MalformedOrUnknownTextIsRefused) {
    new_game();
    generate_moves();
    const char *const bad[] = {"E2E4", "e2E4", "E2e4", "i2i4",  "e2i4", "a0a1",  "a9a8", "h1h0",
                               "e2",   "e2e",  "",     "e",     "2e4e", "e2-e4", "e2e5", "a1a1",
                               "e7e5", "b1d2", "-1-1", "e2 e4", "`2a4", "e/e4"};
    for (const char *text : bad) EXPECT_EQ(parse_move_text(text), -1) << '"' << text << '"';
    // e1g1 is in the list (castling entry), though make_move refuses it here.
    EXPECT_GE(parse_move_text("e1g1"), 0);
}

TEST(BoardNotation, CastlingIsTheKingsMove) {
    ASSERT_TRUE(load("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"));
    for (const char *text : {"e1g1", "e1c1"}) {
        const int i = parse_move_text(text);
        ASSERT_GE(i, 0) << text;
        EXPECT_EQ(move_flags(move_stack[i].move), MF_CASTLE) << text;
        EXPECT_STREQ(move_text(move_stack[i].move), text);
    }
    ASSERT_TRUE(load("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"));
    for (const char *text : {"e8g8", "e8c8"}) {
        const int i = parse_move_text(text);
        ASSERT_GE(i, 0) << text;
        EXPECT_EQ(move_flags(move_stack[i].move), MF_CASTLE) << text;
        EXPECT_STREQ(move_text(move_stack[i].move), text);
    }
    EXPECT_EQ(parse_move_text("e1g1"), -1); // not black's move
}

// The text finds the pseudo-legal move; make_move is what refuses it.
TEST(BoardNotation, PseudoLegalMoveIsFoundButRefused) {
    ASSERT_TRUE(load("4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1"));
    const int i = parse_move_text("e2d3");
    ASSERT_GE(i, 0);
    EXPECT_EQ(make_move(move_stack[i].move), 0);
    EXPECT_EQ(game_ply, 0);
    const int k = parse_move_text("e1f2");
    ASSERT_GE(k, 0);
    EXPECT_EQ(make_move(move_stack[k].move), 1);
}

// Only the root list counts: a list generated at a deeper ply is not searched.
TEST(BoardNotation, ReadsOnlyTheRootList) {
    new_game();
    generate_moves();
    ASSERT_EQ(make_move(move_stack[index_of("e2", "e4")].move), 1);
    generate_moves(); // black's list at ply 1
    EXPECT_EQ(parse_move_text("e7e5"), -1);
    EXPECT_GE(parse_move_text("d2d4"), 0);
    unmake_move();
}

} // namespace

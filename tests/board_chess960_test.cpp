// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Chess960 on the board: which FENs set it up and which it refuses, every
// overlap of king and rook squares made and unmade, its notation, and the
// standard start position played under its rules.
#include "test_support.h"

#include <string>
#include <vector>

namespace {

// Each test leaves a standard game behind, as the other tests expect.
class BoardChess960 : public ::testing::Test {
  protected:
    void TearDown() override { new_game(); }
};

int sq(const char *name) {
    return (name[0] - 'a') + 8 * (8 - (name[1] - '0'));
}

// The ply-0 castling moves, king side first.
std::vector<Move> castling_moves() {
    std::vector<Move> moves;
    for (int i = 0; i < ply_move_start[1]; i++)
        if (move_flags(move_stack[i].move) & MF_CASTLE) moves.push_back(move_stack[i].move);
    return moves;
}

// The castlings of the ply-0 list as text, the way a client writes them.
std::string castling_texts() {
    std::string texts;
    for (Move m : castling_moves()) texts += std::string(texts.empty() ? "" : " ") + move_text(m);
    return texts;
}

TEST_F(BoardChess960, FenFormsAndWhatTheySetUp) {
    struct Case {
        const char *fen;
        int rules;
        int chess960;
        int rights;
        const char *castlings; // the side to move's, as written
    };
    const Case cases[] = {
        // Standard chess stays standard; asked for, the same board is Chess960.
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", FEN_AS_WRITTEN, 0, 15, "e1g1 e1c1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", FEN_CHESS960, 1, 15, "e1h1 e1a1"},
        // Shredder letters say Chess960 by themselves.
        {"r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1", FEN_AS_WRITTEN, 1, 15, "e1h1 e1a1"},
        // KQkq that only Chess960 backs: the king on f1.
        {"r3k2r/8/8/8/8/8/8/R4K1R w KQkq - 0 1", FEN_AS_WRITTEN, 1, 15, "f1h1 f1a1"},
        // X-FEN's K and Q are the outermost rooks, a letter an inner one.
        {"1r4kr/8/8/8/8/8/8/RR1K2R1 b KQkq - 0 1", FEN_CHESS960, 1, 15, "g8h8 g8b8"},
        {"1r4kr/8/8/8/8/8/8/RR1K2R1 w KBk - 0 1", FEN_AS_WRITTEN, 1, 7, "d1g1 d1b1"},
        {"4k3/8/8/8/8/8/8/4KR1R w K - 0 1", FEN_CHESS960, 1, 1, "e1h1"},
        {"4k3/8/8/8/8/8/8/R1R1K3 w Q - 0 1", FEN_CHESS960, 1, 2, "e1a1"},
        {"1r4kr/8/8/8/8/8/8/RR1K2R1 w GBh - 0 1", FEN_AS_WRITTEN, 1, 7, "d1g1 d1b1"},
        // A king already on its destination, its rook beside it.
        {"4k3/8/8/8/8/8/8/6KR w H - 0 1", FEN_AS_WRITTEN, 1, 1, "g1h1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fen);
        const char *error = nullptr;
        ASSERT_EQ(set_fen(c.fen, &error, c.rules), 1) << error;
        EXPECT_EQ(castling_rules.chess960, c.chess960);
        EXPECT_EQ(castle_rights, c.rights);
        EXPECT_EQ(castling_texts(), c.castlings);
        EXPECT_EQ(board_fault(), nullptr);
    }
}

TEST_F(BoardChess960, RefusedCastlingFieldsLeaveThePosition) {
    const char *const bad[] = {
        "4k3/8/8/8/8/8/8/4K2N w H - 0 1",   // a knight, not a rook
        "4k3/8/8/8/8/8/8/4K2r w H - 0 1",   // a rook of the other colour
        "4k3/8/8/8/8/8/8/4K3 w K - 0 1",    // no rook on that side (asked for Chess960)
        "4k3/8/8/8/8/8/8/R3K3 w K - 0 1",   // the only rook is on the other side
        "4k3/8/8/8/8/8/8/4K2R w E - 0 1",   // the king's own file
        "4k3/8/8/8/8/7R/4K3/8 w H - 0 1",   // the rook off the back rank
        "4k3/8/8/8/8/8/4K3/7R w H - 0 1",   // the king off the back rank
        "4k3/8/8/8/8/8/8/2K3KR w H - 0 1",  // two kings there: whose right?
        "4k3/8/8/8/8/8/8/4KR1R w FH - 0 1", // two rooks for one right
        "4k3/8/8/8/8/8/8/4K2R w Hh - 0 1",  // black has no rook
        "4k3/8/8/8/8/8/8/4K2R w HI - 0 1",  // no such file
    };
    setup("1r4kr/8/8/8/8/8/8/RR1K2R1 w KBk - 0 1");
    const Snapshot before = take_snapshot();
    for (const char *fen : bad) {
        const char *error = nullptr;
        EXPECT_EQ(set_fen(fen, &error, FEN_CHESS960), 0) << fen;
        EXPECT_NE(error, nullptr) << fen;
        expect_same_position(before);
        EXPECT_EQ(castling_texts(), "d1g1 d1b1") << fen;
    }
}

// Every way king and rook squares can overlap, for both colours and sides:
// each castling lands king and rook on castling's files, takes the mover's
// rights, keeps the key the full key, and unmakes to the very position.
TEST_F(BoardChess960, MakeAndUnmakeEveryOverlap) {
    const char *const fens[] = {
        "4k3/8/8/8/8/8/8/R5KR w HA - 0 1",   // the king stays; a long queen side
        "4k3/8/8/8/8/8/8/2R1KR2 w FC - 0 1", // the rook stays (f1); king side
        "4k3/8/8/8/8/8/8/3RK3 w D - 0 1",    // the rook stays (d1)
        "4k3/8/8/8/8/8/8/1R3KR1 w GB - 0 1", // the king lands on its rook
        "4k3/8/8/8/8/8/8/R2K3R w HA - 0 1",  // the rook lands where the king stood
        "rk5r/8/8/8/8/8/8/4K3 b ha - 0 1",   // b8: the longest king side
        "2kr4/8/8/8/8/8/8/4K3 b d - 0 1",    // neither king nor rook moves
        "r1k4r/8/8/8/8/8/8/4K3 b ha - 0 1",  // the king stays on c8
    };
    int castlings = 0;
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        const char *error = nullptr;
        ASSERT_EQ(set_fen(fen, &error, FEN_CHESS960), 1) << error;
        for (Move m : castling_moves()) {
            SCOPED_TRACE(move_text(m));
            const Snapshot before = take_snapshot();
            const int mover = side_to_move;
            const int right = castle_right_index(m);
            const int rook_from = castling_rules.rule[right].rook_from;
            const int back_row = mover == WHITE ? 56 : 0;
            const bool king_side = (right & 1) == 0;
            ASSERT_EQ(make_move(m), 1);
            castlings++;
            EXPECT_TRUE(stands(back_row + (king_side ? 6 : 2), mover, KING));
            EXPECT_TRUE(stands(back_row + (king_side ? 5 : 3), mover, ROOK));
            // The start squares are empty unless a piece landed there.
            for (int start : {move_from(m), rook_from}) {
                if (start != back_row + (king_side ? 6 : 2) &&
                    start != back_row + (king_side ? 5 : 3)) {
                    EXPECT_EQ(square_color[start], EMPTY) << start;
                }
            }
            EXPECT_EQ(castle_rights & (3 << (2 * mover)), 0);
            EXPECT_EQ(castle_rights, before.castle & ~(3 << (2 * mover)));
            EXPECT_EQ(position_key, full_key());
            EXPECT_EQ(board_fault(), nullptr);
            unmake_move();
            expect_same_position(before);
            EXPECT_EQ(board_fault(), nullptr);
        }
    }
    EXPECT_EQ(castlings, 14);
}

TEST_F(BoardChess960, CastlingIntoAttackOrCheckIsRefused) {
    const char *const fens[] = {
        "7k/8/8/8/8/8/8/rRK5 w B - 0 1",   // the rook uncovers a1 onto the staying king
        "k7/8/8/8/8/8/8/qR1K4 w B - 0 1",  // and onto the king's destination
        "4k3/8/8/8/8/8/8/R3K2r w A - 0 1", // in check
        "4k3/8/8/8/7b/8/8/R5K1 w A - 0 1", // the king crosses an attacked square
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        setup(fen);
        ASSERT_EQ(castling_moves().size(), 1u);
        const Snapshot before = take_snapshot();
        EXPECT_EQ(make_move(castling_moves()[0]), 0);
        expect_same_position(before);
    }
    // A rook passing an attacked square is no hindrance.
    setup("4k3/8/8/8/8/8/b7/R5K1 w A - 0 1");
    ASSERT_EQ(make_move(castling_moves()[0]), 1);
    unmake_move();
}

TEST_F(BoardChess960, NotationRoundTrips) {
    // f1g1 is both a king step and castling's squares.
    setup("r3k1r1/6p1/8/8/8/8/8/R4K1R w HAga - 0 1");
    for (int i = 0; i < ply_move_start[1]; i++)
        EXPECT_EQ(parse_move_text(move_text(move_stack[i].move)), i)
            << move_text(move_stack[i].move);
    EXPECT_EQ(move_flags(move_stack[parse_move_text("f1g1")].move), 0);
    EXPECT_EQ(move_flags(move_stack[parse_move_text("f1h1")].move), MF_CASTLE);
    EXPECT_EQ(parse_move_text("O-O"), parse_move_text("f1h1"));
    EXPECT_EQ(parse_move_text("0-0"), parse_move_text("f1h1"));
    EXPECT_EQ(parse_move_text("O-O-O"), parse_move_text("f1a1"));
    EXPECT_EQ(parse_move_text("0-0-0+"), parse_move_text("f1a1"));
    EXPECT_EQ(parse_move_text("f1c1"), -1);
    EXPECT_STREQ(move_text_castle_o(move_stack[parse_move_text("f1a1")].move), "O-O-O");
    EXPECT_STREQ(move_text_castle_o(move_stack[parse_move_text("f1h1")].move), "O-O");
    EXPECT_STREQ(move_text_castle_o(move_stack[parse_move_text("f1g1")].move), "f1g1");
    play("f1h1");
    // Black's king lands on its rook's square: the text names that square.
    EXPECT_EQ(castling_texts(), "e8g8 e8a8");
    EXPECT_EQ(parse_move_text("O-O"), parse_move_text("e8g8"));
    EXPECT_STREQ(move_text_castle_o(castling_moves()[0]), "O-O");
    // Standard chess reads and writes castling as ever, and no O-O.
    setup(START);
    play("g1f3");
    play("g8f6");
    play("g2g3");
    play("g7g6");
    play("f1g2");
    play("f8g7");
    EXPECT_EQ(castling_texts(), "e1g1 e1c1");
    EXPECT_EQ(parse_move_text("O-O"), -1);
    play("e1g1");
    EXPECT_TRUE(stands(sq("f1"), WHITE, ROOK));
}

// The start position as Chess960 is the same game: the same moves, tree and
// search.
TEST_F(BoardChess960, StandardStartPlaysTheSameTree) {
    const char *error = nullptr;
    ASSERT_EQ(set_fen(START, &error, FEN_AS_WRITTEN), 1);
    const std::vector<MoveEntry> standard_moves(move_stack, move_stack + ply_move_start[1]);
    ASSERT_EQ(set_fen(START, &error, FEN_CHESS960), 1);
    ASSERT_EQ(castling_rules.chess960, 1);
    ASSERT_EQ(ply_move_start[1], (int)standard_moves.size());
    for (size_t i = 0; i < standard_moves.size(); i++) {
        EXPECT_EQ(move_stack[i].move, standard_moves[i].move) << i;
        EXPECT_EQ(move_stack[i].score, standard_moves[i].score) << i;
    }

    uint64_t perft_count[2], search_nodes[2];
    for (int rules : {FEN_AS_WRITTEN, FEN_CHESS960}) {
        ASSERT_EQ(set_fen(START, &error, rules), 1);
        perft_count[rules] = perft(4);
        prepare_fixed_depth_search(5);
        run_search(0);
        search_nodes[rules] = search_nodes_total();
    }
    EXPECT_EQ(perft_count[FEN_CHESS960], perft_count[FEN_AS_WRITTEN]);
    EXPECT_EQ(search_nodes[FEN_CHESS960], search_nodes[FEN_AS_WRITTEN]);
    new_game();
    EXPECT_EQ(castling_rules.chess960, 0);
}

// A search's helpers start from a copy of the position: it carries the
// game's castling.
TEST_F(BoardChess960, PositionCopyCarriesTheCastling) {
    setup("1r4kr/8/8/8/8/8/8/RR1K2R1 w KBk - 0 1");
    static PositionCopy copy;
    save_position(&copy);
    new_game();
    load_position(copy);
    generate_moves();
    EXPECT_EQ(castling_rules.chess960, 1);
    EXPECT_EQ(castling_texts(), "d1g1 d1b1");
    EXPECT_EQ(board_fault(), nullptr);
}

} // namespace

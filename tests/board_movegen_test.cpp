// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Move generation order and scores, capture generation, attack detection and
// the bounds of the shared move stack.
#include "board/board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char *const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char *const KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

const char *const VARIED_FENS[] = {
    START_FEN,
    KIWIPETE,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1",
    "4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1",
    "R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1",
    // Pawns one row short of promoting push quietly: no entry in the capture list.
    "4k3/1P6/3P4/8/8/3p4/1p6/4K3 w - - 0 1",
    "4k3/1P6/3P4/8/8/3p4/1p6/4K3 b - - 0 1",
};

bool load(const char *fen) {
    const char *error = nullptr;
    return set_fen(fen, &error) == 1;
}

int sq(const char *name) {
    return (name[0] - 'a') + 8 * (8 - (name[1] - '0'));
}

std::vector<MoveEntry> current_list() {
    return std::vector<MoveEntry>(move_stack + ply_move_start[ply],
                                  move_stack + ply_move_start[ply + 1]);
}

// The quiet-move scores generation reads, installed as the search would.
int history_scores[64][64];

// Distinct, non-zero history values so quiet scores can be told apart.
void fill_history() {
    for (int f = 0; f < 64; f++)
        for (int t = 0; t < 64; t++) history_scores[f][t] = f * 100 + t + 1;
    quiet_move_scores = history_scores;
}

void clear_history() {
    memset(history_scores, 0, sizeof history_scores);
    quiet_move_scores = history_scores;
}

struct Expected {
    std::string from;
    std::string to;
    int flags;
    int score; // -1: history_scores[from][to]
};

void expect_list(const std::vector<Expected> &expected) {
    const std::vector<MoveEntry> list = current_list();
    ASSERT_EQ(list.size(), expected.size());
    for (size_t i = 0; i < list.size(); i++) {
        const int from = sq(expected[i].from.c_str()), to = sq(expected[i].to.c_str());
        SCOPED_TRACE("entry " + std::to_string(i) + " " + expected[i].from + expected[i].to);
        EXPECT_EQ(list[i].move, make_move_word(from, to, 0, expected[i].flags));
        const int score = expected[i].score >= 0 ? expected[i].score : history_scores[from][to];
        EXPECT_EQ(list[i].score, score);
    }
}

TEST(BoardMovegen, InitialPositionOrderAndScores) {
    new_game();
    fill_history();
    generate_moves();
    EXPECT_EQ(ply_move_start[0], 0);
    std::vector<Expected> expected;
    for (char file = 'a'; file <= 'h'; file++) {
        const std::string f(1, file);
        expected.push_back({f + "2", f + "3", 16, -1});
        expected.push_back({f + "2", f + "4", 24, -1});
    }
    expected.push_back({"b1", "a3", 0, -1});
    expected.push_back({"b1", "c3", 0, -1});
    expected.push_back({"g1", "f3", 0, -1});
    expected.push_back({"g1", "h3", 0, -1});
    // Castling scores from its (occupied) destination: knight on g1, bishop on c1.
    expected.push_back({"e1", "g1", 2, 1000005});
    expected.push_back({"e1", "c1", 2, 1000015});
    expect_list(expected);
    EXPECT_EQ(ply_move_start[1], 22);
    clear_history();
}

TEST(BoardMovegen, InitialPositionBlackOrder) {
    ASSERT_TRUE(load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"));
    fill_history();
    generate_moves();
    std::vector<Expected> expected = {
        {"b8", "a6", 0, -1},      {"b8", "c6", 0, -1},  {"g8", "f6", 0, -1},
        {"g8", "h6", 0, -1},      {"a7", "a6", 16, -1}, {"a7", "a5", 24, -1},
        {"b7", "b6", 16, -1},     {"b7", "b5", 24, -1}, {"c7", "c6", 16, -1},
        {"c7", "c5", 24, -1},     {"d7", "d6", 16, -1}, {"d7", "d5", 24, -1},
        {"e7", "e6", 16, -1},     {"e7", "e5", 24, -1}, {"f7", "f6", 16, -1},
        {"f7", "f5", 24, -1},     {"g7", "g6", 16, -1}, {"g7", "g5", 24, -1},
        {"h7", "h6", 16, -1},     {"h7", "h5", 24, -1}, {"e8", "g8", 2, 1000005},
        {"e8", "c8", 2, 1000015},
    };
    expect_list(expected);
    clear_history();
}

// Piece directions in table order, nearest square first; pawn captures toward
// the a-file before the h-file, then the push.
TEST(BoardMovegen, DirectionAndPawnOrder) {
    ASSERT_TRUE(load("8/8/8/2p1p3/3P4/8/8/R7 w - - 0 1"));
    clear_history();
    generate_moves();
    std::vector<Expected> expected = {
        {"d4", "c5", 17, 1000000 + 10 * PAWN - PAWN},
        {"d4", "e5", 17, 1000000},
        {"d4", "d5", 16, 0},
        // Rook: up (-10) a2..a8, left (-1) nothing, right (+1) b1..h1, down nothing.
        {"a1", "a2", 0, 0},
        {"a1", "a3", 0, 0},
        {"a1", "a4", 0, 0},
        {"a1", "a5", 0, 0},
        {"a1", "a6", 0, 0},
        {"a1", "a7", 0, 0},
        {"a1", "a8", 0, 0},
        {"a1", "b1", 0, 0},
        {"a1", "c1", 0, 0},
        {"a1", "d1", 0, 0},
        {"a1", "e1", 0, 0},
        {"a1", "f1", 0, 0},
        {"a1", "g1", 0, 0},
        {"a1", "h1", 0, 0},
    };
    expect_list(expected);
}

TEST(BoardMovegen, QueenDirectionOrder) {
    ASSERT_TRUE(load("8/8/8/8/8/1p6/1Q6/8 w - - 0 1"));
    clear_history();
    generate_moves();
    // b2: -11 a3, -10 b3 (capture), -9 c3 d4 e5 f6 g7 h8, -1 a2, +1 c2..h2,
    // +9 a1, +10 b1, +11 c1.
    std::vector<Expected> expected = {
        {"b2", "a3", 0, 0}, {"b2", "b3", 1, 1000000 + 10 * PAWN - QUEEN},
        {"b2", "c3", 0, 0}, {"b2", "d4", 0, 0},
        {"b2", "e5", 0, 0}, {"b2", "f6", 0, 0},
        {"b2", "g7", 0, 0}, {"b2", "h8", 0, 0},
        {"b2", "a2", 0, 0}, {"b2", "c2", 0, 0},
        {"b2", "d2", 0, 0}, {"b2", "e2", 0, 0},
        {"b2", "f2", 0, 0}, {"b2", "g2", 0, 0},
        {"b2", "h2", 0, 0}, {"b2", "a1", 0, 0},
        {"b2", "b1", 0, 0}, {"b2", "c1", 0, 0},
    };
    expect_list(expected);
}

void expect_promotions(const std::vector<MoveEntry> &list, const char *const targets[3],
                       const char *from, const int flags[3]) {
    ASSERT_EQ(list.size(), 12u);
    for (int g = 0; g < 3; g++)
        for (int p = 0; p < 4; p++) {
            const MoveEntry &e = list[g * 4 + p];
            SCOPED_TRACE(std::string(targets[g]) + " piece " + std::to_string(KNIGHT + p));
            EXPECT_EQ(e.move, make_move_word(sq(from), sq(targets[g]), KNIGHT + p,
                                             flags[g] | MF_PROMOTION));
            EXPECT_EQ(e.score, 1000000 + 10 * (KNIGHT + p));
        }
}

TEST(BoardMovegen, PromotionOrderWhite) {
    ASSERT_TRUE(load("3r1r2/4P3/8/8/8/8/8/8 w - - 0 1"));
    fill_history();
    const char *const targets[3] = {"d8", "f8", "e8"};
    const int flags[3] = {17, 17, 16};
    generate_moves();
    expect_promotions(current_list(), targets, "e7", flags);
    generate_captures();
    expect_promotions(current_list(), targets, "e7", flags);
    clear_history();
}

TEST(BoardMovegen, PromotionOrderBlack) {
    ASSERT_TRUE(load("8/8/8/8/8/8/4p3/3R1R2 b - - 0 1"));
    fill_history();
    const char *const targets[3] = {"d1", "f1", "e1"};
    const int flags[3] = {17, 17, 16};
    generate_moves();
    expect_promotions(current_list(), targets, "e2", flags);
    generate_captures();
    expect_promotions(current_list(), targets, "e2", flags);
    clear_history();
}

TEST(BoardMovegen, CapturesEmptyInInitialPosition) {
    new_game();
    generate_captures();
    EXPECT_EQ(ply_move_start[1], ply_move_start[0]);
    // Also at a deeper ply whose list starts further up the stack.
    ply = 4;
    ply_move_start[4] = 37;
    ply_move_start[5] = 99;
    generate_captures();
    EXPECT_EQ(ply_move_start[5], 37);
    ply = 0;
}

// The same moves with the same scores, in the same order.
void expect_same_entries(const std::vector<MoveEntry> &got, const std::vector<MoveEntry> &want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++) {
        EXPECT_EQ(got[i].move, want[i].move) << i;
        EXPECT_EQ(got[i].score, want[i].score) << i;
    }
}

// The capture list is the full list with everything but captures and
// promotions left out, in the same order and with the same scores.
void expect_captures_filter_the_full_list() {
    generate_moves();
    std::vector<MoveEntry> filtered;
    for (const MoveEntry &e : current_list())
        if (move_flags(e.move) & (MF_CAPTURE | MF_PROMOTION)) filtered.push_back(e);
    generate_captures();
    expect_same_entries(current_list(), filtered);
}

TEST(BoardMovegen, CapturesAreTheCapturesOfTheFullList) {
    fill_history();
    for (const char *fen : VARIED_FENS) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        expect_captures_filter_the_full_list();
    }
    clear_history();
}

// Everything else in the full list scores as the history has it, which no
// capture score matches here: castling onto a held square (the knight's in
// the start position, a Chess960 king's) is kept, en passant too.
TEST(BoardMovegen, CaptureScoredMovesAreTheRestOfTheFullList) {
    fill_history();
    std::vector<const char *> fens(std::begin(VARIED_FENS), std::end(VARIED_FENS));
    fens.push_back("r1k4r/8/8/8/8/8/8/RK3NNR w HAha - 0 1");
    fens.push_back("rk3nnr/8/8/8/8/8/8/R1K4R b HAha - 0 1");
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        generate_moves();
        std::vector<MoveEntry> kept;
        for (const MoveEntry &e : current_list())
            if ((move_flags(e.move) & MF_EN_PASSANT) ||
                e.score != history_scores[move_from(e.move)][move_to(e.move)])
                kept.push_back(e);
        generate_capture_scored_moves();
        expect_same_entries(current_list(), kept);
    }
    clear_history();
}

// A FEN rank from eight cells, '.' for an empty square.
std::string fen_rank(const std::string &cells) {
    std::string text;
    int run = 0;
    for (char c : cells) {
        if (c == '.') {
            run++;
            continue;
        }
        if (run) text += (char)('0' + run);
        run = 0;
        text += c;
    }
    if (run) text += (char)('0' + run);
    return text;
}

// A pawn about to promote on each file, for either colour, with enemy rooks
// beside its promotion square: the capture list keeps the quiet promotion
// and both capturing ones, the edge files included.
TEST(BoardMovegen, CapturesKeepEveryPromotionOnEveryFile) {
    for (int color = WHITE; color <= BLACK; color++) {
        for (int file = 0; file < 8; file++) {
            std::string last(8, '.'), seventh(8, '.');
            seventh[file] = color == WHITE ? 'P' : 'p';
            int neighbours = 0;
            for (int f : {file - 1, file + 1}) {
                if (f < 0 || f > 7) continue;
                last[f] = color == WHITE ? 'r' : 'R';
                neighbours++;
            }
            const std::string fen =
                color == WHITE
                    ? fen_rank(last) + "/" + fen_rank(seventh) + "/8/k7/7K/8/8/8 w - - 0 1"
                    : "8/8/8/k7/7K/8/" + fen_rank(seventh) + "/" + fen_rank(last) + " b - - 0 1";
            SCOPED_TRACE(fen);
            ASSERT_TRUE(load(fen.c_str()));
            expect_captures_filter_the_full_list();
            const int pawn = (color == WHITE ? 8 : 48) + file;
            int promotions = 0;
            for (const MoveEntry &e : current_list())
                if (move_from(e.move) == pawn && (move_flags(e.move) & MF_PROMOTION)) promotions++;
            EXPECT_EQ(promotions, 4 * (1 + neighbours));
        }
    }
}

int score_of(const char *from, const char *to) {
    for (const MoveEntry &e : current_list())
        if (move_from(e.move) == sq(from) && move_to(e.move) == sq(to)) return e.score;
    ADD_FAILURE() << from << to << " not generated";
    return -1;
}

TEST(BoardMovegen, CaptureScoreExamples) {
    clear_history();
    ASSERT_TRUE(load("4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1"));
    EXPECT_EQ(score_of("e4", "d5"), 1000040); // pawn takes queen
    ASSERT_TRUE(load("4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1"));
    EXPECT_EQ(score_of("d1", "d5"), 999996); // queen takes pawn
    ASSERT_TRUE(load("4k3/8/8/8/8/8/4p3/4K3 w - - 0 1"));
    EXPECT_EQ(score_of("e1", "e2"), 999995); // king takes pawn
}

std::vector<MoveEntry> en_passant_entries(const std::vector<MoveEntry> &list) {
    std::vector<MoveEntry> out;
    for (const MoveEntry &e : list)
        if (move_flags(e.move) & MF_EN_PASSANT) out.push_back(e);
    return out;
}

TEST(BoardMovegen, BothEnPassantCapturesLastWhite) {
    // The black pawn arrives on e5 by a double push played on the board.
    ASSERT_TRUE(load("4k3/4p3/8/3P1P2/8/8/8/4K3 b - - 0 1"));
    generate_moves();
    int i = 0;
    for (; i < ply_move_start[1]; i++)
        if (move_stack[i].move == make_move_word(sq("e7"), sq("e5"), 0, 24)) break;
    ASSERT_LT(i, ply_move_start[1]);
    ASSERT_EQ(make_move(move_stack[i].move), 1);
    ASSERT_EQ(ep_square, sq("e6"));
    clear_history();
    history_scores[sq("d5")][sq("e6")] = 7;
    history_scores[sq("f5")][sq("e6")] = 3;
    generate_moves();
    std::vector<MoveEntry> list = current_list();
    ASSERT_GE(list.size(), 2u);
    const MoveEntry a = list[list.size() - 2], b = list[list.size() - 1];
    EXPECT_EQ(a.move, make_move_word(sq("d5"), sq("e6"), 0, 21));
    EXPECT_EQ(b.move, make_move_word(sq("f5"), sq("e6"), 0, 21));
    EXPECT_EQ(a.score, 7);
    EXPECT_EQ(b.score, 3);
    EXPECT_EQ(en_passant_entries(list).size(), 2u);

    generate_captures();
    list = current_list();
    ASSERT_EQ(list.size(), 2u); // nothing else to capture here
    EXPECT_EQ(list[0].move, a.move);
    EXPECT_EQ(list[1].move, b.move);
    EXPECT_EQ(list[0].score, 7);
    EXPECT_EQ(list[1].score, 3);
    unmake_move();
    clear_history();
}

TEST(BoardMovegen, BothEnPassantCapturesLastBlack) {
    ASSERT_TRUE(load("4k3/8/8/8/3p1p2/8/4P3/4K3 w - - 0 1"));
    generate_moves();
    int i = 0;
    for (; i < ply_move_start[1]; i++)
        if (move_stack[i].move == make_move_word(sq("e2"), sq("e4"), 0, 24)) break;
    ASSERT_LT(i, ply_move_start[1]);
    ASSERT_EQ(make_move(move_stack[i].move), 1);
    ASSERT_EQ(ep_square, 44);
    clear_history();
    history_scores[sq("d4")][sq("e3")] = 5;
    history_scores[sq("f4")][sq("e3")] = 11;
    generate_moves();
    std::vector<MoveEntry> list = current_list();
    ASSERT_GE(list.size(), 2u);
    const MoveEntry a = list[list.size() - 2], b = list[list.size() - 1];
    EXPECT_EQ(a.move, make_move_word(sq("d4"), sq("e3"), 0, 21));
    EXPECT_EQ(b.move, make_move_word(sq("f4"), sq("e3"), 0, 21));
    EXPECT_EQ(a.score, 5);
    EXPECT_EQ(b.score, 11);
    EXPECT_EQ(en_passant_entries(list).size(), 2u);
    generate_captures();
    list = current_list();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].move, a.move);
    EXPECT_EQ(list[1].move, b.move);
    unmake_move();
    clear_history();
}

// On the edge files only one neighbour exists; a pawn on the far file of the
// next row must not be taken for it.
TEST(BoardMovegen, EnPassantDoesNotWrapAroundTheBoard) {
    struct Case {
        const char *fen;
        const char *from;
        const char *to;
    };
    const Case cases[] = {
        {"4k3/8/7P/pP6/8/8/8/4K3 w - a6 0 1", "b5", "a6"},
        {"4k3/8/8/6Pp/P7/8/8/4K3 w - h6 0 1", "g5", "h6"},
        {"4k3/8/8/7p/Pp6/8/8/4K3 b - a3 0 1", "b4", "a3"},
        {"4k3/8/8/8/6pP/p7/8/4K3 b - h3 0 1", "g4", "h3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fen);
        ASSERT_TRUE(load(c.fen));
        ASSERT_EQ(ep_square, sq(c.to));
        const std::vector<MoveEntry> ep = en_passant_entries(current_list());
        ASSERT_EQ(ep.size(), 1u);
        EXPECT_EQ(ep[0].move, make_move_word(sq(c.from), sq(c.to), 0, 21));
        EXPECT_EQ(current_list().back().move, ep[0].move);
    }
}

TEST(BoardMovegen, InCheckWithoutKing) {
    ASSERT_TRUE(load("8/8/8/8/8/8/8/K7 w - - 0 1"));
    EXPECT_EQ(in_check(BLACK), 1);
    EXPECT_EQ(in_check(WHITE), 0);
    ASSERT_TRUE(load("8/8/8/8/8/8/8/8 w - - 0 1"));
    EXPECT_EQ(in_check(WHITE), 1);
    EXPECT_EQ(in_check(BLACK), 1);
    ASSERT_TRUE(load("4k3/8/8/8/8/8/8/4R2K b - - 0 1"));
    EXPECT_EQ(in_check(BLACK), 1);
    EXPECT_EQ(in_check(WHITE), 0);
}

TEST(BoardMovegen, RookRayStopsAtTheFirstPiece) {
    ASSERT_TRUE(load("8/8/8/8/8/8/P7/R7 w - - 0 1"));
    EXPECT_EQ(square_attacked(sq("a2"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("a3"), WHITE), 0);
    // The colour of the blocker makes no difference.
    ASSERT_TRUE(load("8/8/8/8/8/8/p7/R7 w - - 0 1"));
    EXPECT_EQ(square_attacked(sq("a2"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("a3"), WHITE), 0);
    EXPECT_EQ(square_attacked(sq("h1"), WHITE), 1);
    EXPECT_EQ(square_attacked(sq("b1"), BLACK), 1); // the black a2 pawn attacks it
    EXPECT_EQ(square_attacked(sq("b3"), BLACK), 0);
    EXPECT_EQ(square_attacked(sq("a1"), WHITE), 0);
}

// What a slider reaches, walked square by square through the mailbox frame.
SquareSet walked_reach(int square, int piece, SquareSet occupied) {
    SquareSet reach = 0;
    for (int d = 0; d < direction_count[piece]; d++) {
        int t = mailbox[square_to_mailbox[square] + direction_offsets[piece][d]];
        while (t != -1) {
            reach |= square_bit(t);
            if (occupied & square_bit(t)) break;
            t = mailbox[square_to_mailbox[t] + direction_offsets[piece][d]];
        }
    }
    return reach;
}

TEST(BoardMovegen, SliderLookUpsMatchTheMailboxWalk) {
    uint64_t state = 0x2545F4914F6CDD1Dull;
    for (int round = 0; round < 400; round++) {
        // Sparse and crowded boards alike: one to three random words ANDed.
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        SquareSet occupied = state;
        for (int k = round % 3; k > 0; k--) {
            state ^= state << 13, state ^= state >> 7, state ^= state << 17;
            occupied &= state;
        }
        for (int s = 0; s < 64; s++) {
            ASSERT_EQ(bishop_reach(s, occupied), walked_reach(s, BISHOP, occupied)) << s;
            ASSERT_EQ(rook_reach(s, occupied), walked_reach(s, ROOK, occupied)) << s;
        }
    }
}

// A pawn standing on the row it would promote on (only editing can put it
// there) neither moves nor attacks.
TEST(BoardMovegen, PawnOnItsPromotionRowIsInert) {
    ASSERT_TRUE(load("PPPPPPPP/8/8/8/8/8/8/pppppppp w - - 0 1"));
    generate_moves();
    EXPECT_EQ(ply_move_start[1], 0);
    generate_captures();
    EXPECT_EQ(ply_move_start[1], 0);
    ASSERT_TRUE(load("PPPPPPPP/8/8/8/8/8/8/pppppppp b - - 0 1"));
    generate_moves();
    EXPECT_EQ(ply_move_start[1], 0);
    generate_captures();
    EXPECT_EQ(ply_move_start[1], 0);
    for (int s = 0; s < 64; s++) {
        EXPECT_EQ(square_attacked(s, WHITE), 0) << s;
        EXPECT_EQ(square_attacked(s, BLACK), 0) << s;
    }
    // Next to enemy pieces it captures nothing either.
    ASSERT_TRUE(load("1P1P4/nnnn4/8/8/8/8/NNNN4/1p1p3K w - - 0 1"));
    for (const MoveEntry &e : current_list()) EXPECT_NE(square_piece[move_from(e.move)], PAWN);
    ASSERT_TRUE(load("1P1P4/nnnn4/8/8/8/8/NNNN4/1p1p3k b - - 0 1"));
    for (const MoveEntry &e : current_list()) EXPECT_NE(square_piece[move_from(e.move)], PAWN);
    EXPECT_EQ(square_attacked(sq("a7"), WHITE), 0);
    EXPECT_EQ(square_attacked(sq("c7"), WHITE), 0);
    EXPECT_EQ(square_attacked(sq("a2"), BLACK), 0);
    EXPECT_EQ(square_attacked(sq("c2"), BLACK), 0);
}

// Generation near the top of the shared stack stops at its last entry,
// writing a prefix of the list it would otherwise have written.
TEST(BoardMovegen, MoveStackIsNeverOverrun) {
    const char *const fens[] = {
        "R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1", // 218 moves
        "3r1r2/4P3/8/8/8/8/8/8 w - - 0 1",                      // promotions only
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(load(fen));
        const std::vector<MoveEntry> full = current_list();
        generate_captures();
        const std::vector<MoveEntry> full_captures = current_list();
        ASSERT_GT(full.size(), 10u);
        const int starts[] = {MOVE_STACK_SIZE - 200, MOVE_STACK_SIZE - 30, MOVE_STACK_SIZE - 6,
                              MOVE_STACK_SIZE - 1, MOVE_STACK_SIZE};
        for (int top_ply : {1, 30}) {
            for (int start : starts) {
                SCOPED_TRACE("ply " + std::to_string(top_ply) + " start " + std::to_string(start));
                for (int captures = 0; captures < 2; captures++) {
                    const std::vector<MoveEntry> &want = captures ? full_captures : full;
                    ply = top_ply;
                    ply_move_start[ply] = start;
                    if (captures)
                        generate_captures();
                    else
                        generate_moves();
                    const int expected_end =
                        std::min<int>(start + (int)want.size(), MOVE_STACK_SIZE);
                    EXPECT_EQ(ply_move_start[ply + 1], expected_end);
                    for (int i = start; i < ply_move_start[ply + 1] && i < MOVE_STACK_SIZE; i++) {
                        EXPECT_EQ(move_stack[i].move, want[i - start].move) << i;
                        EXPECT_EQ(move_stack[i].score, want[i - start].score) << i;
                    }
                }
            }
        }
        ply = 0;
    }
}

} // namespace

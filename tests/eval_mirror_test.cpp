// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Colour symmetry of the evaluation over every position of small move-tree
// walks: the board flipped top to bottom with the colours swapped and the
// other side to move must score the same, and handing the move over in the
// same position must negate the score.
#include <gtest/gtest.h>

#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "eval/eval.h"

namespace {

struct WalkStats {
    long nodes;
    long failures;
    std::string first_failure;
};

std::string board_text() {
    static const char letters[] = "pnbrqk";
    std::string text;
    for (int row = 0; row < 8; row++) {
        int run = 0;
        for (int file = 0; file < 8; file++) {
            const int s = row * 8 + file;
            if (square_piece[s] == EMPTY) {
                run++;
                continue;
            }
            if (run) text += (char)('0' + run);
            run = 0;
            const char c = letters[square_piece[s]];
            text += square_color[s] == WHITE ? (char)(c - 32) : c;
        }
        if (run) text += (char)('0' + run);
        if (row < 7) text += '/';
    }
    return text + (side_to_move == WHITE ? " w" : " b");
}

void mirror_board() {
    int color[64], piece[64];
    for (int s = 0; s < 64; s++) {
        color[s ^ 56] = square_color[s] == EMPTY ? EMPTY : square_color[s] ^ 1;
        piece[s ^ 56] = square_piece[s];
    }
    memcpy(square_color, color, sizeof color);
    memcpy(square_piece, piece, sizeof piece);
    side_to_move ^= 1;
    opponent ^= 1;
    compute_key(); // brings the square sets in step with the arrays
}

void fail(WalkStats &stats, const std::string &what) {
    if (stats.failures++ == 0) stats.first_failure = board_text() + ": " + what;
}

void check_position(WalkStats &stats) {
    stats.nodes++;
    int color[64], piece[64];
    memcpy(color, square_color, sizeof color);
    memcpy(piece, square_piece, sizeof piece);
    const int side = side_to_move;

    const int score = evaluate();
    const int total = material_total;
    const int difference = material_difference;

    side_to_move ^= 1;
    opponent ^= 1;
    const int other_side = evaluate();
    side_to_move ^= 1;
    opponent ^= 1;
    if (other_side != -score)
        fail(stats, "other side " + std::to_string(other_side) + " vs " + std::to_string(score));

    mirror_board();
    const int mirrored = evaluate();
    if (mirrored != score)
        fail(stats, "mirror " + std::to_string(mirrored) + " vs " + std::to_string(score));
    if (material_total != total || material_difference != -difference)
        fail(stats, "mirror material " + std::to_string(material_total) + "/" +
                        std::to_string(material_difference));
    mirror_board();

    if (memcmp(color, square_color, sizeof color) || memcmp(piece, square_piece, sizeof piece) ||
        side_to_move != side || opponent != (side ^ 1))
        fail(stats, "board not restored");
    if (evaluate() != score) fail(stats, "second call differs");
}

void walk(int depth, WalkStats &stats) {
    check_position(stats);
    if (depth == 0) return;
    generate_moves();
    const int end = ply_move_start[ply + 1];
    for (int i = ply_move_start[ply]; i < end; i++) {
        if (!make_move(move_stack[i].move)) continue;
        walk(depth - 1, stats);
        unmake_move();
    }
}

struct WalkCase {
    const char *fen;
    long nodes; // positions visited to depth 3, root included; 0 if not known
};

// Depth 3 stays cheap under the sanitizers too (a few seconds).
constexpr int WALK_DEPTH = 3;

const WalkCase walk_cases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 1 + 20 + 400 + 8902},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 1 + 48 + 2039 + 97862},
    // Rook endgame with passed pawns on both sides.
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 1 + 14 + 191 + 2812},
    // Promotions, a pawn on the seventh, and its colour mirror with Black to move.
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 1 + 6 + 264 + 9467},
    {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 1 + 6 + 264 + 9467},
    // Bishops trapped on a7 and h2.
    {"rn1qk2r/Bpp2ppp/1p3n2/8/8/5NP1/PPP2PPb/RN1QK2R w KQkq - 0 1", 0},
    {"rn1qk2r/Bpp2ppp/1p3n2/8/8/5NP1/PPP2PPb/RN1QK2R b KQkq - 0 1", 0},
    // Rooks on the seventh, a passed pawn on b7.
    {"1r4k1/1P2Rp1p/6p1/8/8/6P1/2r2P1P/5RK1 w - - 0 1", 0},
    // Queen and knight against rook and two minors: king treatment flips
    // with every exchange.
    {"1rb1k3/p4ppp/2n5/8/8/2N5/PPP2PPP/3QK3 w - - 0 1", 0},
    // Passed pawns with more than 1600 in pieces on one side.
    {"r5k1/1P3ppp/8/2q5/8/8/3p1PPP/1Q1RB1K1 w - - 0 1", 0},
    // Kings on the queenside and in the centre behind broken pawns.
    {"2kr3r/ppp2p2/2n1b1p1/4p2p/4P3/2N1BP2/PPPQ2PP/2KR3R b - - 0 1", 0},
    {"r1bq1b1r/ppp1kppp/2n5/3np3/2B5/2N2Q2/PPPP1PPP/R1B1K2R w KQ - 0 1", 0},
    // Bare minor-piece endings around the dead-draw rule.
    {"8/8/3k4/8/2n5/8/4KB2/8 w - - 0 1", 0},
    {"8/8/3k4/8/2n5/4N3/4KB2/8 b - - 0 1", 0},
};

TEST(EvalMirror, EveryPositionOfSmallTreesIsSymmetric) {
    long total_nodes = 0;
    for (const WalkCase &c : walk_cases) {
        SCOPED_TRACE(c.fen);
        const char *error = "";
        ASSERT_EQ(set_fen(c.fen, &error), 1) << error;
        WalkStats stats{0, 0, ""};
        walk(WALK_DEPTH, stats);
        EXPECT_EQ(stats.failures, 0) << stats.first_failure;
        if (c.nodes && WALK_DEPTH == 3)
            EXPECT_EQ(stats.nodes, c.nodes);
        else
            EXPECT_GT(stats.nodes, 100);
        EXPECT_EQ(ply, 0);
        EXPECT_EQ(game_ply, 0);
        total_nodes += stats.nodes;
    }
    EXPECT_GT(total_nodes, 150000);
}

// Positions whose scores hinge on one term each, checked on their own so a
// failure names the term.
TEST(EvalMirror, SingleTermPositions) {
    const char *const fens[] = {
        "4k3/B1p5/1p6/8/8/8/8/4K3 w - -",       // trapped bishop a7
        "4k3/5p1B/6p1/8/8/8/8/4K3 b - -",       // trapped bishop h7
        "4k3/R7/p7/8/8/8/8/4K3 w - -",          // rook, half-open, rank 7
        "rnbqkbnr/5ppp/8/8/8/8/5PPP/6KR w - -", // rook in the corner
        "qn2k3/5p2/8/8/5P2/8/8/6K1 b - -",      // shelter scaled by 1201
        "rnb1k3/5ppp/8/8/8/8/5PPP/6K1 w - -",   // endgame king against 1102
        "7k/4P3/8/8/8/8/8/QRN4K w - -",         // passer with 1701
        "7k/8/8/8/3P4/4P3/8/K7 b - -",          // backward pawn
        "rnbqkbnr/p7/8/8/8/1P6/P7/2K5 w - -",   // queenside shelter
        "rnbqkbnr/8/8/8/8/8/4P3/3K4 w - -",     // open centre files
    };
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        const char *error = "";
        ASSERT_EQ(set_fen(fen, &error), 1) << error;
        WalkStats stats{0, 0, ""};
        check_position(stats);
        EXPECT_EQ(stats.failures, 0) << stats.first_failure;
    }
}

// Not a test: evaluations per second over the positions of the walks above,
// for comparing builds. Run with --gtest_also_run_disabled_tests.
struct Snapshot {
    int color[64];
    int piece[64];
    int side;
};

void collect(int depth, std::vector<Snapshot> &out) {
    Snapshot snapshot;
    memcpy(snapshot.color, square_color, sizeof snapshot.color);
    memcpy(snapshot.piece, square_piece, sizeof snapshot.piece);
    snapshot.side = side_to_move;
    out.push_back(snapshot);
    if (depth == 0) return;
    generate_moves();
    const int end = ply_move_start[ply + 1];
    for (int i = ply_move_start[ply]; i < end; i++) {
        if (!make_move(move_stack[i].move)) continue;
        collect(depth - 1, out);
        unmake_move();
    }
}

TEST(EvalMirror, DISABLED_EvaluationsPerSecond) {
    std::vector<Snapshot> positions;
    for (const WalkCase &c : walk_cases) {
        const char *error = "";
        ASSERT_EQ(set_fen(c.fen, &error), 1) << error;
        collect(2, positions);
    }
    // Processor time rather than wall time, so a busy machine skews it less.
    const int rounds = 200;
    long checksum = 0;
    const std::clock_t start = std::clock();
    for (int round = 0; round < rounds; round++) {
        for (const Snapshot &p : positions) {
            memcpy(square_color, p.color, sizeof p.color);
            memcpy(square_piece, p.piece, sizeof p.piece);
            side_to_move = p.side;
            opponent = p.side ^ 1;
            rebuild_square_sets();
            checksum += evaluate();
        }
    }
    const double seconds = (double)(std::clock() - start) / CLOCKS_PER_SEC;
    // The same loop without evaluate, to take the copying out.
    const std::clock_t copy_start = std::clock();
    for (int round = 0; round < rounds; round++) {
        for (const Snapshot &p : positions) {
            memcpy(square_color, p.color, sizeof p.color);
            memcpy(square_piece, p.piece, sizeof p.piece);
            side_to_move = p.side;
            rebuild_square_sets();
            checksum += square_piece[round & 63];
        }
    }
    const double copy_seconds = (double)(std::clock() - copy_start) / CLOCKS_PER_SEC;
    const double evaluations = (double)rounds * (double)positions.size();
    printf("positions %zu, evaluations %.0f, %.3f s (copying %.3f s), checksum %ld\n",
           positions.size(), evaluations, seconds, copy_seconds, checksum);
    printf("evaluations per second %.0f (%.0f without the copying)\n", evaluations / seconds,
           evaluations / (seconds - copy_seconds));
}

} // namespace

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Material counting, the dead-draw material rule, and the material totals
// that adjudication reads after every evaluate call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "board/board.h"
#include "eval/eval.h"
#include "tests/eval_support.h"

namespace {

const char *const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";

// Evaluates a placement with the given side to move.
// The same placement seen by the other colour: ranks reversed, colours swapped.
// Score, totals and the draw flag of a placement, from White's view, checked
// with both sides to move and for the colour-mirrored placement.
void expect_material(const std::string &placement, int white_score, int total, int difference) {
    SCOPED_TRACE(placement);
    const std::string mirrored = mirror_placement(placement);
    EXPECT_EQ(eval_placement(placement, 'w'), white_score);
    EXPECT_EQ(material_total, total);
    EXPECT_EQ(material_difference, difference);
    EXPECT_EQ(eval_placement(placement, 'b'), -white_score);
    EXPECT_EQ(material_total, total);
    EXPECT_EQ(material_difference, difference);
    EXPECT_EQ(eval_placement(mirrored, 'b'), white_score);
    EXPECT_EQ(material_total, total);
    EXPECT_EQ(material_difference, -difference);
    EXPECT_EQ(eval_placement(mirrored, 'w'), -white_score);
}

TEST(EvalMaterial, MirrorHelperSwapsRanksAndColours) {
    EXPECT_EQ(mirror_placement("4k3/B1p5/1p6/8/8/8/8/4K3"), "4k3/8/8/8/8/1P6/b1P5/4K3");
    EXPECT_EQ(mirror_placement(START), START);
}

TEST(EvalMaterial, InitialPositionIsLevelForEitherSide) {
    expect_material(START, 0, 7808, 0);
    new_game();
    EXPECT_EQ(evaluate(), 0);
    side_to_move = BLACK;
    opponent = WHITE;
    EXPECT_EQ(evaluate(), 0);
    EXPECT_EQ(material_total, 7808);
    EXPECT_EQ(material_difference, 0);
}

TEST(EvalMaterial, QueenCountsOnlyItsMaterial) {
    // Both kings on the endgame table (e1, e8: 30 each); the queen adds 900
    // wherever it stands.
    expect_material("4k3/8/8/8/8/8/8/Q3K3", 900, 900, 900);
    expect_material("4k3/8/8/8/3Q4/8/8/4K3", 900, 900, 900);
    expect_material("4k3/7Q/8/8/8/8/8/4K3", 900, 900, 900);
}

TEST(EvalMaterial, WorkingSummariesOfInitialPosition) {
    new_game();
    evaluate();
    EXPECT_EQ(piece_material[WHITE], 3104);
    EXPECT_EQ(piece_material[BLACK], 3104);
    EXPECT_EQ(pawn_material[WHITE], 800);
    EXPECT_EQ(pawn_material[BLACK], 800);
    EXPECT_EQ(rear_pawn_row[WHITE][0], 0);
    EXPECT_EQ(rear_pawn_row[WHITE][9], 0);
    EXPECT_EQ(rear_pawn_row[BLACK][0], 7);
    EXPECT_EQ(rear_pawn_row[BLACK][9], 7);
    for (int i = 1; i <= 8; i++) {
        EXPECT_EQ(rear_pawn_row[WHITE][i], 6) << i;
        EXPECT_EQ(rear_pawn_row[BLACK][i], 1) << i;
    }
}

TEST(EvalMaterial, RearmostPawnPerFile) {
    // White: e2, e4, e6 -> row 6; Black: c7, c5, c3 -> row 1; lone pawns
    // a5 (White, row 3) and h4 (Black, row 4).
    eval_placement("4k3/2p5/4P3/P1p5/4P2p/2p5/4P3/4K3", 'w');
    EXPECT_EQ(rear_pawn_row[WHITE][5], 6);
    EXPECT_EQ(rear_pawn_row[WHITE][1], 3);
    EXPECT_EQ(rear_pawn_row[WHITE][3], 0);
    EXPECT_EQ(rear_pawn_row[WHITE][8], 0);
    EXPECT_EQ(rear_pawn_row[BLACK][3], 1);
    EXPECT_EQ(rear_pawn_row[BLACK][8], 4);
    EXPECT_EQ(rear_pawn_row[BLACK][5], 7);
    EXPECT_EQ(rear_pawn_row[BLACK][1], 7);
    EXPECT_EQ(pawn_material[WHITE], 400);
    EXPECT_EQ(pawn_material[BLACK], 400);
}

TEST(EvalMaterial, BareKingsAreDrawn) {
    expect_material("4k3/8/8/8/8/8/8/4K3", 0, 0, 0);
    expect_material("k7/8/8/8/8/8/8/6K1", 0, 0, 0);
    EXPECT_EQ(insufficient_material(), 1);
}

TEST(EvalMaterial, LoneMinorPieceIsDrawn) {
    expect_material("4k3/8/8/8/8/8/8/2B1K3", 0, 301, 301);
    expect_material("4k3/8/8/8/8/8/8/1N2K3", 0, 301, 301);
    expect_material("4k3/8/8/3n4/8/8/8/4K3", 0, 301, -301);
    EXPECT_EQ(insufficient_material(), 1);
}

TEST(EvalMaterial, OneMinorPieceEachIsDrawn) {
    expect_material("2b1k3/8/8/8/8/8/8/1N2K3", 0, 602, 0);
    expect_material("1n2k3/8/8/8/8/8/8/1N2K3", 0, 602, 0);
    expect_material("2b1k3/8/8/8/8/8/8/2B1K3", 0, 602, 0);
}

TEST(EvalMaterial, TwoMinorPiecesOnOneSideAreEvaluated) {
    // 602 + knights b1, g1 (-30 each) + king e1 30, against king e8 30.
    expect_material("4k3/8/8/8/8/8/8/1N2K1N1", 542, 602, 602);
    EXPECT_EQ(insufficient_material(), 0);
    // Bishops c1, f1 (-20 each) instead.
    expect_material("4k3/8/8/8/8/8/8/2B1KB2", 562, 602, 602);
}

TEST(EvalMaterial, PawnEndingIsEvaluated) {
    // e2: table -40, isolated -20, passed one step +20; kings 30 each.
    expect_material("4k3/8/8/8/8/8/4P3/4K3", 60, 100, 100);
    EXPECT_EQ(insufficient_material(), 0);
    // Three pawns against a knight is no dead draw either: 300 + 301.
    eval_placement("4k3/8/8/8/8/8/PPP5/1n2K3", 'w');
    EXPECT_EQ(material_total, 601);
    EXPECT_EQ(material_difference, -1);
    EXPECT_EQ(insufficient_material(), 0);
}

TEST(EvalMaterial, TotalsAreFreshAfterAnEarlyReturn) {
    new_game();
    evaluate();
    ASSERT_EQ(material_total, 7808);
    eval_placement("4k3/8/8/8/8/8/8/4K3", 'w');
    EXPECT_EQ(material_total, 0);
    EXPECT_EQ(material_difference, 0);
    eval_placement("4k3/8/8/8/8/8/8/2b1K3", 'w');
    EXPECT_EQ(material_total, 301);
    EXPECT_EQ(material_difference, -301);
}

TEST(EvalMaterial, EvaluateLeavesThePositionAlone) {
    const char *error = "";
    ASSERT_EQ(
        set_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", &error), 1);
    int color[64], piece[64];
    std::copy(square_color, square_color + 64, color);
    std::copy(square_piece, square_piece + 64, piece);
    const int first = evaluate();
    EXPECT_EQ(evaluate(), first);
    EXPECT_TRUE(std::equal(color, color + 64, square_color));
    EXPECT_TRUE(std::equal(piece, piece + 64, square_piece));
    EXPECT_EQ(side_to_move, WHITE);
    EXPECT_EQ(castle_rights, 15);
}

// pelmok-tools eval as a child process: exit status, standard output and
// standard error.
struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string read_file(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ToolRun run_tool(const std::string &arguments) {
    char dir[] = "/tmp/pelmok-eval-XXXXXX";
    ToolRun run{-1, "", ""};
    if (!mkdtemp(dir)) return run;
    const std::string out = std::string(dir) + "/out", err = std::string(dir) + "/err";
    const std::string command = std::string("timeout 30 '") + PELMOK_TOOLS_BINARY + "' " +
                                arguments + " </dev/null >" + out + " 2>" + err;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = read_file(out);
    run.err = read_file(err);
    unlink(out.c_str());
    unlink(err.c_str());
    rmdir(dir);
    return run;
}

TEST(EvalTool, PrintsScoreAndMaterial) {
    ToolRun run = run_tool("eval 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "score 0\nmaterial_total 7808\nmaterial_difference 0\n");
    EXPECT_EQ(run.err, "");

    run = run_tool("eval '4k3/8/8/8/8/8/8/1N2K1N1 b - -'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "score -542\nmaterial_total 602\nmaterial_difference 602\n");

    run = run_tool("eval '4k3/8/8/8/8/8/8/2b1K3 w - -'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "score 0\nmaterial_total 301\nmaterial_difference -301\n");
}

TEST(EvalTool, RejectsMalformedFen) {
    const char *bad[] = {
        "'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq -'",       // seven ranks
        "'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w - -'", // bad letter
        "'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x - -'", // bad side
        "'rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w - -'", // nine squares
        "'8/8/8/8 w'",
        "''",
    };
    for (const char *fen : bad) {
        SCOPED_TRACE(fen);
        const ToolRun run = run_tool(std::string("eval ") + fen);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err, "");
        EXPECT_EQ(run.out.find("score"), std::string::npos);
    }
    // No position at all is a usage error too.
    const ToolRun run = run_tool("eval");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err, "");
}

} // namespace

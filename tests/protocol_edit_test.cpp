// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Position editing and the side-to-move commands, driven through the command
// dispatcher one line at a time; checks the position state directly where
// the protocol output cannot show it (castling rights, the key, the board).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board/board.h"
#include "book/book.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"

namespace {

constexpr int A1 = 56, B2 = 49, D1 = 59, D4 = 35, E1 = 60, E4 = 36, H1 = 63, E3 = 44;

// Carries out one command line; returns what it printed.
std::string run(const char *text) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(execute_command((std::string(text) + "\n").c_str()), 1) << text;
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// Runs the lines in order; returns all they printed.
std::string run_all(std::initializer_list<const char *> lines) {
    std::string printed;
    for (const char *text : lines) printed += run(text);
    return printed;
}

bool key_is_fresh() {
    const PositionKey kept = position_key;
    compute_key();
    const bool same = kept == position_key;
    position_key = kept;
    return same;
}

bool in_move_list(int from, int to) {
    for (int i = 0; i < ply_move_start[1]; i++)
        if (move_from(move_stack[i].move) == from && move_to(move_stack[i].move) == to) return true;
    return false;
}

class ProtocolEdit : public ::testing::Test {
  protected:
    void SetUp() override {
        new_game();
        generate_moves();
        edit_mode = 0;
        edit_color = WHITE;
        engine_side = EMPTY;
        book_follow_game();
        search_input_hook = nullptr;
    }
    void TearDown() override {
        new_game();
        generate_moves();
        edit_mode = 0;
    }
};

TEST_F(ProtocolEdit, KingsAndRooksAtHomeGiveAllRights) {
    EXPECT_EQ(run_all({"edit", "#", "Ke1", "Ra1", "Rh1", "c", "Ke8", "Ra8", "Rh8", "."}), "");
    EXPECT_EQ(edit_mode, 0);
    EXPECT_EQ(castle_rights, 15);
    EXPECT_TRUE(key_is_fresh());
    EXPECT_TRUE(in_move_list(E1, 62));
    EXPECT_TRUE(in_move_list(E1, 58));
}

TEST_F(ProtocolEdit, KingOffItsSquareGivesNoRights) {
    run_all({"edit", "#", "Kd1", "Ra1", "Rh1", "c", "Ke8", "Ra8", "Rh8", "."});
    EXPECT_EQ(castle_rights, CASTLE_BLACK_KINGSIDE | CASTLE_BLACK_QUEENSIDE);
    EXPECT_TRUE(key_is_fresh());
    EXPECT_EQ(square_piece[D1], KING);
}

TEST_F(ProtocolEdit, RookOfTheOtherColourGivesNoRight) {
    run_all({"edit", "#", "Ke1", "Ra1", "c", "Rh1", "Ke8", "Rh8", "."});
    EXPECT_EQ(castle_rights, CASTLE_WHITE_QUEENSIDE | CASTLE_BLACK_KINGSIDE);
    EXPECT_EQ(square_color[H1], BLACK);
}

TEST_F(ProtocolEdit, EditLeavesThePositionAndTheCounters) {
    run_all({"e2e4", "e7e5", "g1f3"});
    const PositionKey before = position_key;
    EXPECT_EQ(run("edit"), "");
    EXPECT_EQ(edit_mode, 1);
    EXPECT_EQ(edit_color, WHITE);
    EXPECT_EQ(book_enabled, 0);
    EXPECT_EQ(game_ply, 3);
    EXPECT_TRUE(position_key == before);
    EXPECT_EQ(run("."), "");
    // Leaving edit mode starts the game afresh from this position.
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(fifty_count, 0);
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_EQ(castle_rights, 15);
    EXPECT_TRUE(position_key == before);
    run("undo");
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(square_piece[45], KNIGHT); // f3
}

TEST_F(ProtocolEdit, LeavingEditModeDropsTheEnPassantSquare) {
    run_all({"e2e4", "d7d5", "e4e5", "f7f5"});
    EXPECT_EQ(ep_square, 21); // f6
    run_all({"edit", "."});
    EXPECT_EQ(ep_square, -1);
    EXPECT_FALSE(in_move_list(28, 21)); // e5f6
    EXPECT_TRUE(key_is_fresh());
}

TEST_F(ProtocolEdit, EachPlacementSettlesThePosition) {
    run_all({"e2e4", "edit", "#"});
    EXPECT_EQ(edit_mode, 1);
    EXPECT_EQ(ply_move_start[1], 0) << "moves of the cleared board";
    EXPECT_EQ(game_ply, 0);
    EXPECT_EQ(castle_rights, 0);
    EXPECT_EQ(ep_square, -1);
    run("Ke1");
    EXPECT_EQ(edit_mode, 1);
    EXPECT_TRUE(key_is_fresh());
    run("c");
    run("Ke8");
    run("c");
    run("Rh1");
    EXPECT_EQ(castle_rights, CASTLE_WHITE_KINGSIDE);
    EXPECT_TRUE(key_is_fresh());
    // Black is to move after 1. e4; a move text is still a move in edit mode.
    EXPECT_EQ(run("e8d8"), "");
    EXPECT_EQ(square_piece[3], KING);
    EXPECT_EQ(edit_mode, 1);
}

TEST_F(ProtocolEdit, ColourSwitchesBackAndForth) {
    run_all({"edit", "#", "c", "Pa7", "c", "Pa2", "c", "c", "Pb2", "."});
    EXPECT_EQ(square_color[8], BLACK);
    EXPECT_EQ(square_color[48], WHITE);
    EXPECT_EQ(square_color[B2], WHITE);
}

TEST_F(ProtocolEdit, XEmptiesASquare) {
    run_all({"edit", "Xe2", "."});
    EXPECT_EQ(square_color[52], EMPTY);
    EXPECT_EQ(square_piece[52], EMPTY);
}

TEST_F(ProtocolEdit, UnknownLetterRecoloursAPieceAndLeavesAnEmptySquareEmpty) {
    run_all({"edit", "#", "c", "Pe4", "c", "pe4", "Zd4", "."});
    EXPECT_EQ(square_color[E4], WHITE);
    EXPECT_EQ(square_piece[E4], PAWN);
    EXPECT_EQ(square_color[D4], EMPTY);
    EXPECT_EQ(square_piece[D4], EMPTY);
}

TEST_F(ProtocolEdit, PlacementOffTheBoardIsIgnored) {
    int color_before[64], piece_before[64];
    run_all({"edit", "#", "Ke1"});
    memcpy(color_before, square_color, sizeof color_before);
    memcpy(piece_before, square_piece, sizeof piece_before);
    // Qi2 and Qj3 would name a1 and b2 by the square rule.
    EXPECT_EQ(run_all({"Qi2", "Qj3", "Ka9", "Kh0", "Ki1", "Pa0", "Nz9"}), "");
    EXPECT_EQ(memcmp(color_before, square_color, sizeof color_before), 0);
    EXPECT_EQ(memcmp(piece_before, square_piece, sizeof piece_before), 0);
    EXPECT_EQ(square_piece[A1], EMPTY);
    EXPECT_EQ(square_piece[B2], EMPTY);
}

TEST_F(ProtocolEdit, BlankBeforePlacementIsNoPlacement) {
    run("edit");
    EXPECT_EQ(run(" Pe4"), "Error (unknown command): Pe4\n");
    EXPECT_EQ(square_piece[E4], EMPTY);
}

TEST_F(ProtocolEdit, EditCommandsOutsideEditModeAreErrors) {
    EXPECT_EQ(run("."), "Error (unknown command): .\n");
    EXPECT_EQ(run("c"), "Error (unknown command): c\n");
    EXPECT_EQ(run("#"), "Error (unknown command): #\n");
    EXPECT_EQ(run("Pe4"), "Error (unknown command): Pe4\n");
    EXPECT_EQ(square_piece[E4], EMPTY);
    EXPECT_EQ(square_piece[52], PAWN);
}

// "white" and "black": a new side to move keeps no en-passant square of the
// old one, and the key follows; the same side keeps it.
TEST_F(ProtocolEdit, SideCommandsSettleEnPassantAndKey) {
    run("e2e4");
    EXPECT_EQ(ep_square, E3);
    run("black");
    EXPECT_EQ(ep_square, E3);
    EXPECT_EQ(engine_side, WHITE);
    EXPECT_TRUE(in_move_list(12, 28)); // e7e5
    run("white");
    EXPECT_EQ(side_to_move, WHITE);
    EXPECT_EQ(opponent, BLACK);
    EXPECT_EQ(engine_side, BLACK);
    EXPECT_EQ(ep_square, -1);
    EXPECT_TRUE(key_is_fresh());
    EXPECT_TRUE(in_move_list(51, 35)); // d2d4
    run("black");
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_TRUE(key_is_fresh());
    EXPECT_TRUE(in_move_list(12, 28));
}

} // namespace

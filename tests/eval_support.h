// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the evaluation tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "eval/eval.h"

// Sets up a FEN piece placement with the given side to move ('w' or 'b'),
// no castling and no en passant, and evaluates it.
inline int eval_placement(const std::string &placement, char side) {
    const std::string fen = placement + " " + side + " - - 0 1";
    const char *error = "";
    EXPECT_EQ(set_fen(fen.c_str(), &error), 1) << fen << ": " << error;
    return evaluate();
}

// The colour mirror of a placement: ranks in reverse order, colours swapped.
inline std::string mirror_placement(const std::string &placement) {
    std::string out;
    size_t end = placement.size();
    while (true) {
        const size_t slash = placement.rfind('/', end - 1);
        const size_t begin = slash == std::string::npos ? 0 : slash + 1;
        for (size_t k = begin; k < end; k++) {
            const char c = placement[k];
            out += (c >= 'a' && c <= 'z')   ? (char)(c - 32)
                   : (c >= 'A' && c <= 'Z') ? (char)(c + 32)
                                            : c;
        }
        if (slash == std::string::npos) break;
        out += '/';
        end = slash;
    }
    return out;
}

// White's score minus Black's, checked from both sides and for the colour
// mirror, so every White term is checked for Black as well.
inline void expect_score(const std::string &placement, int white_score) {
    SCOPED_TRACE(placement);
    const std::string mirrored = mirror_placement(placement);
    EXPECT_EQ(eval_placement(placement, 'w'), white_score);
    EXPECT_EQ(eval_placement(placement, 'b'), -white_score);
    EXPECT_EQ(eval_placement(mirrored, 'b'), white_score) << mirrored;
    EXPECT_EQ(eval_placement(mirrored, 'w'), -white_score) << mirrored;
}

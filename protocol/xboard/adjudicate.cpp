// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Game-end adjudication after every played move.
#include "protocol/xboard/xboard.h"

#include <cstdio>

#include "eval/eval.h"
#include "search/search.h"

namespace {

constexpr int REPETITIONS_FOR_DRAW = 3; // three earlier occurrences: the fourth time

// Bare kings or a lone knight or bishop: no sequence of moves can mate.
// One minor piece each can still mate (with the other side's help), so a
// front end that checks claims by the rules of chess rejects that draw.
int draw_by_the_rules() {
    return material_total == 0 || material_total == piece_value[KNIGHT];
}

} // namespace

void adjudicate() {
    if (first_legal_move() == 0) {
        game_over = 1;
        if (in_check(side_to_move))
            printf(side_to_move == WHITE ? "0-1 {Black mates}\n" : "1-0 {White mates}\n");
        else
            printf("1/2-1/2 {Stalemate}\n");
    } else if (repetition_count() == REPETITIONS_FOR_DRAW) {
        game_over = 1;
        printf("1/2-1/2 {Draw by repetition}\n");
    } else if (fifty_count >= FIFTY_MOVE_LIMIT) {
        game_over = 1;
        printf("1/2-1/2 {Draw by fifty move rule}\n");
    }
    // Announced but not final: the engine plays on. Version 2 front ends
    // score a claim the rules do not back as a loss, so there only the dead
    // draws are claimed.
    evaluate();
    if (insufficient_material() && (protocol_version < 2 || draw_by_the_rules()))
        printf("1/2-1/2 {insufficient materiel}\n");
}

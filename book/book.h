// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The opening book: lines of coordinate moves from the initial position in
// "pelmok.opn", each voting for the move that follows the game so far.
#pragma once

#include <cstdint>
#include <cstdio>

#include "board/board.h"

constexpr Move NO_BOOK_MOVE = 0xffffffffu;
constexpr int BOOK_MAX_GAME_PLY = 25;
constexpr int BOOK_CANDIDATES = 50;

extern FILE *book_file;
// 1 while the book is consulted before each search; written only by the
// two verbs below.
extern int book_enabled;
// The book answers the game from now on, while it has a move for it.
void book_follow_game();
// The book rests until book_follow_game: after its first miss, or in a
// game it cannot know (not from the initial position, an analysis...).
void book_rest();
extern uint32_t random_state;

// Seeds the generator from the calendar, opens the book and says
// "no book." when there is none.
void book_open();
// A move of the ply-0 list, chosen at random by votes, or NO_BOOK_MOVE.
Move book_choose();
int book_prefix_match(const char *prefix, const char *line);
void random_seed(uint32_t value);
int random_draw();

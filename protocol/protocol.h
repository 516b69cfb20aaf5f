// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// What both protocols share: the engine's name, and the line reader over
// standard input. The xboard loop lives in protocol/xboard/, UCI in
// protocol/uci/; neither includes the other, and this part neither.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "platform/platform.h"

// The name front ends show, with the version of the banner.
constexpr char ENGINE_NAME[] = "pelmok 2.3c";

// Line input shared by the command loop and the search. Lines that a search
// reads are queued and handed to the loop, in order, after it.
constexpr int INPUT_QUEUE_LINES = 64;

// Nonzero when a line can be read without blocking (already buffered, or
// pending on standard input); zero while the queue is full.
int input_waiting();
// Reads one line during a search: a leading '?' sets move_now and is consumed;
// any other line (or the end of input) is queued for the loop.
void read_search_input();
// The search's input hook: reads one waiting line, if any.
void take_search_input();
// The loop's next line: a queued one first, else from standard input.
// At most LINE_SIZE - 1 characters, the line feed included when it fits.
// Returns 0 at the end of input.
int read_command_line(char line[LINE_SIZE]);
// Nonzero while lines read during a search wait for the loop.
int queued_lines();
// The next blank-delimited word, for the handshake; only its first
// size - 1 characters are kept. Returns 0 at the end of input.
int read_word(char *word, int size);
// Forgets buffered and queued input (for tests driving the reader).
void reset_input();

// After every change of the game position: ply 0 and a fresh move list.
void refresh_moves();

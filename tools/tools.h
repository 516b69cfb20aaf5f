// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// pelmok-tools: developer commands built from the engine's own code.
#pragma once

#include <cstdint>

int perft_command(int argc, char **argv);
int divide_command(int argc, char **argv);
int eval_command(int argc, char **argv);
int search_command(int argc, char **argv);
int bench_command(int argc, char **argv);

// Sets up a FEN (read by set_fen's rules) or reports it on stderr; 1 on
// success.
int setup_position(const char *fen, int rules);
// The rules a command's FEN is read by: FEN_CHESS960 when its arguments
// start with --chess960, which is then taken off them.
int take_rules_option(int *argc, char ***argv);
// Reads a whole non-negative number; 1 on success.
int parse_depth(const char *text, int *depth);

constexpr int TOOL_USAGE_ERROR = 2;

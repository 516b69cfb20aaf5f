// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the fuzz targets: the fake platform's controls and the resets
// that make every input start from the same engine state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Serves data as standard input and restarts the clock at 0. The clock
// jumps 2^31 ms per reading, so every search that has a move ends at its
// next poll whatever budget the input asked for.
void fuzz_platform_reset(const uint8_t *data, size_t size);

// Nonzero once a search of the current input has read the clock so often
// that the fake platform reported the end of input to stop it.
int fuzz_clock_limit_reached();
// The number of clock readings one search may take (32 by default).
void fuzz_set_clock_reading_limit(int readings);

// Moves into a fresh private working directory (removed at exit), making
// the paths among libFuzzer's arguments absolute first, and, unless
// PELMOK_FUZZ_VERBOSE is set, sends standard output to /dev/null.
void fuzz_enter_work_dir(int *argc, char ***argv);

// Sends standard output to a file in the working directory, so that the
// output of each input can be read back and checked.
void fuzz_capture_output();
// What the engine has printed since the last call (also copied to the real
// standard output when PELMOK_FUZZ_VERBOSE is set).
std::string fuzz_take_output();

// Clears the search tables and puts the time control, the book, the search
// flags and the state of every protocol back to their start-up values, so
// that an input runs the same whatever ran before it.
void fuzz_reset_engine();

// Closes the book file the engine opened, so that no input leaks one.
void fuzz_close_book();

// Aborts (a fuzzer finding) when board_fault finds the position damaged:
// anything kept incrementally differs from its value computed afresh.
void fuzz_check_position(const char *where);

// Prints a message naming the broken rule and aborts.
[[noreturn]] void fuzz_fail(const char *what, const char *where);

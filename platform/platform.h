// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The few things the engine needs from the operating system, one small
// implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>

// The longest text line the engine reads, from standard input or the book:
// 255 characters and the terminating NUL.
constexpr int LINE_SIZE = 256;

// Nonzero when bytes (or the end of input) wait on standard input; never blocks.
int stdin_pending();
// Blocking read of up to size bytes from standard input: the count read,
// 0 at the end of input, -1 on a read error.
int stdin_read(char *buffer, int size);
// Milliseconds on a monotonic clock.
int64_t now_ms();
// Seconds of calendar time, to seed the book's generator.
uint32_t calendar_seconds();
// The front end's Ctrl-C must not kill the engine.
void ignore_interrupt();
// Zeroed memory for a table whose size is set at run time (its pages need
// not be touched until used), or nullptr when it cannot be had. The size
// is 64 bits wide, so that a 32-bit address space (WebAssembly) refuses a
// size it cannot hold instead of getting what is left of it.
void *table_allocate(uint64_t bytes);
void table_free(void *table);
// Threads, for the search's helpers: slot 0 .. THREAD_SLOTS - 1 runs
// entry(argument) on a thread of its own. Returns 1 when it started, 0 when
// the system refused a thread (nothing then runs in the slot).
constexpr int THREAD_SLOTS = 64;
int thread_start(int slot, void (*entry)(int), int argument);
// Waits until the thread started in slot has ended.
void thread_join(int slot);

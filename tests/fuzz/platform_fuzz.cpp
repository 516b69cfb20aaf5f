// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The platform of the fuzz build: standard input is the fuzz input, the
// clock is a counter, the interrupt signal is left to the fuzzer, and a
// table larger than the fuzzer's memory limit is refused.
#include "platform/platform.h"

#include <cstdlib>

#include "search/search.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const uint8_t *input_data = nullptr;
size_t input_size = 0;
size_t input_pos = 0;
int read_calls = 0;
int64_t clock_ms = 0;
int clock_readings = 0;
int limit_reached = 0;
uint64_t last_node_count = 0;

constexpr int64_t CLOCK_STEP_MS = int64_t(1) << 31;
// Searches read the clock about once per poll (every 2048 or 4096 nodes).
// One that has no move yet ignores its deadline; past this many readings in
// one search it is treated as if the front end had gone away, which ends it
// at the next poll.
int clock_reading_limit = 32;

} // namespace

void fuzz_platform_reset(const uint8_t *data, size_t size) {
    input_data = data;
    input_size = size;
    input_pos = 0;
    read_calls = 0;
    clock_ms = 0;
    clock_readings = 0;
    last_node_count = 0;
    limit_reached = 0;
}

int fuzz_clock_limit_reached() {
    return limit_reached;
}

void fuzz_set_clock_reading_limit(int readings) {
    clock_reading_limit = readings;
}

// Either bytes or the end of input are always waiting.
int stdin_pending() {
    return 1;
}

// Pipes deliver input in pieces of any size: vary the piece so that lines
// straddle the reader's buffer boundaries.
int stdin_read(char *buffer, int size) {
    if (size <= 0 || input_pos >= input_size) return 0;
    read_calls++;
    size_t piece = (size_t)(1 + (read_calls * 97) % 509);
    if (piece > (size_t)size) piece = (size_t)size;
    if (piece > input_size - input_pos) piece = input_size - input_pos;
    for (size_t i = 0; i < piece; i++) buffer[i] = (char)input_data[input_pos + i];
    input_pos += piece;
    return (int)piece;
}

int64_t now_ms() {
    // Every search starts its node count afresh.
    if (node_count < last_node_count) clock_readings = 0;
    last_node_count = node_count;
    if (++clock_readings > clock_reading_limit) {
        set_input_closed(1);
        limit_reached = 1;
    }
    clock_ms += CLOCK_STEP_MS;
    return clock_ms;
}

uint32_t calendar_seconds() {
    return 1064966400u;
}

void ignore_interrupt() {}

// A fuzzed "Hash" or "memory" may ask for gigabytes: past this the table
// is refused, as a machine without the memory would refuse it, so the
// refusal is fuzzed too.
void *table_allocate(uint64_t bytes) {
    constexpr uint64_t FUZZ_TABLE_LIMIT = uint64_t(64) << 20;
    return bytes > FUZZ_TABLE_LIMIT ? nullptr : calloc(1, (size_t)bytes);
}

void table_free(void *table) {
    free(table);
}

// Every thread is refused, as a machine out of threads would refuse it: the
// searches stay on one thread, so that a stream's output is the same every
// time, and the refusal is fuzzed too.
int thread_start(int, void (*)(int), int) {
    return 0;
}

void thread_join(int) {}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The UCI loop fed arbitrary bytes after "uci": positions, searches of
// every kind, lines read during them, options, and a small book.
#include <cstdio>
#include <cstdlib>

#include "board/board.h"
#include "protocol/protocol.h"
#include "protocol/uci.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const char BOOK[] = "e2e4e7e5g1f3b8c6f1b5a7a6\n"
                    "d2d4d7d5c2c4e7e6b1c3g8f6\n"
                    "e2e4c7c5\n";

void write_book() {
    FILE *f = fopen("pelmok.opn", "w");
    if (!f || fputs(BOOK, f) < 0 || fclose(f) != 0) {
        perror("pelmok fuzz: book");
        exit(1);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz_enter_work_dir(argc, argv);
    write_book();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_platform_reset(data, size);
    reset_input();
    fuzz_reset_engine();
    uci_loop();
    fflush(stdout);
    fuzz_check_position("after the UCI loop");
    if (game_ply < 0 || game_ply > UNDO_STACK_SIZE) fuzz_fail("game_ply out of range", "uci");
    fuzz_close_book();
    return 0;
}

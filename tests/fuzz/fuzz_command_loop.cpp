// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The command loop fed arbitrary bytes as its input stream, after the
// handshake. A small book lies in the working directory, so book moves,
// searches, pondering, editing and time control all get exercised.
#include <cstdio>
#include <cstdlib>

#include "board/board.h"
#include "book/book.h"
#include "protocol/protocol.h"
#include "search/search.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// Real opening lines, plus the kinds of line a hand-edited book holds.
const char BOOK[] = "e2e4e7e5g1f3b8c6f1b5a7a6\n"
                    "e2e4e7e5g1f3b8c6f1c4f8c5\n"
                    "e2e4c7c5g1f3d7d6d2d4c5d4f3d4g8f6b1c3a7a6\n"
                    "d2d4d7d5c2c4e7e6b1c3g8f6\n"
                    "d2d4g8f6c2c4e7e6g1f3b7b6\n"
                    "c2c4e7e5b1c3g8f6g1f3b8c6\n"
                    "e2e4 e7e5\n"
                    "E2E4\n"
                    "e2e5\n"
                    "e2e4e7e5e1g1\n"
                    "\n";

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
    command_loop();
    fflush(stdout);
    fuzz_check_position("after the command loop");
    if (game_ply < 0 || game_ply > UNDO_STACK_SIZE) fuzz_fail("game_ply out of range", "loop");
    fuzz_close_book();
    return 0;
}

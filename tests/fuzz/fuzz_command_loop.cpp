// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// A front end's command stream, in each of the engine's three modes. The
// first byte of the input picks the mode by its value modulo 3 ('1' version
// 1, '2' version 2, 'u' UCI); the rest is what the front end sends after the
// handshake ("xboard", "xboard" and "protover 2", or "uci"). A small book
// lies in the working directory, so book moves, searches, pondering,
// analysis, editing and time control all get exercised.
//
// PELMOK_FUZZ_MODE=v1|v2|uci holds a run to one mode: inputs of the other
// modes are rejected at once and kept out of the corpus.
// PELMOK_FUZZ_REPEAT=1 runs every input again after running its bytes in
// the other two modes, and fails unless it prints the same: every global
// a run changes must be reset.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/board.h"
#include "protocol/xboard/xboard.h"
#include "protocol/uci/uci.h"
#include "search/search.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/stream_checks.h"

namespace {

constexpr int MODE_V1 = 0;
constexpr int MODE_V2 = 1;
constexpr int MODE_UCI = 2;
constexpr int MODES = 3;
const char *const MODE_NAMES[MODES] = {"v1", "v2", "uci"};
// What a version-2 front end sends first, after "xboard".
constexpr char VERSION_2_START[] = "protover 2\n";

int fixed_mode = -1;
bool repeat_check = false;

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

// '1', '2' and 'u' name their modes; an empty input is version 1.
int mode_of(const uint8_t *data, size_t size) {
    return size == 0 ? MODE_V1 : (data[0] + 2) % MODES;
}

// After the loop: the position is whole, the move list at ply 0 holds the
// position's moves, and every move of the game's history takes back to a
// whole position.
void check_game(const char *where) {
    if (ply != 0) fuzz_fail("the loop ended with a search's ply", where);
    if (game_ply < 0 || game_ply > UNDO_STACK_SIZE) fuzz_fail("game_ply out of range", where);
    fuzz_check_position(where);
    const int count = ply_move_start[1];
    Move listed[MOVE_STACK_SIZE];
    for (int i = 0; i < count; i++) listed[i] = move_stack[i].move;
    generate_moves();
    bool same = ply_move_start[1] == count;
    for (int i = 0; same && i < count; i++) {
        bool found = false;
        for (int j = 0; j < count && !found; j++) found = move_stack[j].move == listed[i];
        same = found;
    }
    if (!same) fuzz_fail("the move list is not the position's", where);
    while (game_ply > 0) {
        unmake_move();
        fuzz_check_position("taking back the game's moves");
    }
    ply = 0;
}

// Runs the stream in one mode; returns what the engine printed.
std::string run(int mode, const uint8_t *data, size_t size) {
    std::string stream = mode == MODE_V2 ? VERSION_2_START : "";
    stream.append((const char *)data, size);
    fuzz_platform_reset((const uint8_t *)stream.data(), stream.size());
    reset_input();
    fuzz_reset_engine();
    if (mode == MODE_UCI)
        uci_loop();
    else
        command_loop();
    const std::string output = fuzz_take_output();
    check_game(MODE_NAMES[mode]);
    if (mode == MODE_UCI)
        check_uci_output(stream, output);
    else
        check_xboard_output(stream, output);
    fuzz_close_book();
    return output;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz_enter_work_dir(argc, argv);
    fuzz_capture_output();
    write_book();
    if (const char *name = getenv("PELMOK_FUZZ_MODE")) {
        for (int mode = 0; mode < MODES; mode++)
            if (strcmp(name, MODE_NAMES[mode]) == 0) fixed_mode = mode;
        if (fixed_mode < 0) {
            fprintf(stderr, "pelmok fuzz: PELMOK_FUZZ_MODE is v1, v2 or uci, not %s\n", name);
            exit(1);
        }
    }
    repeat_check = getenv("PELMOK_FUZZ_REPEAT") != nullptr;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const int mode = mode_of(data, size);
    if (fixed_mode >= 0 && mode != fixed_mode) return -1;
    const uint8_t *stream = size > 0 ? data + 1 : data;
    const size_t stream_size = size > 0 ? size - 1 : 0;
    const std::string output = run(mode, stream, stream_size);
    if (repeat_check) {
        for (int other = 0; other < MODES; other++)
            if (other != mode) run(other, stream, stream_size);
        if (run(mode, stream, stream_size) != output)
            fuzz_fail("the input printed something else when run again", MODE_NAMES[mode]);
    }
    return 0;
}

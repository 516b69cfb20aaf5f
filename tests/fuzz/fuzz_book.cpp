// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The book file's contents: the fuzz input is "pelmok.opn", and a short game
// is played asking the book at every step. A move the book returns must be
// one that some line of the file proposes for the position, and legal.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "board/board.h"
#include "book/book.h"
#include "protocol/xboard/xboard.h"
#include "search/search.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int GAME_LENGTH = 30;

void write_book(const uint8_t *data, size_t size) {
    FILE *f = fopen("pelmok.opn", "wb");
    if (!f || (size > 0 && fwrite(data, 1, size, f) != size) || fclose(f) != 0) {
        perror("pelmok fuzz: book");
        exit(1);
    }
}

// The game so far in book spelling.
void game_string(char *out) {
    int length = 0;
    for (int k = 0; k < game_ply; k++) {
        const char *text = move_text(undo_stack[k].move);
        const int n = (int)strlen(text);
        memcpy(out + length, text, (size_t)n);
        length += n;
    }
    out[length] = '\0';
}

int legal(Move move) {
    if (!make_move(move)) return 0;
    unmake_move();
    return 1;
}

// Every legal move some line votes for, reading the file as a 256-byte
// line reader does: at most 255 characters at a time, a line feed ends a
// piece, and a NUL byte ends the text of a piece.
std::vector<Move> proposed_moves(const uint8_t *data, size_t size) {
    std::vector<Move> moves;
    char game[LINE_SIZE];
    game_string(game);
    const size_t length = strlen(game);
    size_t pos = 0;
    while (pos < size) {
        char piece[LINE_SIZE];
        size_t n = 0;
        while (pos < size && n < LINE_SIZE - 1) {
            piece[n++] = (char)data[pos++];
            if (piece[n - 1] == '\n') break;
        }
        piece[n] = '\0';
        if (strlen(piece) < length || strncmp(piece, game, length) != 0) continue;
        const int index = parse_move_text(piece + length);
        if (index < 0 || !legal(move_stack[index].move)) continue;
        moves.push_back(move_stack[index].move);
    }
    return moves;
}

// Without a book move the game goes on with a legal move chosen by the step.
int fallback_move(int step, Move *out) {
    std::vector<Move> moves;
    for (int i = 0; i < ply_move_start[1]; i++)
        if (legal(move_stack[i].move)) moves.push_back(move_stack[i].move);
    if (moves.empty()) return 0;
    *out = moves[(size_t)step * 7 % moves.size()];
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz_enter_work_dir(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_platform_reset(nullptr, 0);
    fuzz_reset_engine();
    write_book(data, size);
    new_game();
    book_open();
    if (!book_file) fuzz_fail("the book file was not opened", "book_open");
    ply = 0;
    generate_moves();

    for (int step = 0; step < GAME_LENGTH; step++) {
        const PositionKey key = position_key;
        const int moves_end = ply_move_start[1];
        const int before = game_ply;
        const std::vector<Move> proposed =
            game_ply <= BOOK_MAX_GAME_PLY ? proposed_moves(data, size) : std::vector<Move>();
        const Move chosen = book_choose();
        if (position_key != key || game_ply != before || ply != 0 || ply_move_start[1] != moves_end)
            fuzz_fail("book_choose changed the position", "book_choose");
        Move next;
        if (chosen != NO_BOOK_MOVE) {
            if (game_ply > BOOK_MAX_GAME_PLY) fuzz_fail("book consulted too late", "book_choose");
            bool found = false;
            for (Move m : proposed) found = found || m == chosen;
            if (!found) fuzz_fail("book move proposed by no line", "book_choose");
            next = chosen;
        } else {
            if (!proposed.empty()) fuzz_fail("book gave no move though lines propose one", "book");
            if (!fallback_move(step, &next)) break;
        }
        if (!make_move(next)) fuzz_fail("book move refused by make_move", "book_choose");
        ply = 0;
        generate_moves();
        fuzz_check_position("after a book move");
    }
    fuzz_close_book();
    return 0;
}

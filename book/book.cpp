// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Book look-up: the whole file is scanned from the top on every call.
#include "book/book.h"

#include <cstring>

#include "platform/platform.h"

FILE *book_file = nullptr;
int book_enabled = 1;

namespace {

struct Candidate {
    Move move;
    int votes;
};

} // namespace

void book_follow_game() {
    book_enabled = 1;
}

void book_rest() {
    book_enabled = 0;
}

void book_open() {
    random_seed(calendar_seconds());
    book_file = fopen("pelmok.opn", "r");
    if (!book_file) printf("no book.\n");
}

int book_prefix_match(const char *prefix, const char *line) {
    while (*prefix) {
        if (*line != *prefix) return 0;
        prefix++;
        line++;
    }
    return 1;
}

Move book_choose() {
    if (!book_file) return NO_BOOK_MOVE;
    if (game_ply > BOOK_MAX_GAME_PLY) return NO_BOOK_MOVE;

    // The game so far, spelt as the book spells it.
    char game[LINE_SIZE];
    int length = 0;
    for (int k = 0; k < game_ply; k++) {
        const char *text = move_text(undo_stack[k].move);
        const int n = (int)strlen(text);
        memcpy(game + length, text, (size_t)n);
        length += n;
    }
    game[length] = '\0';

    Candidate candidates[BOOK_CANDIDATES];
    int count = 0;
    int total = 0;
    char line[LINE_SIZE];
    rewind(book_file);
    while (fgets(line, sizeof line, book_file)) {
        if (!book_prefix_match(game, line)) continue;
        const int index = parse_move_text(line + length);
        if (index < 0) continue;
        const Move move = move_stack[index].move;
        // The engine must never announce a move it cannot play.
        if (!make_move(move)) continue;
        unmake_move();
        int c = 0;
        while (c < count && candidates[c].move != move) c++;
        if (c == count) {
            if (count == BOOK_CANDIDATES) continue;
            candidates[count].move = move;
            candidates[count].votes = 0;
            count++;
        }
        candidates[c].votes++;
        total++;
    }
    if (count == 0) return NO_BOOK_MOVE;

    int r = random_draw() % total;
    for (int c = 0; c < count; c++) {
        r -= candidates[c].votes;
        if (r < 0) return candidates[c].move;
    }
    return candidates[count - 1].move;
}

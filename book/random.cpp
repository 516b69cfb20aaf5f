// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The book's random generator: a linear congruential generator whose
// draws are bits 16-30 of the state.
#include "book/book.h"

uint32_t random_state = 0;

void random_seed(uint32_t value) {
    random_state = value;
}

int random_draw() {
    random_state = random_state * 214013u + 2531011u;
    return (int)((random_state >> 16) & 32767);
}

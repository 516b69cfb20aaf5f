// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The castling field of a FEN, read against the board the FEN describes.
#pragma once

#include "board/board.h"

struct CastlingField {
    int chess960;
    // As the field names them; standard chess drops those the board does
    // not back afterwards.
    int rights;
    // Chess960 only: each colour's king (-1 without rights) and each
    // right's rook (-1 without that right).
    int king_square[2];
    int rook_square[4];
};

// Reads length characters of field (a lone "-": no rights) for the board
// in color and piece, by set_fen's rules argument. Returns 1, or 0 with the
// reason in *error.
int read_castling_field(const char *field, int length, const int color[64], const int piece[64],
                        int rules, CastlingField *out, const char **error);

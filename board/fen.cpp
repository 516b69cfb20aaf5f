// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Position set-up from FEN text, for the developer tools and the tests.
// The text is checked in full before the position is touched.
#include "board/board.h"
#include "board/fen_castling.h"
#include "board/history.h"

#include <cstring>

namespace {

// Splits on blanks into at most max_fields fields; returns the count, or
// max_fields + 1 when there are more.
int split_fields(const char *text, const char *start[], int length[], int max_fields) {
    int count = 0;
    const char *p = text;
    while (*p) {
        while (*p == ' ' || *p == '\t') p++;
        if (!*p) break;
        if (count == max_fields) return max_fields + 1;
        start[count] = p;
        while (*p && *p != ' ' && *p != '\t') p++;
        length[count] = (int)(p - start[count]);
        count++;
    }
    return count;
}

int parse_count(const char *s, int n, int *out) {
    if (n < 1 || n > 6) return 0;
    int value = 0;
    for (int i = 0; i < n; i++) {
        if (s[i] < '0' || s[i] > '9') return 0;
        value = value * 10 + (s[i] - '0');
    }
    *out = value;
    return 1;
}

} // namespace

int set_fen(const char *fen, const char **error, int rules) {
    const char *field[6];
    int length[6];
    int fields = split_fields(fen, field, length, 6);
    if (fields < 4 || fields > 6) {
        *error = "expected 4 to 6 fields";
        return 0;
    }

    int color[64], piece[64];
    int square = 0, file = 0;
    for (int i = 0; i < length[0]; i++) {
        char c = field[0][i];
        if (c == '/') {
            if (file != 8 || square >= 64) {
                *error = "a rank does not hold eight squares";
                return 0;
            }
            file = 0;
            continue;
        }
        if (c >= '1' && c <= '8') {
            int run = c - '0';
            if (file + run > 8) {
                *error = "a rank holds more than eight squares";
                return 0;
            }
            for (int k = 0; k < run; k++) {
                color[square] = EMPTY;
                piece[square] = EMPTY;
                square++;
            }
            file += run;
            continue;
        }
        int p = piece_from_letter((char)(c & ~0x20));
        if (p < 0) {
            *error = "bad piece letter";
            return 0;
        }
        if (file >= 8 || square >= 64) {
            *error = "a rank holds more than eight squares";
            return 0;
        }
        color[square] = (c >= 'a') ? BLACK : WHITE;
        piece[square] = p;
        square++;
        file++;
    }
    if (square != 64 || file != 8) {
        *error = "the board does not hold 64 squares";
        return 0;
    }

    int side;
    if (length[1] == 1 && field[1][0] == 'w')
        side = WHITE;
    else if (length[1] == 1 && field[1][0] == 'b')
        side = BLACK;
    else {
        *error = "side to move must be w or b";
        return 0;
    }

    CastlingField castling;
    if (!read_castling_field(field[2], length[2], color, piece, rules, &castling, error)) return 0;
    int ep = -1;
    if (!(length[3] == 1 && field[3][0] == '-')) {
        ep = length[3] == 2 ? square_from_text(field[3][0], field[3][1]) : -1;
        if (ep < 0) {
            *error = "bad en-passant square";
            return 0;
        }
    }

    int fifty = 0;
    if (fields >= 5 && !parse_count(field[4], length[4], &fifty)) {
        *error = "bad half-move clock";
        return 0;
    }
    int full = 1;
    if (fields == 6 && !parse_count(field[5], length[5], &full)) {
        *error = "bad move number";
        return 0;
    }

    // The text is sound: install it, then drop what the board cannot back.
    memcpy(square_color, color, sizeof square_color);
    memcpy(square_piece, piece, sizeof square_piece);
    side_to_move = side;
    opponent = side ^ 1;
    if (castling.chess960)
        set_chess960_castling(castling.king_square, castling.rook_square);
    else
        set_standard_castling();
    // Rights without king or rook on its start square would castle a
    // missing piece (a Chess960 field names only pieces that are there).
    castle_rights = castling.rights & castle_rights_on_board();
    // An en-passant square is kept only when a pawn of the other side has
    // just passed over it, so the capture always removes a real pawn.
    if (ep >= 0) {
        const int passed_pawn = side == WHITE ? ep + 8 : ep - 8;
        const int wanted_row = side == WHITE ? 2 : 5;
        if ((ep >> 3) != wanted_row || !stands(passed_pawn, side ^ 1, PAWN) ||
            square_color[ep] != EMPTY)
            ep = -1;
    }
    ep_square = ep;
    fifty_count = fifty;
    ply = 0;
    game_ply = 0;
    forgotten_plies = 0;
    ply_move_start[0] = 0;
    compute_key();
    generate_moves();
    return 1;
}

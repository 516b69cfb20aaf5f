// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Castling fields: KQkq for standard chess; X-FEN (K and Q for the
// outermost rook on that side of the king, a file letter for an inner one)
// and Shredder-FEN (file letters only, HAha) for Chess960.
#include "board/fen_castling.h"

namespace {

inline bool holds(const int color[64], const int piece[64], int square, int c, int p) {
    return color[square] == c && piece[square] == p;
}

// Standard chess's rights that the board backs: king on the e-file and
// the rook in its corner.
int standard_rights_backed(const int color[64], const int piece[64]) {
    int rights = 0;
    if (holds(color, piece, 60, WHITE, KING)) {
        if (holds(color, piece, 63, WHITE, ROOK)) rights |= CASTLE_WHITE_KINGSIDE;
        if (holds(color, piece, 56, WHITE, ROOK)) rights |= CASTLE_WHITE_QUEENSIDE;
    }
    if (holds(color, piece, 4, BLACK, KING)) {
        if (holds(color, piece, 7, BLACK, ROOK)) rights |= CASTLE_BLACK_KINGSIDE;
        if (holds(color, piece, 0, BLACK, ROOK)) rights |= CASTLE_BLACK_QUEENSIDE;
    }
    return rights;
}

// The field as Chess960 reads it, every letter bound to a rook the king
// stands beside on the back rank, or 0 with the reason.
int read_chess960(const char *field, int length, const int color[64], const int piece[64],
                  CastlingField *out, const char **error) {
    for (int c = WHITE; c <= BLACK; c++) out->king_square[c] = -1;
    for (int r = 0; r < 4; r++) out->rook_square[r] = -1;
    out->rights = 0;
    for (int i = 0; i < length; i++) {
        const char letter = field[i];
        const int c = letter >= 'a' ? BLACK : WHITE;
        const int upper = letter & ~0x20;
        const int back_row = c == WHITE ? 56 : 0;
        int king = -1, kings = 0;
        for (int f = 0; f < 8; f++)
            if (holds(color, piece, back_row + f, c, KING)) king = back_row + f, kings++;
        if (kings != 1) {
            *error = "a castling right without its king on the back rank";
            return 0;
        }
        const int king_file = king & 7;
        int rook_file = -1;
        if (upper == 'K') {
            for (int f = 7; f > king_file && rook_file < 0; f--)
                if (holds(color, piece, back_row + f, c, ROOK)) rook_file = f;
        } else if (upper == 'Q') {
            for (int f = 0; f < king_file && rook_file < 0; f++)
                if (holds(color, piece, back_row + f, c, ROOK)) rook_file = f;
        } else if (holds(color, piece, back_row + (upper - 'A'), c, ROOK)) {
            rook_file = upper - 'A';
        }
        if (rook_file < 0) {
            *error = "a castling right names no rook of its colour on the back rank";
            return 0;
        }
        const int right = 2 * c + (rook_file < king_file ? 1 : 0);
        const int rook = back_row + rook_file;
        if (out->rook_square[right] >= 0 && out->rook_square[right] != rook) {
            *error = "two rooks for one castling right";
            return 0;
        }
        out->rook_square[right] = rook;
        out->king_square[c] = king;
        out->rights |= 1 << right;
    }
    return 1;
}

} // namespace

int read_castling_field(const char *field, int length, const int color[64], const int piece[64],
                        int rules, CastlingField *out, const char **error) {
    if (length == 1 && field[0] == '-') length = 0;
    int rights = 0;
    bool file_letters = false;
    for (int i = 0; i < length; i++) {
        const char letter = field[i];
        const int upper = letter & ~0x20;
        if (upper == 'K' || upper == 'Q') {
            rights |= 1 << ((letter >= 'a' ? 2 : 0) + (upper == 'Q' ? 1 : 0));
        } else if (upper >= 'A' && upper <= 'H') {
            file_letters = true;
        } else {
            *error = "bad castling field";
            return 0;
        }
    }
    if (rules == FEN_STANDARD) {
        // A game that is not Chess960: the corner files name the corner
        // rooks (some writers give HAha for KQkq), and rights the board
        // does not back are dropped as ever.
        for (int i = 0; i < length; i++) {
            const int upper = field[i] & ~0x20;
            const int side = upper == 'H' ? 0 : upper == 'A' ? 1 : -1;
            if (side >= 0) rights |= 1 << ((field[i] >= 'a' ? 2 : 0) + side);
        }
        out->chess960 = 0;
        out->rights = rights;
        return 1;
    }
    if (rules == FEN_CHESS960 || file_letters) {
        out->chess960 = 1;
        return read_chess960(field, length, color, piece, out, error);
    }
    // KQkq: standard chess, unless the board backs some letter only the
    // way Chess960 reads it and every letter that way.
    out->chess960 = 0;
    out->rights = rights;
    if ((rights & standard_rights_backed(color, piece)) == rights) return 1;
    CastlingField chess960;
    const char *ignored = nullptr;
    if (!read_chess960(field, length, color, piece, &chess960, &ignored)) return 1;
    *out = chess960;
    out->chess960 = 1;
    return 1;
}

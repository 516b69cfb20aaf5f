// Position set-up from FEN text, for the developer tools and the tests.
// The text is checked in full before the position is touched.
#include "board/board.h"

#include <cstring>

namespace {

int piece_of_letter(char c) {
    switch (c | 0x20) {
    case 'p':
        return PAWN;
    case 'n':
        return KNIGHT;
    case 'b':
        return BISHOP;
    case 'r':
        return ROOK;
    case 'q':
        return QUEEN;
    case 'k':
        return KING;
    }
    return -1;
}

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

int set_fen(const char *fen, const char **error) {
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
        int p = piece_of_letter(c);
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

    int rights = 0;
    if (!(length[2] == 1 && field[2][0] == '-')) {
        for (int i = 0; i < length[2]; i++) {
            const char *at = strchr("KQkq", field[2][i]);
            if (!at || field[2][i] == 0) {
                *error = "bad castling field";
                return 0;
            }
            rights |= 1 << (at - "KQkq");
        }
    }
    // Rights the board cannot back (king or rook away from its start square)
    // are dropped, so castling never moves a missing piece.
    auto stands = [&](int s, int c, int p) { return color[s] == c && piece[s] == p; };
    if (!stands(60, WHITE, KING) || !stands(63, WHITE, ROOK)) rights &= ~CASTLE_WHITE_KINGSIDE;
    if (!stands(60, WHITE, KING) || !stands(56, WHITE, ROOK)) rights &= ~CASTLE_WHITE_QUEENSIDE;
    if (!stands(4, BLACK, KING) || !stands(7, BLACK, ROOK)) rights &= ~CASTLE_BLACK_KINGSIDE;
    if (!stands(4, BLACK, KING) || !stands(0, BLACK, ROOK)) rights &= ~CASTLE_BLACK_QUEENSIDE;

    int ep = -1;
    if (!(length[3] == 1 && field[3][0] == '-')) {
        if (length[3] != 2 || field[3][0] < 'a' || field[3][0] > 'h' || field[3][1] < '1' ||
            field[3][1] > '8') {
            *error = "bad en-passant square";
            return 0;
        }
        ep = (field[3][0] - 'a') + 8 * (8 - (field[3][1] - '0'));
        // Kept only when a pawn of the other side has just passed over it,
        // so an en-passant capture always removes a real pawn.
        int passed_pawn = side == WHITE ? ep + 8 : ep - 8;
        int wanted_row = side == WHITE ? 2 : 5;
        if ((ep >> 3) != wanted_row || !stands(passed_pawn, side ^ 1, PAWN) || color[ep] != EMPTY)
            ep = -1;
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

    memcpy(square_color, color, sizeof square_color);
    memcpy(square_piece, piece, sizeof square_piece);
    side_to_move = side;
    opponent = side ^ 1;
    castle_rights = rights;
    ep_square = ep;
    fifty_count = fifty;
    ply = 0;
    game_ply = 0;
    ply_move_start[0] = 0;
    compute_key();
    generate_moves();
    return 1;
}

// Coordinate move notation: e2e4, e1g1 for castling, e7e8q for promotions.
#include "protocol/protocol.h"

#include <cstdio>

char move_text_buffer[8];

namespace {

inline bool is_file(char c) {
    return c >= 'a' && c <= 'h';
}
inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// '0' and '9' give squares outside the board, which match no move.
inline int square_of(char file, char rank) {
    return (file - 'a') + 8 * (8 - (rank - '0'));
}

} // namespace

int parse_move_text(const char *text) {
    if (!is_file(text[0]) || !is_digit(text[1]) || !is_file(text[2]) || !is_digit(text[3]))
        return -1;
    const int from = square_of(text[0], text[1]);
    const int to = square_of(text[2], text[3]);
    for (int i = 0; i < ply_move_start[1]; i++) {
        const Move m = move_stack[i].move;
        if (move_from(m) != from || move_to(m) != to) continue;
        if (!(move_flags(m) & MF_PROMOTION)) return i;
        // The four promotions stand together: knight, bishop, rook, queen.
        switch (text[4]) {
        case 'N':
        case 'n':
            return i;
        case 'B':
        case 'b':
            return i + 1;
        case 'R':
        case 'r':
            return i + 2;
        default:
            return i + 3;
        }
    }
    return -1;
}

const char *move_text(Move move) {
    const int from = move_from(move) & 63;
    const int to = move_to(move) & 63;
    const char from_file = (char)('a' + (from & 7));
    const char to_file = (char)('a' + (to & 7));
    const int from_rank = 8 - (from >> 3);
    const int to_rank = 8 - (to >> 3);
    if (!(move_flags(move) & MF_PROMOTION)) {
        snprintf(move_text_buffer, sizeof move_text_buffer, "%c%d%c%d", from_file, from_rank,
                 to_file, to_rank);
    } else {
        const int piece = move_promotion(move);
        const char letter = piece == KNIGHT   ? 'n'
                            : piece == BISHOP ? 'b'
                            : piece == ROOK   ? 'r'
                                              : 'q';
        snprintf(move_text_buffer, sizeof move_text_buffer, "%c%d%c%d%c", from_file, from_rank,
                 to_file, to_rank, letter);
    }
    return move_text_buffer;
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Material and positional terms: material, the pawns', knights' and
// bishops' square tables and the rooks' seventh rank from the sums the board
// keeps, the rest piece by piece from the square sets; the pawns' other terms
// come from the pawn cache.
#include "eval/eval.h"

#include "board/board.h"

PER_THREAD int piece_material[2];
PER_THREAD int pawn_material[2];
PER_THREAD int8_t rear_pawn_row[2][10];
PER_THREAD int material_total;
PER_THREAD int material_difference;

namespace {

constexpr int TRAPPED_BISHOP_PENALTY = 150;
constexpr int OPEN_FILE_BONUS = 15;
constexpr int HALF_OPEN_FILE_BONUS = 10;

// A bishop that took a rook pawn and is shut in by two pawns. Its square
// table value is in the board's placement sum.
constexpr SquareSet WHITE_TRAP_SQUARES = (SquareSet)1 << 8 | (SquareSet)1 << 15;
constexpr SquareSet BLACK_TRAP_SQUARES = (SquareSet)1 << 48 | (SquareSet)1 << 55;

int white_trapped_bishops() {
    const SquareSet trapped = piece_set[WHITE][BISHOP] & WHITE_TRAP_SQUARES;
    if (!trapped) return 0;
    int score = 0;
    if ((trapped & square_bit(8)) && stands(17, BLACK, PAWN) && stands(10, BLACK, PAWN))
        score -= TRAPPED_BISHOP_PENALTY;
    if ((trapped & square_bit(15)) && stands(22, BLACK, PAWN) && stands(13, BLACK, PAWN))
        score -= TRAPPED_BISHOP_PENALTY;
    return score;
}

int black_trapped_bishops() {
    const SquareSet trapped = piece_set[BLACK][BISHOP] & BLACK_TRAP_SQUARES;
    if (!trapped) return 0;
    int score = 0;
    if ((trapped & square_bit(48)) && stands(41, WHITE, PAWN) && stands(50, WHITE, PAWN))
        score -= TRAPPED_BISHOP_PENALTY;
    if ((trapped & square_bit(55)) && stands(46, WHITE, PAWN) && stands(53, WHITE, PAWN))
        score -= TRAPPED_BISHOP_PENALTY;
    return score;
}

// For each set of files (bit f for file f), the squares off them: one load
// where spreading the bits over the files takes three instructions.
struct OffFiles {
    SquareSet squares[256];
};
constexpr OffFiles off_files() {
    OffFiles off = {};
    for (int files = 0; files < 256; files++)
        off.squares[files] = ~((SquareSet)files * A_FILE_SQUARES);
    return off;
}
constexpr OffFiles OFF_FILES = off_files();

// The rooks of one colour on files without a pawn of their own: open when
// the other colour has none there either, else half open.
int rook_files(int color, const PawnEntry &pawns) {
    const int other_files = pawns.pawn_files[color ^ 1];
    int score = 0;
    for (SquareSet set = piece_set[color][ROOK] & OFF_FILES.squares[pawns.pawn_files[color]]; set;
         set &= set - 1)
        score +=
            other_files >> (first_square(set) & 7) & 1 ? HALF_OPEN_FILE_BONUS : OPEN_FILE_BONUS;
    return score;
}

// The terms of one colour that need no one's material: the square tables
// and the rooks' seventh rank as the board sums them, the trapped bishops
// and the rooks' files.
int white_piece_terms(const PawnEntry &pawns) {
    return placement_of(weight_sum[WHITE]) + white_trapped_bishops() + rook_files(WHITE, pawns);
}

int black_piece_terms(const PawnEntry &pawns) {
    return placement_of(weight_sum[BLACK]) + black_trapped_bishops() + rook_files(BLACK, pawns);
}

// Sheltered while the opponent keeps enough pieces, else the endgame table.
int white_kings(const PawnEntry &pawns) {
    const bool sheltered = piece_material[BLACK] > KING_SHELTER_THRESHOLD;
    int score = 0;
    for (SquareSet set = piece_set[WHITE][KING]; set; set &= set - 1) {
        const int s = first_square(set);
        score += sheltered ? white_king_score(s, pawns.king_shelter[WHITE][SHELTER_SLOT[s & 7]])
                           : king_endgame_table[s];
    }
    return score;
}

int black_kings(const PawnEntry &pawns) {
    const bool sheltered = piece_material[WHITE] > KING_SHELTER_THRESHOLD;
    int score = 0;
    for (SquareSet set = piece_set[BLACK][KING]; set; set &= set - 1) {
        const int s = first_square(set);
        score += sheltered ? black_king_score(s, pawns.king_shelter[BLACK][SHELTER_SLOT[s & 7]])
                           : black_king_tables.endgame[s];
    }
    return score;
}

} // namespace

int insufficient_material() {
    const int minor = piece_value[KNIGHT];
    return material_total == 0 || material_total == minor ||
           (material_total == 2 * minor && material_difference == 0);
}

int evaluate() {
    // 1-2. The pawns' summaries come from the pawn cache; the pieces'
    // material and the square tables from the sums the board keeps
    // (installed on this thread's first call).
    if (piece_weights != &evaluation_weights) install_piece_weights(&evaluation_weights);
    const PawnEntry &pawns = pawn_entry();
    piece_material[WHITE] = material_of(weight_sum[WHITE]);
    piece_material[BLACK] = material_of(weight_sum[BLACK]);
    int white_score = white_piece_terms(pawns);
    int black_score = black_piece_terms(pawns);
    pawn_material[WHITE] = pawns.pawn_material[WHITE];
    pawn_material[BLACK] = pawns.pawn_material[BLACK];

    // 3. Written before the early return, for adjudication.
    const int white = pawn_material[WHITE] + piece_material[WHITE];
    const int black = pawn_material[BLACK] + piece_material[BLACK];
    material_difference = white - black;
    material_total = white + black;

    // 4. Bare kings, a lone minor, or one minor each: a dead draw. Most
    // positions have far more, which one comparison tells.
    if (material_total <= 2 * piece_value[KNIGHT] && insufficient_material()) return 0;

    // 5. The terms that depend on material: passed pawns by their own
    // side's pieces, kings by the opponent's.
    white_score += white + pawns.structure[WHITE] +
                   pawns.passed_steps[WHITE] * passed_step_bonus(piece_material[WHITE]) +
                   white_kings(pawns);
    black_score += black + pawns.structure[BLACK] +
                   pawns.passed_steps[BLACK] * passed_step_bonus(piece_material[BLACK]) +
                   black_kings(pawns);

    // 6. From the side to move's view. Only an edited board can pile up
    // enough material to leave the static range; beyond it a score would
    // read as a mate, and past the root window no move could ever be chosen.
    const int total = side_to_move == WHITE ? white_score - black_score : black_score - white_score;
    return total > STATIC_SCORE_LIMIT    ? STATIC_SCORE_LIMIT
           : total < -STATIC_SCORE_LIMIT ? -STATIC_SCORE_LIMIT
                                         : total;
}

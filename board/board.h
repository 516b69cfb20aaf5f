// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The position each thread works on (the game's is the main thread's):
// board arrays, position state, move and undo stacks, keys, move
// generation, making/unmaking moves, move notation and FEN.
#pragma once

#include <cstdint>

#include "platform/per_thread.h"

// Squares 0..63, a8 = 0, h8 = 7, a1 = 56, h1 = 63; row 0 is rank 8.
constexpr int WHITE = 0;
constexpr int BLACK = 1;
constexpr int PAWN = 0;
constexpr int KNIGHT = 1;
constexpr int BISHOP = 2;
constexpr int ROOK = 3;
constexpr int QUEEN = 4;
constexpr int KING = 5;
constexpr int EMPTY = 6;

constexpr int CASTLE_WHITE_KINGSIDE = 1;
constexpr int CASTLE_WHITE_QUEENSIDE = 2;
constexpr int CASTLE_BLACK_KINGSIDE = 4;
constexpr int CASTLE_BLACK_QUEENSIDE = 8;
constexpr int ALL_CASTLE_RIGHTS =
    CASTLE_WHITE_KINGSIDE | CASTLE_WHITE_QUEENSIDE | CASTLE_BLACK_KINGSIDE | CASTLE_BLACK_QUEENSIDE;

// Move word, least significant byte first:
//   bits  0-7   from       origin square
//   bits  8-15  to         destination (the king's, for castling)
//   bits 16-23  promotion  KNIGHT..QUEEN, 0 when no promotion
//   bits 24-31  flags      MF_* bits
// The word 0 is never a move.
typedef uint32_t Move;

constexpr int MF_CAPTURE = 1;
constexpr int MF_CASTLE = 2;
constexpr int MF_EN_PASSANT = 4;
constexpr int MF_DOUBLE_PUSH = 8;
constexpr int MF_PAWN_MOVE = 16;
constexpr int MF_PROMOTION = 32;

inline int move_from(Move m) {
    return m & 0xff;
}
inline int move_to(Move m) {
    return (m >> 8) & 0xff;
}
inline int move_promotion(Move m) {
    return (m >> 16) & 0xff;
}
inline int move_flags(Move m) {
    return m >> 24;
}
inline Move make_move_word(int from, int to, int promotion, int flags) {
    return (Move)from | ((Move)to << 8) | ((Move)promotion << 16) | ((Move)flags << 24);
}

struct MoveEntry {
    Move move;
    int32_t score;
};

// 64-bit Zobrist key as two halves; the table index comes from low.
struct PositionKey {
    uint32_t low;
    uint32_t high;
};

// A key as one 64-bit word, low half below, for XOR in one step.
inline uint64_t key_bits(PositionKey key) {
    return (uint64_t)key.high << 32 | key.low;
}
inline PositionKey key_from_bits(uint64_t bits) {
    return PositionKey{(uint32_t)bits, (uint32_t)(bits >> 32)};
}

inline bool operator==(PositionKey a, PositionKey b) {
    return a.low == b.low && a.high == b.high;
}
inline bool operator!=(PositionKey a, PositionKey b) {
    return !(a == b);
}

struct UndoRecord {
    Move move;
    int32_t captured;
    int32_t castle_rights;
    int32_t ep_square;
    int32_t fifty_count;
    PositionKey key;
};

constexpr int MOVE_STACK_SIZE = 1120;
constexpr int PLY_SLOTS = 32;
constexpr int UNDO_STACK_SIZE = 600;
constexpr int KEY_TABLE_SIZE = 1024;

// The position and its stacks belong to a thread: every search thread works
// on its own copy (the game's is the main thread's).

// Board arrays; a square is EMPTY in both or in neither.
extern PER_THREAD int square_color[64];
extern PER_THREAD int square_piece[64];

// A set of squares: bit s stands for square s, so taking the lowest bit
// first walks a set in board order, a8 to h1.
typedef uint64_t SquareSet;

inline SquareSet square_bit(int square) {
    return (SquareSet)1 << square;
}
inline int first_square(SquareSet set) {
    return __builtin_ctzll(set);
}
inline int last_square(SquareSet set) {
    return 63 - __builtin_clzll(set);
}
// Without a population-count instruction in the baseline x86-64 set, the
// builtin becomes a library call there: counted in the register instead.
inline int square_count(SquareSet set) {
#if defined(__x86_64__) && !defined(__POPCNT__)
    set = set - ((set >> 1) & 0x5555555555555555ull);
    set = (set & 0x3333333333333333ull) + ((set >> 2) & 0x3333333333333333ull);
    set = (set + (set >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return (int)((set * 0x0101010101010101ull) >> 56);
#else
    return __builtin_popcountll(set);
#endif
}

// The board arrays again as square sets, so that the squares of one colour
// or piece are found without scanning the board. make_move and unmake_move
// keep them in step; compute_key rebuilds them from the arrays.
extern PER_THREAD SquareSet color_set[2];
extern PER_THREAD SquareSet piece_set[2][6];

inline SquareSet occupied_set() {
    return color_set[WHITE] | color_set[BLACK];
}

// Sums over the pieces on the board, one per colour, kept up to date by
// make_move and unmake_move so that whoever reads them need not walk the
// pieces: of a value per piece (material) and of a value per piece and
// square (placement). Both live in one 64-bit word per piece and square,
// material above and placement (signed) below, whose sums keep both exact;
// so each change of a square is one addition. The evaluation installs its
// own values; until then every value is 0. The set-up paths work the sums
// out anew (rebuild_square_sets), and board_fault checks them.
struct PieceWeights {
    int64_t value[2][6][64]; // [colour][piece][square]
};
constexpr int64_t piece_weight(int material, int placement) {
    return (int64_t)material * ((int64_t)1 << 32) + placement;
}
inline int placement_of(int64_t weight) {
    return (int32_t)(uint32_t)weight;
}
// The placement below is signed: a half added carries it away whole.
inline int material_of(int64_t weight) {
    return (int)((weight + ((int64_t)1 << 31)) >> 32);
}
extern PER_THREAD const PieceWeights *piece_weights;
extern PER_THREAD int64_t weight_sum[2];
// Installs weights for the calling thread and works its sums out anew.
void install_piece_weights(const PieceWeights *weights);

extern PER_THREAD int side_to_move;
extern PER_THREAD int opponent;
extern PER_THREAD int castle_rights;
extern PER_THREAD int ep_square;
extern PER_THREAD int fifty_count;
extern PER_THREAD int ply;
extern PER_THREAD int game_ply;
extern PER_THREAD PositionKey position_key;
// The ordering scores of quiet moves, [from][to]: generation reads them,
// whoever orders the moves (the search, with its history) installs them.
// Until then all zero.
extern PER_THREAD const int (*quiet_move_scores)[64];

extern PER_THREAD MoveEntry move_stack[MOVE_STACK_SIZE];
extern PER_THREAD int ply_move_start[PLY_SLOTS];
extern PER_THREAD UndoRecord undo_stack[UNDO_STACK_SIZE];

// Castling as the game being played has it. King side castling puts the
// king on g1 (g8) and its rook on f1 (f8), queen side on c1 (c8) and d1
// (d8); the move is written from the king's square to the king's
// destination, flagged MF_CASTLE, so that from equals to when the king
// already stands there. In standard chess the king starts on the e-file
// and the rights belong to the corner rooks; in Chess960 the king starts
// anywhere between its two rooks on the back rank and each right belongs
// to the rook the set-up named.
struct CastleRule {
    int king_from;
    int king_to;
    int rook_from; // -1 when the game never had this right
    int rook_to;
    // The squares either piece passes or lands on, those two pieces' own
    // excepted: all must be empty.
    SquareSet must_be_empty;
    // The squares the king crosses or lands on after its start square:
    // none may be attacked.
    SquareSet king_path;
};
struct CastlingRules {
    int chess960; // 1: Chess960's castling and its notation
    // rule[r] is the castling the right 1 << r permits.
    CastleRule rule[4];
    // castle_mask for this game: the rights a move from or to each square
    // keeps.
    int mask[64];
};
// Fixed when a game is set up (new_game, set_fen) and copied with the
// position to the search's helpers.
extern PER_THREAD CastlingRules castling_rules;
// Standard chess, as new_game sets it up.
void set_standard_castling();
// Chess960 with the rights' rooks on rook_square[r] (-1: no such right)
// and each colour's king on king_square[colour].
void set_chess960_castling(const int king_square[2], const int rook_square[4]);
// The index r of the right 1 << r that a castling move plays: its colour by
// the king's rank, its side by the king's destination file.
inline int castle_right_index(Move move) {
    return (move_from(move) < 8 ? 2 : 0) + ((move_to(move) & 7) == 2 ? 1 : 0);
}

// Constant tables. castle_mask is standard chess's.
extern const int castle_mask[64];
extern const int mailbox[120];
extern const int square_to_mailbox[64];
extern const int piece_slides[6];
extern const int direction_count[6];
extern const int direction_offsets[6][8];
extern const int initial_piece[64];
extern const int initial_color[64];
extern const PositionKey key_table[KEY_TABLE_SIZE];

inline bool stands(int square, int color, int piece) {
    return square_color[square] == color && square_piece[square] == piece;
}

inline int key_index(int color, int piece, int square) {
    return color * 8 + piece + square * 16;
}
inline PositionKey castle_key(int rights) {
    return key_table[rights * 16 + 7];
}
inline PositionKey side_key() {
    return key_table[15];
}

// The position with the history a repetition test reads, as one thread
// hands it to another: the undo records below game_ply, the rest as is.
struct PositionCopy {
    int square_color[64];
    int square_piece[64];
    SquareSet color_set[2];
    SquareSet piece_set[2][6];
    int64_t weight_sum[2];
    const PieceWeights *piece_weights;
    int side_to_move;
    int castle_rights;
    int ep_square;
    int fifty_count;
    int game_ply;
    int forgotten_plies;
    PositionKey position_key;
    CastlingRules castling_rules;
    UndoRecord undo_stack[UNDO_STACK_SIZE];
};
// The calling thread's position into copy.
void save_position(PositionCopy *copy);
// The copy becomes the calling thread's position, at ply 0, its moves not
// yet generated.
void load_position(const PositionCopy &copy);

// Resets the position to the start of a standard game and computes its key.
void new_game();
// The castling rights the board backs: the game's king and the right's
// rook on their start squares.
int castle_rights_on_board();
// Sets position_key to the full key of the position on the board, after
// rebuilding the square sets from the board arrays: whatever writes the
// arrays directly calls it before the position is used again.
void compute_key();
// The full key of the position on the board, computed from the arrays.
PositionKey full_key();
// Rebuilds color_set, piece_set and the weighted sums from the board arrays.
void rebuild_square_sets();

// Squares attacked from a square by a knight, a king, or a pawn of a colour,
// on an empty board; and the squares of a ray, the origin excluded, in each
// of the eight directions ordered as direction_offsets lists a queen's.
extern const SquareSet knight_attacks[64];
extern const SquareSet king_attacks[64];
extern const SquareSet pawn_attacks[2][64];
extern const SquareSet ray_squares[8][64];
// All squares a bishop, or a rook, would see from a square on an empty board.
extern const SquareSet diagonal_lines[64];
extern const SquareSet straight_lines[64];
// The rays of a bishop and of a rook, each in the order of direction_offsets.
constexpr int DIAGONAL_RAYS[4] = {0, 2, 5, 7};
constexpr int STRAIGHT_RAYS[4] = {1, 3, 4, 6};
// Rays 0-3 run toward lower square numbers, so their nearest square is the
// highest of a set; rays 4-7 run toward higher ones.
inline bool ray_descends(int ray) {
    return ray < 4;
}

// Slider attacks by look-up, with no search for blockers along the rays.
// The occupancy of a line through the square is gathered into six bits by
// one multiplication (the line's inner squares, its end squares being
// reached whatever stands there), and a table gives the squares reached.
// falling_diagonals and rising_diagonals: the a8-h1 and the h8-a1
// direction through each square, the square itself included.
extern const SquareSet falling_diagonals[64];
extern const SquareSet rising_diagonals[64];
// rank_fill[p][inner]: what a slider on file p of a rank reaches along it,
// the inner files' occupancy in inner, copied onto every rank (a diagonal
// holds one square of each file, so it is cut out of this by its mask).
// file_fill[p][inner]: the same along the a-file, for a slider on row p.
extern const SquareSet rank_fill[8][64];
extern const SquareSet file_fill[8][64];
constexpr SquareSet A_FILE_SQUARES = 0x0101010101010101ull;
constexpr SquareSet H_FILE_SQUARES = A_FILE_SQUARES << 7;
// Row k of the a-file onto bit 56 + k: every partial product lands on its
// own bit, so nothing carries.
constexpr SquareSet FILE_GATHER = 0x0102040810204080ull;

// A line with one square per file: its occupancy, file by file, ends up in
// the top byte.
inline SquareSet diagonal_reach(SquareSet line, int square, SquareSet occupied) {
    const int inner = (int)(((occupied & line) * A_FILE_SQUARES) >> 57) & 63;
    return rank_fill[square & 7][inner] & line;
}
inline SquareSet bishop_reach(int square, SquareSet occupied) {
    return diagonal_reach(falling_diagonals[square], square, occupied) |
           diagonal_reach(rising_diagonals[square], square, occupied);
}
inline SquareSet rook_reach(int square, SquareSet occupied) {
    const int row = square >> 3;
    const int file = square & 7;
    const int rank_inner = (int)(occupied >> (row * 8 + 1)) & 63;
    const SquareSet rank = rank_fill[file][rank_inner] & ((SquareSet)0xff << (row * 8));
    const int file_inner = (int)((((occupied >> file) & A_FILE_SQUARES) * FILE_GATHER) >> 57) & 63;
    return rank | file_fill[row][file_inner] << file;
}

// From-scratch check of everything kept incrementally: the key, the two
// board arrays against each other and against the square sets and the
// weighted sums, castling rights against the board, and the en-passant
// square against the pawn that passed it. Returns a description of the first fault found, or
// nullptr.
const char *board_fault();
// Debug builds stop at once, naming the fault, when board_fault finds one
// after a make_move or unmake_move; release builds compile the check out.
#ifdef NDEBUG
#define DEBUG_CHECK_BOARD() ((void)0)
#else
void check_board_or_abort(const char *where);
#define DEBUG_CHECK_BOARD() check_board_or_abort(__func__)
#endif

int square_attacked(int square, int by);
// square_attacked on the board as a move would leave it: these squares
// occupied, and the pieces of colour by on the removed squares taken off.
// Attackers are looked for from the target square: the pieces that could
// reach it by their own moves, which finds exactly what a scan of every
// attacker would. Inline: make_move asks it of every move.
inline int square_attacked_after(int square, int by, SquareSet occupied, SquareSet removed) {
    const SquareSet *pieces = piece_set[by];
    const SquareSet kept = ~removed;
    // A pawn attacks the squares a pawn of the other colour would attack
    // it from.
    if (pawn_attacks[by ^ 1][square] & pieces[PAWN] & kept) return 1;
    if (knight_attacks[square] & pieces[KNIGHT] & kept) return 1;
    if (king_attacks[square] & pieces[KING] & kept) return 1;
    const SquareSet diagonal = (pieces[BISHOP] | pieces[QUEEN]) & kept;
    const SquareSet straight = (pieces[ROOK] | pieces[QUEEN]) & kept;
    // Most squares see no slider on their lines at all.
    if ((diagonal_lines[square] & diagonal) && (bishop_reach(square, occupied) & diagonal))
        return 1;
    if ((straight_lines[square] & straight) && (rook_reach(square, occupied) & straight)) return 1;
    return 0;
}
int in_check(int color);
// 1 when make_move would play the generated move, found without making it.
int move_is_legal(Move move);
void generate_moves();
void generate_captures();
// The entries of generate_moves' list that score as captures (captures,
// promotions, castling onto a square another piece holds) and en passant,
// in the order that list has them. Every other entry of that list scores
// as quiet_move_scores has it.
void generate_capture_scored_moves();
// 1 when generate_moves' list at this ply surely fits in move_stack: a
// fuller stack drops the moves past its end.
int move_list_fits();
void push_move(int from, int to, int flags);
void push_promotions(int from, int to, int flags);

// Plays a generated move; 1 when played and legal, 0 (position untouched) otherwise.
int make_move(Move move);
// make_move for a side to move that is not in check: the same result, with
// less of the legality test.
int make_move_out_of_check(Move move);
// The key position_key would have after make_move played the generated
// move, worked out without playing it: the search starts fetching the
// table slot of a move it is about to make with it.
PositionKey key_after_castling(Move move);
inline PositionKey key_after(Move move) {
    const int from = move_from(move);
    const int to = move_to(move);
    const int flags = move_flags(move);
    if (flags & MF_CASTLE) return key_after_castling(move);
    const int mover = side_to_move;
    const int moving = square_piece[from];
    const int captured = square_piece[to];
    const int arriving = (flags & MF_PROMOTION) ? move_promotion(move) : moving;
    uint64_t key = key_bits(position_key) ^ key_bits(side_key()) ^
                   key_bits(key_table[key_index(mover, moving, from)]) ^
                   key_bits(key_table[key_index(mover, arriving, to)]);
    if (captured != EMPTY) key ^= key_bits(key_table[key_index(mover ^ 1, captured, to)]);
    if (flags & MF_EN_PASSANT)
        key ^= key_bits(key_table[key_index(mover ^ 1, PAWN, mover == WHITE ? to + 8 : to - 8)]);
    const int rights = castle_rights & castling_rules.mask[from] & castling_rules.mask[to];
    if (rights != castle_rights)
        key ^= key_bits(castle_key(castle_rights)) ^ key_bits(castle_key(rights));
    return key_from_bits(key);
}
// What an undo record gives back whatever the move was: the mover to move,
// the key and the castling, en-passant and fifty-move state.
inline void restore_position_state(const UndoRecord &record, int mover) {
    side_to_move = mover;
    opponent = mover ^ 1;
    position_key = record.key;
    castle_rights = record.castle_rights;
    ep_square = record.ep_square;
    fifty_count = record.fifty_count;
}
// unmake_move for castling, promotions and en passant.
void unmake_special_move();
// Takes back undo_stack[game_ply - 1]; the caller ensures game_ply >= 1.
// Inline: the search takes back a move at every node, nearly always a
// plain move or capture.
inline void unmake_move() {
    const UndoRecord &record = undo_stack[game_ply - 1];
    const Move move = record.move;
    const int flags = move_flags(move);
    if (flags & (MF_CASTLE | MF_PROMOTION | MF_EN_PASSANT)) {
        unmake_special_move();
        return;
    }
    game_ply--;
    ply--;
    const int from = move_from(move);
    const int to = move_to(move);
    // The mover is the colour standing on the destination, not simply the
    // side not to move: "white" and "black" can hand the move over between
    // a move and its undo.
    const int mover = square_color[to];
    restore_position_state(record, mover);
    // The piece goes back from to to from: one flip of both squares in its
    // sets.
    const int piece = square_piece[to];
    const int64_t *placed = piece_weights->value[mover][piece];
    weight_sum[mover] += placed[from] - placed[to];
    square_color[from] = mover;
    square_piece[from] = piece;
    const SquareSet path = square_bit(from) | square_bit(to);
    color_set[mover] ^= path;
    piece_set[mover][piece] ^= path;
    const int captured = record.captured;
    if (captured == EMPTY) {
        square_color[to] = EMPTY;
        square_piece[to] = EMPTY;
    } else {
        const int other = mover ^ 1;
        square_color[to] = other;
        square_piece[to] = captured;
        color_set[other] ^= square_bit(to);
        piece_set[other][captured] ^= square_bit(to);
        weight_sum[other] += piece_weights->value[other][captured][to];
    }
    DEBUG_CHECK_BOARD();
}

// The moves of the game position, for the protocols and the search's root.
// After every change of the game position: ply 0 and its moves generated,
// so that they stand in move_stack from entry 0 to ply_move_start[1] - 1.
void refresh_moves();
// 1 when move is in the list of the current ply.
int move_in_list(Move move);
// 1 when make_move plays move here (it is taken back at once); 0 for the
// word 0 and for moves it refuses.
int move_playable(Move move);
// The first move of the current ply's list that make_move plays, or 0 when
// there is none (mate or stalemate).
Move first_legal_move();
// How many moves of the current ply's list make_move plays.
int count_legal_moves();
// 1 at the start of a game: the initial placement, White to move, every
// castling right, no en-passant square and no move played.
int at_initial_position();

// How many entries of generate_moves' list make_move would play here,
// counted without generating or making them (castling excepted, which is
// tried).
int playable_move_count();
// Leaf count of the legal move tree below the current position, by
// generate_moves, make_move and unmake_move, the last ply by
// playable_move_count.
uint64_t perft(int depth);

// Move notation: e2e4, e7e8q for promotions; castling e1g1 in standard
// games and the king taking its own rook (e1h1, g1h1, b1a1) in Chess960.
extern PER_THREAD char move_text_buffer[8];
// Index of the ply-0 list entry the coordinate text names, or -1. In
// Chess960 games castling reads as the king taking its rook, or as O-O and
// O-O-O (0-0, 0-0-0).
int parse_move_text(const char *text);
// Coordinate text of a move, in move_text_buffer (overwritten by each call).
const char *move_text(Move move);
// move_text, but castling written O-O or O-O-O.
const char *move_text_castle_o(Move move);
// Set while Chess960 castling is written O-O / O-O-O by move_text too (as
// xboard's fischerandom wants it), not as the king taking its rook.
extern int chess960_castling_as_o;
// The square of a file letter and rank digit, or -1 when they name none.
int square_from_text(char file, char rank);
// Piece code of an upper-case piece letter (PNBRQK), or -1.
int piece_from_letter(char letter);

// How set_fen reads castling. FEN_AS_WRITTEN: a field of K, Q, k and q is
// standard chess, rights without their king on the e-file and rook in the
// corner dropped, unless only Chess960 backs some letter and it backs
// every one (X-FEN: K and Q name the outermost rook on that side of the
// king); a field with a file letter (X-FEN's inner rooks, Shredder-FEN's
// HAha) is Chess960. FEN_CHESS960: any field is Chess960, for a Chess960
// game whose position looks standard. In Chess960 a letter that names no
// rook of its colour on the back rank, or whose king is not on the back
// rank, is refused.
// FEN_STANDARD: standard chess whatever the field says, for a game that is
// not Chess960 (a client's, say): K, Q, k, q and the corner files H, A, h,
// a name the corner rooks, and rights the board does not back are dropped.
constexpr char INITIAL_FEN[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int FEN_AS_WRITTEN = 0;
constexpr int FEN_CHESS960 = 1;
constexpr int FEN_STANDARD = 2;
// Sets up a position from FEN text and generates its moves at ply 0.
// Returns 1 on success; 0 on malformed text, with a reason in *error.
int set_fen(const char *fen, const char **error, int rules = FEN_AS_WRITTEN);

// Why the position on the board cannot arise in a game, or nullptr: not
// exactly one king a side, more than 16 pieces a side, a pawn on the first
// or last rank, or the side not to move in check.
const char *unplayable_position();
// set_fen for a position that can arise: a FEN that does not read, or a
// position unplayable_position refuses, leaves the position and its history
// as they were and returns 0, with the reason in *error.
int set_playable_fen(const char *fen, const char **error, int rules = FEN_AS_WRITTEN);

# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
"""The rules of chess, small and slow: legal moves, game end, coordinate moves.

The front-end drivers check every move pelmok sends against this, so it must
not share code with the engine. perft() lets a caller confirm it against the
published node counts before trusting it.
"""

FILES = "abcdefgh"
KNIGHT_STEPS = ((1, 2), (2, 1), (2, -1), (1, -2), (-1, -2), (-2, -1), (-2, 1), (-1, 2))
KING_STEPS = ((1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1))
ROOK_DIRS = ((1, 0), (-1, 0), (0, 1), (0, -1))
BISHOP_DIRS = ((1, 1), (1, -1), (-1, 1), (-1, -1))
START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def square(name):
    return (int(name[1]) - 1) * 8 + FILES.index(name[0])


def square_name(sq):
    return FILES[sq % 8] + str(sq // 8 + 1)


def move_text(move):
    return square_name(move[0]) + square_name(move[1]) + move[2]


def colour_of(piece):
    return "w" if piece.isupper() else "b"


def on_board(f, r):
    return 0 <= f < 8 and 0 <= r < 8


class Position:
    """board[sq] holds "." or a piece letter (upper case White); a1 is 0, h8 63."""

    def __init__(self, fen=START_FEN):
        parts = fen.split()
        self.board = ["."] * 64
        for row, text in enumerate(parts[0].split("/")):
            f = 0
            for ch in text:
                if ch.isdigit():
                    f += int(ch)
                else:
                    self.board[(7 - row) * 8 + f] = ch
                    f += 1
        self.turn = parts[1]
        self.castling = set(parts[2]) - {"-"}
        self.ep = None if parts[3] == "-" else square(parts[3])
        self.halfmove = int(parts[4]) if len(parts) > 4 else 0
        self.fullmove = int(parts[5]) if len(parts) > 5 else 1

    def copy(self):
        other = Position.__new__(Position)
        other.board = self.board[:]
        other.turn = self.turn
        other.castling = set(self.castling)
        other.ep = self.ep
        other.halfmove = self.halfmove
        other.fullmove = self.fullmove
        return other

    def attacked(self, sq, by):
        """Whether side `by` attacks square sq."""
        b = self.board
        f, r = sq % 8, sq // 8
        pawn, knight, king = ("P", "N", "K") if by == "w" else ("p", "n", "k")
        bishop_like = ("B", "Q") if by == "w" else ("b", "q")
        rook_like = ("R", "Q") if by == "w" else ("r", "q")
        pr = r - 1 if by == "w" else r + 1
        for df in (-1, 1):
            if on_board(f + df, pr) and b[pr * 8 + f + df] == pawn:
                return True
        for df, dr in KNIGHT_STEPS:
            if on_board(f + df, r + dr) and b[(r + dr) * 8 + f + df] == knight:
                return True
        for df, dr in KING_STEPS:
            if on_board(f + df, r + dr) and b[(r + dr) * 8 + f + df] == king:
                return True
        for dirs, pieces in ((BISHOP_DIRS, bishop_like), (ROOK_DIRS, rook_like)):
            for df, dr in dirs:
                x, y = f + df, r + dr
                while on_board(x, y):
                    p = b[y * 8 + x]
                    if p != ".":
                        if p in pieces:
                            return True
                        break
                    x, y = x + df, y + dr
        return False

    def king_square(self, side):
        king = "K" if side == "w" else "k"
        return self.board.index(king) if king in self.board else None

    def in_check(self, side=None):
        side = side or self.turn
        k = self.king_square(side)
        return k is not None and self.attacked(k, "b" if side == "w" else "w")

    def pseudo_moves(self):
        b, me = self.board, self.turn
        them = "b" if me == "w" else "w"
        moves = []
        for sq, p in enumerate(b):
            if p == "." or colour_of(p) != me:
                continue
            f, r = sq % 8, sq // 8
            kind = p.upper()
            if kind == "P":
                step = 1 if me == "w" else -1
                last = 7 if me == "w" else 0
                home = 1 if me == "w" else 6
                promos = ("q", "r", "b", "n")
                one = sq + 8 * step
                if b[one] == ".":
                    if r + step == last:
                        moves.extend((sq, one, x) for x in promos)
                    else:
                        moves.append((sq, one, ""))
                        two = one + 8 * step
                        if r == home and b[two] == ".":
                            moves.append((sq, two, ""))
                for df in (-1, 1):
                    if not on_board(f + df, r + step):
                        continue
                    to = (r + step) * 8 + f + df
                    if (b[to] != "." and colour_of(b[to]) == them) or to == self.ep:
                        if r + step == last:
                            moves.extend((sq, to, x) for x in promos)
                        else:
                            moves.append((sq, to, ""))
            elif kind in ("N", "K"):
                for df, dr in KNIGHT_STEPS if kind == "N" else KING_STEPS:
                    if on_board(f + df, r + dr):
                        to = (r + dr) * 8 + f + df
                        if b[to] == "." or colour_of(b[to]) == them:
                            moves.append((sq, to, ""))
            else:
                dirs = {"B": BISHOP_DIRS, "R": ROOK_DIRS, "Q": BISHOP_DIRS + ROOK_DIRS}[kind]
                for df, dr in dirs:
                    x, y = f + df, r + dr
                    while on_board(x, y):
                        to = y * 8 + x
                        if b[to] == ".":
                            moves.append((sq, to, ""))
                        else:
                            if colour_of(b[to]) == them:
                                moves.append((sq, to, ""))
                            break
                        x, y = x + df, y + dr
        # Castling: the king's two-square step, through unattacked squares.
        rank = 0 if me == "w" else 7
        king = "K" if me == "w" else "k"
        e = rank * 8 + 4
        if b[e] == king and not self.attacked(e, them):
            if (("K" if me == "w" else "k") in self.castling and b[e + 1] == "." and
                    b[e + 2] == "." and b[e + 3] == ("R" if me == "w" else "r") and
                    not self.attacked(e + 1, them) and not self.attacked(e + 2, them)):
                moves.append((e, e + 2, ""))
            if (("Q" if me == "w" else "q") in self.castling and b[e - 1] == "." and
                    b[e - 2] == "." and b[e - 3] == "." and
                    b[e - 4] == ("R" if me == "w" else "r") and
                    not self.attacked(e - 1, them) and not self.attacked(e - 2, them)):
                moves.append((e, e - 2, ""))
        return moves

    def play(self, move):
        """Returns the position after a pseudo-legal move (self is unchanged)."""
        frm, to, promo = move
        n = self.copy()
        b = n.board
        p = b[frm]
        captured = b[to]
        b[to] = p
        b[frm] = "."
        if p in "Pp" and to == self.ep:
            b[to - 8 if p == "P" else to + 8] = "."
            captured = "p"
        if promo:
            b[to] = promo.upper() if p == "P" else promo
        if p in "Kk" and abs(to - frm) == 2:
            if to > frm:
                b[frm + 1], b[frm + 3] = b[frm + 3], "."
            else:
                b[frm - 1], b[frm - 4] = b[frm - 4], "."
        for sq in (frm, to):
            n.castling -= {4: {"K", "Q"}, 60: {"k", "q"}, 0: {"Q"}, 7: {"K"},
                           56: {"q"}, 63: {"k"}}.get(sq, set())
        n.ep = (frm + to) // 2 if p in "Pp" and abs(to - frm) == 16 else None
        n.halfmove = 0 if p in "Pp" or captured != "." else self.halfmove + 1
        if self.turn == "b":
            n.fullmove += 1
        n.turn = "b" if self.turn == "w" else "w"
        return n

    def legal_moves(self):
        result = []
        for m in self.pseudo_moves():
            if not self.play(m).in_check(self.turn):
                result.append(m)
        return result

    def parse_move(self, text):
        """The legal move written as e2e4 / e7e8q, or None."""
        text = text.strip()
        if len(text) not in (4, 5):
            return None
        for m in self.legal_moves():
            if move_text(m) == text:
                return m
        return None

    def key(self):
        """Identity for repetitions: the en-passant square counts only when a
        pawn could take there."""
        ep = None
        if self.ep is not None:
            for m in self.legal_moves():
                if m[1] == self.ep and self.board[m[0]] in "Pp":
                    ep = self.ep
                    break
        return ("".join(self.board), self.turn, "".join(sorted(self.castling)), ep)

    def insufficient_material(self):
        """No mate is possible for either side: bare kings, one minor piece,
        or bishops alone all on squares of one colour."""
        others = [(sq, p) for sq, p in enumerate(self.board) if p not in ".Kk"]
        if any(p.upper() in "PRQ" for _, p in others):
            return False
        if len(others) <= 1:
            return True
        if all(p.upper() == "B" for _, p in others):
            shades = {(sq % 8 + sq // 8) % 2 for sq, _ in others}
            return len(shades) == 1
        return False

    def fen(self):
        rows = []
        for r in range(7, -1, -1):
            row, empty = "", 0
            for f in range(8):
                p = self.board[r * 8 + f]
                if p == ".":
                    empty += 1
                else:
                    row += (str(empty) if empty else "") + p
                    empty = 0
            rows.append(row + (str(empty) if empty else ""))
        castling = "".join(c for c in "KQkq" if c in self.castling) or "-"
        ep = square_name(self.ep) if self.ep is not None else "-"
        return "%s %s %s %s %d %d" % ("/".join(rows), self.turn, castling, ep, self.halfmove,
                                      self.fullmove)


def game_result(pos, history):
    """(result, reason) when the game is over in pos, else None. history holds
    the keys of every earlier position of the game, pos's own included."""
    if not pos.legal_moves():
        if pos.in_check():
            return ("0-1", "Black mates") if pos.turn == "w" else ("1-0", "White mates")
        return "1/2-1/2", "Draw by stalemate"
    if pos.insufficient_material():
        return "1/2-1/2", "Draw by insufficient mating material"
    if pos.halfmove >= 100:
        return "1/2-1/2", "Draw by fifty moves rule"
    if history.count(pos.key()) >= 3:
        return "1/2-1/2", "Draw by 3-fold repetition"
    return None


def perft(pos, depth):
    if depth == 0:
        return 1
    moves = pos.legal_moves()
    if depth == 1:
        return len(moves)
    return sum(perft(pos.play(m), depth - 1) for m in moves)


# Published perft counts: start position, "Kiwipete", and three positions
# rich in en passant, promotion and castling rights.
PERFT_CHECKS = (
    (START_FEN, 3, 8902),
    ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2, 2039),
    ("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 3, 2812),
    ("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 2, 264),
    ("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 2, 1486),
)


def self_check():
    """Raises AssertionError when the move generator disagrees with the
    published counts."""
    for fen, depth, expected in PERFT_CHECKS:
        got = perft(Position(fen), depth)
        assert got == expected, "perft(%s, %d) = %d, expected %d" % (fen, depth, got, expected)

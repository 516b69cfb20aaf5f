#!/usr/bin/env python3
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
"""The bookkeeping of match.sh: its openings, and the verdict on its games.

  match.py openings FILE [--moves]
      checks that every opening of FILE plays legally from the initial
      position and prints how many there are (with --moves, each one's
      moves in coordinate notation, for a UCI engine's "position" line)
  match.py share FILE GAMES PART PARTS OUT
      writes to OUT the openings that xboard number PART (0 to PARTS-1) of
      a GAMES-game match plays: the match takes the first GAMES/2 openings
      of FILE (from the start again when it needs more), each played twice
      with the colours reversed, and the xboards take every PARTS-th one
  match.py result --engine NAME --opponent NAME [--opponent-elo N]
                  --stall-seconds S PART_DIR...
      [--sides first [second]]
      judges the games of the PART_DIRs that match.sh filled, prints W/D/L,
      the score and the Elo difference with its 95 % error bar, and exits 1
      when a game ended abnormally or went missing
"""

import argparse
import math
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "frontend"))
import chessrules  # noqa: E402
import xboard_check  # noqa: E402

SAN_RE = re.compile(r"^([NBRQK])?([a-h])?([1-8])?x?([a-h][1-8])(?:=?([QRBN]))?$")
MOVE_NUMBER_RE = re.compile(r"^\d+\.+$")
RESULT_WORDS = ("1-0", "0-1", "1/2-1/2", "*")


def san_move(pos, san):
    """The legal move that san names in pos, or None."""
    text = san.rstrip("+#!?")
    if text in ("O-O", "O-O-O"):
        king = pos.king_square(pos.turn)
        to = king + (2 if text == "O-O" else -2)
        matches = [m for m in pos.legal_moves() if m[0] == king and m[1] == to]
        return matches[0] if len(matches) == 1 else None
    m = SAN_RE.match(text)
    if not m:
        return None
    piece, from_file, from_rank, to, promotion = m.groups()
    piece = piece or "P"
    found = []
    for move in pos.legal_moves():
        name = chessrules.move_text(move)
        if pos.board[move[0]].upper() != piece or name[2:4] != to:
            continue
        if (from_file and name[0] != from_file) or (from_rank and name[1] != from_rank):
            continue
        if move[2].upper() != (promotion or ""):
            continue
        found.append(move)
    return found[0] if len(found) == 1 else None


def movetext_words(chunk):
    """The moves of one PGN game, in order, without numbers, comments or result."""
    body = "\n".join(l for l in chunk.splitlines() if not l.startswith("["))
    body = re.sub(r"\{[^{}]*\}|\([^()]*\)|\$\d+", " ", body)
    return [w for w in body.split() if not MOVE_NUMBER_RE.match(w) and w not in RESULT_WORDS]


def pgn_chunks(text):
    return [c for c in re.split(r"\n(?=\[Event )", text.strip()) if c.strip()]


def read_openings(path):
    """[(tags chunk, [SAN...], [coordinate move...])], or exits on a bad opening."""
    with open(path, encoding="utf-8") as f:
        chunks = pgn_chunks(f.read())
    openings = []
    for number, chunk in enumerate(chunks, 1):
        pos = chessrules.Position()
        sans, coords = movetext_words(chunk), []
        for san in sans:
            move = san_move(pos, san)
            if move is None:
                sys.exit("match: opening %d of %s: %s is no legal move after %s" %
                         (number, path, san, " ".join(sans[:len(coords)]) or "nothing"))
            coords.append(chessrules.move_text(move))
            pos = pos.play(move)
        if not sans:
            sys.exit("match: opening %d of %s has no moves" % (number, path))
        openings.append((chunk, sans, coords))
    if not openings:
        sys.exit("match: %s holds no openings" % path)
    return openings


def command_openings(args):
    openings = read_openings(args.file)
    if args.moves:
        for _, _, coords in openings:
            print(" ".join(coords))
    else:
        print("%d openings" % len(openings))


def command_share(args):
    openings = read_openings(args.file)
    wanted = [openings[i % len(openings)][0] for i in range((args.games + 1) // 2)]
    with open(args.out, "w", encoding="utf-8") as f:
        f.write("\n\n".join(wanted[args.part::args.parts]) + "\n")


def elo(score):
    return -400 * math.log10(1 / score - 1)


def elo_text(score):
    if score <= 0:
        return "-inf"
    if score >= 1:
        return "+inf"
    return "%+.0f" % (elo(score) + 0.0)  # no "-0"


def summary(wins, draws, losses):
    """The score and the Elo difference with the 95 % interval that the
    per-game variance of the score gives."""
    n = wins + draws + losses
    if n == 0:
        return "no games", None
    mean = (wins + draws / 2) / n
    variance = (wins * (1 - mean) ** 2 + draws * (0.5 - mean) ** 2 + losses * mean ** 2) / n
    margin = 1.96 * math.sqrt(variance / n)
    low, high = mean - margin, mean + margin
    text = "score %g/%d (%.1f %%), Elo difference %s" % (wins + draws / 2, n, 100 * mean,
                                                          elo_text(mean))
    if 0 < mean < 1:
        # The interval of the score, mapped to Elo; the +- is its half width
        # where both ends are finite.
        ends = (elo_text(low), elo_text(high))
        if 0 < low and high < 1:
            text += " +- %.0f" % ((elo(high) - elo(low)) / 2)
        text += " (95 %%: %s to %s)" % ends
    return text, (elo(mean) if 0 < mean < 1 else None)


def file_text(path):
    if not os.path.exists(path):
        return ""
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def check_part(part, engine, stall_seconds, sides, failures):
    """Judges one xboard's games: returns [(points of engine, game line)]."""
    where = os.path.basename(os.path.dirname(part)) + "/" + os.path.basename(part)
    try:
        with open(os.path.join(part, "games.pgn"), encoding="utf-8", errors="replace") as f:
            text = f.read()
    except FileNotFoundError:
        text = ""
    with open(os.path.join(part, "openings.pgn"), encoding="utf-8") as f:
        openings = [movetext_words(c) for c in pgn_chunks(f.read())]
    expected = 2 * len(openings)
    chunks = pgn_chunks(text)
    games = xboard_check.parse_pgn(text) if text.strip() else []
    scored = []
    for i, (game, chunk) in enumerate(zip(games, chunks)):
        verdict, why = xboard_check.judge(game, engine, False)
        tags, result = game["tags"], game["result"]
        line = "%s game %d: %s - %s %s {%s}" % (where, i + 1, tags.get("White", "?"),
                                               tags.get("Black", "?"), result,
                                               game["reason"] or "no comment")
        # Any forfeit, either side's, spoils the measurement.
        if verdict != "OK" or why not in ("ended normally", "the opponent resigns"):
            failures.append("%s: %s" % (line, why))
        opening = openings[(i // 2) % len(openings)] if openings else []
        played = [w.rstrip("+#") for w in movetext_words(chunk)[:len(opening)]]
        if played != [w.rstrip("+#") for w in opening]:
            failures.append("%s: did not start with its opening %s" % (line, " ".join(opening)))
        white = tags.get("White", "") == engine
        points = {"1-0": 1.0 if white else 0.0, "0-1": 0.0 if white else 1.0,
                  "1/2-1/2": 0.5}.get(result)
        if points is not None:
            scored.append((points, line))
    if len(games) != expected:
        failures.append("%s: %d games saved, %d expected" % (where, len(games), expected))
    status_file = os.path.join(part, "status")
    status = open(status_file).read().strip() if os.path.exists(status_file) else "missing"
    if status != "0":
        failures.append("%s: xboard ended with status %s%s" % (
            where, status, " (the time limit: a stall?)" if status == "124" else ""))
    log = os.path.join(part, "xboard.debug")
    if os.path.exists(log):
        problems = set()
        for tag in sides:
            log_games, _, _, found, _ = xboard_check.scan_log(log, tag)
            problems.update(found)
        for number, start, end in log_games:
            if end is not None and (end - start) / 1000 > stall_seconds:
                problems.add("game %d took %.0f s (stall?)" % (number, (end - start) / 1000))
        failures.extend("%s: %s" % (where, p) for p in sorted(problems))
    else:
        failures.append("%s: no xboard debug log" % where)
    # The settings each engine must have been given: rows of FILE<TAB>text
    # it holds, one pair or several of which one must hold.
    expect = os.path.join(part, "expected")
    if os.path.exists(expect):
        for row in open(expect, encoding="utf-8").read().splitlines():
            fields = row.split("\t")
            pairs = list(zip(fields[0::2], fields[1::2]))
            if not any(wanted in file_text(os.path.join(part, name)) for name, wanted in pairs):
                failures.append("%s: %s never got '%s'" % (where, pairs[0][0], pairs[0][1]))
    return scored


def command_result(args):
    failures = []
    scored = []
    for part in args.parts:
        scored.extend(check_part(part, args.engine, args.stall_seconds, args.sides, failures))
    wins = sum(1 for p, _ in scored if p == 1)
    draws = sum(1 for p, _ in scored if p == 0.5)
    losses = sum(1 for p, _ in scored if p == 0)
    text, difference = summary(wins, draws, losses)
    print("%s vs %s: W/D/L %d/%d/%d, %s" % (args.engine, args.opponent, wins, draws, losses,
                                          text))
    if args.opponent_elo is not None and difference is not None:
        print("%s on the scale of %s: %.0f" % (args.engine, args.opponent,
                                              args.opponent_elo + difference))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest="command", required=True)
    p = sub.add_parser("openings")
    p.add_argument("file")
    p.add_argument("--moves", action="store_true")
    p = sub.add_parser("share")
    p.add_argument("file")
    p.add_argument("games", type=int)
    p.add_argument("part", type=int)
    p.add_argument("parts", type=int)
    p.add_argument("out")
    p = sub.add_parser("result")
    p.add_argument("--engine", required=True)
    p.add_argument("--opponent", required=True)
    p.add_argument("--opponent-elo", type=int)
    p.add_argument("--stall-seconds", type=int, required=True)
    # The engines whose traffic is judged as pelmok's: first, or both when
    # the opponent is pelmok too.
    p.add_argument("--sides", nargs="+", default=["first"], choices=("first", "second"))
    p.add_argument("parts", nargs="+")
    args = ap.parse_args()
    return {"openings": command_openings, "share": command_share,
            "result": command_result}[args.command](args) or 0


if __name__ == "__main__":
    sys.exit(main())

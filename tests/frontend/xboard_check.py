#!/usr/bin/env python3
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
"""Judges an xboard match of pelmok from the PGN and the xboard debug log.

Prints one line per game (result and how it ended), a summary of what xboard
sent to pelmok and what pelmok answered, and exits 1 when pelmok lost a game
through the protocol rather than over the board: an illegal move, a time
forfeit, a crash, a stall, a move of xboard's that pelmok refused, or a false
result claim.
"""

import argparse
import collections
import re
import sys

RESULTS = ("1-0", "0-1", "1/2-1/2", "*")
MOVE_RE = re.compile(r"^[a-h][1-8][a-h][1-8][qrbn]?$")
# xboard's log lines of engine traffic: "<ms> >first : text" / "<ms> <first : text".
TRAFFIC_RE = re.compile(r"^(\d+) ([<>])(first|second) *: ?(.*)$")
THINKING_RE = re.compile(r"^\s*-?\d+\s+-?\d+\s+-?\d+\s+-?\d+")
# An unprefixed line right after a send is the rest of a multi-line command
# (xboard sends its init string "new\nrandom" as one write).
CONTINUATION_RE = re.compile(r"^[a-z?][\w .:/-]*$")


def parse_pgn(text):
    games = []
    for chunk in re.split(r"\n(?=\[Event )", text.strip()):
        if not chunk.strip():
            continue
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]\s*$', chunk, re.M))
        movetext = "\n".join(l for l in chunk.splitlines() if not l.startswith("["))
        movetext = movetext.strip()
        result = tags.get("Result", "*")
        reason = ""
        m = re.search(r"\{([^{}]*)\}\s*(1-0|0-1|1/2-1/2|\*)\s*$", movetext)
        if m:
            reason = " ".join(m.group(1).split())
            result = m.group(2)
        else:
            m = re.search(r"(1-0|0-1|1/2-1/2|\*)\s*$", movetext)
            if m:
                result = m.group(1)
        bare = re.sub(r"\{[^{}]*\}", " ", movetext)
        plies = [w for w in bare.split() if not re.match(r"^(\d+\.+|1-0|0-1|1/2-1/2|\*)$", w)]
        games.append({"tags": tags, "result": result, "reason": reason, "plies": len(plies)})
    return games


def judge(game, engine, strict_claims):
    """Returns (verdict, explanation); verdict is OK, QUIRK or FAIL."""
    tags, result, reason = game["tags"], game["result"], game["reason"]
    white, black = tags.get("White", "?"), tags.get("Black", "?")
    # In protocol 2 the engine names itself: its name and its version.
    def is_engine(name):
        return name == engine or name.startswith(engine + " ")

    if is_engine(white):
        colour = "white"
    elif is_engine(black):
        colour = "black"
    else:
        return "FAIL", "%s plays neither side (%s vs %s)" % (engine, white, black)
    loser = {"1-0": "black", "0-1": "white"}.get(result)
    # pelmok against itself (its two protocols): whichever loses, pelmok does.
    both = is_engine(white) and is_engine(black)
    engine_lost = loser == colour or (both and loser is not None)
    low = reason.lower()
    if result not in RESULTS or result == "*":
        return "FAIL", "game unfinished (%s)" % (reason or "no termination comment")
    if "illegal" in low or "invalid move" in low:
        who = engine if engine_lost else "opponent"
        if engine_lost:
            return "FAIL", "%s forfeits by an illegal move" % who
        return "OK", "the opponent forfeits by an illegal move"
    if "wins on time" in low:
        if engine_lost:
            return "FAIL", "%s forfeits on time" % engine
        return "OK", "the opponent forfeits on time"
    if "false" in low and "claim" in low:
        if not engine_lost:
            return "OK", "the opponent forfeits by a false claim"
        if "insufficient materiel" in low and not strict_claims:
            return "QUIRK", ("%s forfeits by its minor-piece draw claim "
                             "(xboard rejects it)" % engine)
        return "FAIL", "%s forfeits by a false result claim" % engine
    if "resign" in low:
        if engine_lost:
            return "FAIL", "%s resigned, which it never does" % engine
        return "OK", "the opponent resigns"
    for word in ("exit", "error", "died", "crash", "broken pipe", "abort", "disconnect"):
        if word in low:
            return "FAIL", "game ended abnormally"
    return "OK", "ended normally"


def scan_log(path, engine_tag="first"):
    """Returns (games, sent, answers, problems, longest_move_ms)."""
    sent = collections.Counter()
    answers = collections.Counter()
    problems = []
    games = []  # [number, start_ms, end_ms]
    last_ms = 0
    last_sent_ms = None
    prev_was_send = False
    longest = (0, "")
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\n")
            m = TRAFFIC_RE.match(line)
            if not m:
                if prev_was_send and CONTINUATION_RE.match(line):
                    sent[line.split()[0]] += 1
                    continue
                prev_was_send = False
                if line.startswith("New game ("):
                    games.append([len(games) + 1, last_ms, None])
                if "exited unexpectedly" in line:
                    problems.append("xboard: " + line.strip())
                continue
            ms, direction, who, text = int(m.group(1)), m.group(2), m.group(3), m.group(4)
            last_ms = ms
            prev_was_send = direction == ">" and who == engine_tag
            if who != engine_tag:
                continue
            if direction == ">":
                last_sent_ms = ms
                word = text.split()[0] if text.split() else "(empty line)"
                sent["<move>" if MOVE_RE.match(word) else word] += 1
                if word == "result" and games and games[-1][2] is None:
                    games[-1][2] = ms
                continue
            if text.startswith("move "):
                answers["move <move>"] += 1
                if last_sent_ms is not None and ms - last_sent_ms > longest[0]:
                    longest = (ms - last_sent_ms, text)
                continue
            if THINKING_RE.match(text):
                answers["<thinking line>"] += 1
                continue
            answers[text if text.strip() else "(empty line)"] += 1
            if text.startswith("Illegal"):
                problems.append("pelmok printed: " + text)
            em = re.match(r"Error \(.*\): (\S+)", text)
            if em and MOVE_RE.match(em.group(1)):
                problems.append("pelmok refused xboard's move: " + text)
    return games, sent, answers, problems, longest


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--pgn", required=True)
    ap.add_argument("--log", required=True)
    ap.add_argument("--games", type=int, required=True)
    ap.add_argument("--engine", default="pelmok")
    ap.add_argument("--xboard-status", type=int, default=0)
    ap.add_argument("--match-limit", type=int, default=0)
    ap.add_argument("--stall-seconds", type=int, required=True)
    ap.add_argument("--strict-claims", action="store_true")
    ap.add_argument("--engine-tag", default="first", choices=("first", "second"),
                    help="which of xboard's engines is the one judged")
    args = ap.parse_args()

    failures = []
    try:
        with open(args.pgn, encoding="utf-8", errors="replace") as f:
            games = parse_pgn(f.read())
    except FileNotFoundError:
        games = []
    for i, game in enumerate(games, 1):
        verdict, why = judge(game, args.engine, args.strict_claims)
        tags = game["tags"]
        print("game %d: %s - %s  %s  {%s}  %d plies  %s: %s" %
              (i, tags.get("White", "?"), tags.get("Black", "?"), game["result"],
               game["reason"] or "no comment", game["plies"], verdict, why))
        if verdict == "FAIL":
            failures.append("game %d: %s" % (i, why))
    if len(games) < args.games:
        failures.append("xboard saved %d of %d games" % (len(games), args.games))

    try:
        log_games, sent, answers, problems, longest = scan_log(args.log, args.engine_tag)
    except FileNotFoundError:
        log_games, sent, answers, problems, longest = [], {}, {}, ["no xboard debug log"], (0, "")
    failures.extend(problems)
    for number, start, end in log_games:
        if end is None:
            failures.append("game %d never got a result from xboard (stall?)" % number)
        elif (end - start) / 1000 > args.stall_seconds:
            failures.append("game %d took %.0f s, more than %d s (stall?)" %
                            (number, (end - start) / 1000, args.stall_seconds))
    print("xboard sent %s: %s" % (args.engine, ", ".join(
        "%s x%d" % (k, v) for k, v in sorted(sent.items(), key=lambda kv: -kv[1]))))
    print("%s answered: %s" % (args.engine, ", ".join(
        "%r x%d" % (k, v) for k, v in sorted(answers.items(), key=lambda kv: -kv[1]))))
    if longest[0]:
        print("longest %s reply: %d ms (%s)" % (args.engine, longest[0], longest[1]))

    if args.xboard_status == 124:
        failures.append("xboard did not finish the match within %d s (stall)" % args.match_limit)
    elif args.xboard_status != 0:
        failures.append("xboard exited with status %d" % args.xboard_status)

    if failures:
        for f in failures:
            print("FAIL: " + f)
        return 1
    print("xboard match: %d games, no protocol faults" % len(games))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives pelmok the way a cutechess-style match runner drives an xboard
engine, using no command beyond protocol 1, and checks its answers.

    cutechess_style.py PELMOK_BINARY [--book FILE] [--transcript FILE]

The runner's side of the conversation:
  start:     xboard, protover 2, then some 2 s taking in the features (which
             pelmok sends at once)
  each game: new, force, level ..., post, easy, the opening moves in force
             mode; before each of the engine's turns time N and otim N
             (centiseconds), then go (first turn) or the opponent's move;
             at the end ? (only if the engine is thinking), force and
             result R {reason}
  end:       quit
Game 1: level 40 0:10 0, pelmok White. Game 2: level 0 0:05 0.05, pelmok
Black. The runner keeps the clocks: it takes off the time each move took,
adds the increment, adds the base time again after every 40 moves of a
40-move control (the opening moves count, as a runner counts book moves), and
forfeits pelmok when a move takes longer than its clock.
A third game is then abandoned while pelmok thinks, so that the "?" path is
played too.

The opponent is a second pelmok process searching to a fixed depth in force
mode; every move of both processes is checked against chessrules.py, which
the engine does not share. Games end by the rules (mate, stalemate, fifty
moves, threefold repetition, insufficient material) or after 300 plies.

Checks: every reply is a legal move; no line begins with "Illegal"; no move
that the runner sent is refused; no move takes longer than the clock; the
first move of game 1 takes under 10 s / 40 * 2; no move of game 2 takes 2.5 s
or more; no move spends more than half the clock (plus a little); result
claims agree with the board; "?" makes pelmok move at once; the process exits
with status 0 after quit. Exit status 1 when a check fails, 2 on a usage or
set-up error.
"""

import argparse
import collections
import os
import queue
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import chessrules  # noqa: E402

FEATURE_WAIT_S = 2.0
# Deep enough that games usually outlast the first 40-move control.
OPPONENT_DEPTH = 5
OPPONENT_WAIT_S = 60.0
MAX_PLIES = 300
QUIT_WAIT_S = 5.0
# The largest share of its clock the engine's budget rule gives one move is
# half; this much on top covers the poll interval and the pipes.
HALF_CLOCK_SLACK_S = 0.3
CLAIM_RE = re.compile(r"^(1-0|0-1|1/2-1/2|\*)(\s|$)")
THINKING_RE = re.compile(r"^\s*-?\d+\s+-?\d+\s+-?\d+\s+-?\d+")
MOVE_RE = re.compile(r"^[a-h][1-8][a-h][1-8][qrbn]?$")

GAMES = (
    {"level": "40 0:10 0", "base": 10.0, "moves": 40, "inc": 0.0, "engine": "w",
     "opening": ("e2e4", "e7e5"), "first_move_limit": 10.0 / 40 * 2, "move_limit": None},
    {"level": "0 0:05 0.05", "base": 5.0, "moves": 0, "inc": 0.05, "engine": "b",
     "opening": ("e2e4", "e7e5"), "first_move_limit": None, "move_limit": 2.5},
)
# Abandoned while pelmok thinks: its budget here is base / 70, some 1.7 s, so
# a reply within 1 s of "?" shows that "?" ended the search.
INTERRUPTED = {"level": "0 2:00 0", "base": 120.0, "opening": ("d2d4", "d7d5", "c2c4", "e7e6"),
               "question_after": 0.15, "answer_within": 1.0}


class Process:
    """An engine process with a reader thread; every line is time-stamped."""

    def __init__(self, name, argv, cwd, log):
        self.name = name
        self.log = log
        self.lines = queue.Queue()
        self.proc = subprocess.Popen(argv, cwd=cwd, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.stderr = []
        threading.Thread(target=self._read, daemon=True).start()
        threading.Thread(target=self._read_stderr, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put((time.monotonic(), raw.decode("latin-1").rstrip("\r\n")))
        self.lines.put((time.monotonic(), None))

    def _read_stderr(self):
        for raw in self.proc.stderr:
            self.stderr.append(raw.decode("latin-1").rstrip("\r\n"))

    def send(self, text):
        now = time.monotonic()
        self.log.append((now, self.name, ">", text))
        try:
            self.proc.stdin.write((text + "\n").encode())
            self.proc.stdin.flush()
        except (BrokenPipeError, OSError):
            self.log.append((now, self.name, "!", "write failed: the process has gone"))
        return now

    def read(self, deadline):
        """(time, line) before the deadline; line None at end of output;
        None on time-out."""
        wait = deadline - time.monotonic()
        if wait <= 0:
            wait = 0.001
        try:
            t, line = self.lines.get(timeout=wait)
        except queue.Empty:
            return None
        self.log.append((t, self.name, "<", "<end of output>" if line is None else line))
        return t, line

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=5)


class Run:
    def __init__(self, binary, opponent_binary, workdir, transcript):
        self.log = []
        self.failures = []
        self.quirks = []
        self.notes = collections.Counter()
        self.sent_words = collections.Counter()
        self.thinking_lines = 0
        self.eof = False
        self.engine = Process("pelmok", [binary], workdir, self.log)
        opp_dir = os.path.join(workdir, "opponent")
        os.mkdir(opp_dir)  # no book: the opponent's replies follow from its search
        self.opponent = Process("opponent", [opponent_binary], opp_dir, self.log)
        self.transcript = transcript
        # (time, position, history) as the engine last learnt it, for claims.
        self.snapshots = []
        self.moves_sent_this_game = set()

    def fail(self, text):
        if not self.failures:
            self.first_failure_at = time.monotonic()
        self.failures.append(text)
        print("FAIL: " + text)

    def send(self, text):
        word = text.split()[0]
        self.sent_words["<move>" if MOVE_RE.match(word) else word] += 1
        return self.engine.send(text)

    def snapshot(self, t, pos, history):
        self.snapshots.append((t, pos, list(history)))

    # Engine output --------------------------------------------------------

    def handle_line(self, t, line):
        """Checks one line of pelmok's output; returns the move text of a
        "move" line, else None."""
        if line is None:
            if not self.eof:
                self.eof = True
                self.notes["<end of output>"] += 1
            return None
        if line.startswith("Illegal"):
            self.fail("pelmok printed a line beginning with 'Illegal': %r" % line)
        if line.startswith("move "):
            return line[5:].strip()
        if THINKING_RE.match(line):
            self.thinking_lines += 1
            return None
        m = re.match(r"^Error \([^)]*\): (\S+)", line)
        if m and m.group(1) in self.moves_sent_this_game:
            self.fail("pelmok refused a legal move the runner sent: %r" % line)
        if CLAIM_RE.match(line):
            self.check_claim(t, line)
            return None
        self.notes[line if line.strip() else "(empty line)"] += 1
        return None

    def check_claim(self, t, line):
        self.notes[line] += 1
        known = [s for s in self.snapshots if s[0] <= t]
        if not known:
            self.fail("result claim before any game: %r" % line)
            return
        _, pos, history = known[-1]
        actual = chessrules.game_result(pos, history)
        claimed = line.split()[0]
        if actual is not None and actual[0] == claimed:
            return
        pieces = [p for p in pos.board if p not in ".Kk"]
        minors_only = all(p.upper() in "NB" for p in pieces)
        per_side = max(sum(p.isupper() for p in pieces), sum(p.islower() for p in pieces))
        if (claimed == "1/2-1/2" and "insufficient materiel" in line and minors_only and
                per_side <= 1):
            self.quirks.append("draw claim %r with %s on the board (a runner that verifies "
                               "claims forfeits pelmok here)" % (line, "".join(pieces)))
            print("QUIRK: " + self.quirks[-1])
            return
        self.fail("invalid result claim %r in %s (the board says %s)" %
                  (line, pos.fen(), actual or "the game goes on"))

    def wait_move(self, deadline):
        """(time, move text) of the next "move" line, or None at the deadline
        or the end of output."""
        while True:
            got = self.engine.read(deadline)
            if got is None:
                return None
            t, line = got
            mv = self.handle_line(t, line)
            if mv is not None:
                return t, mv
            if line is None:
                return None

    def drain(self, seconds):
        deadline = time.monotonic() + seconds
        while True:
            got = self.engine.read(deadline)
            if got is None:
                return
            self.handle_line(*got)
            if got[1] is None:
                return

    # Opponent ---------------------------------------------------------------

    def opponent_start(self):
        self.opponent.send("xboard")
        self.opponent.send("sd %d" % OPPONENT_DEPTH)

    def opponent_new_game(self, moves):
        self.opponent.send("new")
        self.opponent.send("force")
        for m in moves:
            self.opponent.send(m)

    def opponent_reply(self, unseen, pos):
        for m in unseen:
            self.opponent.send(m)
        start = self.opponent.send("go")
        deadline = start + OPPONENT_WAIT_S
        while True:
            got = self.opponent.read(deadline)
            if got is None or got[1] is None:
                raise RuntimeError("the opponent process gave no move")
            t, line = got
            if line.startswith("Illegal") or (line.startswith("Error") and
                                              any(m in line for m in unseen)):
                self.fail("the opponent pelmok process refused a move: %r" % line)
            if line.startswith("move "):
                self.opponent.send("force")
                text = line[5:].strip()
                move = pos.parse_move(text)
                if move is None:
                    self.fail("the opponent pelmok process played an illegal move %r in %s" %
                              (text, pos.fen()))
                    move = pos.legal_moves()[0]
                return move, t - start

    # Games --------------------------------------------------------------------

    def start(self):
        self.send("xboard")
        t = self.send("protover 2")
        self.drain(FEATURE_WAIT_S)
        self.opponent_start()
        return t

    def end_game(self, result, reason, thinking):
        if thinking:
            self.send("?")
            # The engine answers "?" with its move; the runner no longer
            # plays it.
            self.wait_move(time.monotonic() + 2.0)
        self.send("force")
        self.send("result %s {%s}" % (result, reason))
        self.drain(0.2)

    def play_game(self, number, game):
        print("game %d: level %s, pelmok plays %s" %
              (number, game["level"], "White" if game["engine"] == "w" else "Black"))
        self.moves_sent_this_game = set()
        pos = chessrules.Position()
        history = [pos.key()]
        self.send("new")
        self.send("force")
        self.send("level " + game["level"])
        self.send("post")
        t = self.send("easy")
        self.snapshot(t, pos, history)
        self.opponent_new_game(game["opening"])
        for text in game["opening"]:
            move = pos.parse_move(text)
            t = self.send(text)
            self.moves_sent_this_game.add(text)
            pos = pos.play(move)
            history.append(pos.key())
            self.snapshot(t, pos, history)

        engine_side = game["engine"]
        clock = {"engine": game["base"], "opponent": game["base"]}
        # Moves towards the next control: the opening moves count, as book
        # moves do in a runner, but cost no time and earn no increment.
        side_moves = {"w": 0, "b": 0}
        for ply in range(len(game["opening"])):
            side_moves["w" if ply % 2 == 0 else "b"] += 1
        opponent_side = "b" if engine_side == "w" else "w"
        for side, who in ((engine_side, "engine"), (opponent_side, "opponent")):
            if game["moves"] and side_moves[side] and side_moves[side] % game["moves"] == 0:
                clock[who] += game["base"]
        engine_moves = 0
        first_turn = True
        pending = None  # the opponent's move the engine has yet to learn
        unseen_by_opponent = []
        stats = {"longest": (0.0, ""), "lowest_clock": game["base"], "moves": 0}
        result = None

        while result is None:
            over = chessrules.game_result(pos, history)
            if over is None and len(history) - 1 >= MAX_PLIES:
                over = ("1/2-1/2", "Draw by adjudication")
            if over is not None:
                result = over
                self.end_game(over[0], over[1], thinking=False)
                break

            if pos.turn != engine_side:
                move, took = self.opponent_reply(unseen_by_opponent, pos)
                unseen_by_opponent = []
                side_moves[pos.turn] += 1
                clock["opponent"] = max(0.01, clock["opponent"] - took) + game["inc"]
                if game["moves"] and side_moves[pos.turn] % game["moves"] == 0:
                    clock["opponent"] += game["base"]
                text = chessrules.move_text(move)
                pos = pos.play(move)
                history.append(pos.key())
                if first_turn:
                    # Still in force mode: the move goes over at once.
                    t = self.send(text)
                    self.moves_sent_this_game.add(text)
                    self.snapshot(t, pos, history)
                else:
                    pending = (text, pos, list(history))
                continue

            before = clock["engine"]
            self.send("time %d" % max(0, int(before * 100)))
            self.send("otim %d" % max(0, int(clock["opponent"] * 100)))
            if first_turn:
                t0 = self.send("go")
            else:
                t0 = self.send(pending[0])
                self.moves_sent_this_game.add(pending[0])
                self.snapshot(t0, pending[1], pending[2])
            first_turn = False
            got = self.wait_move(t0 + before)
            if got is None:
                who = "White" if engine_side == "w" else "Black"
                result = ("0-1" if engine_side == "w" else "1-0", who + " loses on time")
                self.fail("game %d: pelmok gave no move within its clock of %.2f s%s" %
                          (number, before, " (its output ended)" if self.eof else ""))
                self.end_game(result[0], result[1], thinking=not self.eof)
                break
            t_move, text = got
            took = t_move - t0
            move = pos.parse_move(text)
            if move is None:
                who = "White" if engine_side == "w" else "Black"
                result = ("0-1" if engine_side == "w" else "1-0",
                          "%s makes an illegal move: %s" % (who, text))
                self.fail("game %d: pelmok played the illegal move %r in %s" %
                          (number, text, pos.fen()))
                self.end_game(result[0], result[1], thinking=False)
                break
            engine_moves += 1
            stats["moves"] = engine_moves
            if took > stats["longest"][0]:
                stats["longest"] = (took, "move %d, clock %.2f s" % (engine_moves, before))
            if took > before:
                who = "White" if engine_side == "w" else "Black"
                result = ("0-1" if engine_side == "w" else "1-0", who + " loses on time")
                self.fail("game %d: move %d (%s) took %.3f s with %.3f s on the clock" %
                          (number, engine_moves, text, took, before))
                self.end_game(result[0], result[1], thinking=False)
                break
            if took > before / 2 + HALF_CLOCK_SLACK_S:
                self.fail("game %d: move %d (%s) took %.3f s, more than half of its clock "
                          "%.3f s" % (number, engine_moves, text, took, before))
            if engine_moves == 1 and game["first_move_limit"] is not None and \
                    took >= game["first_move_limit"]:
                self.fail("game %d: the first move took %.3f s, not under %.3f s" %
                          (number, took, game["first_move_limit"]))
            if game["move_limit"] is not None and took >= game["move_limit"]:
                self.fail("game %d: move %d took %.3f s, not under %.1f s" %
                          (number, engine_moves, took, game["move_limit"]))
            clock["engine"] = before - took + game["inc"]
            side_moves[engine_side] += 1
            if game["moves"] and side_moves[engine_side] % game["moves"] == 0:
                clock["engine"] += game["base"]
            stats["lowest_clock"] = min(stats["lowest_clock"], before - took)
            pos = pos.play(move)
            history.append(pos.key())
            self.snapshot(t_move, pos, history)
            unseen_by_opponent.append(text)

        controls = ""
        if game["moves"]:
            controls = ", %d time control(s) passed" % (side_moves[engine_side] // game["moves"])
        print("game %d: %s {%s} after %d plies; pelmok made %d moves%s, longest %.3f s (%s), "
              "lowest clock %.2f s" %
              (number, result[0], result[1], len(history) - 1, stats["moves"], controls,
               stats["longest"][0], stats["longest"][1], stats["lowest_clock"]))

    def play_interrupted(self, number):
        game = INTERRUPTED
        print("game %d: level %s, abandoned while pelmok thinks" % (number, game["level"]))
        self.moves_sent_this_game = set()
        pos = chessrules.Position()
        history = [pos.key()]
        for text in ("new", "force", "level " + game["level"], "post", "easy"):
            t = self.send(text)
        self.snapshot(t, pos, history)
        for text in game["opening"]:
            t = self.send(text)
            self.moves_sent_this_game.add(text)
            pos = pos.play(pos.parse_move(text))
            history.append(pos.key())
            self.snapshot(t, pos, history)
        centis = int(game["base"] * 100)
        self.send("time %d" % centis)
        self.send("otim %d" % centis)
        t0 = self.send("go")
        got = self.wait_move(t0 + game["question_after"])
        if got is not None:
            print("game %d: pelmok answered before '?' could be sent (%s)" % (number, got[1]))
            t_question = None
        else:
            t_question = self.send("?")
            got = self.wait_move(t_question + 5.0)
        if got is None:
            self.fail("game %d: no move after '?'" % number)
        else:
            t_move, text = got
            if pos.parse_move(text) is None:
                self.fail("game %d: pelmok answered '?' with the illegal move %r" %
                          (number, text))
            if t_question is not None:
                late = t_move - t_question
                print("game %d: pelmok moved %s %.3f s after '?' (%.3f s after go)" %
                      (number, text, late, t_move - t0))
                if late > game["answer_within"]:
                    self.fail("game %d: pelmok took %.3f s to answer '?', not within %.1f s" %
                              (number, late, game["answer_within"]))
        self.send("force")
        self.send("result * {Game abandoned}")
        self.drain(0.2)

    def quit(self):
        self.send("quit")
        try:
            status = self.engine.proc.wait(timeout=QUIT_WAIT_S)
        except subprocess.TimeoutExpired:
            self.fail("pelmok did not exit within %.0f s of quit" % QUIT_WAIT_S)
            self.engine.stop()
            return
        self.drain(0.5)
        if status != 0:
            self.fail("pelmok exited with status %d after quit" % status)
        else:
            print("pelmok exited with status 0 after quit")

    def report(self):
        print("runner sent pelmok: " + ", ".join(
            "%s x%d" % kv for kv in sorted(self.sent_words.items(), key=lambda kv: -kv[1])))
        print("pelmok answered (besides moves): %d thinking lines; " % self.thinking_lines +
              ", ".join("%r x%d" % kv for kv in self.notes.most_common()))
        if self.engine.stderr:
            print("pelmok wrote to stderr: %r" % self.engine.stderr[:5])
        if self.transcript:
            start = self.log[0][0] if self.log else 0
            with open(self.transcript, "w") as f:
                for t, who, direction, text in self.log:
                    f.write("%8.3f %-8s %s %s\n" % (t - start, who, direction, text))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("binary")
    ap.add_argument("--book", help="book file copied into pelmok's working directory "
                    "(default: none, so that every reply is a search that the clock bounds)")
    ap.add_argument("--transcript", help="write the whole conversation to this file")
    ap.add_argument("--opponent", help="engine that supplies the opponent's moves "
                    "(default: a second process of BINARY)")
    args = ap.parse_args()
    binary = os.path.abspath(args.binary)
    opponent = os.path.abspath(args.opponent or args.binary)
    for path in (binary, opponent):
        if not os.access(path, os.X_OK):
            print("cutechess_style: %s is not an executable" % path, file=sys.stderr)
            return 2
    try:
        chessrules.self_check()
    except AssertionError as e:
        print("cutechess_style: the move generator is wrong: %s" % e, file=sys.stderr)
        return 2

    workdir = tempfile.mkdtemp(prefix="pelmok-cutechess-")
    run = None
    try:
        if args.book:
            shutil.copy(args.book, os.path.join(workdir, "pelmok.opn"))
        run = Run(binary, opponent, workdir, args.transcript)
        try:
            run.start()
            for number, game in enumerate(GAMES, 1):
                run.play_game(number, game)
            run.play_interrupted(len(GAMES) + 1)
            run.quit()
        except RuntimeError as e:
            run.fail("the run stopped: %s" % e)
        run.report()
    finally:
        if run is not None:
            run.engine.stop()
            run.opponent.send("quit")
            try:
                run.opponent.proc.wait(timeout=QUIT_WAIT_S)
            except subprocess.TimeoutExpired:
                run.opponent.stop()
        shutil.rmtree(workdir, ignore_errors=True)

    for q in run.quirks:
        print("QUIRK: " + q)
    if run.failures:
        if not run.transcript:
            # The conversation up to the first failure shows what led to it.
            start = run.log[0][0] if run.log else 0
            print("lines exchanged with pelmok up to the first failure:")
            lines = [e for e in run.log if e[1] == "pelmok" and e[0] <= run.first_failure_at]
            for t, _, direction, text in lines[-25:]:
                print("  %8.3f %s %s" % (t - start, direction, text))
        print("cutechess-style run: %d check(s) failed" % len(run.failures))
        return 1
    print("cutechess-style run: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

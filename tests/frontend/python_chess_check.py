#!/usr/bin/env python3
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives pelmok through python-chess's own engine layer, the one lichess-bot
and most engine scripts use, over UCI and over xboard protocol version 2.

    python_chess_check.py PELMOK_BINARY

Run from the repository root (the engine starts there and finds its book).
Every check prints PASS, FAIL or GAP with what it saw; the exit status is 1
when one failed. A check that gets no answer in time fails and the engine is
started afresh for the next one. python-chess's traffic is kept, and the last
lines of it are shown under a failure.

xboard node limits need "feature nps=1"; python-chess refuses them otherwise.
With PELMOK_REQUIRE_NPS=0 an engine that declares nps=0 gets a GAP there,
not a FAIL (for builds from before node limits).
"""

import asyncio
import collections
import logging
import os
import sys
import time

import chess
import chess.engine

REQUIRE_XBOARD_NPS = os.environ.get("PELMOK_REQUIRE_NPS", "1") != "0"

# Out of every book, with many captures and checks: the engine must search.
MIDDLEGAME = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
QUIET = "2r2rk1/pp1bqppp/2n1pn2/3p4/3P4/2PBPN2/PP1N1PPP/R2Q1RK1 w - - 0 1"
# Two rooks against the bare king: mate in two, not in one.
MATE_IN_2 = "7k/8/8/8/8/8/1R6/R6K w - - 0 1"
CHECKMATED = "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"
STALEMATE = "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"

NODES = 20000
TRAFFIC_SHOWN = 25


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def forces_mate(board, moves):
    """True when the side to move mates in at most `moves` moves, whatever
    the defence."""
    for move in list(board.legal_moves):
        if mating_move(board, move, moves):
            return True
    return False


def mating_move(board, move, moves):
    """True when `move` leads to mate in at most `moves` moves."""
    board.push(move)
    try:
        if board.is_checkmate():
            return True
        if moves <= 1 or board.is_game_over():
            return False
        for reply in list(board.legal_moves):
            board.push(reply)
            mated = forces_mate(board, moves - 1)
            board.pop()
            if not mated:
                return False
        return True
    finally:
        board.pop()


class Traffic(logging.Handler):
    """Keeps python-chess's log: every line each way, and its warnings."""

    def __init__(self):
        super().__init__(logging.DEBUG)
        self.lines = collections.deque(maxlen=TRAFFIC_SHOWN)
        self.warnings = collections.Counter()

    def emit(self, record):
        text = record.getMessage()
        self.lines.append(text)
        if record.levelno >= logging.WARNING:
            self.warnings[text.split(": ", 1)[-1]] += 1


class Run:
    def __init__(self, command, traffic):
        self.command = command
        self.traffic = traffic
        self.failures = 0
        self.protocol = None
        self.engine = None
        self.transport = None
        # What the engine accepted, set again after a restart.
        self.options = {}

    async def start(self, protocol):
        """Starts the engine under `protocol` ("uci" or "xboard")."""
        self.protocol = protocol
        popen = chess.engine.popen_uci if protocol == "uci" else chess.engine.popen_xboard
        self.transport, self.engine = await asyncio.wait_for(popen(self.command), 10)

    async def stop(self):
        if self.engine is None:
            return
        try:
            await asyncio.wait_for(self.engine.quit(), 5)
        except (asyncio.TimeoutError, chess.engine.EngineError):
            print("    the engine did not end on quit")
        self.transport.close()
        self.engine = None

    async def restart(self):
        # A wedged engine may ignore quit: close the pipes and kill it.
        self.transport.close()
        self.engine = None
        await self.start(self.protocol)
        if self.options:
            await asyncio.wait_for(self.engine.configure(self.options), 5)

    def report(self, verdict, name, detail, began):
        print(f"{verdict} {self.protocol} {name} ({time.monotonic() - began:.1f} s): {detail}")

    async def check(self, name, timeout, body, gap=None):
        """Runs `body(engine)`, which returns what it saw or raises Failed.
        `gap`, when given, turns a failure into a GAP with that reason."""
        began = time.monotonic()
        self.traffic.lines.clear()
        wedged = False
        try:
            detail = await asyncio.wait_for(body(self.engine), timeout)
            self.report("PASS", name, detail, began)
            return
        except Failed as failure:
            detail = str(failure)
        except asyncio.TimeoutError:
            detail, wedged = f"no answer within {timeout} s", True
        except chess.engine.EngineError as error:
            detail, wedged = f"{type(error).__name__}: {error}", True
        if gap:
            self.report("GAP ", name, f"{gap}: {detail}", began)
        else:
            self.failures += 1
            self.report("FAIL", name, detail, began)
            for line in self.traffic.lines:
                print("    | " + line)
        if wedged:
            await self.restart()


def info_summary(info):
    parts = [f"{key} {info[key]}" for key in ("depth", "score", "nodes") if key in info]
    if info.get("pv"):
        parts.append("pv " + " ".join(m.uci() for m in info["pv"][:4]))
    return ", ".join(parts) or "no info"


def other_moves(board, excluded, count):
    """`count` legal moves other than `excluded`, the quietest first."""
    quiet = sorted(board.legal_moves, key=lambda m: (board.is_capture(m), board.gives_check(m), m.uci()))
    return [m for m in quiet if m != excluded][:count]


async def check_finished_games(run):
    """Analysis of checkmate and stalemate: answered at once, without error,
    with the score of the game's end where one is shown. Both protocols: the
    client does the same there."""
    for name, fen, ending in (("checkmate", CHECKMATED, chess.engine.Mate(0)),
                              ("stalemate", STALEMATE, chess.engine.Cp(0))):
        board = chess.Board(fen)

        async def infinite(engine, board=board):
            # Open-ended analysis: its line must come unasked, before the
            # client stops it.
            analysis = await engine.analysis(board)
            try:
                await asyncio.wait_for(analysis.get(), 3)
            except asyncio.TimeoutError:
                raise Failed("no line within 3 s of the start")
            except chess.engine.AnalysisComplete:
                raise Failed("the analysis ended without a line")
            analysis.stop()
            await analysis.wait()
            best = (analysis.info.get("pv") or [None])[0]
            expect(best is None, f"a move {best} in a finished game")
            score = analysis.info.get("score")
            expect(score is None or score.relative == ending, f"scored {score}")
            return f"stopped cleanly, {info_summary(analysis.info)}"

        async def limited(engine, board=board):
            info = await engine.analyse(board, chess.engine.Limit(depth=4))
            expect(info.get("score") is None or info["score"].relative == ending, f"scored {info.get('score')}")
            return info_summary(info)

        await run.check(f"analysis of {name}", 10, infinite)
        if run.protocol == "uci":
            await run.check(f"analyse depth 4 of {name}", 10, limited)


async def chess960_checks(run):
    """A Chess960 game of twenty plies from a start where both sides can
    castle soon, the engine playing both sides: every move legal on
    python-chess's own Chess960 board (which sets UCI_Chess960, or sends
    variant fischerandom, by itself)."""

    async def game(engine):
        board = chess.Board("nrkbqrbn/pppppppp/8/8/8/8/PPPPPPPP/NRKBQRBN w FBfb - 0 1", chess960=True)
        castled = 0
        for _ in range(20):
            result = await engine.play(board, chess.engine.Limit(depth=4))
            expect(result.move in board.legal_moves, f"answered {result.move} in {board.fen()}")
            castled += board.is_castling(result.move)
            board.push(result.move)
            if board.is_game_over():
                break
        return f"{len(board.move_stack)} plies, {castled} castling: {board.fen()}"

    await run.check("Chess960 game", 60, game)


async def strength_checks(run):
    """A level set through configure: a legal move, long before the time
    full strength would take; then full strength again."""

    async def level(engine):
        await engine.configure({"UCI_LimitStrength": True, "UCI_Elo": 800})
        board = chess.Board(MIDDLEGAME)
        began = time.monotonic()
        result = await engine.play(board, chess.engine.Limit(time=3))
        took = time.monotonic() - began
        await engine.configure({"UCI_LimitStrength": False})
        expect(result.move in board.legal_moves, f"answered {result.move}")
        expect(took < 1.5, f"level 800 took {took:.1f} s of 3")
        return f"{result.move} in {took:.2f} s"

    await run.check("configure UCI_LimitStrength, UCI_Elo 800", 15, level)


async def uci_checks(run):
    options = {"Hash": 32, "Move Overhead": 100}
    run.options = {}
    await run.start("uci")
    engine = run.engine
    print(f"uci: {engine.id.get('name')}, options {', '.join(engine.options)}")

    async def configure(engine):
        await engine.configure(options)
        run.options = options
        return "accepted"

    await run.check("configure Hash, Move Overhead", 10, configure)
    await strength_checks(run)
    await chess960_checks(run)

    async def nodes(engine):
        board = chess.Board(MIDDLEGAME)
        result = await engine.play(board, chess.engine.Limit(nodes=NODES), info=chess.engine.INFO_ALL)
        expect(result.move in board.legal_moves, f"answered {result.move}")
        # The search stops at its first look at the limits after the count:
        # a few thousand nodes over it at most, not a deeper search.
        searched = result.info.get("nodes", 0)
        expect(searched <= 2 * NODES, f"searched {searched} nodes")
        return f"{result.move}, {info_summary(result.info)}"

    await run.check(f"play nodes {NODES}", 10, nodes)

    async def mate(engine):
        board = chess.Board(MATE_IN_2)
        result = await engine.play(board, chess.engine.Limit(mate=2), info=chess.engine.INFO_ALL)
        expect(mating_move(board, result.move, 2), f"{result.move} does not mate in 2")
        return f"{result.move}, {info_summary(result.info)}"

    await run.check("play mate 2", 10, mate)

    async def depth_with_clock(engine):
        board = chess.Board(QUIET)
        limit = chess.engine.Limit(depth=3, white_clock=30, black_clock=30)
        result = await engine.play(board, limit, info=chess.engine.INFO_ALL)
        expect(result.move in board.legal_moves, f"answered {result.move}")
        expect(result.info.get("depth", 0) <= 3, f"searched to depth {result.info.get('depth')}")
        return f"{result.move}, {info_summary(result.info)}"

    await run.check("play depth 3 with a 30 s clock", 15, depth_with_clock)

    async def root_moves(engine):
        board = chess.Board(MIDDLEGAME)
        free = await engine.play(board, chess.engine.Limit(depth=4))
        allowed = other_moves(board, free.move, 2)
        result = await engine.play(board, chess.engine.Limit(depth=4), root_moves=allowed)
        shown = " ".join(m.uci() for m in allowed)
        expect(result.move in allowed, f"answered {result.move}, allowed {shown} (free choice {free.move})")
        return f"free choice {free.move}; among {shown}: {result.move}"

    await run.check("play root_moves", 15, root_moves)

    async def multipv(engine):
        board = chess.Board(MIDDLEGAME)
        infos = await engine.analyse(board, chess.engine.Limit(depth=4), multipv=3)
        expect(len(infos) == 3, f"{len(infos)} lines")
        firsts = [info["pv"][0] for info in infos if info.get("pv")]
        expect(len(set(firsts)) == 3, f"first moves {[m.uci() for m in firsts]}")
        expect(all("score" in info for info in infos), "a line without a score")
        scores = [info["score"].relative for info in infos]
        expect(scores == sorted(scores, reverse=True), f"not best first: {scores}")
        expect([info.get("multipv") for info in infos] == [1, 2, 3], "lines not numbered 1 to 3")
        return "; ".join(info_summary(info) for info in infos)

    await run.check("analyse multipv 3", 15, multipv)

    async def initial(engine):
        # OwnBook is on by default: analysis must search all the same.
        info = await engine.analyse(chess.Board(), chess.engine.Limit(depth=4))
        expect("score" in info and info.get("pv"), f"no score and pv: {info_summary(info)}")
        return info_summary(info)

    await run.check("analyse the initial position", 10, initial)

    await check_finished_games(run)
    await run.stop()


async def xboard_checks(run):
    options = {"memory": 32}
    run.options = {}
    await run.start("xboard")
    engine = run.engine
    features = engine.features
    shown = " ".join(f"{k}={v}" for k, v in sorted(features.items()) if k not in ("myname", "done"))
    print(f"xboard: {features.get('myname')}, features {shown}")

    async def configure(engine):
        await engine.configure(options)
        run.options = options
        return "accepted"

    await run.check("configure memory", 10, configure)
    await strength_checks(run)
    await chess960_checks(run)

    async def depth_with_clock(engine):
        # "sd" comes before "time": the depth must still hold.
        board = chess.Board(QUIET)
        limit = chess.engine.Limit(depth=3, white_clock=30, black_clock=30)
        result = await engine.play(board, limit, info=chess.engine.INFO_ALL)
        expect(result.move in board.legal_moves, f"answered {result.move}")
        depth = result.info.get("depth")
        expect(depth is not None and depth <= 3, f"last thinking line at depth {depth}")
        return f"{result.move}, {info_summary(result.info)}"

    await run.check("play depth 3 with a 30 s clock", 15, depth_with_clock)

    async def nodes(engine):
        # Another position: python-chess starts a new game, which ends "sd".
        board = chess.Board(MIDDLEGAME)
        result = await engine.play(board, chess.engine.Limit(nodes=NODES), info=chess.engine.INFO_ALL)
        expect(result.move in board.legal_moves, f"answered {result.move}")
        return f"{result.move}, {info_summary(result.info)}"

    gap = None
    if not features.get("nps", 0) and not REQUIRE_XBOARD_NPS:
        gap = "known gap, the engine declares nps=0"
    await run.check(f"play nodes {NODES}", 10, nodes, gap)

    async def mate(engine):
        # python-chess stops the analysis on a score of mate in 2 or better,
        # which it reads only from 100000 + N.
        board = chess.Board(MATE_IN_2)
        info = await engine.analyse(board, chess.engine.Limit(mate=2))
        expect(info.get("pv") and mating_move(board, info["pv"][0], 2), f"no mating move: {info_summary(info)}")
        return info_summary(info)

    await run.check("analysis to mate 2", 10, mate)

    async def root_moves(engine):
        board = chess.Board(MIDDLEGAME)
        free = await engine.analyse(board, chess.engine.Limit(depth=4))
        allowed = other_moves(board, free["pv"][0], 2)
        moves = " ".join(m.uci() for m in allowed)
        firsts = set()
        with await engine.analysis(board, chess.engine.Limit(depth=4), root_moves=allowed) as analysis:
            async for info in analysis:
                if info.get("pv"):
                    firsts.add(info["pv"][0])
        expect(firsts and firsts <= set(allowed), f"showed {sorted(m.uci() for m in firsts)}, allowed {moves}")
        return f"free choice {free['pv'][0]}; among {moves}: {sorted(m.uci() for m in firsts)}"

    await run.check("analysis with root_moves", 15, root_moves)

    async def initial(engine):
        info = await engine.analyse(chess.Board(), chess.engine.Limit(depth=4))
        expect("score" in info and info.get("pv"), f"no score and pv: {info_summary(info)}")
        return info_summary(info)

    await run.check("analyse the initial position", 10, initial)

    await check_finished_games(run)
    await run.stop()


def quiet_callback_errors(loop, context):
    # A killed engine can make python-chess finish a cancelled analysis
    # twice; that is the test's doing, not the engine's.
    print(f"    (python-chess: {context.get('message')}: {context.get('exception')!r})")


async def main(command):
    asyncio.get_running_loop().set_exception_handler(quiet_callback_errors)
    traffic = Traffic()
    logger = logging.getLogger("chess.engine")
    logger.addHandler(traffic)
    logger.setLevel(logging.DEBUG)
    logger.propagate = False

    # The test's own positions, checked before any engine is asked.
    board = chess.Board(MATE_IN_2)
    assert forces_mate(board, 2) and not forces_mate(board, 1)
    assert chess.Board(CHECKMATED).is_checkmate() and chess.Board(STALEMATE).is_stalemate()

    run = Run(command, traffic)
    for checks in (uci_checks, xboard_checks):
        try:
            await checks(run)
        except (asyncio.TimeoutError, chess.engine.EngineError) as error:
            run.failures += 1
            print(f"FAIL {run.protocol}: the engine does not start: {type(error).__name__} {error}")
            if run.transport:
                run.transport.close()
    if traffic.warnings:
        print("python-chess warned:")
        for text, count in traffic.warnings.most_common(10):
            print(f"    {count} x {text}")
    return run.failures


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(f"usage: {sys.argv[0]} PELMOK_BINARY")
    failures = asyncio.run(main(os.path.abspath(sys.argv[1])))
    print(f"python_chess: {failures} check(s) failed" if failures else "python_chess: passed")
    sys.exit(1 if failures else 0)

#!/usr/bin/python3
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives pelmok through PyChess's own engine layer, as the PyChess GUI does:
CECPEngine (xboard protocol version 2) and UCIEngine over pychess.System's
SubProcess, PyChess's game model and clock, and PyChess's asyncio loop with
GLib served beside it.

    pychess_check.py PELMOK_BINARY BOOK_DIR

Run it with Debian's /usr/bin/python3 and HOME (or the XDG folders) pointing
at an empty folder: PyChess keeps its settings and logs there. No window
opens: the modules import GTK but nothing draws, and the one dialog the
engine layer can open is replaced by a recorder.

Checked in each protocol: PyChess's protocol detection and handshake (the
engine's name, its options as PyChess parses them); a game between the two
protocols on PyChess's clock, until each has played MOVES_EACH moves, every
one legal by PyChess's rules and in time; PyChess's analyzer getting lines
and stopping the engine; an option set through PyChess reaching the engine;
the engine ending when PyChess closes it. At the end it prints the commands
PyChess sent. Exit status 77 when PyChess cannot be imported, 1 when a check
failed.
"""

import asyncio
import collections
import gettext
import logging
import os
import re
import sys
import time
import types

try:
    import gi

    gi.require_version("Gtk", "3.0")
    from gi.repository import GLib

    # GTK's widgets, imported without a display, warn that there is no
    # screen; nothing here draws.
    GLib.log_set_handler("Gtk", GLib.LogLevelFlags.LEVEL_CRITICAL, lambda *args: None, None)
    gettext.install("pychess")
    from pychess.Players import CECPEngine
    from pychess.Players.Player import PlayerIsDead
    from pychess.Players.engineNest import discoverer, is_cecp, is_uci
    from pychess.System import conf
    from pychess.System.SubProcess import SubProcess
    from pychess.Utils import const, wait_signal
    from pychess.Utils.Board import Board
    from pychess.Utils.GameModel import GameModel
    from pychess.Utils.Move import parseAny, toAN
    from pychess.Utils.TimeModel import TimeModel
    from pychess.Utils.logic import validate
    from pychess.Utils.lutils.lmove import ParsingError
    from pychess.Variants.fischerandom import FischerandomBoard
    from pychess.Variants.normal import NormalBoard
except (ImportError, ValueError) as error:
    print(f"pychess: skipped: PyChess's engine layer does not import ({error}); apt-get install pychess")
    sys.exit(77)

# Out of every book: the analyzer must search.
MIDDLEGAME = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
MOVES_EACH = 20
CLOCK = 15  # seconds a side for the whole game
# The option set in each protocol: its name, PyChess's default, the value set.
OPTIONS = {"uci": ("Hash", 4, 64), "xboard": ("memory", 32, 128)}
# An analyzer's answers to what is sent on purpose: PyChess ends an xboard
# analysis with an empty board, the test's stop probe sends "." after it.
PROVOKED = ("tellusererror Illegal position: 8/8/8/8/8/8/8/8 w - - 0 1", "Error (unknown command): .")
KEEP = os.environ.get("PYCHESS_KEEP")  # a folder for each engine's whole traffic

failures = 0
sessions = []  # every engine process PyChess started
sizes = {}  # the engines' memory, kB: the players, with the option set, and the analyzers
dialogs = []  # the error dialogs PyChess opened
warnings = collections.Counter()  # what PyChess logged as a warning or error


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def verdict(ok, name, detail, session=None):
    global failures
    print(f"{'PASS' if ok else 'FAIL'} {name}: {detail}")
    if not ok:
        failures += 1
        for line in session.lines[-15:] if session else []:
            print("    | " + line)


original_start = SubProcess.start


async def recording_start(self):
    """SubProcess.start, keeping what goes down the engine's stdin and the
    lines it answers."""
    await original_start(self)
    self.sent, self.lines, self.label = [], [], "engine"
    write = self.proc.stdin.write

    def record(data):
        self.sent.append(data.decode())
        write(data)

    self.proc.stdin.write = record
    self.connect("line", lambda _, line: self.lines.append(line))
    sessions.append(self)


SubProcess.start = recording_start

# PyChess 1.0.3 predates Python 3.9, whose Task.cancel passes a message on to
# the future it awaits: without this, every engine's end() raises TypeError
# before it closes the engine.
cancel_signal_wait = wait_signal.cancel
wait_signal.cancel = lambda self, msg=None: cancel_signal_wait(self)


def dialog(*args, **kwargs):
    """Stands for the message dialog CECPEngine opens on tellusererror."""
    return types.SimpleNamespace(set_markup=lambda text: dialogs.append(" ".join(text.split())),
                                 connect=lambda *args: None, show_all=lambda: None)


CECPEngine.Gtk = types.SimpleNamespace(MessageDialog=dialog, MessageType=CECPEngine.Gtk.MessageType,
                                       ButtonsType=CECPEngine.Gtk.ButtonsType)
warnings_seen = logging.Handler(logging.WARNING)
warnings_seen.emit = lambda record: warnings.update([" ".join(record.getMessage().split())[:120]])
logging.getLogger().addHandler(warnings_seen)


def engine_entry(protocol, command, book_dir, options=()):
    """The engine as PyChess's engine list keeps it, with the options the
    user changed."""
    return {"name": f"added-{protocol}", "protocol": protocol, "command": command, "md5": None,
            "workingDirectory": book_dir,
            "options": [{"name": name, "type": "spin", "default": default, "value": value}
                        for name, default, value in options]}


async def wait_until(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise Failed(f"no {what} within {seconds} s")
        await asyncio.sleep(0.02)


async def process_end(session, name):
    try:
        code = await asyncio.wait_for(session.proc.wait(), 10)
        verdict(True, f"{name} closed", f"the process ended (status {code})")
    except asyncio.TimeoutError:
        verdict(False, f"{name} closed", "the process still runs 10 s after PyChess closed it", session)
        session.proc.kill()


def virtual_kb(pid):
    """The virtual memory of the process and its children, in kB (the hash
    table counts in full, touched or not); None once it has gone."""
    try:
        with open(f"/proc/{pid}/status") as status:
            size = int(next(line.split()[1] for line in status if line.startswith("VmSize:")))
        with open(f"/proc/{pid}/task/{pid}/children") as children:
            return size + sum(virtual_kb(int(child)) or 0 for child in children.read().split())
    except (OSError, StopIteration):
        return None


def check_handshake(player):
    if player.protocol == "uci":
        kinds = {name: (option.get("type"), option.get("min"), option.get("max"))
                 for name, option in player.options.items()}
        # What PyChess acts on (Ponder, UCI_AnalyseMode, MultiPV) or shows
        # as spin boxes must parse to the right type and bounds.
        expected = {"Hash": ("spin", 1, 16384), "Threads": ("spin", 1, 64), "MultiPV": ("spin", 1, 256),
                    "Ponder": ("check", None, None), "UCI_AnalyseMode": ("check", None, None),
                    "OwnBook": ("check", None, None), "Clear Hash": ("button", None, None)}
        wrong = {name: kinds.get(name) for name, kind in expected.items() if kinds.get(name) != kind}
        shown = ", ".join(f"{name} {option.get('type')} {option.get('default', '')}".strip()
                          for name, option in player.options.items())
        verdict(player.name == "pelmok 2.3c" and not wrong, "uci handshake",
                f"name {player.name!r}, options {shown}" + (f"; parsed as {wrong}" if wrong else ""), player.engine)
    else:
        # Without setboard PyChess would set positions up through edit.
        features = player.features
        wanted = {"myname": "pelmok 2.3c", "setboard": 1, "analyze": 1}
        wrong = {name: features.get(name) for name, value in wanted.items() if features.get(name) != value}
        verdict(not wrong and {"memory", "cores"} <= set(player.options), "xboard handshake",
                f"myname {features.get('myname')!r}, options {', '.join(player.options)}"
                + (f"; features read as {wrong}" if wrong else ""), player.engine)


async def play_game(command, book_dir, tally, number, variant=NormalBoard, clock=CLOCK,
                    moves_each=MOVES_EACH, level=None):
    """One game on PyChess's clock, the UCI engine White and the xboard
    engine Black, at PyChess's strength 20 with pondering on (as PyChess
    sets an engine against a human), PyChess's own book playing the first
    moves, until each engine has played MOVES_EACH moves. True when the
    game ended earlier by the rules, with nothing wrong: another game
    follows then."""
    players = []
    for protocol, color in (("uci", const.WHITE), ("xboard", const.BLACK)):
        entry = engine_entry(protocol, command, book_dir, [OPTIONS[protocol]])
        # A strength level as PyChess's engine dialog keeps it.
        if level:
            entry["options"] += [{"name": "UCI_LimitStrength", "type": "check", "default": False, "value": True},
                                 {"name": "UCI_Elo", "type": "spin", "default": 1500, "value": level}]
        player = await asyncio.wait_for(
            discoverer.initPlayerEngine(entry, color, 20, variant, clock, 0, 0, False), 10)
        player.protocol, player.engine.label = protocol, f"{protocol} player {number}"
        players.append(player)
    game = GameModel(TimeModel(clock, 0), variant)
    game.setPlayers(players)
    started, enough, ended = asyncio.Event(), asyncio.Event(), asyncio.Event()
    game.connect("game_started", lambda *args: started.set())
    game.connect("game_ended", lambda *args: ended.set())
    faults = []

    def watch(player):
        make = player.makeMove

        async def make_move(board1, move, board2):
            left = game.timemodel.getPlayerTime(board1.color)
            began = time.monotonic()
            answer = await make(board1, move, board2)
            spent = time.monotonic() - began
            if not validate(board1, answer):
                faults.append(f"{player.protocol} played {toAN(board1, answer)} in {board1.asFen()}")
            elif spent > left:
                faults.append(f"{player.protocol} took {spent:.2f} s with {left:.2f} s on its clock")
            tally[player.protocol].append(spent)
            if min(len(spent) for spent in tally.values()) >= moves_each:
                enough.set()
            return answer

        player.makeMove = make_move

    for player in players:
        watch(player)
    # As PyChess's new-game path does it: a variant that needs its start
    # position (Chess960's is dealt at random) gets it before the start.
    if variant.need_initial_board:
        for player in players:
            player.setOptionInitialBoard(game)
    game.start()
    try:
        await asyncio.wait_for(started.wait(), 10)
    except asyncio.TimeoutError:
        raise Failed("the engines were not through their handshakes within 10 s")
    if number == 1:
        for player in players:
            check_handshake(player)
    waiting = [asyncio.ensure_future(event.wait()) for event in (enough, ended)]
    await asyncio.wait(waiting, timeout=2 * clock + 30, return_when=asyncio.FIRST_COMPLETED)
    for future in waiting:
        future.cancel()
    rules = (const.WON_MATE, const.WON_RESIGN, const.DRAW_STALEMATE, const.DRAW_REPETITION, const.DRAW_50MOVES,
             const.DRAW_INSUFFICIENT)
    plies, finished = len(game.moves), ended.is_set()
    if finished and game.reason not in rules:
        names = {value: name for name, value in vars(const).items()
                 if name.startswith(("WON_", "DRAW_", "WHITE_", "BLACK_"))}
        wrong = [f"{player.protocol} sent {player.invalid_move!r}" for player in players if player.invalid_move]
        faults.append(f"the game ended at ply {plies}: {names.get(game.reason, game.reason)} {' '.join(wrong)}")
    elif not finished and not enough.is_set():
        faults.append(f"the game stalled at ply {plies}")
    elif not finished:
        for player in players:
            sizes[player.protocol] = virtual_kb(player.engine.proc.pid)
    if not finished:
        # As the user closing the game's tab: abort, then drop it.
        game.end(const.ABORTED, const.ABORTED_AGREEMENT)
        game.terminate()
    left = " and ".join(f"{game.timemodel.getPlayerTime(color):.1f} s" for color in (const.WHITE, const.BLACK))
    moves = " ".join(toAN(board, move, short=True, castleNotation=const.CASTLE_KK)
                     for board, move in zip(game.boards, game.moves))
    verdict(not faults, f"game {number}",
            f"{plies} plies, moves by UCI {len(tally['uci'])}, by xboard {len(tally['xboard'])} so far, "
            f"clocks left {left}" + "".join(f"; {fault}" for fault in faults) + f"\n    moves: {moves}")
    for player in players if faults else []:
        print(f"  {player.protocol} engine's last answers:")
        for line in player.engine.lines[-10:]:
            print("    | " + line)
    for player in players:
        await process_end(player.engine, f"{player.protocol} player")
    if finished and not faults:
        print("  the game ended by the rules; another one follows")
    return finished and not faults


async def check_analysis(protocol, command, book_dir):
    """PyChess's hint analyzer on MIDDLEGAME: its lines, then the stop."""
    analyzer = await asyncio.wait_for(
        discoverer.initAnalyzerEngine(engine_entry(protocol, command, book_dir), const.ANALYZING, NormalBoard), 10)
    session, name = analyzer.engine, f"{protocol} analysis"
    session.label = f"{protocol} analyzer"
    board = Board(setup=MIDDLEGAME)
    lines = []
    analyzer.connect("analyze", lambda _, analysis: lines.extend(line for line in analysis if line))
    analyzer.setOptionInitialBoard(types.SimpleNamespace(boards=[board], moves=[], ply=0))
    event, dead = asyncio.Event(), set()
    analyzer.start(event, dead)

    # CECPEngine sends "analyze" before the board, so the engine may first
    # analyse the position of "new": the last run from depth 1 is MIDDLEGAME's.
    def last_run():
        starts = [i for i, line in enumerate(lines) if line[3] == "1"]
        return lines[starts[-1]:] if starts else []

    try:
        await asyncio.wait_for(event.wait(), 10)
        expect(not dead, "the handshake failed")
        await wait_until(lambda: any(int(line[3]) >= 5 for line in last_run()), 15, "line at depth 5")
        run = last_run()
        for ply, moves, score, depth, nps in run:
            expect(isinstance(score, int), f"a line without a score: {' '.join(moves)}")
            position = board
            for text in moves:
                move = parseAny(position, text)
                expect(validate(position, move), f"pv {' '.join(moves)}: {text} is illegal")
                position = position.move(move)
        shown = "; ".join(f"depth {line[3]} score {line[2]} pv {' '.join(line[1][:4])}" for line in run[-2:])
        # As PyChess pauses its hint analyzer. In UCI the bestmove shows the
        # stop; in xboard a probe of the test's own: "." is answered with
        # stat01 only during an analysis.
        analyzer.pause()
        mark = len(session.lines)
        if protocol == "uci":
            await wait_until(lambda: any(line.startswith("bestmove") for line in session.lines[mark:]), 5,
                             "bestmove after stop")
            mark = next(i for i in range(mark, len(session.lines)) if session.lines[i].startswith("bestmove"))
            best = session.lines[mark].split()[1]
            expect(validate(board, parseAny(board, best)), f"bestmove {best} is illegal")
            late = [line for line in session.lines[mark + 1:] if line.startswith("info")]
        else:
            print(".\nping 77", file=session)
            await wait_until(lambda: "pong 77" in session.lines[mark:], 5, "pong")
            late = [line for line in session.lines[mark:] if line.startswith("stat01")]
        expect(not late, f"the engine still analyses after the stop: {late[:1]}")
        verdict(True, name, f"{len(run)} lines on the position, stopped cleanly; last: {shown}")
    except (Failed, asyncio.TimeoutError, ParsingError) as failure:
        verdict(False, name, str(failure) or "no answer in time", session)
    sizes[f"{protocol} analyzer"] = virtual_kb(session.proc.pid)
    # As PyChess removes an analyzer.
    analyzer.end(const.KILLED, const.UNKNOWN_REASON)
    await process_end(session, f"{protocol} analyzer")


def summarise(label, session):
    sent = "".join(session.sent).split("\n")
    words = [line.split(" ")[0] for line in sent if line]
    counts = collections.Counter("MOVE" if re.fullmatch("[a-h][1-8][a-h][1-8][qrbn]?", word) else word
                                 for word in words)
    print(f"  {label}: " + ", ".join(f"{word} x{count}" for word, count in counts.most_common()))
    shorten = [line if len(line) < 60 else line[:56] + " ..." for line in sent]
    print(f"    first: {' | '.join(shorten[:16])}")
    print(f"    last: {' | '.join(shorten[-7:])}")


async def main(command, book_dir):
    # A preference of PyChess's: analyse without end until told to stop.
    conf.set("infinite_analysis", True)
    # How PyChess's engine dialog tells the protocols apart.
    verdict(is_uci([command]) and is_cecp([command]), "protocol detection",
            "PyChess's engine dialog finds both UCI and xboard")
    tally = {"uci": [], "xboard": []}
    number = 0
    try:
        while number < 3:
            number += 1
            if not await play_game(command, book_dir, tally, number):
                break
    except (Failed, asyncio.TimeoutError, PlayerIsDead) as failure:
        verdict(False, "game", str(failure) or "no answer in time", sessions[-1] if sessions else None)
    # Chess960 as PyChess deals it: UCI_Chess960 and xboard's fischerandom.
    tally_960 = {"uci": [], "xboard": []}
    try:
        for number_960 in range(1, 4):
            if not await play_game(command, book_dir, tally_960, f"960-{number_960}", FischerandomBoard):
                break
    except (Failed, asyncio.TimeoutError, PlayerIsDead) as failure:
        verdict(False, "Chess960 game", str(failure) or "no answer in time", sessions[-1] if sessions else None)
    # A level set in PyChess's engine options: on a ten-minute clock full
    # strength thinks some 8 s a move, level 800 answers at once.
    tally_level = {"uci": [], "xboard": []}
    try:
        await play_game(command, book_dir, tally_level, "level-800", FischerandomBoard, clock=600,
                        moves_each=4, level=800)
    except (Failed, asyncio.TimeoutError, PlayerIsDead) as failure:
        verdict(False, "level game", str(failure) or "no answer in time", sessions[-1] if sessions else None)
    for protocol, spent in tally_level.items():
        verdict(len(spent) >= 4 and max(spent) < 2.5, f"{protocol} level 800",
                f"{len(spent)} moves, {max(spent, default=0):.2f} s the longest, on a 600 s clock")
    for label, counts in (("", tally), ("Chess960 ", tally_960)):
        for protocol, spent in counts.items():
            ok = len(spent) >= MOVES_EACH
            verdict(ok, f"{label}{protocol} moves", f"{len(spent)} played, {max(spent, default=0):.2f} s the longest"
                    + (f", {sum(spent) / len(spent):.2f} s on average" if spent else ""))
    for protocol in ("uci", "xboard"):
        try:
            await check_analysis(protocol, command, book_dir)
        except (asyncio.TimeoutError, PlayerIsDead) as failure:
            verdict(False, f"{protocol} analysis", f"the analyzer does not start: {failure!r}")
    # The players' engines have the table PyChess asked for, the analyzers'
    # the engine's default.
    for protocol, (name, default, value) in OPTIONS.items():
        if sizes.get(protocol) and sizes.get(f"{protocol} analyzer"):
            grown = sizes[protocol] - sizes[f"{protocol} analyzer"]
            verdict(grown >= value * 1024 // 2, f"{protocol} option {name}",
                    f"PyChess sent {name} {value}: the engine holds {grown} kB more than with no {name} sent")
        else:
            verdict(False, f"{protocol} option {name}", "no game or no analysis to compare")
    for session in sessions:
        allowed = PROVOKED if "analyzer" in session.label else ()
        error = next((line for line in session.lines if line.split(" ")[0].lower()
                      in ("error", "illegal", "tellusererror") and line not in allowed), None)
        if error:
            verdict(False, "answers", f"the engine answered {error!r}", session)
        if session.proc.returncode is None:
            session.proc.kill()
    for text in sorted(set(dialogs)):
        verdict(False, "dialogs", f"PyChess showed an error dialog: {text}")
    if warnings:
        print("PyChess warned:")
        for text, count in warnings.most_common(8):
            print(f"    {count} x {text}")
    for session in sessions if KEEP else []:
        name = os.path.join(KEEP, session.label.replace(" ", "-"))
        with open(name + ".in", "w") as sent, open(name + ".out", "w") as answered:
            sent.write("".join(session.sent))
            answered.write("".join(line + "\n" for line in session.lines))
    print("Commands PyChess sent:")
    for session in sessions[:2] + sessions[2:][-2:]:
        summarise(session.label, session)
    return failures


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(f"usage: {sys.argv[0]} PELMOK_BINARY BOOK_DIR")
    # PyChess's own loop: asyncio, with GLib's sources (the clock's timers)
    # served every 10 ms.
    loop = asyncio.SelectorEventLoop()
    asyncio.set_event_loop(loop)
    context = GLib.MainContext.default()

    def glib_update():
        while context.pending():
            context.iteration(False)
        loop.call_later(0.01, glib_update)

    def task_failed(loop, context):
        # An exception in one of PyChess's own tasks, e.g. parsing a line.
        global failures
        failures += 1
        print(f"FAIL PyChess: {context.get('message')}: {context.get('exception')!r}")

    loop.set_exception_handler(task_failed)
    glib_update()
    failed = loop.run_until_complete(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
    print(f"pychess: {failed} check(s) failed" if failed else "pychess: passed")
    sys.exit(1 if failed else 0)

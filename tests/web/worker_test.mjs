// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The engine of the wasm build as a worker (a node worker thread here, as a
// Web Worker in the browser test): one message per input line, one per
// output line, input read during a search, and "quit" ending the worker.
//
//   node worker_test.mjs PELMOK_JS
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import test from 'node:test';
import { fileURLToPath } from 'node:url';
import { Worker } from 'node:worker_threads';

const engine_js = resolve(process.argv[2]);
const here = dirname(fileURLToPath(import.meta.url));

// Generous: only a search that never ends, or a stop not heard, fails it.
const ANSWER_MS = 20000;

class Session {
    constructor() {
        this.worker = new Worker(engine_js);
        this.lines = [];
        this.waiting = null;
        this.exited = new Promise((resolve) => this.worker.on('exit', resolve));
        this.worker.on('message', (line) => {
            assert.equal(typeof line, 'string');
            this.lines.push(line);
            if (this.waiting && this.waiting.test(line)) {
                const { resolve } = this.waiting;
                this.waiting = null;
                resolve(line);
            }
        });
    }
    send(...lines) {
        for (const line of lines) this.worker.postMessage(line);
    }
    // The first line from now on that matches pattern.
    next(pattern, ms = ANSWER_MS) {
        return new Promise((resolve, reject) => {
            const timer = setTimeout(() => reject(new Error(`no line matching ${pattern}; got ${this.lines.slice(-5).join(' | ')}`)), ms);
            this.waiting = { test: (line) => pattern.test(line), resolve: (line) => (clearTimeout(timer), resolve(line)) };
        });
    }
    async quit() {
        this.send('quit');
        assert.equal(await this.exited, 0);
    }
}

// The first search record of the signature: depth, FEN, the last depth's
// node count and the move.
function golden_search() {
    const lines = readFileSync(join(here, '..', 'data', 'golden.txt'), 'utf8').split('\n');
    const start = lines.findIndex((line) => line.startsWith('search '));
    const [, depth, ...fen] = lines[start].split(' ');
    const end = lines.findIndex((line, i) => i > start && line.startsWith('bestmove '));
    return { depth, fen: fen.join(' '), nodes: lines[end - 1].split(/ +/)[3], move: lines[end].split(' ')[1] };
}

test('UCI: handshake, a fixed-depth search as pelmok-tools searches it, quit', async () => {
    const engine = new Session();
    const uciok = engine.next(/^uciok$/);
    engine.send('uci');
    await uciok;
    assert.ok(engine.lines.includes('id name pelmok 2.3c'));
    assert.ok(engine.lines.some((line) => line.startsWith('option name Hash type spin')));
    const readyok = engine.next(/^readyok$/);
    engine.send('isready');
    await readyok;

    const golden = golden_search();
    const bestmove = engine.next(/^bestmove /);
    engine.send('setoption name OwnBook value false', 'ucinewgame', `position fen ${golden.fen}`, `go depth ${golden.depth}`);
    assert.match(await bestmove, new RegExp(`^bestmove ${golden.move}( |$)`));
    const last = engine.lines.filter((line) => line.startsWith(`info depth ${golden.depth} `)).pop();
    assert.match(last, new RegExp(` nodes ${golden.nodes} `));
    await engine.quit();
});

test('UCI: isready and stop are answered during go infinite', async () => {
    const engine = new Session();
    const deep = engine.next(/^info depth 5 /);
    engine.send('uci', 'position startpos moves e2e4 e7e5 g1f3', 'go infinite');
    await deep;
    const readyok = engine.next(/^readyok$/);
    engine.send('isready');
    await readyok;
    // An analysis answers only when stopped.
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.ok(!engine.lines.some((line) => line.startsWith('bestmove')));
    const bestmove = engine.next(/^bestmove [a-h][1-8][a-h][1-8]/);
    engine.send('stop');
    await bestmove;
    await engine.quit();
});

test('UCI: go ponder waits for ponderhit, then plays on the clock', async () => {
    const engine = new Session();
    const deep = engine.next(/^info depth 4 /);
    engine.send('uci', 'setoption name OwnBook value false', 'position startpos moves d2d4 d7d5', 'go ponder wtime 3000 btime 3000');
    await deep;
    await new Promise((resolve) => setTimeout(resolve, 300));
    assert.ok(!engine.lines.some((line) => line.startsWith('bestmove')));
    const bestmove = engine.next(/^bestmove [a-h][1-8][a-h][1-8]/);
    engine.send('ponderhit');
    await bestmove;
    await engine.quit();
});

test('input longer than the queue arrives whole and in order', async () => {
    const engine = new Session();
    // Some 170 kB: a few times what the engine's queue holds at once.
    const shuffle = ' g1f3 g8f6 f3g1 f6g8'.repeat(140);
    const mate_in_one = ' e2e4 e7e5 d1h5 b8c6 f1c4 g8f6';
    const lines = [];
    for (let i = 0; i < 60; i++) lines.push(`position startpos moves${shuffle}`);
    engine.send('uci', 'setoption name OwnBook value false', ...lines, `position startpos moves${shuffle}${mate_in_one}`, 'go depth 2');
    assert.match(await engine.next(/^bestmove /), /^bestmove h5f7\b/);
    await engine.quit();
});

test('a Hash beyond the 32-bit address space is refused, the table kept', async () => {
    const engine = new Session();
    const refused = engine.next(/^info string Hash 4096 /);
    engine.send('uci', 'setoption name Hash value 64', 'setoption name Hash value 4096');
    await refused;
    const bestmove = engine.next(/^bestmove /);
    engine.send('setoption name OwnBook value false', 'position startpos', 'go depth 6');
    await bestmove;
    await engine.quit();
});

test('xboard version 2: features, ping, a move, "?" during a search', async () => {
    const engine = new Session();
    const done = engine.next(/^feature .*done=1/);
    engine.send('xboard', 'protover 2');
    await done;
    const pong = engine.next(/^pong 7$/);
    engine.send('ping 7');
    await pong;
    const move = engine.next(/^move /);
    engine.send('new', 'sd 3', 'go');
    assert.match(await move, /^move [a-h][1-8][a-h][1-8]$/);
    // "?" during a minute's search, out of book: the move comes at once.
    const thinking = engine.next(/^4 +-?\d+ +\d+ +\d+ /);
    engine.send('new', 'post', 'st 60', 'setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3', 'go');
    await thinking;
    const moved = engine.next(/^move /);
    engine.send('?');
    await moved;
    await engine.quit();
});

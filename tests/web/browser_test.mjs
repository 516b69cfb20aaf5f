// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The page in headless Chromium: a person's game of 20 moves, played by
// clicks and drags on the board, every engine move legal; take-back; "Move now" ending
// a long search at once; a promotion chosen in its dialog; playing Black;
// and bench.html's signature. The person's moves are chosen by a second
// engine, a node worker of the same build.
//
//   node browser_test.mjs SITE_DIR OUT_DIR
//
// SITE_DIR is what web/build.mjs made; OUT_DIR receives page.png and
// browser.txt (the start-up and bench figures).
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { Worker } from 'node:worker_threads';

const here = dirname(fileURLToPath(import.meta.url));
const web = join(here, '..', '..', 'web');
const site = resolve(process.argv[2]);
const out = resolve(process.argv[3]);
const { serve } = await import(join(web, 'serve.mjs'));
const { Chess } = await import(join(web, 'node_modules', 'chess.js', 'dist', 'esm', 'chess.js'));
const puppeteer = (await import(join(web, 'node_modules', 'puppeteer-core', 'lib', 'esm', 'puppeteer', 'puppeteer-core.js'))).default;

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
// Generous: a loaded machine is slow, but nothing takes near this long.
const WAIT_MS = 60000;
const GAME_MOVES = 20;
let moves_played = 0;

// The person: pelmok at a small fixed depth, so that the game lasts.
class Player {
    constructor() {
        this.worker = new Worker(join(site, 'pelmok.js'));
        this.worker.on('message', (line) => {
            if (line.startsWith('bestmove') && this.answer) this.answer(line.split(' ')[1]);
        });
        this.worker.postMessage('uci');
    }
    choose(start_fen, moves) {
        return new Promise((resolve) => {
            this.answer = resolve;
            this.worker.postMessage(`position fen ${start_fen} moves ${moves.join(' ')}`);
            this.worker.postMessage('go depth 3');
        });
    }
    stop() {
        return this.worker.terminate();
    }
}

const server = await serve(site, 0);
const profile = mkdtempSync(join(tmpdir(), 'pelmok-chromium-'));
const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const player = new Player();
const figures = [];
const errors = [];

try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1100, height: 760 });
    page.on('pageerror', (error) => errors.push(error.message));
    page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
    await open(page, '');
    assert.equal(await page.evaluate(() => self.crossOriginIsolated), true);
    const strength = await page.evaluate(() => [window.pelmok_page.engine.options.has('UCI_Elo'), document.getElementById('strength').hidden]);
    assert.equal(strength[1], !strength[0], 'the strength control shows exactly when the engine offers UCI_Elo');

    // A game of GAME_MOVES moves as White, at the shortest time per move.
    await page.select('#movetime', '250');
    while ((await state(page)).moves.length < 2 * GAME_MOVES) {
        const before = await state(page);
        assert.equal(before.result, null, `the game ended after ${before.moves.length} half-moves`);
        await play_move(page, await player.choose(before.start_fen, before.moves));
        await wait_for(page, (n) => window.pelmok_page.state().moves.length >= n, before.moves.length + 2);
    }
    const game = await state(page);
    const replay = new Chess();
    for (const move of game.moves) replay.move(move); // throws on an illegal move
    assert.equal(replay.fen(), game.fen);
    // Every engine move is a bestmove of the engine, as it said it.
    const bestmoves = await page.evaluate(() => window.pelmok_page.engine.log.filter((l) => l.in && l.in.startsWith('bestmove')).map((l) => l.in.split(' ')[1]));
    assert.deepEqual(game.moves.filter((_, i) => i % 2 === 1), bestmoves);

    // Take back: the person's move and the reply.
    await page.click('#takeback');
    assert.deepEqual((await state(page)).moves, game.moves.slice(0, -2));

    // A long search ended by "Move now" answers at once.
    await page.select('#movetime', '60000');
    const now = await state(page);
    await play_move(page, await player.choose(now.start_fen, now.moves));
    await wait_for(page, () => window.pelmok_page.engine.log.some((l) => l.in && l.in.startsWith('info depth 3 ')));
    await new Promise((done) => setTimeout(done, 1000));
    assert.equal((await state(page)).thinking, true, 'the long search is still going');
    const stop_ms = Date.now();
    await page.click('#movenow');
    await wait_for(page, (n) => window.pelmok_page.state().moves.length >= n, now.moves.length + 2);
    figures.push(`stop answered in ${Date.now() - stop_ms} ms (the search had 60 s)`);
    assert.ok(Date.now() - stop_ms < 10000);
    await new Promise((done) => setTimeout(done, 500)); // the move's animation
    await page.screenshot({ path: join(out, 'page.png') });

    // A promotion through its dialog: an under-promotion to a knight.
    await page.select('#movetime', '250');
    await open(page, '?fen=' + encodeURIComponent('8/P5k1/8/8/8/8/6KP/8 w - - 0 1'));
    await click_square(page, 'a7');
    await click_square(page, 'a8');
    await page.waitForSelector('#promotion[open]');
    await page.click('#promotion button[data-piece="n"]');
    await wait_for(page, () => window.pelmok_page.state().moves.length >= 2);
    const promoted = await state(page);
    assert.equal(promoted.moves[0], 'a7a8n');
    const after = new Chess(promoted.start_fen);
    for (const move of promoted.moves) after.move(move); // the reply is legal

    // Black: the engine opens.
    await open(page, '');
    await page.select('#colour', 'black');
    await wait_for(page, () => window.pelmok_page.state().moves.length >= 1);
    assert.equal((await state(page)).player, 'black');
    new Chess().move((await state(page)).moves[0]); // a legal opening move

    // The strength control of an engine that offers UCI_Elo: a stand-in
    // worker with the options, as the page reads them from any engine.
    writeFileSync(join(site, 'test-elo-engine.js'), `onmessage = (event) => {
        const reply = { uci: ['id name stand-in', 'option name UCI_LimitStrength type check default false',
            'option name UCI_Elo type spin default 1500 min 1000 max 2500', 'uciok'], isready: ['readyok'] }[event.data];
        for (const line of reply || []) postMessage(line);
    };`);
    await open(page, '?engine=test-elo-engine.js');
    assert.deepEqual(await page.evaluate(() => { const e = document.getElementById('elo'); return [document.getElementById('strength').hidden, e.min, e.max, e.value]; }), [false, '1000', '2500', '1500']);
    await page.click('#limit');
    const sent = await page.evaluate(() => window.pelmok_page.engine.log.filter((l) => l.out).map((l) => l.out));
    assert.deepEqual(sent.slice(-2), ['setoption name UCI_LimitStrength value true', 'setoption name UCI_Elo value 1500']);

    // bench in the browser: the same signature as the native build.
    const signature = readFileSync(join(here, '..', 'data', 'golden.txt'), 'utf8').match(/^bench (\d+)$/m)[1];
    await page.goto(server.url + 'bench.html');
    await page.waitForFunction(() => window.bench_result, { timeout: 5 * WAIT_MS });
    const bench = await page.evaluate(() => window.bench_result);
    assert.equal(bench.exit, 0);
    assert.equal(String(bench.nodes), signature);
    figures.push(`bench in Chromium: nodes ${bench.nodes} time_ms ${bench.time_ms} nps ${bench.nps}`);
    assert.deepEqual(errors, []);
} finally {
    writeFileSync(join(out, 'browser.txt'), figures.join('\n') + '\n');
    console.log(figures.join('\n'));
    await player.stop();
    await browser.close();
    server.close();
    rmSync(profile, { recursive: true, force: true });
}

async function open(page, query) {
    await page.goto(server.url + query);
    await page.evaluate(() => window.pelmok_page.ready);
    const uciok_ms = (await state(page)).uciok_ms;
    figures.push(`uciok ${uciok_ms.toFixed(0)} ms after the worker was created${query ? ' (' + query + ')' : ''}`);
}

function state(page) {
    return page.evaluate(() => window.pelmok_page.state());
}

function wait_for(page, predicate, argument) {
    return page.waitForFunction(predicate, { timeout: WAIT_MS }, argument);
}

// The middle of the square (e.g. "e2") on the board as the page shows it.
async function square_point(page, square) {
    const box = await (await page.$('#board')).boundingBox();
    const black = (await state(page)).player === 'black';
    const file = square.charCodeAt(0) - 97;
    const rank = Number(square[1]) - 1;
    const size = box.width / 8;
    const x = box.x + ((black ? 7 - file : file) + 0.5) * size;
    const y = box.y + ((black ? rank : 7 - rank) + 0.5) * size;
    return { x, y };
}

async function click_square(page, square) {
    const { x, y } = await square_point(page, square);
    await page.mouse.click(x, y);
}

async function drag(page, from, to) {
    const start = await square_point(page, from);
    const end = await square_point(page, to);
    await page.mouse.move(start.x, start.y);
    await page.mouse.down();
    await page.mouse.move(end.x, end.y, { steps: 5 });
    await page.mouse.up();
}

// The person's move (UCI): two clicks, or a drag every other move; then the
// promotion's piece.
async function play_move(page, move) {
    await wait_for(page, () => document.getElementById('status').textContent.startsWith('Your move'));
    if (moves_played++ % 2 === 0) {
        await click_square(page, move.slice(0, 2));
        await click_square(page, move.slice(2, 4));
    } else {
        await drag(page, move.slice(0, 2), move.slice(2, 4));
    }
    if (move.length > 4) {
        await page.waitForSelector('#promotion[open]');
        await page.click(`#promotion button[data-piece="${move[4]}"]`);
    }
}

// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// A UCI client over the engine's worker: one postMessage per input line, one
// message per output line.

// "option name N type T default D [min a] [max b] [var v]..." as an object;
// the name and the default may hold blanks.
export function parse_option(line) {
    const match = /^option name (.+?) type (\S+)(?: default ?(.*?))?(?: min (-?\d+))?(?: max (-?\d+))?((?: var .*)?)$/.exec(line);
    if (!match) return null;
    const [, name, type, value, min, max, vars] = match;
    const option = { name, type, default: value };
    if (min !== undefined) option.min = Number(min);
    if (max !== undefined) option.max = Number(max);
    if (vars) option.vars = vars.split(' var ').slice(1);
    if (type === 'spin') option.default = Number(value);
    if (type === 'check') option.default = value === 'true';
    return option;
}

// "info depth D ... score cp S ... pv m1 m2" as { depth, score: {cp} or
// {mate}, nodes, nps, time, pv: [...] }; null for other lines.
export function parse_info(line) {
    if (!line.startsWith('info ')) return null;
    const words = line.split(/\s+/);
    const info = {};
    for (let i = 1; i < words.length; i++) {
        const word = words[i];
        if (word === 'pv') {
            info.pv = words.slice(i + 1);
            break;
        }
        if (word === 'string') break;
        if (word === 'score') {
            const kind = words[++i];
            info.score = { [kind]: Number(words[++i]) };
            if (words[i + 1] === 'lowerbound' || words[i + 1] === 'upperbound') info.score.bound = words[++i];
        } else if (['depth', 'seldepth', 'time', 'nodes', 'nps', 'multipv', 'hashfull'].includes(word)) {
            info[word] = Number(words[++i]);
        }
    }
    return info;
}

export class Engine {
    // url: pelmok.js, beside pelmok.wasm and pelmok.worker.js.
    constructor(url) {
        this.started_ms = performance.now();
        this.worker = new Worker(url);
        this.options = new Map();
        this.name = '';
        this.log = [];
        this.on_info = null;
        this.waiters = [];
        // One entry per "go" sent and not yet answered, oldest first.
        this.searches = [];
        this.worker.onmessage = (event) => this.receive(String(event.data));
        this.worker.onerror = (event) => this.fail(event.message || 'the engine failed to start');
        this.failed = null;
    }

    send(line) {
        this.log.push({ ms: performance.now(), out: line });
        this.worker.postMessage(line);
    }

    fail(message) {
        this.failed = message;
        for (const waiter of this.waiters.splice(0)) waiter.reject(new Error(message));
        for (const search of this.searches.splice(0)) search.reject(new Error(message));
    }

    receive(line) {
        this.log.push({ ms: performance.now(), in: line });
        if (line.startsWith('option ')) {
            const option = parse_option(line);
            if (option) this.options.set(option.name, option);
        } else if (line.startsWith('id name ')) {
            this.name = line.slice(8);
        } else if (line.startsWith('info ')) {
            const info = parse_info(line);
            if (info && this.searches.length > 0 && this.on_info && !this.searches[0].cancelled) this.on_info(info);
        } else if (line.startsWith('bestmove')) {
            const [, move, , ponder] = line.split(/\s+/);
            const search = this.searches.shift();
            if (search && !search.cancelled) search.resolve({ move, ponder });
            else if (search) search.resolve(null);
        }
        for (let i = 0; i < this.waiters.length; i++) {
            if (this.waiters[i].word === line.split(' ')[0]) {
                this.waiters.splice(i, 1)[0].resolve(line);
                break;
            }
        }
    }

    // The next line whose first word is word.
    expect(word) {
        return new Promise((resolve, reject) => {
            if (this.failed) reject(new Error(this.failed));
            else this.waiters.push({ word, resolve, reject });
        });
    }

    // The handshake; the options offered are in this.options.
    async start() {
        const uciok = this.expect('uciok');
        this.send('uci');
        await uciok;
        this.uciok_ms = performance.now() - this.started_ms;
        await this.ready();
    }

    async ready() {
        const readyok = this.expect('readyok');
        this.send('isready');
        await readyok;
    }

    set_option(name, value) {
        this.send(`setoption name ${name} value ${value}`);
    }

    // Searches the position (the start's FEN, null for the initial
    // position, and the UCI moves since) with the go arguments; resolves to
    // { move, ponder }, or null when it was cancelled.
    search(fen, moves, go) {
        const start = fen ? `fen ${fen}` : 'startpos';
        this.send(`position ${start}${moves.length ? ' moves ' + moves.join(' ') : ''}`);
        const search = { cancelled: false };
        const answer = new Promise((resolve, reject) => Object.assign(search, { resolve, reject }));
        this.searches.push(search);
        this.send(`go ${go}`);
        return answer;
    }

    // Ends the search now; its answer still comes, to whoever waits for it.
    stop() {
        if (this.searches.length > 0) this.send('stop');
    }

    // Forgets every search under way: their answers resolve to null.
    cancel() {
        for (const search of this.searches) search.cancelled = true;
        this.stop();
    }

    get thinking() {
        return this.searches.some((search) => !search.cancelled);
    }
}

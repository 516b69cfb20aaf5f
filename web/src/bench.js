// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// bench.html: pelmok-tools bench in a worker, its lines on the page and in
// window.bench_result once it ends.
const params = new URLSearchParams(location.search);
const args = ['bench'];
if (params.get('depth')) args.push(params.get('depth'));
if (params.get('depth') && params.get('threads')) args.push(params.get('threads'));
document.getElementById('arguments').textContent = args.join(' ');
document.getElementById('isolated').textContent = String(self.crossOriginIsolated);

const lines = [];
const output = document.getElementById('output');
const worker = new Worker('bench-worker.js');
worker.onmessage = (event) => {
    if (typeof event.data === 'string') {
        lines.push(event.data);
        output.textContent = lines.join('\n');
        return;
    }
    const value = (name) => {
        const line = lines.find((l) => l.startsWith(name + ' '));
        return line ? Number(line.split(' ')[1]) : null;
    };
    window.bench_result = { exit: event.data.exit, lines, nodes: value('nodes'), time_ms: value('time_ms'), nps: value('nps') };
    worker.terminate();
};
worker.onerror = (event) => {
    window.bench_result = { exit: `failed: ${event.message}`, lines };
};
worker.postMessage(args);

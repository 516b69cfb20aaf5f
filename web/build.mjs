// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Puts the page together in one folder that works offline: the page's code
// bundled with chess.js and chessground, their board styles, and the engine
// of the wasm build (pelmok.js, pelmok.wasm, pelmok.worker.js, and the tools
// for bench.html).
//
//   node build.mjs [--engine DIR] [--out DIR]
//
// DIR defaults: ../build/wasm (from `cmake --preset wasm && cmake --build
// --preset wasm`) and ../build/wasm/site.
import { build } from 'esbuild';
import { copyFileSync, existsSync, mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';

const here = dirname(fileURLToPath(import.meta.url));
const { values } = parseArgs({
    options: {
        engine: { type: 'string', default: join(here, '..', 'build', 'wasm') },
        out: { type: 'string', default: join(here, '..', 'build', 'wasm', 'site') },
    },
});
const engine_dir = resolve(values.engine);
const out = resolve(values.out);

const ENGINE_FILES = ['pelmok.js', 'pelmok.wasm', 'pelmok.worker.js'];
const TOOLS_FILES = ['pelmok-tools.js', 'pelmok-tools.wasm', 'pelmok-tools.worker.js'];
for (const file of [...ENGINE_FILES, ...TOOLS_FILES]) {
    if (!existsSync(join(engine_dir, file))) {
        console.error(`build: no ${join(engine_dir, file)}: build the engine first, ` +
            '`cmake --preset wasm && cmake --build --preset wasm`, or give --engine DIR');
        process.exit(1);
    }
}

mkdirSync(out, { recursive: true });
await build({
    entryPoints: [join(here, 'src', 'app.js'), join(here, 'src', 'bench.js')],
    bundle: true,
    format: 'esm',
    minify: true,
    sourcemap: true,
    target: 'es2020',
    outdir: out,
    logLevel: 'warning',
});
const copies = [
    ...['index.html', 'bench.html', 'bench-worker.js', 'style.css'].map((f) => join(here, 'src', f)),
    ...['base', 'brown', 'cburnett'].map((f) => join(here, 'node_modules', 'chessground', 'assets', `chessground.${f}.css`)),
    ...[...ENGINE_FILES, ...TOOLS_FILES].map((f) => join(engine_dir, f)),
];
for (const file of copies) copyFileSync(file, join(out, file.split('/').pop()));
console.log(`build: the page is in ${out}`);

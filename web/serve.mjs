// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// A static server for the page, on this machine only. It sends the headers
// that make the page cross-origin isolated, without which a browser gives
// no SharedArrayBuffer and so no threads to the engine.
//
//   node serve.mjs [DIR] [--port N]
//
// DIR defaults to ../build/wasm/site (what build.mjs makes), N to 8080
// (0: any free port). It prints the address to open.
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { dirname, extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { parseArgs } from 'node:util';

const here = dirname(fileURLToPath(import.meta.url));

const TYPES = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.map': 'application/json',
    '.png': 'image/png',
    '.svg': 'image/svg+xml',
};

const ISOLATION_HEADERS = {
    'Cross-Origin-Opener-Policy': 'same-origin',
    'Cross-Origin-Embedder-Policy': 'require-corp',
    'Cross-Origin-Resource-Policy': 'same-origin',
};

// Resolves to the listening server; its address is server.url.
export function serve(root, port = 8080, host = '127.0.0.1') {
    root = resolve(root);
    const server = createServer((request, response) => {
        if (request.method !== 'GET' && request.method !== 'HEAD') {
            response.writeHead(405, ISOLATION_HEADERS).end();
            return;
        }
        let path = null;
        try {
            path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        } catch {
            path = null; // a malformed escape: not found
        }
        let file = path === null ? root : normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
        let size = -1;
        if (path !== null && (file === root || file.startsWith(root + sep))) {
            try {
                const stat = statSync(file);
                if (stat.isDirectory()) file = join(file, 'index.html');
                size = statSync(file).size;
            } catch {
                size = -1;
            }
        }
        if (size < 0) {
            response.writeHead(404, { ...ISOLATION_HEADERS, 'Content-Type': 'text/plain' }).end('not found\n');
            return;
        }
        response.writeHead(200, {
            ...ISOLATION_HEADERS,
            'Content-Type': TYPES[extname(file)] || 'application/octet-stream',
            'Content-Length': size,
            'Cache-Control': 'no-cache',
        });
        if (request.method === 'HEAD') response.end();
        else createReadStream(file).pipe(response);
    });
    return new Promise((done, fail) => {
        server.on('error', fail);
        server.listen(port, host, () => {
            server.url = `http://${host}:${server.address().port}/`;
            done(server);
        });
    });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
    const { values, positionals } = parseArgs({
        allowPositionals: true,
        options: { port: { type: 'string', default: '8080' } },
    });
    const root = positionals[0] || join(here, '..', 'build', 'wasm', 'site');
    const server = await serve(root, Number(values.port));
    console.log(`serve: ${root} at ${server.url}`);
}

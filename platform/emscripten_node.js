// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Put in front of emscripten's loader of every WebAssembly build. The
// loader fetches the .wasm whenever fetch exists, and node's fetch cannot
// read a file path: under node, hide it, so that the loader reads the file.
if (typeof process == 'object' && typeof process.versions == 'object' && process.versions.node) {
    var fetch = undefined;
}

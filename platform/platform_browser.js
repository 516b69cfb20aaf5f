// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The worker side of the input queue of platform_browser.cpp, put in front
// of emscripten's loader. pelmok.js is used as a Web Worker (or a node
// worker thread): each message it gets is one input line, and each line the
// engine prints goes back as one message, a string. Run as `node pelmok.js`
// it is a console engine instead, on standard input and output, reading its
// book from its working directory as the native build does.

// Not in the engine's own threads, which load this file too.
if (!Module['ENVIRONMENT_IS_PTHREAD']) {
    (function () {
        var is_node = typeof process == 'object' && typeof require == 'function';
        var node_threads = is_node ? require('worker_threads') : null;
        var is_worker = typeof importScripts == 'function' || (is_node && !node_threads.isMainThread);
        // Bytes not yet taken by the engine's queue, oldest first.
        var waiting = [];
        var waiting_offset = 0;
        var input_closed = false;
        var ready = false;
        var retry_scheduled = false;
        var encoder = new TextEncoder();
        var STAGING_SIZE = 4096;
        var staging = 0;

        function feed() {
            retry_scheduled = false;
            if (!ready) return;
            while (waiting.length > 0) {
                var bytes = waiting[0];
                var count = Math.min(bytes.length - waiting_offset, STAGING_SIZE);
                new Uint8Array(wasmMemory.buffer).set(bytes.subarray(waiting_offset, waiting_offset + count), staging);
                var taken = _pelmok_input(staging, count);
                waiting_offset += taken;
                if (waiting_offset == bytes.length) {
                    waiting.shift();
                    waiting_offset = 0;
                } else if (taken < count) {
                    // The queue is full: the engine is busy, and reads it later.
                    retry_scheduled = true;
                    setTimeout(feed, 10);
                    return;
                }
            }
            if (input_closed) _pelmok_input_end();
        }

        function receive(bytes) {
            waiting.push(bytes);
            if (!retry_scheduled) feed();
        }

        Module['onRuntimeInitialized'] = function () {
            staging = _malloc(STAGING_SIZE);
            ready = true;
            feed();
        };

        if (is_worker) {
            var post = is_node
                ? function (line) { node_threads.parentPort.postMessage(line); }
                : function (line) { postMessage(line); };
            var on_line = function (data) { receive(encoder.encode(String(data) + '\n')); };
            if (is_node) node_threads.parentPort.on('message', on_line);
            else onmessage = function (event) { on_line(event.data); };
            Module['print'] = post;
            Module['printErr'] = function (text) { console.error(text); };
            // After "quit" the worker ends, as a process would.
            Module['onExit'] = function () {
                if (is_node) node_threads.parentPort.close();
                else close();
            };
            // A failure to start (no .wasm, no shared memory) reaches the
            // worker's owner as its error event.
            Module['onAbort'] = function (reason) {
                setTimeout(function () { throw new Error('pelmok: ' + reason); });
            };
        } else if (is_node) {
            process.stdin.on('data', function (chunk) { receive(new Uint8Array(chunk)); });
            process.stdin.on('end', function () {
                input_closed = true;
                if (!retry_scheduled) feed();
            });
            Module['preRun'] = [function () {
                // The book is read from the working directory, not the one built in.
                FS.mkdir('/cwd');
                FS.mount(NODEFS, {root: process.cwd()}, '/cwd');
                FS.chdir('/cwd');
            }];
        }
    })();
}

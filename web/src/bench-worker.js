// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs pelmok-tools in this worker with the arguments of its first message,
// posting each line it prints and then {exit: status}.
onmessage = function (event) {
    onmessage = null;
    self.Module = {
        arguments: event.data,
        // The tools' own threads load the tools, not this file.
        mainScriptUrlOrBlob: 'pelmok-tools.js',
        print: function (line) { postMessage(line); },
        printErr: function (line) { postMessage(line); },
        onExit: function (status) { postMessage({ exit: status }); },
        onAbort: function (reason) { postMessage({ exit: 'aborted: ' + reason }); },
    };
    importScripts('pelmok-tools.js');
};

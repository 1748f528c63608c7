// Runs a program of the WebAssembly build under Node as if it ran natively:
//   node --no-experimental-fetch web/run-node.js build/wasm/bin/calcloop.js [ARGUMENT]...
// Standard input is read as the program asks for it, standard output and
// error are written as the program writes them, and Node exits with the
// program's status. CTest puts this in front of every program of the wasm
// build (cmake/toolchains/wasm32-emscripten.cmake).
"use strict";

const fs = require("fs");
const path = require("path");
const tty = require("tty");
const host = require("./host.js");

// Blocking reads and writes, as the program's own read and write would be.
function read(max) {
    const buffer = Buffer.alloc(Math.min(max, 1 << 16));
    if (buffer.length === 0)
        return buffer;
    for (;;) {
        try {
            return buffer.subarray(0, fs.readSync(0, buffer, 0, buffer.length, null));
        } catch (e) {
            if (e.code === "EOF")
                return buffer.subarray(0, 0);
            if (e.code !== "EAGAIN")
                throw e;
        }
    }
}

function writer(fd) {
    return bytes => {
        for (let at = 0; at < bytes.length;) {
            try {
                at += fs.writeSync(fd, bytes, at, bytes.length - at);
            } catch (e) {
                if (e.code !== "EAGAIN")
                    throw e;
            }
        }
    };
}

const [program, ...programArguments] = process.argv.slice(2);
if (!program) {
    process.stderr.write("Usage: node run-node.js PROGRAM.js [ARGUMENT]...\n");
    process.exit(2);
}
const status = host.run(require(path.resolve(program)), {
    programName: path.basename(program, ".js"),
    arguments: programArguments,
    stdin: read,
    stdout: writer(1),
    stderr: writer(2),
    terminals: [0, 1, 2].map(fd => tty.isatty(fd)),
});
process.exitCode = status;

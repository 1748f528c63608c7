// Runs one of the suite's programs, compiled to WebAssembly, as a process
// would run: a fresh instance for every run, the arguments, standard input
// and output as bytes, and the exit status. The same file serves Node
// (web/run-node.js) and the page's Worker; it needs nothing else.
//
//   const status = programHost.run(createProgram, {
//       programName: "calcloop",            // argv[0]
//       arguments: [],                      // argv[1] onwards
//       stdin: bytes,                       // a Uint8Array, or read(max) => Uint8Array
//       stdout: bytes => ..., stderr: bytes => ...,
//       terminals: [false, false, false],   // which of fds 0, 1, 2 isatty
//   });
//
// createProgram is the factory that a program's .js file defines (in Node,
// require returns it). A program that traps or runs out of the engine's
// stack has crashed: its status is then 134, as for an abort, and a line on
// its standard error says why; nothing is thrown to the caller.

(function (root, define) {
    if (typeof module === "object" && module.exports)
        module.exports = define();
    else
        root.programHost = define();
})(typeof self !== "undefined" ? self : this, function () {
    "use strict";

    const crashStatus = 128 + 6;  // as a shell reports SIGABRT

    // errno values as emscripten's libc numbers them, for the reasons a
    // read or a write may fail.
    const errnoCodes = { EBADF: 8, EIO: 29, EISDIR: 31, ENOSPC: 51, EPIPE: 64 };

    function bytesOf(text) {
        return new TextEncoder().encode(text);
    }

    // stdin as read(2) gives it: up to `max` bytes, fewer if that is all
    // there is, none at the end.
    function reader(stdin) {
        if (typeof stdin === "function")
            return stdin;
        const all = stdin || new Uint8Array(0);
        let at = 0;
        return max => {
            const part = all.subarray(at, Math.min(all.length, at + max));
            at += part.length;
            return part;
        };
    }

    // Replaces the byte-at-a-time devices emscripten makes for the standard
    // streams by ones that pass whole buffers, as read(2) and write(2) do:
    // a read returns what there is, without waiting to fill the buffer.
    // A descriptor that is a terminal says so to isatty, as the programs
    // ask before they prompt or show progress.
    function connect(FS, read, stdout, stderr, terminals) {
        const failure = e => new FS.ErrnoError(errnoCodes[e && e.code] || errnoCodes.EIO);
        FS.getStream(0).stream_ops.read = (stream, buffer, offset, length) => {
            let bytes;
            try {
                bytes = read(length);
            } catch (e) {
                throw failure(e);
            }
            buffer.set(bytes, offset);
            return bytes.length;
        };
        const writer = sink => (stream, buffer, offset, length) => {
            const bytes = new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length).slice();
            try {
                sink(bytes);
            } catch (e) {
                throw failure(e);
            }
            return length;
        };
        FS.getStream(1).stream_ops.write = writer(stdout);
        FS.getStream(2).stream_ops.write = writer(stderr);
        (terminals || []).forEach((terminal, fd) => {
            if (!terminal)
                return;
            // Also on the streams that dup opens anew on the same device.
            const ops = FS.getStream(fd).stream_ops;
            const open = ops.open;
            ops.open = stream => {
                open(stream);
                stream.tty = { ops: {} };
            };
            FS.getStream(fd).tty = { ops: {} };
        });
    }

    // options: programName, arguments, stdin, stdout, stderr as above, and
    // entry(instance), which a program that starts copies of itself passes
    // to run something other than main (it returns what main would).
    function run(factory, options) {
        const stdout = options.stdout || (() => {});
        const stderr = options.stderr || (() => {});
        const name = options.programName || "program";
        let instance;
        try {
            instance = factory({
                thisProgram: name,
                noInitialRun: true,
                // Placeholders: connect replaces them once the streams exist.
                stdin: () => null,
                stdout: () => {},
                stderr: () => {},
                // What the runtime itself has to say (an abort's reason).
                print: text => stdout(bytesOf(text + "\n")),
                printErr: text => stderr(bytesOf(text + "\n")),
                // exit() ends the run, not the page or Node.
                quit: (status, thrown) => {
                    throw thrown;
                },
                // A fresh instance of the same program, for a program that
                // would fork.
                runCopy: copyOptions => run(factory, copyOptions),
            });
            connect(instance.FS, reader(options.stdin), stdout, stderr, options.terminals);
            if (!options.entry)
                steadyStack(instance, name, options.arguments || []);
            return options.entry ? callEntry(() => options.entry(instance))
                                 : instance.callMain(options.arguments || []);
        } catch (e) {
            const reason = e instanceof RangeError ? "out of stack: " + e.message : String(e && e.message || e);
            stderr(bytesOf(name + ": crashed: " + reason + "\n"));
            return crashStatus;
        }
    }

    // callMain copies argv onto the stack, each piece rounded up to 16
    // bytes, so the stack main starts on would move with the arguments:
    // factexplain's frames would lie 16 bytes apart between a run and its
    // --json run. Space reserved first makes the two take the same stack
    // whenever the arguments fit in it.
    const argumentSpace = 1024;
    function steadyStack(instance, name, args) {
        if (typeof instance.stackAlloc !== "function")
            return;
        const rounded = bytes => Math.ceil(bytes / 16) * 16;
        const used = rounded((args.length + 2) * 4) +
            [name, ...args].reduce((sum, arg) => sum + rounded(bytesOf(arg).length + 1), 0);
        if (used <= argumentSpace)
            instance.stackAlloc(argumentSpace - used);
    }

    // Runs entry as callMain runs main: the status is what it returns, or
    // what it passes to exit.
    function callEntry(entry) {
        try {
            return entry();
        } catch (e) {
            if (e && e.name === "ExitStatus")
                return e.status;
            throw e;
        }
    }

    return { run: run, crashStatus: crashStatus };
});

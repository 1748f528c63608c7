// web/host.js, which runs the wasm build's programs for Node and the page:
// every run a fresh instance (a program-wide variable set by one run is
// unset in the next), output bytes exact, the status of return and of exit.
//   node host_test.js <build>/bin
"use strict";

const path = require("path");
const host = require("../../web/host.js");

const bin = process.argv[2];
let failed = 0;
let passed = 0;

function run(program, args, stdin) {
    const out = [];
    const err = [];
    const status = host.run(require(path.resolve(bin, program + ".js")), {
        programName: program,
        arguments: args,
        stdin: Buffer.from(stdin, "latin1"),
        stdout: bytes => out.push(Buffer.from(bytes)),
        stderr: bytes => err.push(Buffer.from(bytes)),
    });
    return { stdout: Buffer.concat(out).toString("latin1"), stderr: Buffer.concat(err).toString("latin1"), status };
}

function expect(label, got, stdout, status) {
    if (got.stdout === stdout && got.status === status && got.stderr === "") {
        passed++;
    } else {
        failed++;
        console.log(`FAIL ${label}\n     want ${JSON.stringify({ stdout, status })}\n     got  ${JSON.stringify(got)}`);
    }
}

// main returns 0; error() exits 1; a missing newline is the program's to
// judge, and nothing is added to what it prints.
expect("calcloop 10-3-2", run("calcloop", [], "10-3-2\n"), "The result is: 5\n", 0);
expect("calcloop without the newline", run("calcloop", [], "1+2"), "parse error\n", 1);
// A byte that is not UTF-8 reaches the program as it is: calcexplain names it.
const byte = run("calcexplain", [], "\xe9\n");
if (byte.status === 0 && byte.stdout.includes("found byte 0xE9, not UTF-8\n")) {
    passed++;
} else {
    failed++;
    console.log(`FAIL calcexplain <<< 0xE9\n     got  ${JSON.stringify(byte)}`);
}
// calcexplain's copies of itself end by exit: 0 for calcloop, 1 for
// calcrec's parse error, and the parent tells them apart.
expect("calcexplain 10-3-2", run("calcexplain", ["10-3-2"], ""),
       "calcloop:     ((10-3)-2) = 5\ncalcminusrec: (10-(3-2)) = 9\ncalcrec:      parse error at column 3\n" +
       "                10-3-2\n                  ^\n" +
       "                command expected the end of the line, found '-'\n" +
       "The grammars disagree: calcloop 5, calcminusrec 9, calcrec rejects it.\n", 0);
// calcexplain's options are program-wide variables: --steps in one run must
// not reach the next, which it would in one instance.
const steps = run("calcexplain", ["--steps", "1+2"], "");
expect("calcexplain --steps 1+2", steps,
       "calcloop:     (1+2) = 3\n  1+2 = 3\ncalcminusrec: (1+2) = 3\n  1+2 = 3\ncalcrec:      (1+2) = 3\n  1+2 = 3\n", 0);
expect("calcexplain 1+2, after --steps", run("calcexplain", ["1+2"], ""),
       "calcloop:     (1+2) = 3\ncalcminusrec: (1+2) = 3\ncalcrec:      (1+2) = 3\n", 0);
// A usage error: exit(2) from inside getopt's handling.
const usage = run("floatexplain", ["--no-such-option"], "");
if (usage.status === 2 && usage.stdout === "" && usage.stderr.startsWith("floatexplain: ")) {
    passed++;
} else {
    failed++;
    console.log(`FAIL floatexplain --no-such-option\n     got  ${JSON.stringify(usage)}`);
}

console.log(`${passed} passed, ${failed} failed`);
process.exitCode = failed ? 1 : 0;

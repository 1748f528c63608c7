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
        stdin: Buffer.from(stdin),
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
// Bytes beyond ASCII pass through as they are, both ways.
expect("calcloop reads a byte above 127", run("calcloop", [], "1+\xe9\n"), "parse error\n", 1);
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

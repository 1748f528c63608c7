// The listing view's logic (web/listing.js) on listings written by hand in
// the shape of docs/schemas/listing.schema.json: fact's optimised build as
// a compiler could lay it out, its loop turning back from line 9.
import test from "node:test";
import assert from "node:assert/strict";

import * as L from "../../web/listing.js";

// fact.cpp:9 makes three instructions in two runs, 11 one, 12 one; the
// label and the function's name stand for no line.
const loop = {
  format: 1, processor: "x86_64", source: "fact.cpp",
  files: [{ file: "fact.cpp", whole: true,
            lines: [[8, "// comment"], [9, "    if (n <= 0)"], [10, "        return 1;"],
                    [11, "    return wrapMul(n, fact(n - 1));"], [12, "}"]] }],
  rows: [
    ["function", "fact(int):"],                        // 0
    ["source", "  fact.cpp:9  if (n <= 0)", 0, 9],     // 1
    ["instruction", "        testl   %edi, %edi", 0, 9],
    ["label", ".L4:"],                                  // 3
    ["source", "  fact.cpp:11  return ...", 0, 11],    // 4
    ["instruction", "        imull   %edi, %eax", 0, 11],
    ["source", "  fact.cpp:9  if (n <= 0)", 0, 9],     // 6
    ["instruction", "        subl    $1, %edi", 0, 9],
    ["instruction", "        jne     .L4   <- back to .L4", 0, 9, "back to .L4"],
    ["source", "  fact.cpp:12  }", 0, 12],             // 9
    ["instruction", "        ret", 0, 12],
    ["source", "  (no source line)"],                  // 11
    ["instruction", "        nop"],                    // 12
  ],
  functions: [{ name: "fact(int)", row: 0, instructions: 6, selfCalls: [], backBranches: [8] }],
  perLine: [[0, 9, 3], [0, 11, 1], [0, 12, 1]],
};

// The plain build's self-call, in a second function after the first.
const calls = {
  ...loop,
  rows: [["function", "g():"], ["instruction", "        ret", 0, 12],
         ["blank", ""], ["function", "fact(int):"],
         ["instruction", "        call    fact(int)   <- calls itself", 0, 11, "calls itself"]],
  functions: [{ name: "g()", row: 0, instructions: 1, selfCalls: [], backBranches: [] },
              { name: "fact(int)", row: 3, instructions: 1, selfCalls: [4], backBranches: [] }],
  perLine: [[0, 12, 1], [0, 11, 1]],
};

test("each line's rows and instructions, the headings apart", () => {
  assert.deepEqual([...L.rowsByLine(loop)], [["0:9", [1, 2, 6, 7, 8]], ["0:11", [4, 5]], ["0:12", [9, 10]]]);
  assert.deepEqual([...L.instructionsByLine(loop)], [["0:9", [2, 7, 8]], ["0:11", [5]], ["0:12", [10]]]);
});

test("colours in the order the lines' instructions first come, taken in turn", () => {
  assert.deepEqual([...L.colourGroups(loop)], [["0:9", 0], ["0:11", 1], ["0:12", 2]]);
  assert.deepEqual([...L.colourGroups(loop, 2)], [["0:9", 0], ["0:11", 1], ["0:12", 0]]);
});

test("pointing at a line or any of its rows marks the same on both sides", () => {
  const line9 = { line: "0:9", rows: new Set([1, 2, 6, 7, 8]) };
  for (const target of ["0:9", 2, 6, 8]) assert.deepEqual(L.marksFor(loop, target), line9, String(target));
  // A row of no line marks itself; a line without instructions, nothing.
  assert.deepEqual(L.marksFor(loop, 12), { line: "", rows: new Set([12]) });
  assert.deepEqual(L.marksFor(loop, 3), { line: "", rows: new Set([3]) });
  assert.deepEqual(L.marksFor(loop, "0:10"), { line: "", rows: new Set() });
});

test("the source side: every line, with the instructions counted for it", () => {
  const [file] = L.sourceFiles(loop);
  assert.equal(file.name, "fact.cpp");
  assert.deepEqual(file.lines.map((l) => [l.number, l.key, l.instructions]),
                   [[8, "0:8", 0], [9, "0:9", 3], [10, "0:10", 0], [11, "0:11", 1], [12, "0:12", 1]]);
});

test("the loop's back branch and the self-call, from the counted facts", () => {
  assert.deepEqual(L.backBranches(loop), [{ row: 8, function: "fact(int)", note: "back to .L4" }]);
  assert.deepEqual(L.selfCalls(loop), []);
  assert.deepEqual(L.selfCalls(calls), [{ row: 4, function: "fact(int)", note: "calls itself" }]);
  assert.deepEqual(L.countedFacts(loop), [
    "fact(int): 6 instructions, no call of itself, 1 branch back",
    "most instructions from one line: 3, from fact.cpp:9",
  ]);
  assert.equal(L.countedFacts(calls)[1], "fact(int): 1 instruction, 1 call of itself, no branch back");
});

test("a line to point at: by its file's name and number, or the first with instructions holding the words", () => {
  assert.equal(L.lineKeyOf(loop, "fact.cpp", 11), "0:11");
  assert.equal(L.lineKeyOf(loop, "wrap.h", 23), "");
  assert.equal(L.findLine(loop, "fact.cpp", "n <= 0"), "0:9");
  assert.equal(L.findLine(loop, "fact.cpp", "return 1"), "");  // no instructions of its own here
  assert.equal(L.findLine(loop, "wrap.h", "n <= 0"), "");
});

const index = {
  targets: [{ name: "x86_64", title: "what g++ made for x86-64" }, { name: "i686", title: "what g++ made for i686" }],
  listings: [
    { name: "fact-plain.fact", program: "fact", build: "plain", title: "fact, plain" },
    { name: "fact-opt.fact", program: "fact", build: "optimised", title: "fact, optimised" },
    { name: "calcrec.rec", program: "calcrec", build: "optimised", title: "calcrec" },
  ],
};

test("programs, builds and targets from the index", () => {
  assert.deepEqual(L.programs(index).map((p) => [p.program, p.builds.map((b) => b.name)]),
                   [["fact", ["fact-plain.fact", "fact-opt.fact"]], ["calcrec", ["calcrec.rec"]]]);
  assert.equal(L.listingName(index, "fact", "optimised"), "fact-opt.fact");
  assert.equal(L.listingName(index, "calcrec", "plain"), "calcrec.rec");  // its only build
  assert.equal(L.listingName(index, "nothing", "plain"), "");
  assert.equal(L.targetTitle(index, "i686"), "what g++ made for i686");
  assert.equal(L.targetTitle(index, "s390x"), "s390x");
  assert.equal(L.listingScript("listings/", "i686", "fact-opt.fact"), "listings/i686/fact-opt.fact.js");
});

test("the target shown first, and the comparisons the targets allow", () => {
  assert.equal(L.defaultTarget(index), "x86_64");
  assert.equal(L.defaultTarget({ ...index, targets: [...index.targets, { name: "wasm32", title: "" }] }), "wasm32");
  assert.deepEqual(L.availableComparisons(index).map((c) => c.id), ["fact-builds", "precision-units", "calculators"]);
});

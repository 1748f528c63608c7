// The lessons' logic: a lesson file checked, the --json run a step needs,
// the path language, and answers worked out from a document.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readLesson, jsonCommand, pick, decimal, canonical, predictedNumber, answerOf, questionFrom, stepProblems }
  from "../../web/lesson-check.js";

// A document shaped as calcexplain's for 10-3-2: one grammar rejects it.
const parse = { tool: "calcexplain", lines: [{ line: "10-3-2", grammars: [
  { grammar: "calcloop", value: "5", grouping: "((10-3)-2)" },
  { grammar: "calcminusrec", value: "9", grouping: "(10-(3-2))" },
  { grammar: "calcrec", value: null, error: "unexpected '-'" }] }] };

test("a path names a value, a list, or nothing", () => {
  const paths = [["lines.0.line", "10-3-2"], ["lines.0.grammars.1.value", "9"],
                 ["lines.0.grammars.*.value", ["5", "9", null]],
                 ["lines.0.grammars.[grammar=calcrec].error", ["unexpected '-'"]],
                 ["lines.0.grammars.[value=null].grammar", ["calcrec"]],
                 ["lines.0.grammars.*.nothing", [undefined, undefined, undefined]],
                 ["lines.*.grammars.*.grammar", ["calcloop", "calcminusrec", "calcrec"]],
                 ["lines.0.line.*", []], ["lines.3.line", undefined], ["lines.0.constructor", undefined],
                 ["tool.length", undefined], ["", parse]];
  for (const [path, value] of paths) assert.deepEqual(pick(parse, path), value, path);
});

test("numbers in one spelling, and the words compared", () => {
  const numbers = [["42", "42"], [" +007.50 ", "7.5"], ["1,234,567", "1234567"], ["1_000", "1000"], ["\u22123", "-3"],
                   ["-0.0", "0"], [".5", "0.5"], ["5.", "5"], ["1,23", null], ["1e3", null], [".", null], ["", null],
                   ["--1", null], [12, "12"]];
  for (const [text, spelled] of numbers) assert.equal(decimal(text), spelled, String(text));
  const words = [[true, "yes"], [false, "no"], [null, "none"], [undefined, "none"], ["exact", "exact"], ["0.50", "0.5"]];
  for (const [value, word] of words) assert.equal(canonical(value), word, String(value));
  const predictions = [["None", "none"], [" rejected ", "none"], ["-", "none"], ["9", "9"], ["nine", null]];
  for (const [text, word] of predictions) assert.equal(predictedNumber(text), word, text);
});

test("the --json run that answers a step", () => {
  const runs = [["run=calcexplain&line=2*3+4", ["--json", "2*3+4"]],
                ["run=calcexplain&line=-1", ["--json", "--", "-1"]],
                ["run=factexplain&n= 5 ", ["--json", "5"]],
                ["run=floatexplain&command=value&X=0.1%201/3", ["--json", "value", "0.1", "1/3"]],
                ["run=floatexplain&command=op&A=0.1&OP=*&B=10", ["--json", "op", "0.1", "*", "10"]],
                ["run=floatexplain&command=sum&from=2000&decreasing=&data=", ["--json", "sum", "--from", "2000", "--decreasing", "--summary"]],
                ["run=floatexplain&command=sum&summary=", ["--json", "sum", "--summary"]]];
  for (const [address, args] of runs) assert.deepEqual(jsonCommand(address, 0).args, args, address);
  assert.throws(() => jsonCommand("run=floatexplain&command=op&A=1&OP=*", 2), /Step 3: floatexplain op needs B=/);
  assert.throws(() => jsonCommand("run=calcloop&line=1", 0), /give the step a "from"/);
});

const step = (fields) => ({ question: "Q?", run: "run=calcexplain&line=10-3-2", ask: "number", path: "lines.0.line", why: "W.", ...fields });
const lesson = (...steps) => JSON.stringify({ title: "T", steps });

test("a lesson file refused, with the reason for its writer", () => {
  const refused = [["{", /not JSON/], [lesson(), /needs "steps"/], ['{"steps": [{}]}', /needs "title"/],
                   [lesson(step({ answer: "5" })), /writes an answer into the file \("answer"\)/],
                   [lesson(step({ Expected: "5" })), /writes an answer/],
                   [lesson(step({ colour: "red" })), /"colour", which a lesson does not know/],
                   [lesson(step({ ask: "maybe" })), /"ask" is "number", "yesno", "choice" or "trace"/],
                   [lesson(step({ run: "run=nothing" })), /runs "nothing", which the page does not have/],
                   [lesson(step({ equals: "5" })), /"equals" belongs to a yes-or-no question/],
                   [lesson(step({ ask: "yesno", equals: "5", contains: "5" })), /both "equals" and "contains"/],
                   [lesson(step({ ask: "choice" })), /"choices" goes with "ask": "choice"/],
                   [lesson(step(), step({ why: " " })), /Step 2 needs "why"/]];
  for (const [text, reason] of refused) assert.throws(() => readLesson(text), reason, text);
  assert.equal(readLesson(lesson(step(), step({ ask: "yesno", sameAs: { path: "x" } }))).steps.length, 2);
});

test("answers worked out from the documents", async () => {
  const documents = { "run=calcexplain&line=10-3-2": parse,
                      "run=floatexplain&command=value&X=0.5": { values: [{ rounding: { direction: "exact" }, exact: "0.5" }] },
                      "run=floatexplain&command=op&A=0.1&OP=*&B=10": { flags: ["underflow", "inexact"], exact: "1.000000014901161193847656250" } };
  const runJson = async (address) => documents[address];
  const answers = [
    [step({ each: "lines.0.grammars.*.grammar", path: "lines.0.grammars.*.value" }),
     ["5", "9", "none"], "calcloop 5, calcminusrec 9, calcrec none"],
    [step({ path: "lines.0.grammars.2.value", why: "It reads {lines.0.grammars.2.error}, not {nothing.here}." }), "none", "none",
     "It reads unexpected '-', not {nothing.here}."],
    // A part in [[...]] only where each of its paths names something.
    [step({ path: "lines.0.grammars.2.value", why: "[[It gives {lines.0.grammars.2.value}.]] [[It stops: {lines.0.grammars.2.error}.]] [[{lines.0.grammars.0.value}]]" }),
     "none", "none", "It stops: unexpected '-'. 5"],
    [step({ ask: "yesno", run: "run=floatexplain&command=value&X=0.5", path: "values.0.rounding.direction", equals: "exact" }), "yes", "yes"],
    [step({ ask: "yesno", run: "run=floatexplain&command=op&A=0.1&OP=*&B=10", path: "flags", contains: "overflow" }), "no", "no"],
    [step({ ask: "yesno", path: "lines.0.grammars.0.value", sameAs: { path: "lines.0.grammars.1.value" } }), "no", "no"],
    [step({ ask: "yesno", path: "lines.0.grammars.0.value", sameAs: { run: "run=floatexplain&command=value&X=0.5", path: "values.0.exact" } }), "no", "no"],
    [step({ ask: "choice", choices: "lines.0.grammars.*.grammar", path: "lines.0.grammars.[value=9].grammar" }), ["calcminusrec"], "calcminusrec"],
    [step({ ask: "choice", choices: "lines.0.grammars.*.grammar", path: "lines.0.grammars.[value=1].grammar" }), [], "none of them"],
    [step({ ask: "choice", run: "run=floatexplain&command=op&A=0.1&OP=*&B=10", choices: "flags", path: "flags" }),
     ["inexact", "underflow"], "inexact, underflow"],
  ];
  for (const [asked, value, text, why] of answers) {
    const answer = await answerOf(asked, runJson);
    assert.deepEqual([answer.value, answer.text], [value, text], asked.path);
    if (why) assert.equal(answer.why, why);
  }
  await assert.rejects(answerOf(step({ path: "lines.0.nothing.value" }), runJson), /names nothing in calcexplain's answer/);
  await assert.rejects(answerOf(step({ ask: "yesno", path: "lines.0.line" }), runJson), /is not yes or no/);
  await assert.rejects(answerOf(step({ each: "lines.0.line", path: "lines.0.line" }), runJson), /"lines.0.line" is no list/);
});

test("a question made of a run is a step a lesson takes", () => {
  const runs = [["run=calcminusrec&line=1%2B2", "run=calcexplain&line=1%2B2", "lines.0.grammars.1.value"],
                ["run=calcexplain&line=10-3-2", "run=calcexplain&line=10-3-2", "lines.0.grammars.*.value"],
                ["run=floatexplain&command=value&X=0.1", "run=floatexplain&command=value&X=0.1", "values.0.rounding.direction"],
                ["run=factexplain&n=13", "run=factexplain&n=13", "builds.0.result"]];
  for (const [address, from, path] of runs) {
    const made = questionFrom(new URLSearchParams(address));
    assert.deepEqual([made.from || made.run, made.path], [from, path], address);
    readLesson(lesson(made));
  }
  for (const address of ["run=prodshow", "run=calcexplain&line=1&help=", "run=floatexplain&command=sum", "run=factexplain&n=%20"])
    assert.equal(questionFrom(new URLSearchParams(address)), null, address);
});

test("a number typed in an answer rule or an explanation, unless an input of the step", () => {
  const fact = (fields) => step({ run: "run=factexplain&n=13", path: "builds.0.result", ...fields });
  const yesno = (fields) => fact({ ask: "yesno", ...fields });
  const refused = [
    [fact({ why: "An int holds at most 2147483647." }), /Step 1: its "why" types the number 2147483647.*inputs are 13/],
    [yesno({ equals: "6227020800" }), /its "equals" types the number 6227020800/],
    [yesno({ equals: 0 }), /its "equals" types the number 0/],
    [yesno({ path: "flags", contains: "1e39" }), /its "contains" types the number 1e39/],
    [fact({ why: "A 32-bit int." }), /the number 32/],
    [fact({ why: "Its bits are 0x3f800000." }), /the number 0x3f800000/],
    [fact({ why: "Up to 10,000,000 terms." }), /the number 10,000,000/],
    [fact({ why: "fact(12) is {builds.0.result}" }), /the number 12/],
    [step({ run: "run=floatexplain&command=value&X=0.1", path: "values.0.exact", why: "Not 0.10000001." }), /0\.10000001/],
  ];
  for (const [asked, reason] of refused) assert.throws(() => readLesson(lesson(asked)), reason, asked.why ?? asked.equals);
  assert.throws(() => readLesson(JSON.stringify({ title: "T", intro: "A single holds 24 bits.", steps: [step()] })),
                /The lesson: its "intro" types the number 24/);
  const taken = [
    step({ why: "calcloop reads 10-3-2 as {lines.0.grammars.0.grouping}: 10 first, then 3, then 2." }),
    step({ run: "run=calcloop&line=10-3-2", from: "run=calcexplain&line=10-3-2", why: "Not 10." }),
    fact({ why: "fact(13) wraps; {builds.0.events.27.product.exact} is 13! exactly." }),
    step({ ask: "yesno", run: "run=floatexplain&command=op&A=0.1&OP=%2B&B=0.2", path: "result.bits",
           sameAs: { run: "run=floatexplain&command=value&X=0.3", path: "values.0.bits" }, why: "0.1 + 0.2 against 0.30." }),
    step({ run: "run=floatexplain&command=value&X=1e39&format=bfloat16", path: "values.0.exact",
           why: "bfloat16, precision2 and i686 are names; 1E39 is the input, and ten is a word." }),
  ];
  for (const asked of taken) assert.doesNotThrow(() => readLesson(lesson(asked)), asked.why);
  assert.doesNotThrow(() => readLesson(JSON.stringify({ title: "T", intro: "From 13 on, and 10-3-2.",
                                                        steps: [step(), fact()] })));
});

test("a step's paths against its documents: what names nothing is said", async () => {
  const runJson = async (address) => (address.includes("X=0.5") ? { values: [{ bits: "3f000000" }] } : parse);
  const problems = [
    [step({ why: "{lines.0.line} and {lines.0.nothing}, [[{lines.0.nowhere}]]" }), ["the why's {lines.0.nothing} names nothing"]],
    [step({ ask: "yesno", path: "lines.0.line", sameAs: { run: "run=floatexplain&command=value&X=0.5", path: "values.0.bytes" } }),
     ['sameAs\'s "values.0.bytes" names nothing']],
    [step({ ask: "choice", choices: "lines.0.grammars.*.value", path: "lines.0.grammars.*.grammar" }),
     ["the answer calcloop, calcminusrec, calcrec is not among the choices 5, 9, null"]],
    [step({ path: "lines.0.nothing.value" }), [/names nothing in calcexplain's answer/]],
    [step({ each: "lines.0.grammars.*.grammar", path: "lines.0.grammars.*.value", why: "[[{x}]] {lines.0.line}" }), []],
  ];
  for (const [asked, want] of problems) {
    const got = await stepProblems(asked, runJson);
    assert.equal(got.length, want.length, JSON.stringify(got));
    want.forEach((problem, at) => (problem instanceof RegExp ? assert.match(got[at], problem) : assert.equal(got[at], problem)));
  }
});

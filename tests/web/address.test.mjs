// The address reader and writer: the runs, steps and lessons a link holds.
import { test } from "node:test";
import assert from "node:assert/strict";
import { writeRun, readRun, readStep, withStep, writeLesson, readLessonAddress, askName, readListing, withListing }
  from "../../web/address.js";

// Each run, and the address it must make: keys in the controls' order, a
// box ticked as "name=", a '+' escaped and a blank written as "%20".
const runs = [
  [{ program: "calcexplain", line: "1-2*3-4", options: [["--steps", ""]], tree: "--dot" },
   "run=calcexplain&line=1-2*3-4&steps=&tree=dot"],
  [{ program: "calcexplain", line: "2", tree: "--tree=rules" }, "run=calcexplain&line=2&tree=tree%3Drules"],
  [{ program: "floatexplain", command: "sum", operands: [], options: [["--every", "10"]] },
   "run=floatexplain&command=sum&every=10"],
  [{ program: "floatexplain", command: "value", operands: [["X...", "0.1 1/3"]] },
   "run=floatexplain&command=value&X=0.1%201%2F3"],
  [{ program: "factexplain", n: "13", options: [["--code", ""]], help: true }, "run=factexplain&n=13&code=&help="],
  [{ program: "calcloop", line: "1+2" }, "run=calcloop&line=1%2B2"],
];

test("a run written as an address, and read back", () => {
  for (const [run, address] of runs) {
    assert.equal(writeRun(run), address);
    const read = readRun("#" + address);
    assert.equal(read.program, run.program);
    assert.equal(read.line, run.line ?? null);
    assert.equal(read.n, run.n ?? null);
    assert.equal(read.command, run.command ?? null);
    assert.equal(read.tree, run.tree ?? "");
    assert.equal(read.help, Boolean(run.help));
    for (const [name, value] of [...(run.options || []), ...(run.operands || [])])
      assert.equal(name.startsWith("--") ? read.option(name) : read.operand(name), value, name);
    assert.equal(read.option("--absent"), null);
  }
});

test("a '+' a person writes is a plus, a blank is %20 or a space", () => {
  const written = [["#run=calcloop&line=2+3", "2+3"], ["#run=calcloop&line=2%2B3", "2+3"], ["run=calcloop&line=2%203", "2 3"],
                   ["#run=calcexplain&line=1+2*3-4&tree=dot", "1+2*3-4"], ["#run=calcloop&line=%2B+ +", "++ +"]];
  for (const [address, line] of written) assert.equal(readRun(address).line, line, address);
  assert.equal(readLessonAddress("#ask=calcloop&line=2+3").ask, "line=2%2B3&run=calcloop");
});

test("an address without a run names none", () => {
  for (const address of ["", "#", "#line=1", "#lesson=grammars&step=2"]) assert.equal(readRun(address), null, address);
});

test("the step a link opens a picture at", () => {
  const steps = [["#run=calcexplain&line=1-2*3-4&tree=dot&step=20", 20], ["#run=a&step=007", 7], ["#run=a&step=0", 0],
                 ["#run=a&step=-1", null], ["#run=a&step=2.5", null], ["#run=a&step=", null], ["#run=a", null]];
  for (const [address, step] of steps) assert.equal(readStep(address), step, address);
  assert.equal(withStep("#run=factexplain&n=4&step=1", 9), "run=factexplain&n=4&step=9");
  assert.equal(withStep("#lesson=grammars&step=1", 9), null);
});

test("a lesson's address, written and read", () => {
  const doc = { title: "T", steps: [{ question: "Q?" }] };
  const lessons = [[{ name: "grammars", doc, step: 2 }, "lesson=grammars&step=3", { lesson: "grammars", step: 2 }],
                   [{ name: "", doc, step: 0 }, "lessontext=" + encodeURIComponent(JSON.stringify(doc)).replace(/[!'()*]/g, (c) => "%" + c.charCodeAt(0).toString(16).toUpperCase()) + "&step=1",
                    { text: JSON.stringify(doc), step: 0 }],
                   [{ name: "ask=calcloop&line=1", doc, step: 0 }, "ask=calcloop&line=1", { ask: "line=1&run=calcloop" }]];
  for (const [lesson, address, read] of lessons) {
    assert.equal(writeLesson(lesson), address);
    assert.deepEqual(readLessonAddress("#" + address), read);
  }
  // A step out of range or not a number opens the first.
  for (const step of ["0", "-3", "x", ""]) assert.equal(readLessonAddress(`#lesson=a&step=${step}`).step, 0, step);
  assert.equal(readLessonAddress("#run=calcloop"), null);
  assert.equal(askName("run=calcloop&line=1%2B2"), "ask=calcloop&line=1%2B2");
  assert.equal(askName("run=prodshow"), "ask=prodshow");
});

// The listing view's state beside a run: put in, read back, taken out.
test("the listing view's state in an address", () => {
  const side = (target) => ({ program: "fact", build: "plain", target });
  const cases = [
    [{ compare: "fact-builds" }, "listing=fact-builds"],
    [{ compare: "" }, "listing="],
    [{ sides: [side("x86_64"), side("sparc64")] }, "listing=fact.plain.x86_64&beside=fact.plain.sparc64"],
  ];
  for (const [view, address] of cases) {
    assert.equal(withListing("#run=fact&n=4&listing=old", view), "run=fact&n=4&" + address);
    assert.deepEqual(readListing("#n=4&" + address), view);
    assert.equal(withListing("#run=fact&" + address, null), "run=fact");
  }
  assert.equal(readListing("#run=fact"), null);
  // The run beside it reads back as it was: a blank stays a blank, a '+' a plus.
  for (const view of [null, { compare: "" }])
    assert.match(withListing("#run=calcloop&line=2%203%2B4", view), /^run=calcloop&line=2%203%2B4(&listing=)?$/);
  // A side that is not program.build.target opens the view's own choice.
  assert.deepEqual(readListing("#listing=fact.plain&beside=a.b.c"), { compare: "" });
});

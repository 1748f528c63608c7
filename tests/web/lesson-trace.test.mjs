// The parse a student drives: the points where a grammar decides, what it
// did there, and the lesson steps that ask it.
import { test } from "node:test";
import assert from "node:assert/strict";
import { tracePoints } from "../../web/lesson-trace.js";
import { readLesson, answerOf } from "../../web/lesson-check.js";

// 2*3+4 read by a grammar whose expr loops over terms, written out by hand.
const enter = (rule, column) => ({ event: "enter", rule, column });
const match = (char, column) => ({ event: "match", char, column });
const back = (rule, value, column) => ({ event: "return", rule, value, column });
const events = [
  enter("command", 1), enter("expr", 1), enter("term", 1), enter("factor", 1), match("2", 1), back("factor", 2, 2),
  match("*", 2), enter("factor", 3), match("3", 3), back("factor", 3, 4),
  { event: "compute", left: 2, op: "*", right: 3, result: 6 }, back("term", 6, 4),
  match("+", 4), enter("term", 5), enter("factor", 5), match("4", 5), back("factor", 4, 6), back("term", 4, 6),
  { event: "compute", left: 6, op: "+", right: 4, result: 10 }, back("expr", 10, 6), back("command", 10, 6)];

test("the points are where a rule has returned or a character matched", () => {
  // One point is the middle one; decisions at events 6 ('*'), 7 (factor), 12 ('+') and 13 (term).
  const cases = [[1, ["matches '+'"]], [2, ["enters factor", "enters term"]],
                 [6, ["matches '*'", "enters factor", "matches '+'", "enters term"]]];
  for (const [count, answers] of cases)
    assert.deepEqual(tracePoints(events, count).map((point) => point.answer), answers, `${count} points`);
  const [first] = tracePoints(events, 2);
  assert.deepEqual(first.before, ["factor starts at column 1", "matches '2' at column 1", "factor returns 2",
                                  "matches '*' at column 2"]);
  assert.equal(first.skipped, 3);
  assert.deepEqual(first.choices, ["enters command", "enters expr", "enters term", "enters factor", "matches '2'",
                                   "matches '*'", "matches '3'", "matches '+'", "matches '4'"]);
  assert.deepEqual(tracePoints(events.slice(0, 6), 3), []);
  assert.deepEqual(tracePoints(undefined, 3), []);
});

test("a trace step: its points, and its refusals", async () => {
  const step = { question: "What does it do next?", run: "run=calcexplain&line=2*3+4", ask: "trace", points: 2,
                 path: "lines.0.grammars.0.events", why: "It is {lines.0.grammars.0.value}." };
  const doc = { lines: [{ grammars: [{ value: 10, events }] }] };
  const answer = await answerOf(step, async () => doc);
  assert.deepEqual(answer.value, ["enters factor", "enters term"]);
  assert.equal(answer.text, "at point 1 it enters factor; at point 2 it enters term");
  const lesson = (fields) => JSON.stringify({ title: "t", steps: [{ ...step, ...fields }] });
  assert.equal(readLesson(lesson({})).steps[0].points, 2);
  for (const fields of [{ points: undefined }, { points: 0 }, { points: 7 }, { points: 1.5 }, { ask: "number" }])
    assert.throws(() => readLesson(lesson(fields)), /Step 1: "ask": "trace" goes with "points"/, JSON.stringify(fields));
  await assert.rejects(answerOf({ ...step, path: "lines.0.grammars.0.value" }, async () => doc), /no list/);
});

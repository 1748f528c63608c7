// Every shipped lesson against the companions' real documents: each step's
// path, each, choices, sameAs and the {path}s of its why name something in
// the --json of the run the page would make (lesson-check.js's own
// jsonCommand gives the arguments). Each distinct run is made once.
//   node lesson-runs.mjs [--emulator COMMAND]... NAME=PROGRAM... LESSON.json...
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import { basename } from "node:path";
import { readLesson, jsonCommand, stepProblems } from "../../web/lesson-check.js";

const emulator = [];
const programs = {};
const files = [];
const args = process.argv.slice(2);
for (let at = 0; at < args.length; at++) {
  if (args[at] === "--emulator") emulator.push(args[++at]);
  else if (/^\w+=/.test(args[at])) programs[args[at].split("=")[0]] = args[at].slice(args[at].indexOf("=") + 1);
  else files.push(args[at]);
}

const documents = new Map();
let runs = 0;
const runJson = async (address) => {
  const { name, args: toolArgs } = jsonCommand(address, 0);
  const key = JSON.stringify([name, toolArgs]);
  if (!documents.has(key)) {
    const [command, ...rest] = [...emulator, programs[name]];
    runs += 1;
    documents.set(key, JSON.parse(execFileSync(command, [...rest, ...toolArgs],
                                               { maxBuffer: 1 << 30, stdio: ["ignore", "pipe", "inherit"] })));
  }
  return documents.get(key);
};

let failed = 0;
let steps = 0;
for (const file of files) {
  const lesson = readLesson(readFileSync(file, "utf8"));
  for (const [at, step] of lesson.steps.entries()) {
    steps += 1;
    const problems = await stepProblems(step, runJson);
    for (const problem of problems) console.log(`FAIL ${basename(file)} step ${at + 1}: ${problem}`);
    failed += problems.length ? 1 : 0;
  }
}
console.log(`${steps - failed} of ${steps} steps resolve, from ${runs} runs`);
process.exit(failed || !steps ? 1 : 0);

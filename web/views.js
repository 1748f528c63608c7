// Pictures of a run: the companions' --json documents drawn. A run that has a
// picture runs twice: the text run the page shows, and here the same command
// with --json, whose document is the one model every label and number in a
// picture comes from. Nothing here reads the text output or computes again.
// The drawings themselves are in views-parse.js (calcexplain),
// views-stack.js (factexplain) and views-bits.js (floatexplain).
import { runWhole } from "./run-tool.js";
import { takeLinkedStep, forgetLinkedStep } from "./view-tools.js";
import { drawParse } from "./views-parse.js";
import { drawStack } from "./views-stack.js";
import { drawBits } from "./views-bits.js";

// jsonArguments: the --json command for a run that has a picture, or null.
// Only the operands and the options that choose what is computed go along:
// the text views' options (calcexplain's --steps, --dot, factexplain's
// --code) have no part in the document.
function jsonArguments(name, args) {
  if (args.includes("--help") || args.includes("--version")) return null;
  if (name === "calcexplain") {
    const dashes = args.indexOf("--");
    const lines = dashes >= 0 ? args.slice(dashes + 1) : args.filter((arg) => !arg.startsWith("-"));
    return lines.length ? ["--json", "--", ...lines] : null;
  }
  if (name === "floatexplain") return args[0] === "value" ? ["--json", ...args] : null;
  if (name === "factexplain") return ["--json", ...args.filter((arg) => arg !== "--code")];
  return null;
}

// The --json run, in a worker of its own beside the page's run: a newer one
// ends the one before.
let jsonRun = null;

// runDocument: the document a companion prints for args (a promise), or null
// when it prints none (a usage error) or the run was ended by a newer one.
async function runDocument(name, args) {
  if (jsonRun) jsonRun.stop();
  const thisRun = jsonRun = runWhole(name, args);
  let result;
  try {
    result = await thisRun.finished;
  } finally {
    if (jsonRun === thisRun) jsonRun = null;
  }
  if (!result) return null;
  try {
    return JSON.parse(result.stdout);
  } catch {
    return null;
  }
}

let viewsAsked = 0;  // the latest run drawn: an older document is dropped

// drawViews: the picture that belongs to the run {name, args, status}, if
// any; the others are hidden. Called as a run starts (status null) and once
// it ends. onBits(pattern) runs a bit pattern.
export async function drawViews(run, onBits) {
  const asked = ++viewsAsked;
  const args = run.status === null ? null : jsonArguments(run.name, run.args);
  if (!args) {
    drawDocument(null, onBits);
    return;
  }
  let json = null;
  try {
    json = await runDocument(run.name, args);
  } catch {
    json = null;  // the text run shows what went wrong
  }
  if (asked === viewsAsked) drawDocument(json, onBits);
}

// drawDocument: any companion's document drawn (null: no picture). Lessons
// call this with a document of their own.
export function drawDocument(json, onBits) {
  const tool = json && json.tool;
  drawParse(tool === "calcexplain" ? json : null);
  drawStack(tool === "factexplain" ? json : null);
  drawBits(tool === "floatexplain" && json.command === "value" ? json : null, onBits);
  if (json) forgetLinkedStep();  // a link's step is for the picture it opened, or none
}

// startViews: the step a link asks for, taken now and after Back or Forward,
// before the page rewrites the address for its run.
export function startViews() {
  takeLinkedStep();
  window.addEventListener("popstate", takeLinkedStep);
}

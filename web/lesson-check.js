// The lessons' logic, apart from the page: a lesson file read and checked,
// the companion's --json run that answers a step, the path language that
// finds the answer in its document, and the words an answer and a
// prediction are compared in. A lesson file holds the questions, the runs
// and where in a document each answer lies, never the answers.
import { hasProgram } from "./programs.js";
import { writeParams } from "./address.js";
import { tracePoints } from "./lesson-trace.js";

const stepKeys = ["question", "run", "from", "ask", "path", "each", "choices", "equals", "contains",
                  "sameAs", "why", "points"];
const lessonKeys = ["lesson", "title", "intro", "steps"];
// Keys by which a file would carry its own answers: such a file is refused,
// since an answer typed into a lesson could disagree with the programs.
const answerKeys = ["answer", "answers", "expected", "expect", "solution", "correct", "value", "result"];
// floatexplain's commands that --json answers, with their operands as the
// address names them, and its options that change only how its text looks.
const floatOperands = { value: ["X"], op: ["A", "OP", "B"], tenths: [], distributive: [], sum: [] };
const textOnlyOptions = ["data", "wide"];
export const noneWords = /^(none|no value|nothing|error|rejects?|rejected|-)$/i;

// readLesson: a lesson from its text, checked; throws an Error that says
// what is wrong, for the teacher who wrote it.
export function readLesson(text) {
  let doc;
  try {
    doc = JSON.parse(text);
  } catch (error) {
    throw new Error(`This is not JSON: ${error.message}`);
  }
  const where = (at) => (at === null ? "The lesson" : `Step ${at + 1}`);
  const keysOf = (object, allowed, at) => {
    if (!object || typeof object !== "object" || Array.isArray(object))
      throw new Error(`${where(at)} is not an object ({...}).`);
    for (const key of Object.keys(object)) {
      if (answerKeys.includes(key.toLowerCase()))
        throw new Error(`${where(at)} writes an answer into the file ("${key}"). Answers are never typed in ` +
                        "a lesson: the page computes each one by running the programs, so this file is refused.");
      if (!allowed.includes(key)) throw new Error(`${where(at)} has "${key}", which a lesson does not know.`);
    }
  };
  const needText = (object, key, at, optional) => {
    if (optional && !(key in object)) return;
    if (typeof object[key] !== "string" || !object[key].trim())
      throw new Error(`${where(at)} needs "${key}", a text.`);
  };
  keysOf(doc, lessonKeys, null);
  needText(doc, "title", null);
  needText(doc, "intro", null, true);
  needText(doc, "lesson", null, true);
  if (!Array.isArray(doc.steps) || !doc.steps.length) throw new Error('The lesson needs "steps", a list of at least one.');
  doc.steps.forEach((step, at) => {
    keysOf(step, stepKeys, at);
    for (const key of ["question", "run", "ask", "path", "why"]) needText(step, key, at);
    for (const key of ["from", "each", "choices"]) needText(step, key, at, true);
    if (!["number", "yesno", "choice", "trace"].includes(step.ask))
      throw new Error(`Step ${at + 1} asks "${step.ask}": "ask" is "number", "yesno", "choice" or "trace".`);
    if (("points" in step) !== (step.ask === "trace") ||
        (step.ask === "trace" && !(Number.isInteger(step.points) && step.points >= 1 && step.points <= 6)))
      throw new Error(`Step ${at + 1}: "ask": "trace" goes with "points", how many points of the parse to ask ` +
                      "about (1 to 6).");
    const run = runState(step.run).get("run");
    if (!hasProgram(run)) throw new Error(`Step ${at + 1} runs "${run}", which the page does not have.`);
    jsonCommand(step.from || step.run, at);
    const tests = ["equals", "contains", "sameAs"].filter((key) => key in step);
    if (tests.length && step.ask !== "yesno") throw new Error(`Step ${at + 1}: "${tests[0]}" belongs to a yes-or-no question.`);
    if (tests.length > 1) throw new Error(`Step ${at + 1} has both "${tests[0]}" and "${tests[1]}".`);
    if (step.sameAs !== undefined) {
      keysOf(step.sameAs, ["run", "path"], at);
      needText(step.sameAs, "path", at);
      if (step.sameAs.run !== undefined) jsonCommand(step.sameAs.run, at);
    }
    typedNumbers(step, at);
    if ((step.ask === "choice") !== ("choices" in step)) throw new Error(`Step ${at + 1}: "choices" goes with "ask": "choice".`);
    if ("each" in step && step.ask !== "number") throw new Error(`Step ${at + 1}: "each" goes with "ask": "number".`);
  });
  // The intro may name any step's inputs.
  if (doc.intro !== undefined) typedNumbers({ intro: doc.intro }, null, doc.steps.flatMap(inputsOf));
  return doc;
}

// A number as a lesson may type it: digits with a decimal point, thousands'
// commas or an exponent (0.1, 10,000,000, 1e39), or hexadecimal (0x3f800000).
// Digits inside a word are part of a name (precision2, bfloat16, i686), and
// numbers in words (ten, one) are words.
const numberPattern = /(?<![\p{L}\d_])(?:0x[0-9a-f]+|\d+(?:,\d{3})*(?:\.\d+)?(?:e[+-]?\d+)?)(?![\p{L}\d_])/giu;
const numberKey = (text) => decimal(text) ?? text.toLowerCase();

// The texts of a step's runs: its run, its from, and its sameAs's run.
function inputsOf(step) {
  return [step.run, step.from, step.sameAs?.run].filter((address) => typeof address === "string")
    .flatMap((address) => [...runState(address)].filter(([key]) => key !== "run").map(([, value]) => value));
}

// typedNumbers: refuses a step (or, at null, the lesson's intro) that types
// a number in an answer rule (equals, contains) or an explanation (why,
// intro), other than the numbers of its own inputs: a number a program
// computes comes from its document, as a {path}, so that it cannot go stale.
export function typedNumbers(step, at, inputs = inputsOf(step)) {
  const allowed = new Set(inputs.flatMap((text) => text.match(numberPattern) || []).map(numberKey));
  const texts = [["why", step.why], ["intro", step.intro], ["equals", step.equals], ["contains", step.contains]];
  for (const [key, value] of texts) {
    if (value === undefined || value === null || typeof value === "boolean") continue;
    // A {path} is filled from the document: its digits are indices, no facts.
    const words = typeof value === "number" ? String(value) : String(value).replace(/\{[^{}]*\}/g, " ");
    const typed = (words.match(numberPattern) || []).find((number) => !allowed.has(numberKey(number)));
    if (typed === undefined) continue;
    const whose = at === null ? "its steps' inputs" : "its inputs";
    const inputs = allowed.size ? ` (${whose} are ${[...allowed].join(", ")})` : "";
    throw new Error(`${at === null ? "The lesson" : `Step ${at + 1}`}: its "${key}" types the number ${typed}, which is ` +
                    `not one of ${whose}${inputs}. Take it from the document as a {path}, or leave it out.`);
  }
}

// runState: a step's run as the controls take it. A '+' in it is a plus,
// as a teacher writes "line=2*3+4", not a blank as in an address.
export function runState(text) {
  return new URLSearchParams(text.replace(/\+/g, "%2B"));
}

// jsonCommand: the companion's --json run that computes a run's answers,
// from a run as the page's address gives it: its operands by name, each
// other key an option ("from=2000" is --from 2000, "decreasing=" is
// --decreasing). It reads the address alone, not the page's controls.
export function jsonCommand(address, at) {
  const state = runState(address);
  const name = state.get("run");
  const where = `Step ${at + 1}`;
  if (name === "calcexplain") {
    const line = state.get("line") || "";
    return { name, args: ["--json", ...(line.startsWith("-") ? ["--"] : []), line] };
  }
  if (name === "factexplain") return { name, args: ["--json", (state.get("n") || "").trim()] };
  if (name === "floatexplain" && Object.hasOwn(floatOperands, state.get("command"))) {
    const command = state.get("command");
    const operands = floatOperands[command].flatMap((operand) => {
      if (!state.get(operand)?.trim()) throw new Error(`${where}: floatexplain ${command} needs ${operand}=.`);
      return operand === "X" ? state.get(operand).trim().split(/\s+/) : [state.get(operand)];
    });
    const options = [...state].filter(([key]) => !["run", "command", "help", ...floatOperands[command]].includes(key) &&
                                                 !textOnlyOptions.includes(key))
      .flatMap(([key, value]) => (value ? ["--" + key, value] : ["--" + key]));
    // sum's document is its summary, whether or not the run shows only that.
    if (command === "sum" && !state.has("summary")) options.push("--summary");
    return { name, args: ["--json", command, ...operands, ...options] };
  }
  throw new Error(`${where}: its answer needs a run of calcexplain, floatexplain or factexplain ` +
                  `(give the step a "from"), not "${address}".`);
}

// pick: what a path names in a document. "lines.0.value" walks keys and
// indices; "*" takes every item of a list, "[key=text]" the items whose key
// reads text; after either, the rest of the path applies to each item.
export function pick(doc, path) {
  let value = doc;
  let many = false;
  const into = (item, key) => (item !== null && typeof item === "object" && Object.hasOwn(item, key) ? item[key] : undefined);
  for (const part of path.match(/\[[^\]]*\]|[^.]+/g) || []) {
    const filter = /^\[([^=\]]+)=(.*)\]$/.exec(part);
    if (part === "*" || filter) {
      const items = (many ? value : [value]).flatMap((item) => (Array.isArray(item) ? item : []));
      value = filter ? items.filter((item) => String(into(item, filter[1])) === filter[2]) : items;
      many = true;
    } else {
      value = many ? value.map((item) => into(item, part)) : into(value, part);
    }
  }
  return value;
}

// decimal: a number as typed or as a companion gives it, in one spelling
// (no "+", no leading or trailing zeros), or null if it is no number.
export function decimal(text) {
  let plain = String(text).trim().replace(/[\s_]/g, "").replace(/^\u2212/, "-");
  if (/^[+-]?\d{1,3}(,\d{3})+(\.\d*)?$/.test(plain)) plain = plain.replace(/,/g, "");
  const parts = /^([+-]?)(\d*)(?:\.(\d*))?$/.exec(plain);
  if (!parts || !(parts[2] + (parts[3] || ""))) return null;
  const whole = parts[2].replace(/^0+/, "") || "0";
  const fraction = (parts[3] || "").replace(/0+$/, "");
  const digits = whole + (fraction ? "." + fraction : "");
  return parts[1] === "-" && digits !== "0" ? "-" + digits : digits;
}

// canonical: an answer or a prediction in the words both are compared in.
export function canonical(value) {
  if (value === undefined || value === null) return "none";
  if (typeof value === "boolean") return value ? "yes" : "no";
  return decimal(value) ?? String(value);
}

// answerOf: a step's answer from the companion's document (runJson(address)
// gives a promise of the document a run's address names), as
// {value, text, why}: value in canonical words (a list for "each" and
// "choice"), text for the student, why with its {path}s filled in.
export async function answerOf(step, runJson) {
  const doc = await runJson(step.from || step.run);
  const found = pick(doc, step.path);
  // A value may be absent (a grammar that rejects the line has none), but
  // not what holds it: that is a mistake in the path.
  const holder = step.path.split(".").slice(0, -1).join(".");
  if (found === undefined && (!holder || pick(doc, holder) === undefined))
    throw new Error(`"${step.path}" names nothing in ${jsonCommand(step.from || step.run, 0).name}'s answer`);
  for (const key of ["each", "choices"])
    if (key in step && !Array.isArray(pick(doc, step[key]))) throw new Error(`"${step[key]}" is no list`);
  let value;
  let points = [];
  if (step.ask === "trace") {
    if (!Array.isArray(found)) throw new Error(`"${step.path}" is no list of a parse's events`);
    points = tracePoints(found, step.points);
    if (!points.length) throw new Error(`"${step.path}" holds no point where the parse decides what comes next`);
    value = points.map((point) => point.answer);
  } else if (step.ask === "yesno") {
    if ("equals" in step) value = canonical(found) === canonical(step.equals);
    else if ("contains" in step) value = Array.isArray(found) && found.map(canonical).includes(canonical(step.contains));
    else if ("sameAs" in step) {
      const other = step.sameAs.run ? await runJson(step.sameAs.run) : doc;
      value = found !== undefined && canonical(found) === canonical(pick(other, step.sameAs.path));
    } else if (typeof found === "boolean") value = found;
    else throw new Error(`"${step.path}" is not yes or no in ${jsonCommand(step.from || step.run, 0).name}'s answer`);
    value = canonical(value);
  } else if (step.ask === "choice") {
    value = (Array.isArray(found) ? found : [found]).filter((item) => item !== undefined).map(String).sort();
  } else {
    value = "each" in step ? (Array.isArray(found) ? found : []).map(canonical) : canonical(found);
  }
  const labels = "each" in step ? pick(doc, step.each) : [];
  const text = step.ask === "trace" ? value.map((item, at) => `at point ${at + 1} it ${item}`).join("; ")
    : Array.isArray(value)
      ? (step.ask === "choice" ? value.join(", ") || "none of them" : value.map((item, at) => `${labels[at]} ${item}`).join(", "))
      : value;
  const why = fillWhy(step.why, doc);
  return { value, text, why, labels, points, choices: step.ask === "choice" ? pick(doc, step.choices) : [] };
}

// fillWhy: a why with its {path}s filled from the document. A part written
// in [[...]] is left out where a path in it names nothing (or null), so that a why
// can speak of a value only where the run gives one.
export function fillWhy(why, doc) {
  const fill = (text, missing) => text.replace(/\{([^{}]+)\}/g, (whole, path) => {
    const part = pick(doc, path);
    if (part === undefined || part === null || (Array.isArray(part) && !part.length)) missing.push(path);
    if (part === undefined) return whole;
    return Array.isArray(part) ? part.join(", ") : String(part);
  });
  return fill(why.replace(/\[\[(.*?)\]\]/g, (whole, part) => {
    const missing = [];
    const filled = fill(part, missing);
    return missing.length ? "" : filled;
  }), []).replace(/ {2,}/g, " ").trim();
}

// questionFrom: a step made from a run of the page, or null if the run is
// not one a question can be asked of.
// grammarWhy: what a grammar made of the line: its grouping where it gives
// a value, its message where it rejects the line (the grouping of a line
// it rejects is only the part it read, no grouping of the line).
const grammarWhy = (at) => `[[{lines.0.grammars.${at}.grammar} gives {lines.0.grammars.${at}.value}, grouping it as ` +
  `{lines.0.grammars.${at}.grouping}.]] [[{lines.0.grammars.${at}.grammar} rejects it: {lines.0.grammars.${at}.message}.]]`;

export function questionFrom(state) {
  const name = state.get("run");
  const line = state.get("line");
  const run = writeParams(state);
  const ask = (question, fields) => ({ question, run, ...fields,
    why: fields.why || "The run shows the answer as the program prints it." });
  if (name === "calcexplain" && !state.has("help")) {
    return ask(`What does each grammar print for ${line}? (A number, or "none" if it rejects the line.)`,
               { ask: "number", each: "lines.0.grammars.*.grammar", path: "lines.0.grammars.*.value",
                 why: ["calcloop", "calcminusrec", "calcrec"].map((_, at) => grammarWhy(at)).join(" ") });
  }
  const calculator = ["calcloop", "calcminusrec", "calcrec"].indexOf(name);
  if (calculator >= 0) {
    return ask(`What does ${name} print for ${line}? (A number, or "none" if it rejects the line.)`,
               { from: writeParams(new URLSearchParams({ run: "calcexplain", line })), ask: "number",
                 path: `lines.0.grammars.${calculator}.value`, why: grammarWhy(calculator) });
  }
  if (name === "floatexplain" && state.get("command") === "value" && (state.get("X") || "").trim()) {
    const x = state.get("X").trim().split(/\s+/)[0];
    return ask(`Is ${x} stored exactly in single precision?`, { ask: "yesno", path: "values.0.rounding.direction",
      equals: "exact", why: `The single stored for ${x} is {values.0.exact}.` });
  }
  if (name === "floatexplain" && state.get("command") === "op") {
    const [a, op, b] = ["A", "OP", "B"].map((key) => state.get(key) ?? "");
    return ask(`Does ${a} ${op} ${b} round in single precision?`, { ask: "yesno", path: "flags", contains: "inexact",
      why: "The exact result is {exact}; the single it gives is {result.exact}." });
  }
  if (name === "factexplain" && (state.get("n") || "").trim()) {
    return ask(`What does fact(${state.get("n").trim()}) return?`, { ask: "number", path: "builds.0.result",
      why: "{builds.0.frameNote}" });
  }
  return null;
}

// predictedNumber: a number typed as a prediction in canonical words
// ("none" for a word that says there is no value), or null for no number.
export function predictedNumber(text) {
  return noneWords.test(text.trim()) ? "none" : decimal(text);
}

// matches: whether a prediction in canonical words is the answer's value.
export function matches(predicted, value) {
  return JSON.stringify(predicted) === JSON.stringify(value);
}

// stepProblems: what in a step names nothing in the documents its runs
// give (runJson as for answerOf), as a list of sentences, empty when every
// path holds: the answer's path, each and choices, sameAs's path, the why's
// {path}s outside [[...]], and a choice's answers among its choices.
export async function stepProblems(step, runJson) {
  const problems = [];
  let answer;
  try {
    answer = await answerOf(step, runJson);
  } catch (error) {
    return [error.message];
  }
  const doc = await runJson(step.from || step.run);
  const outside = step.why.replace(/\[\[(.*?)\]\]/g, "");
  for (const [, path] of outside.matchAll(/\{([^{}]+)\}/g))
    if (pick(doc, path) === undefined) problems.push(`the why's {${path}} names nothing`);
  if (step.sameAs) {
    const other = step.sameAs.run ? await runJson(step.sameAs.run) : doc;
    if (pick(other, step.sameAs.path) === undefined) problems.push(`sameAs's "${step.sameAs.path}" names nothing`);
  }
  if (step.ask === "choice") {
    const choices = answer.choices.map(String);
    const stray = answer.value.filter((value) => !choices.includes(value));
    if (stray.length) problems.push(`the answer ${stray.join(", ")} is not among the choices ${choices.join(", ")}`);
  }
  if ("each" in step && answer.labels.length !== answer.value.length)
    problems.push(`"each" names ${answer.labels.length} labels for ${answer.value.length} answers`);
  return problems;
}

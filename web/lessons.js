// Lessons: a question, the student's prediction, then the run that answers
// it. A lesson file holds the questions, the runs and where in a companion's
// --json each answer lies, never the answers: those are computed here, by
// running the companion in the page when the step is shown.
"use strict";

// Only lessonAddress is seen outside this file (page.js asks it).
(function () {

// The address as opened, before page.js writes the controls' state into it.
const addressAtOpen = location.hash;

const stepKeys = ["question", "run", "from", "ask", "path", "each", "choices", "equals", "contains",
                  "sameAs", "why"];
const lessonKeys = ["lesson", "title", "intro", "steps"];
// Keys by which a file would carry its own answers: such a file is refused,
// since an answer typed into a lesson could disagree with the programs.
const answerKeys = ["answer", "answers", "expected", "expect", "solution", "correct", "value", "result"];
// floatexplain's commands that --json answers, with their operands as the
// address names them, and its options that change only how its text looks.
const floatOperands = { value: ["X"], op: ["A", "OP", "B"], tenths: [], distributive: [], sum: [] };
const textOnlyOptions = ["data", "wide"];
const noneWords = /^(none|no value|nothing|error|rejects?|rejected|-)$/i;

const lesson = { doc: null, name: "", step: 0, holdsAddress: false, answered: false };
const lessonElement = (id) => document.getElementById(id);

// readLesson: a lesson from its text, checked; throws an Error that says
// what is wrong, for the teacher who wrote it.
function readLesson(text) {
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
    if (!["number", "yesno", "choice"].includes(step.ask))
      throw new Error(`Step ${at + 1} asks "${step.ask}": "ask" is "number", "yesno" or "choice".`);
    const run = runState(step.run).get("run");
    if (!Object.hasOwn(programs, run)) throw new Error(`Step ${at + 1} runs "${run}", which the page does not have.`);
    jsonCommand(step.from || step.run, at);
    const tests = ["equals", "contains", "sameAs"].filter((key) => key in step);
    if (tests.length && step.ask !== "yesno") throw new Error(`Step ${at + 1}: "${tests[0]}" belongs to a yes-or-no question.`);
    if (tests.length > 1) throw new Error(`Step ${at + 1} has both "${tests[0]}" and "${tests[1]}".`);
    if (step.sameAs !== undefined) {
      keysOf(step.sameAs, ["run", "path"], at);
      needText(step.sameAs, "path", at);
      if (step.sameAs.run !== undefined) jsonCommand(step.sameAs.run, at);
    }
    if ((step.ask === "choice") !== ("choices" in step)) throw new Error(`Step ${at + 1}: "choices" goes with "ask": "choice".`);
    if ("each" in step && step.ask !== "number") throw new Error(`Step ${at + 1}: "each" goes with "ask": "number".`);
  });
  return doc;
}

// runState: a step's run as the controls take it. A '+' in it is a plus,
// as a teacher writes "line=2*3+4", not a blank as in an address.
function runState(text) {
  return new URLSearchParams(text.replace(/\+/g, "%2B"));
}

// The lessons built into the page (web/lessons/*.json, packed at build time).
function shippedLessons() {
  return Object.keys(webTexts).filter((key) => key.startsWith("lesson:")).map((key) => key.slice(7));
}

// jsonCommand: the companion's --json run that computes a run's answers,
// from a run as the page's address gives it: its operands by name, each
// other key an option ("from=2000" is --from 2000, "decreasing=" is
// --decreasing). It reads the address alone, not the page's controls.
function jsonCommand(address, at) {
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

// runJson: a companion's document for a run. Runs queue one at a time, each
// program in a worker of its own apart from the page's, and the same run is
// made only once: the programs give the same answer every time.
const jsonWorkers = {};
const jsonDocuments = {};
let jsonQueue = Promise.resolve();
function runJson(address) {
  const { name, args } = jsonCommand(address, 0);
  const key = [name, ...args].join("\n");
  jsonDocuments[key] = jsonDocuments[key] || (jsonQueue = jsonQueue.catch(() => {}).then(() => runOnce(name, args)));
  return jsonDocuments[key];
}

async function runOnce(name, args) {
  jsonWorkers[name] = jsonWorkers[name] || load(name).then((text) => new Worker(URL.createObjectURL(
    new Blob([webTexts.host, "\n", text, "\n", webTexts.worker], { type: "text/javascript" }))));
  const worker = await jsonWorkers[name];
  return new Promise((resolve, reject) => {
    const chunks = [];
    const decoder = new TextDecoder();
    worker.onmessage = ({ data }) => {
      if (data.fd === 1) chunks.push(data.bytes);
      if (data.fd) return;
      const text = chunks.map((chunk) => decoder.decode(chunk, { stream: true })).join("") + decoder.decode();
      try {
        resolve(JSON.parse(text));
      } catch (error) {
        reject(new Error(`${name} ${args.join(" ")} gave no JSON (exit status ${data.status})`));
      }
    };
    worker.onerror = (error) => {
      error.preventDefault();
      delete jsonWorkers[name];
      reject(new Error(`${name} could not run: ${error.message}`));
    };
    worker.postMessage({ name, args, stdin: new Uint8Array() });
  });
}

// pick: what a path names in a document. "lines.0.value" walks keys and
// indices; "*" takes every item of a list, "[key=text]" the items whose key
// reads text; after either, the rest of the path applies to each item.
function pick(doc, path) {
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
function decimal(text) {
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
function canonical(value) {
  if (value === undefined || value === null) return "none";
  if (typeof value === "boolean") return value ? "yes" : "no";
  return decimal(value) ?? String(value);
}

// answerOf: a step's answer from the companion's document, as
// {value, text, why}: value in canonical words (a list for "each" and
// "choice"), text for the student, why with its {path}s filled in.
async function answerOf(step) {
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
  if (step.ask === "yesno") {
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
  const text = Array.isArray(value)
    ? (step.ask === "choice" ? value.join(", ") || "none of them" : value.map((item, at) => `${labels[at]} ${item}`).join(", "))
    : value;
  const why = step.why.replace(/\{([^{}]+)\}/g, (whole, path) => {
    const part = pick(doc, path);
    return part === undefined ? whole : Array.isArray(part) ? part.join(", ") : String(part);
  });
  return { value, text, why, labels, choices: step.ask === "choice" ? pick(doc, step.choices) : [] };
}

// The step's answers are computed once per step of the lesson shown.
const answers = new Map();
function answerFor(step) {
  if (!answers.has(step)) answers.set(step, answerOf(step));
  return answers.get(step);
}

// openLesson: a lesson on the screen at a step (counted from 0); name is
// how the address names it ("" for one the address cannot hold).
function openLesson(doc, name, step, push) {
  if (lesson.doc !== doc) answers.clear();
  Object.assign(lesson, { doc, name, step: Math.max(0, Math.min(step, doc.steps.length - 1)) });
  document.body.classList.add("lesson-open");
  lessonElement("lesson-title").textContent = doc.title;
  lessonElement("lesson-intro").textContent = doc.intro || "";
  const choice = lessonElement("lesson-choice");
  const own = choice.querySelector("option[value='']");
  own.hidden = shippedLessons().includes(name);
  own.textContent = own.hidden ? "" : doc.title;
  choice.value = own.hidden ? name : "";
  showStep(push);
  drawWorksheet();
}

// showStep: the question and a place for the prediction; the reveal waits
// for one. The controls take the step's run, not yet run.
function showStep(push) {
  const step = lesson.doc.steps[lesson.step];
  lesson.answered = false;
  lessonElement("lesson-where").textContent = `Step ${lesson.step + 1} of ${lesson.doc.steps.length}`;
  lessonElement("question").textContent = step.question;
  lessonElement("verdict").textContent = "";
  delete lessonElement("verdict").dataset.matched;
  lessonElement("why").textContent = "";
  lessonElement("step-back").disabled = lesson.step === 0;
  lessonElement("step-next").disabled = lesson.step === lesson.doc.steps.length - 1;
  lessonElement("reveal").disabled = true;
  const place = lessonElement("prediction");
  place.replaceChildren(lessonText("Working out the answer..."));
  restore(runState(step.run));
  lesson.holdsAddress = true;
  placeAddress(push);
  // The run shown before could answer this step: it waits for the reveal.
  document.body.classList.add("lesson-asking");
  const shown = lesson.step;
  answerFor(step).then((answer) => {
    if (lesson.doc.steps[shown] === step && lesson.step === shown) place.replaceChildren(...predictionFields(step, answer));
  }, (error) => {
    if (lesson.step === shown) place.replaceChildren(lessonText(`The answer could not be worked out: ${error.message}`));
  });
}

function lessonText(text) {
  const paragraph = document.createElement("p");
  paragraph.textContent = text;
  return paragraph;
}

// predictionFields: a number field (one per label with "each"), yes and no,
// or a box per choice with "none of them".
function predictionFields(step, answer) {
  const changed = () => { lessonElement("reveal").disabled = prediction() === null; };
  const input = (type, name, value, text) => {
    const label = document.createElement("label");
    const box = document.createElement("input");
    Object.assign(box, { type, name, value, autocomplete: "off", spellcheck: false });
    box.addEventListener("input", changed);
    box.addEventListener("change", changed);
    if (type === "text") label.append(text + " ", box);
    else label.append(box, " " + text);
    return label;
  };
  if (step.ask === "yesno") return [input("radio", "predict", "yes", "yes"), input("radio", "predict", "no", "no")];
  if (step.ask === "choice") {
    const boxes = [...answer.choices, ""].map((choice) => input("checkbox", "predict", choice, choice || "none of them"));
    boxes.forEach((label) => label.firstChild.addEventListener("change", (event) => {
      // "none of them" and a choice exclude each other.
      if (!event.target.checked) return;
      for (const other of boxes) if ((other.firstChild.value === "") !== (event.target.value === "")) other.firstChild.checked = false;
    }));
    return boxes;
  }
  const labels = "each" in step ? answer.labels : [""];
  const fields = labels.map((label) => input("text", "predict", "", label || "Your prediction"));
  const hint = lessonText('A number; or "none" where it prints no value.');
  hint.className = "hint";
  return [...fields, hint];
}

// prediction: the student's prediction in canonical words, null until every
// part of it is given.
function prediction() {
  const place = lessonElement("prediction");
  const step = lesson.doc.steps[lesson.step];
  if (step.ask === "yesno") {
    const checked = place.querySelector("input:checked");
    return checked ? checked.value : null;
  }
  if (step.ask === "choice") {
    const checked = [...place.querySelectorAll("input:checked")].map((box) => box.value);
    return checked.length ? checked.filter(Boolean).sort() : null;
  }
  const values = [...place.querySelectorAll("input")].map((field) =>
    noneWords.test(field.value.trim()) ? "none" : decimal(field.value));
  if (!values.length || values.includes(null)) return null;
  return "each" in step ? values : values[0];
}

// reveal: the step's run made as any run of the page, and the verdict.
async function reveal(event) {
  event.preventDefault();
  const predicted = prediction();
  if (predicted === null || lesson.answered) return;
  lesson.answered = true;
  const step = lesson.doc.steps[lesson.step];
  const shown = lesson.step;
  for (const field of lessonElement("prediction").querySelectorAll("input")) field.disabled = true;
  lessonElement("reveal").disabled = true;
  restore(runState(step.run));
  lesson.holdsAddress = true;
  document.body.classList.remove("lesson-asking");
  if (running) stop();
  run();
  const verdict = lessonElement("verdict");
  try {
    const answer = await answerFor(step);
    if (lesson.step !== shown) return;
    const matched = JSON.stringify(predicted) === JSON.stringify(answer.value);
    const said = Array.isArray(predicted) && step.ask === "choice" ? predicted.join(", ") || "none of them"
      : Array.isArray(predicted) ? predicted.join(", ") : predicted;
    verdict.dataset.matched = matched;
    verdict.dataset.answer = Array.isArray(answer.value) ? answer.value.join(",") : answer.value;
    verdict.textContent = matched ? `Your prediction matched: ${answer.text}.`
      : `Not this time: you predicted ${said}; the answer is ${answer.text}.`;
    lessonElement("why").textContent = answer.why;
  } catch (error) {
    verdict.textContent = `The answer could not be worked out: ${error.message}`;
  }
  const next = lessonElement("step-next");
  (next.disabled ? verdict : next).focus();
}

// The address of what the lesson shows, while it shows it: page.js asks,
// and falls back on the controls' state when this gives nothing.
function lessonAddress() {
  if (!lesson.holdsAddress || !lesson.doc) return "";
  const state = new URLSearchParams();
  if (lesson.name.startsWith("ask=")) return lesson.name;
  if (lesson.name) state.set("lesson", lesson.name);
  else state.set("lessontext", JSON.stringify(lesson.doc));
  state.set("step", String(lesson.step + 1));
  return state.toString();
}

function placeAddress(push) {
  const address = "#" + lessonAddress();
  if (address === location.hash || address.length > longestAddress) return;
  if (push) history.pushState({ lesson: true }, "", address);
  else history.replaceState({ lesson: true }, "", address);
}

// openAddress: the lesson an address names, at its step; false if none.
function openAddress(hash) {
  const state = new URLSearchParams(hash.replace(/^#/, ""));
  const step = Math.max(1, parseInt(state.get("step"), 10) || 1) - 1;
  try {
    if (state.has("lesson") && shippedLessons().includes(state.get("lesson"))) {
      openLesson(readLesson(webTexts["lesson:" + state.get("lesson")]), state.get("lesson"), step, false);
    } else if (state.has("lessontext")) {
      openLesson(readLesson(state.get("lessontext")), "", step, false);
    } else if (state.has("ask")) {
      const run = new URLSearchParams(state);
      run.set("run", run.get("ask"));
      run.delete("ask");
      return openQuestion(run, false);
    } else {
      return false;
    }
  } catch (error) {
    lessonElement("lesson-error").textContent = error.message;
    return false;
  }
  return true;
}

// questionFrom: a step made from a run of the page, or null if the run is
// not one a question can be asked of.
function questionFrom(state) {
  const name = state.get("run");
  const line = state.get("line");
  const run = state.toString().replace(/\+/g, "%20");
  const ask = (question, fields) => ({ question, run, ...fields,
    why: fields.why || "The run shows the answer as the program prints it." });
  if (name === "calcexplain" && !state.has("help")) {
    return ask(`What does each grammar print for ${line}? (A number, or "none" if it rejects the line.)`,
               { ask: "number", each: "lines.0.grammars.*.grammar", path: "lines.0.grammars.*.value",
                 why: "calcloop groups it as {lines.0.grammars.0.grouping}, calcminusrec as {lines.0.grammars.1.grouping}, calcrec as {lines.0.grammars.2.grouping}." });
  }
  const calculator = ["calcloop", "calcminusrec", "calcrec"].indexOf(name);
  if (calculator >= 0) {
    return ask(`What does ${name} print for ${line}? (A number, or "none" if it rejects the line.)`,
               { from: new URLSearchParams({ run: "calcexplain", line }).toString(), ask: "number",
                 path: `lines.0.grammars.${calculator}.value`, why: `${name} groups it as {lines.0.grammars.${calculator}.grouping}.` });
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

// openQuestion: a run made into a one-step lesson, its address "#ask=...".
function openQuestion(state, push) {
  const step = questionFrom(state);
  if (!step) return false;
  const doc = readLesson(JSON.stringify({ title: "A question from a run", steps: [step] }));
  const address = new URLSearchParams(state);
  address.delete("run");
  openLesson(doc, `ask=${encodeURIComponent(state.get("run"))}${address.toString() ? "&" + address : ""}`, 0, push);
  return true;
}

// drawWorksheet: the lesson on paper (print.css shows only this): the
// questions with room to answer, then the answers on a page of their own.
async function drawWorksheet() {
  const doc = lesson.doc;
  const sheet = lessonElement("worksheet");
  sheet.dataset.ready = "false";
  const title = document.createElement("h2");
  title.textContent = doc.title;
  const questions = document.createElement("ol");
  questions.className = "questions";
  const answerList = document.createElement("ol");
  const answerPart = document.createElement("section");
  answerPart.className = "answers";
  const answerTitle = document.createElement("h2");
  answerTitle.textContent = `Answers: ${doc.title}`;
  answerPart.append(answerTitle, answerList);
  sheet.replaceChildren(title, lessonText(doc.intro || ""), questions, answerPart);
  for (const step of doc.steps) {
    const item = document.createElement("li");
    const room = lessonText("Your prediction:");
    room.className = "room";
    item.append(lessonText(step.question), room);
    questions.append(item);
  }
  for (const step of doc.steps) {
    const item = document.createElement("li");
    answerList.append(item);
    try {
      const answer = await answerFor(step);
      if (lesson.doc !== doc) return;
      const said = lessonText(`${step.question} `);
      const strong = document.createElement("strong");
      strong.textContent = answer.text;
      said.append(strong);
      item.append(said, lessonText(answer.why));
    } catch (error) {
      item.append(lessonText(`${step.question} (not worked out: ${error.message})`));
    }
  }
  if (lesson.doc === doc) sheet.dataset.ready = "true";
}

async function printWorksheet() {
  const sheet = lessonElement("worksheet");
  while (sheet.dataset.ready !== "true") await new Promise((resolve) => setTimeout(resolve, 100));
  print();
}

async function openOwn(text) {
  const error = lessonElement("lesson-error");
  try {
    openLesson(readLesson(text), "", 0, true);
    error.textContent = "";
    lessonElement("lesson-load").hidden = true;
  } catch (problem) {
    error.textContent = problem.message;
  }
}

// release: a control used by hand, or an address with a run: the address
// is the controls' again, and the run is shown.
function release() {
  lesson.holdsAddress = false;
  document.body.classList.remove("lesson-asking");
}

// Back, Forward or a link in the same tab. This runs before page.js's own
// listener (this file is loaded first), so that a run's address is not
// taken for the lesson's while page.js runs it.
window.addEventListener("popstate", () => {
  if (new URLSearchParams(location.hash.slice(1)).has("run")) release();
  else openAddress(location.hash);
});

function startLessons() {
  const choice = lessonElement("lesson-choice");
  for (const name of shippedLessons()) choice.append(new Option(readLesson(webTexts["lesson:" + name]).title, name));
  choice.append(new Option("", ""));
  choice.addEventListener("change", () => {
    if (choice.value) openLesson(readLesson(webTexts["lesson:" + choice.value]), choice.value, 0, true);
  });
  lessonElement("step").addEventListener("submit", reveal);
  lessonElement("step-next").addEventListener("click", () => { lesson.step += 1; showStep(true); focusPrediction(); });
  lessonElement("step-back").addEventListener("click", () => { lesson.step -= 1; showStep(true); focusPrediction(); });
  lessonElement("lesson-print").addEventListener("click", printWorksheet);
  lessonElement("make-question").addEventListener("click", () => {
    if (!openQuestion(controlsState(), true))
      lessonElement("lesson-error").textContent = "Questions are made from a calculator's or calcexplain's line, " +
        "floatexplain value or op, or factexplain N.";
    else lessonElement("lesson-error").textContent = "";
  });
  lessonElement("lesson-own").addEventListener("click", () => {
    const panel = lessonElement("lesson-load");
    panel.hidden = !panel.hidden;
    lessonElement("lesson-own").setAttribute("aria-expanded", String(!panel.hidden));
  });
  lessonElement("lesson-file").addEventListener("change", (event) => {
    const file = event.target.files[0];
    if (file) file.text().then(openOwn);
  });
  lessonElement("lesson-open").addEventListener("click", () => openOwn(lessonElement("lesson-text").value));
  for (const kind of ["input", "change", "submit", "click"]) element("controls").addEventListener(kind, release, true);
  // With no address, the page opens on the first lesson's first step.
  if (!openAddress(addressAtOpen) && !new URLSearchParams(addressAtOpen.slice(1)).has("run") && shippedLessons().length)
    openLesson(readLesson(webTexts["lesson:" + shippedLessons()[0]]), shippedLessons()[0], 0, false);
  // Opened on a run: no step is shown until a lesson is picked.
  if (!lesson.doc) {
    const none = choice.querySelector("option[value='']");
    none.textContent = "none: pick one";
    choice.value = "";
  }
}

// focusPrediction: after Next or Back, the keyboard is where the answer goes.
function focusPrediction() {
  const shown = lesson.step;
  answerFor(lesson.doc.steps[shown]).finally(() => {
    const first = lessonElement("prediction").querySelector("input");
    if (first && lesson.step === shown) first.focus();
  });
}

window.lessonAddress = lessonAddress;
document.addEventListener("DOMContentLoaded", startLessons);
})();

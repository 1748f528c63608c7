// Lessons: a question, the student's prediction, then the run that answers
// it. A lesson file holds the questions, the runs and where in a companion's
// --json each answer lies, never the answers: those are computed here, by
// running the companion in the page when the step is shown.
import shipped from "page-data/lessons.js";
import { readLesson, runState, jsonCommand, answerOf, questionFrom, predictedNumber, matches } from "./lesson-check.js";
import { longestAddress, writeLesson, readLessonAddress, askName, writeParams, withListing, readListing }
  from "./address.js";
import { follow as followListing, listingState } from "./listing-panel.js";
import { restore, run, stop, isRunning, controlsAddress } from "./page.js";
import { runWhole } from "./run-tool.js";
import { startDraft } from "./lesson-draft.js";

const lesson = { doc: null, name: "", step: 0, holdsAddress: false, answered: false };

// What "Your own lesson" offers to start from: one step, in the file's form.
const template = `{
  "title": "My lesson",
  "intro": "A line read by two grammars.",
  "steps": [
    {
      "question": "What does calcloop print for 10-3-2?",
      "run": "run=calcloop&line=10-3-2",
      "from": "run=calcexplain&line=10-3-2",
      "ask": "number",
      "path": "lines.0.grammars.0.value",
      "why": "calcloop groups it as {lines.0.grammars.0.grouping}."
    }
  ]
}
`;
const cannotAsk = "Questions are made from a calculator's or calcexplain's line, " +
  "floatexplain value or op, or factexplain N.";
const lessonElement = (id) => document.getElementById(id);

// The lessons built into the page (web/lessons/*.json, packed at build time).
function shippedLessons() {
  return Object.keys(shipped);
}

// runJson: a companion's document for a run. Runs queue one at a time, and
// the same run is made only once: the programs give the same answer every
// time. A run that failed is forgotten, to be tried again when next asked.
const jsonDocuments = new Map();
let jsonQueue = Promise.resolve();
function runJson(address) {
  const { name, args } = jsonCommand(address, 0);
  const key = [name, ...args].join("\n");
  if (!jsonDocuments.has(key)) {
    const made = jsonQueue.then(() => runDocument(name, args));
    jsonQueue = made.catch(() => {});
    jsonDocuments.set(key, made);
    made.catch(() => { if (jsonDocuments.get(key) === made) jsonDocuments.delete(key); });
  }
  return jsonDocuments.get(key);
}

// runDocument: the whole document, however long (run-tool.js reads past
// the head the page is sent), once the run has ended.
async function runDocument(name, args) {
  const result = await runWhole(name, args).finished;
  try {
    return JSON.parse(result.stdout);
  } catch {
    throw new Error(`${name} ${args.join(" ")} gave no JSON (exit status ${result.status})`);
  }
}

// The step's answers are computed once per step of the lesson shown.
const answers = new Map();
function answerFor(step) {
  if (!answers.has(step)) {
    const answer = answerOf(step, runJson);
    answers.set(step, answer);
    answer.catch(() => { if (answers.get(step) === answer) answers.delete(step); });
  }
  return answers.get(step);
}

// openLesson: a lesson on the screen at a step (counted from 0); name is
// how the address names it ("" for one the address cannot hold).
function openLesson(doc, name, step, push) {
  if (lesson.doc !== doc) answers.clear();
  lessonElement("lesson-error").textContent = "";
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
  focusPrediction();
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
  restore(writeParams(runState(step.run)));
  lesson.holdsAddress = true;
  placeAddress(push);
  // The run shown before could answer this step: it waits for the reveal.
  document.body.classList.add("lesson-asking");
  const shown = lesson.step;
  showProgress();
  answerFor(step).then((answer) => {
    if (lesson.doc.steps[shown] !== step || lesson.step !== shown) return;
    place.replaceChildren(...predictionFields(step, answer));
    const kept = readWork()[shown];
    if (!kept || !Array.isArray(kept.fields)) return;
    // A step answered before: its fields as they were, and its verdict.
    [...place.querySelectorAll("input")].forEach((field, at) => {
      const [value, checked] = kept.fields[at] || ["", false];
      if (field.type === "text") field.value = value;
      else field.checked = checked;
    });
    if (prediction() !== null) showAnswer(prediction(), false);
  }, (error) => {
    if (lesson.step === shown) place.replaceChildren(lessonText(`The answer could not be worked out: ${error.message}`));
  });
}

// The student's work, kept in the browser per lesson: each step's fields
// as filled in, its prediction and whether it matched. A browser that keeps
// nothing (storage refused) loses it at a reload, as before.
const workKey = () => "lesson-work:" + (lesson.name || JSON.stringify(lesson.doc));
function readWork() {
  try {
    const work = JSON.parse(localStorage.getItem(workKey()) || "{}");
    return work && typeof work === "object" && !Array.isArray(work) ? work : {};
  } catch {
    return {};
  }
}
function keepWork(work) {
  try {
    localStorage.setItem(workKey(), JSON.stringify(work));
  } catch {
    // Storage full or refused: the work stays on the screen only.
  }
}

// showProgress: how many steps are answered and how many right; on the last
// step, once every step is answered, the score and each step's verdict.
function showProgress() {
  const work = readWork();
  const steps = lesson.doc.steps;
  const done = steps.map((_, at) => work[at]).filter(Boolean);
  const right = done.filter((kept) => kept.matched).length;
  lessonElement("lesson-progress").textContent =
    `Answered ${done.length} of ${steps.length}, ${right} right.`;
  showAllSteps();
  const summary = lessonElement("lesson-summary");
  const finished = done.length === steps.length && lesson.step === steps.length - 1;
  summary.hidden = !finished;
  if (!finished) return summary.replaceChildren();
  const list = document.createElement("ol");
  steps.forEach((step, at) => {
    const item = document.createElement("li");
    item.textContent = `${work[at].matched ? "Right" : "Not this time"}: ${step.question}`;
    item.dataset.matched = work[at].matched;
    list.append(item);
  });
  const heading = document.createElement("h3");
  heading.textContent = `End of the lesson: ${right} of ${steps.length} right`;
  summary.replaceChildren(heading, list);
}

// showAllSteps: every step of the lesson at once, each with the student's
// prediction and verdict once answered (never an answer not yet earned),
// and a button to go to it.
function showAllSteps() {
  const list = lessonElement("lesson-all-steps");
  if (list.hidden || !lesson.doc) return list.replaceChildren();
  const work = readWork();
  const items = lesson.doc.steps.map((step, at) => {
    const item = document.createElement("li");
    const kept = work[at];
    const state = !kept ? "not answered yet"
      : `${kept.matched ? "right" : "not this time"}${kept.said !== undefined ? `; you predicted ${kept.said}` : ""}`;
    const go = Object.assign(document.createElement("button"), { type: "button", className: "quiet",
                                                                  textContent: `Step ${at + 1}` });
    if (at === lesson.step) go.setAttribute("aria-current", "step");
    go.addEventListener("click", () => { lesson.step = at; showStep(true); focusPrediction(); });
    item.append(go, ` ${step.question} (${state})`);
    if (kept) item.dataset.matched = kept.matched;
    return item;
  });
  const ordered = document.createElement("ol");
  ordered.append(...items);
  list.replaceChildren(ordered);
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
  if (step.ask === "trace") {
    // Each point: the trace just before it, then the moves to pick from.
    return answer.points.map((point, at) => {
      const group = document.createElement("fieldset");
      group.className = "trace-point";
      const legend = document.createElement("legend");
      legend.textContent = `Point ${at + 1}: what does it do next?`;
      const before = document.createElement("ol");
      before.className = "trace-before";
      before.start = point.skipped + 1;
      before.append(...point.before.map((line) => Object.assign(document.createElement("li"), { textContent: line })));
      group.append(legend, before, ...point.choices.map((choice) => input("radio", `predict-${at}`, choice, choice)));
      return group;
    });
  }
  if (step.ask === "choice") {
    // A choice may be 0 or "": only the box added last means "none of them".
    const boxes = [...answer.choices.map(String), null].map((choice) =>
      input("checkbox", "predict", choice ?? "", choice ?? "none of them"));
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
  if (step.ask === "trace") {
    const picks = [...place.querySelectorAll(".trace-point")].map((point) => point.querySelector("input:checked")?.value ?? null);
    return picks.length && !picks.includes(null) ? picks : null;
  }
  const values = [...place.querySelectorAll("input")].map((field) => predictedNumber(field.value));
  if (!values.length || values.includes(null)) return null;
  return "each" in step ? values : values[0];
}

// reveal: the step's run made as any run of the page, and the verdict.
function reveal(event) {
  event.preventDefault();
  const predicted = prediction();
  if (predicted === null || lesson.answered) return;
  showAnswer(predicted, true);
}

// showAnswer: the verdict on a prediction, kept with the fields as filled
// in; fresh is false for a step answered before, shown again.
async function showAnswer(predicted, fresh) {
  lesson.answered = true;
  const fields = [...lessonElement("prediction").querySelectorAll("input")].map((field) => [field.value, field.checked]);
  const step = lesson.doc.steps[lesson.step];
  const [shown, doc] = [lesson.step, lesson.doc];
  for (const field of lessonElement("prediction").querySelectorAll("input")) field.disabled = true;
  lessonElement("reveal").disabled = true;
  restore(writeParams(runState(step.run)));
  lesson.holdsAddress = true;
  document.body.classList.remove("lesson-asking");
  if (isRunning()) stop();
  run();
  // A step whose run names a listing opens it with the answer.
  if (runState(step.run).has("listing")) {
    followListing("#" + step.run);
    placeAddress(false);
  }
  const verdict = lessonElement("verdict");
  try {
    const answer = await answerFor(step);
    if (lesson.step !== shown || lesson.doc !== doc) return;
    const matched = matches(predicted, answer.value);
    const said = Array.isArray(predicted) && step.ask === "choice" ? predicted.join(", ") || "none of them"
      : Array.isArray(predicted) ? predicted.join(", ") : predicted;
    verdict.dataset.matched = matched;
    verdict.dataset.answer = Array.isArray(answer.value) ? answer.value.join(",") : answer.value;
    verdict.textContent = matched ? `Your prediction matched: ${answer.text}.`
      : `Not this time: you predicted ${said}; the answer is ${answer.text}.`;
    lessonElement("why").textContent = answer.why;
    const work = readWork();
    work[shown] = { fields, matched, said };
    keepWork(work);
    showProgress();
  } catch (error) {
    verdict.textContent = `The answer could not be worked out: ${error.message}`;
  }
  if (!fresh) return;
  const next = lessonElement("step-next");
  (next.disabled ? verdict : next).focus();
}

// lessonAddress: the address of what the lesson shows, while it shows it:
// page.js asks, and falls back on the controls' state when this gives "".
export function lessonAddress() {
  if (!lesson.holdsAddress || !lesson.doc) return "";
  return writeLesson(lesson);
}

// placeAddress: the step's address, with the listing view's part while
// the view is open, as the page's own addresses keep it.
function placeAddress(push) {
  const address = "#" + withListing(lessonAddress(), listingState());
  if (address === location.hash || address.length > longestAddress) return;
  if (push) history.pushState({ lesson: true }, "", address);
  else history.replaceState({ lesson: true }, "", address);
}

// checkPaths: a lesson's every step worked out before it opens, so that a
// path that names nothing refuses the lesson at once, naming its step.
// Resolves to "" or the first step's error.
async function checkPaths(doc) {
  const problems = await Promise.all(doc.steps.map((step, at) => answerOf(step, runJson).then(() => "",
    (error) => `Step ${at + 1}: ${error.message}. The lesson is not opened.`)));
  return problems.find(Boolean) || "";
}

// openChecked: a lesson not shipped with the page, opened once every step's
// answer is found; else it is refused, and the page says why.
async function openChecked(doc, name, step, push) {
  const error = lessonElement("lesson-error");
  error.textContent = "Checking the lesson's steps...";
  const problem = await checkPaths(doc);
  error.textContent = problem;
  if (problem) return false;
  openLesson(doc, name, step, push);
  return true;
}

// openAddress: the lesson an address names, at its step; false if none.
function openAddress(hash) {
  const found = readLessonAddress(hash);
  try {
    if (found && found.lesson !== undefined && shippedLessons().includes(found.lesson)) {
      openLesson(readLesson(shipped[found.lesson]), found.lesson, found.step, false);
    } else if (found && found.lesson !== undefined) {
      lessonElement("lesson-error").textContent = `There is no lesson "${found.lesson}". ` +
        `The page has: ${shippedLessons().join(", ")}.`;
      return true;  // said so; no other lesson opens in its place
    } else if (found && found.text !== undefined) {
      openChecked(readLesson(found.text), "", found.step, false);
    } else if (found && found.ask !== undefined) {
      return openQuestion(new URLSearchParams(found.ask), false);
    } else {
      return false;
    }
  } catch (error) {
    lessonElement("lesson-error").textContent = error.message;
    return false;
  }
  return true;
}

// openQuestion: a run made into a one-step lesson, its address "#ask=...".
function openQuestion(state, push) {
  const step = questionFrom(state);
  if (!step) return false;
  const doc = readLesson(JSON.stringify({ title: "A question from a run", steps: [step] }));
  openLesson(doc, askName(writeParams(state)), 0, push);
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
  const names = lessonText("Name: ____________________________   Date: ______________");
  names.className = "name-line";
  sheet.replaceChildren(title, names, lessonText(doc.intro || ""), questions, answerPart);
  // Each question with what may be answered: yes or no, or its choices (the
  // run's own, known once its document is read) to tick.
  const offered = doc.steps.map((step) => {
    const item = document.createElement("li");
    const room = lessonText("Your prediction:");
    room.className = "room";
    const options = Object.assign(document.createElement("div"),
                                  { textContent: step.ask === "yesno" ? "Circle one: yes / no" : "" });
    options.className = "offered";
    item.append(lessonText(step.question), options, room);
    questions.append(item);
    return options;
  });
  for (const [at, step] of doc.steps.entries()) {
    const item = document.createElement("li");
    answerList.append(item);
    try {
      const answer = await answerFor(step);
      if (lesson.doc !== doc) return;
      if (step.ask === "choice")
        offered[at].textContent = `Circle any: ${[...answer.choices.map(String), "none of them"].join(" / ")}`;
      if (step.ask === "trace") {
        offered[at].replaceChildren(...answer.points.map((point, k) =>
          lessonText(`Point ${k + 1}, after: ${point.before.join("; ")}. Circle one: ${point.choices.join(" / ")}`)));
      }
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
    if (await openChecked(readLesson(text), "", 0, true)) lessonElement("lesson-load").hidden = true;
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

// listenLessons: Back, Forward or a link in the same tab. Called before the
// page's own listener is added, so that a run's address is not taken for
// the lesson's while page.js runs it.
export function listenLessons() {
  window.addEventListener("popstate", () => {
    if (new URLSearchParams(location.hash.slice(1)).has("run")) release();
    else openAddress(location.hash);
  });
}

// startLessons: the lessons offered, and the one the address opened at
// (addressAtOpen, as it was before the page wrote its controls' state).
export function startLessons(addressAtOpen) {
  const progress = Object.assign(document.createElement("p"), { id: "lesson-progress" });
  progress.setAttribute("role", "status");
  lessonElement("step").before(progress);
  const again = Object.assign(document.createElement("button"), { id: "lesson-again", type: "button",
                                                                   className: "quiet", textContent: "Start again" });
  lessonElement("lesson-print").after(" ", again);
  const summary = Object.assign(document.createElement("section"), { id: "lesson-summary", hidden: true });
  summary.setAttribute("aria-label", "The lesson's summary");
  lessonElement("why").after(summary);
  again.addEventListener("click", () => {
    try {
      localStorage.removeItem(workKey());
    } catch {
      // Nothing was kept.
    }
    lesson.step = 0;
    showStep(true);
    focusPrediction();
  });
  const choice = lessonElement("lesson-choice");
  for (const name of shippedLessons()) choice.append(new Option(readLesson(shipped[name]).title, name));
  choice.append(new Option("", ""));
  choice.addEventListener("change", () => {
    if (choice.value) openLesson(readLesson(shipped[choice.value]), choice.value, 0, true);
  });
  lessonElement("step").addEventListener("submit", reveal);
  lessonElement("step-next").addEventListener("click", () => { lesson.step += 1; showStep(true); focusPrediction(); });
  lessonElement("step-back").addEventListener("click", () => { lesson.step -= 1; showStep(true); focusPrediction(); });
  lessonElement("lesson-print").addEventListener("click", printWorksheet);
  lessonElement("make-question").addEventListener("click", () => {
    lessonElement("lesson-error").textContent = openQuestion(new URLSearchParams(controlsAddress()), true) ? "" : cannotAsk;
  });
  startDraft({ controlsAddress, open: openOwn,
               say: (made) => { lessonElement("lesson-error").textContent = made ? "" : cannotAsk; } });
  lessonElement("lesson-text").value ||= template;
  lessonElement("lesson-all").addEventListener("click", () => {
    const list = lessonElement("lesson-all-steps");
    list.hidden = !list.hidden;
    lessonElement("lesson-all").setAttribute("aria-expanded", String(!list.hidden));
    showAllSteps();
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
  for (const kind of ["input", "change", "submit", "click"]) lessonElement("controls").addEventListener(kind, release, true);
  // Opening the machine code is looking on purpose, as using the controls is.
  lessonElement("show-listings").addEventListener("click", release, true);
  // With no address, the page opens on the first lesson's first step.
  if (!openAddress(addressAtOpen) && !new URLSearchParams(addressAtOpen.slice(1)).has("run") && shippedLessons().length)
    openLesson(readLesson(shipped[shippedLessons()[0]]), shippedLessons()[0], 0, false);
  // Opened on a listing and no lesson: the listing was asked for.
  if (readListing(addressAtOpen) && !readLessonAddress(addressAtOpen)) release();
  // Opened on a run: no step is shown until a lesson is picked.
  if (!lesson.doc) {
    const none = choice.querySelector("option[value='']");
    none.textContent = "none: pick one";
    choice.value = "";
  }
}

// focusPrediction: after Next or Back, the keyboard is where the answer goes.
// The focus is taken only from the lesson or the page's body, never from a
// control the student has gone on to use meanwhile.
function focusPrediction() {
  const shown = lesson.step;
  answerFor(lesson.doc.steps[shown]).finally(() => {
    const first = lessonElement("prediction").querySelector("input:not(:disabled)");
    const at = document.activeElement;
    if (first && lesson.step === shown && (!at || at === document.body || lessonElement("lesson").contains(at))) first.focus();
  });
}


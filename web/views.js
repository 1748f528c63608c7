// Pictures of a run: the companions' --json documents drawn. A run that has a
// picture runs twice: the text run the page shows, and here the same command
// with --json, whose document is the one model every label and number in a
// picture comes from. Nothing here reads the text output or computes again.
// The drawings themselves are in views-parse.js (calcexplain),
// views-stack.js (factexplain) and views-bits.js (floatexplain).
"use strict";

const viewElement = (id) => document.getElementById(id);

// make: an element with properties, attributes (attrs) and children.
function makeElement(tag, properties = {}, ...children) {
  const { attrs = {}, dataset = {}, ...rest } = properties;
  const made = document.createElement(tag);
  Object.assign(made, rest);
  Object.assign(made.dataset, dataset);
  for (const [name, value] of Object.entries(attrs)) made.setAttribute(name, value);
  made.append(...children);
  return made;
}

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

// The --json run, in a worker of its own beside the page's: the program's
// text is the one page.js loaded (or loaded here, for a caller that draws
// without a text run), made into a worker like the page's.
const jsonWorkerAddresses = {};
let jsonWorker = null;  // the --json run in progress: a newer one ends it

function programText(name) {
  if (self.webTexts && webTexts[name]) return Promise.resolve(webTexts[name]);
  return new Promise((resolve, reject) => {
    const script = makeElement("script", { src: `programs/${name}.js` });
    script.onload = () => resolve(webTexts[name]);
    script.onerror = () => reject(new Error(`cannot load programs/${name}.js`));
    document.head.append(script);
  });
}

// runDocument: the document a companion prints for args (a promise), or null
// when it prints none (a usage error).
async function runDocument(name, args) {
  const text = await programText(name);
  jsonWorkerAddresses[name] = jsonWorkerAddresses[name] || URL.createObjectURL(
    new Blob([webTexts.host, "\n", text, "\n", webTexts.worker], { type: "text/javascript" }));
  if (jsonWorker) jsonWorker.terminate();
  const worker = jsonWorker = new Worker(jsonWorkerAddresses[name]);
  const stdout = await new Promise((resolve, reject) => {
    const parts = [];
    const decoder = new TextDecoder();
    // The worker's answer ends with {status}; a worker that keeps the whole
    // standard output gives it there as a Blob (saved), the chunks before
    // then being only its head.
    worker.onmessage = ({ data }) => {
      if (data.fd === 1) parts.push(data.bytes);
      if (data.status === undefined) return;
      if (data.saved instanceof Blob) data.saved.text().then(resolve, reject);
      else if (data.whole === false) reject(new Error("the document is too large to keep"));
      else resolve(parts.map((part) => decoder.decode(part, { stream: true })).join("") + decoder.decode());
    };
    worker.onerror = (error) => {
      error.preventDefault();
      reject(new Error(error.message));
    };
    worker.postMessage({ name, args, stdin: new Uint8Array(0) });
  }).finally(() => {
    worker.terminate();
    if (jsonWorker === worker) jsonWorker = null;
  });
  try {
    return JSON.parse(stdout);
  } catch {
    return null;
  }
}

let viewsAsked = 0;  // the latest run drawn: an older document is dropped

// drawViews: the picture that belongs to the run {name, args, status}, if
// any; the others are hidden. Called as a run starts (status null) and once
// it ends. onBits(pattern) runs a bit pattern.
async function drawViews(run, onBits) {
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
function drawDocument(json, onBits) {
  const tool = json && json.tool;
  drawParse(tool === "calcexplain" ? json : null);
  drawStack(tool === "factexplain" ? json : null);
  drawBits(tool === "floatexplain" && json.command === "value" ? json : null, onBits);
  if (json) linkedStep = null;  // a link's step is for the picture it opened, or none
}

// The step a link asks for (#...&step=N), taken before page.js rewrites the
// address for its run, and given to the first stepper drawn after it.
let linkedStep = null;
function takeLinkedStep() {
  const step = new URLSearchParams(location.hash.slice(1)).get("step");
  linkedStep = step !== null && /^\d+$/.test(step) ? Number(step) : null;
}
takeLinkedStep();
window.addEventListener("popstate", takeLinkedStep);

// rememberStep: the step into the address, beside the page's own state; a
// moment after the last step, as the browser refuses a flood of changes.
let stepRemembered = null;
function rememberStep(step) {
  clearTimeout(stepRemembered);
  stepRemembered = setTimeout(() => {
    const state = new URLSearchParams(location.hash.slice(1));
    if (!state.has("run")) return;
    state.set("step", String(step));
    history.replaceState(history.state, "", "#" + state.toString());
  }, 250);
}

// Speeds of Play, in steps a second.
const playSpeeds = [["slow", 1], ["normal", 2.5], ["fast", 6], ["fastest", 20]];

// makeStepper: Back, Next, Play with its speed, End and the step number, in
// `box`, their ids beginning with `name`; draw(step) draws a step. Returns
// {start(steps, atEnd), stop(), step}.
function makeStepper(box, name, label, draw) {
  const state = { step: 0, steps: 0, timer: null };
  const button = (text, quiet) => makeElement("button", { type: "button", textContent: text, className: quiet ? "quiet" : "",
                                                          id: `${name}-${text.toLowerCase()}` });
  const back = button("Back", true);
  const next = button("Next");
  const play = button("Play", true);
  const end = button("End", true);
  const speed = makeElement("select", { id: `${name}-speed` },
    ...playSpeeds.map(([name, rate]) => new Option(name, rate, false, name === "normal")));
  const shown = makeElement("span", { className: "step-number", id: `${name}-step`, attrs: { role: "status" } });
  box.replaceChildren(back, next, play, makeElement("label", {}, "Speed ", speed), end, shown);
  box.setAttribute("role", "group");
  box.setAttribute("aria-label", label);

  function go(step) {
    // A button about to be disabled gives its focus to one that is not.
    const focused = document.activeElement;
    state.step = Math.min(state.steps, Math.max(0, step));
    back.disabled = state.step === 0;
    next.disabled = end.disabled = state.step === state.steps;
    shown.textContent = `step ${state.step} of ${state.steps}`;
    if (focused && focused.disabled) (focused === back ? next : back).focus();
    if (state.step === state.steps) playing(false);
    rememberStep(state.step);
    draw(state.step);
  }
  function playing(on) {
    clearInterval(state.timer);
    state.timer = null;
    if (on) {
      if (state.step === state.steps) go(0);
      state.timer = setInterval(() => go(state.step + 1), 1000 / Number(speed.value));
    }
    play.setAttribute("aria-pressed", String(on));
    play.textContent = on ? "Pause" : "Play";
  }
  back.addEventListener("click", () => go(state.step - 1));
  next.addEventListener("click", () => go(state.step + 1));
  end.addEventListener("click", () => go(state.steps));
  play.addEventListener("click", () => playing(state.timer === null));
  speed.addEventListener("change", () => { if (state.timer !== null) playing(true); });
  // On the step buttons, the arrows and a presenter's page keys step too.
  box.addEventListener("keydown", (event) => {
    if (event.target.tagName !== "BUTTON") return;
    const by = { ArrowRight: 1, PageDown: 1, ArrowLeft: -1, PageUp: -1 }[event.key];
    if (!by) return;
    event.preventDefault();
    go(state.step + by);
  });
  return {
    // start: a new run of `steps` steps, at the linked step, or else at
    // the end or the beginning.
    start(steps, atEnd) {
      playing(false);
      state.steps = steps;
      const first = linkedStep !== null ? linkedStep : atEnd ? steps : 0;
      linkedStep = null;
      go(first);
    },
    stop() { playing(false); },
    get step() { return state.step; },
  };
}

// Graphviz, loaded from the page's folder when first needed (one script with
// its WebAssembly inside): a promise of its instance.
let graphviz = null;
function loadGraphviz() {
  graphviz = graphviz || new Promise((resolve, reject) => {
    const script = makeElement("script", { src: "viz.js" });
    script.onload = () => Viz.instance().then(resolve, reject);
    script.onerror = () => reject(new Error("cannot load viz.js"));
    document.head.append(script);
  });
  return graphviz;
}

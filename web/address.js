// The address after '#' holds what is on the screen, as search parameters:
// a run (the program, its line or operands, each option, a tree, --help),
// a lesson at a step, or a question made of a run. These read and write it;
// the page moves it to and from its controls.

// A line too long for an address leaves the address as it was.
export const longestAddress = 8000;

// In an address a person writes, as in a lesson file, a '+' is a plus
// ("line=2+3"), and a blank is "%20"; the page writes its own links so,
// and reads them back the same.
export const readParams = (hash) => new URLSearchParams(String(hash).replace(/^#/, "").replace(/\+/g, "%2B"));
export const writeParams = (state) => state.toString().replace(/\+/g, "%20");
const params = readParams;

// writeRun: a run as an address, its keys in the order the controls show
// them. run: {program, line, n, command, operands: [[name, value]],
// options: [[name, value]] (value "" for a box ticked), tree, help}.
export function writeRun(run) {
  const state = new URLSearchParams({ run: run.program });
  for (const key of ["line", "n", "command"])
    if (run[key] !== undefined && run[key] !== null) state.set(key, run[key]);
  for (const [name, value] of run.operands || []) state.set(name.replace("...", ""), value);
  for (const [name, value] of run.options || []) state.set(name.replace(/^--/, ""), value);
  if (run.tree) state.set("tree", run.tree.replace(/^--/, ""));
  if (run.help) state.set("help", "");
  return writeParams(state);
}

// readRun: the run an address names, or null: its operands and options are
// asked for by name ("X...", "--every"), null where the address has none.
export function readRun(hash) {
  const state = params(hash);
  if (!state.has("run")) return null;
  return {
    program: state.get("run"),
    line: state.get("line"),
    n: state.get("n"),
    command: state.get("command"),
    tree: state.has("tree") ? "--" + state.get("tree") : "",
    help: state.has("help"),
    operand: (name) => state.get(name.replace("...", "")),
    option: (name) => state.get(name.replace(/^--/, "")),
  };
}

// readStep: the step a link asks a picture to open at, or null.
export function readStep(hash) {
  const step = params(hash).get("step");
  return step !== null && /^\d+$/.test(step) ? Number(step) : null;
}

// withStep: a run's address with the picture's step, or null for an
// address that holds no run.
export function withStep(hash, step) {
  const state = params(hash);
  if (!state.has("run")) return null;
  state.set("step", String(step));
  return writeParams(state);
}

// writeLesson: a lesson at a step (counted from 0): by its name if the page
// ships it, else its whole text; a question made of a run is its own name.
export function writeLesson({ name, doc, step }) {
  if (name.startsWith("ask=")) return name;
  const state = new URLSearchParams();
  if (name) state.set("lesson", name);
  else state.set("lessontext", JSON.stringify(doc));
  state.set("step", String(step + 1));
  return writeParams(state);
}

// askName: the name of a question made of a run's address.
export function askName(runAddress) {
  const state = params(runAddress);
  const program = state.get("run");
  state.delete("run");
  const rest = writeParams(state);
  return `ask=${encodeURIComponent(program)}${rest ? "&" + rest : ""}`;
}

// readLesson: what lesson an address opens: {lesson, step}, {text, step},
// {ask} (the run's address), or null. The step counts from 0.
export function readLessonAddress(hash) {
  const state = params(hash);
  const step = Math.max(1, parseInt(state.get("step"), 10) || 1) - 1;
  if (state.has("lesson")) return { lesson: state.get("lesson"), step };
  if (state.has("lessontext")) return { text: state.get("lessontext"), step };
  if (state.has("ask")) {
    const run = new URLSearchParams(state);
    run.set("run", run.get("ask"));
    run.delete("ask");
    return { ask: writeParams(run) };
  }
  return null;
}

// The listing view, when it is open: "listing=" a comparison's name, or
// one listing as program.build.target ("fact.optimised.wasm32") and, for
// two side by side, "beside=" the second. Kept beside a run's address.
const sideText = (side) => `${side.program}.${side.build}.${side.target}`;

function sideOf(text) {
  const parts = String(text).split(".");
  return parts.length === 3 && parts.every(Boolean) ? { program: parts[0], build: parts[1], target: parts[2] } : null;
}

// readListing: what the listing view shows by an address: null when it is
// closed, else {compare} (a comparison's name, "" for the view's own
// choice) or {sides} (one or two listings).
export function readListing(hash) {
  const state = params(hash);
  if (!state.has("listing")) return null;
  const first = state.get("listing");
  if (!first.includes(".")) return { compare: first };
  const sides = [first, state.get("beside")].filter((text) => text !== null).map(sideOf);
  return sides.every(Boolean) ? { sides } : { compare: "" };
}

// withListing: an address with the listing view's state put in place of the
// one it held (view null: closed), the rest of the address kept as it is.
export function withListing(hash, view) {
  const state = params(hash);
  state.delete("listing");
  state.delete("beside");
  if (view && view.compare !== undefined) state.set("listing", view.compare);
  else if (view && view.sides && view.sides.length) {
    state.set("listing", sideText(view.sides[0]));
    if (view.sides.length > 1) state.set("beside", sideText(view.sides[1]));
  }
  return writeParams(state);
}

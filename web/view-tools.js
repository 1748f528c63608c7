// What the pictures share: elements made, the steppers with their step in
// the address, and Graphviz loaded when first needed.
import { readStep, withStep } from "./address.js";

export const viewElement = (id) => document.getElementById(id);

// make: an element with properties, attributes (attrs) and children.
export function makeElement(tag, properties = {}, ...children) {
  const { attrs = {}, dataset = {}, ...rest } = properties;
  const made = document.createElement(tag);
  Object.assign(made, rest);
  Object.assign(made.dataset, dataset);
  for (const [name, value] of Object.entries(attrs)) made.setAttribute(name, value);
  made.append(...children);
  return made;
}

// The step a link asks for (#...&step=N), taken before the page rewrites the
// address for its run, and given to the first stepper drawn after it.
let linkedStep = null;
export function takeLinkedStep() {
  linkedStep = readStep(location.hash);
}
export function forgetLinkedStep() {
  linkedStep = null;
}

// rememberStep: the step into the address, beside the page's own state; a
// moment after the last step, as the browser refuses a flood of changes.
let stepRemembered = null;
function rememberStep(step) {
  clearTimeout(stepRemembered);
  stepRemembered = setTimeout(() => {
    const address = withStep(location.hash, step);
    if (address !== null) history.replaceState(history.state, "", "#" + address);
  }, 250);
}

// Speeds of Play, in steps a second.
const playSpeeds = [["slow", 1], ["normal", 2.5], ["fast", 6], ["fastest", 20]];

// makeStepper: Start, Back, Next, Play with its speed, End and the step number, in
// `box`, their ids beginning with `name`; draw(step) draws a step. Returns
// {start(steps, atEnd), stop(), step}.
export function makeStepper(box, name, label, draw) {
  const state = { step: 0, steps: 0, timer: null };
  const button = (text, quiet) => makeElement("button", { type: "button", textContent: text, className: quiet ? "quiet" : "",
                                                          id: `${name}-${text.toLowerCase()}` });
  const first = button("Start", true);
  const back = button("Back", true);
  const next = button("Next");
  const play = button("Play", true);
  const end = button("End", true);
  const speed = makeElement("select", { id: `${name}-speed` },
    ...playSpeeds.map(([name, rate]) => new Option(name, rate, false, name === "normal")));
  const shown = makeElement("span", { className: "step-number", id: `${name}-step`, attrs: { role: "status" } });
  box.replaceChildren(first, back, next, play, makeElement("label", {}, "Speed ", speed), end, shown);
  box.setAttribute("role", "group");
  box.setAttribute("aria-label", label);

  function go(step) {
    // A button about to be disabled gives its focus to one that is not.
    const focused = document.activeElement;
    state.step = Math.min(state.steps, Math.max(0, step));
    first.disabled = back.disabled = state.step === 0;
    next.disabled = end.disabled = state.step === state.steps;
    shown.textContent = `step ${state.step} of ${state.steps}`;
    if (focused && focused.disabled) (focused === back || focused === first ? next : back).focus();
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
  first.addEventListener("click", () => go(0));
  back.addEventListener("click", () => go(state.step - 1));
  next.addEventListener("click", () => go(state.step + 1));
  end.addEventListener("click", () => go(state.steps));
  play.addEventListener("click", () => playing(state.timer === null));
  speed.addEventListener("change", () => { if (state.timer !== null) playing(true); });
  // On the step buttons, the arrows and a presenter's page keys step too.
  box.addEventListener("keydown", (event) => {
    if (event.target.tagName !== "BUTTON") return;
    const by = { ArrowRight: 1, PageDown: 1, ArrowLeft: -1, PageUp: -1 }[event.key];
    const to = { Home: 0, End: state.steps }[event.key];
    if (!by && to === undefined) return;
    event.preventDefault();
    go(to ?? state.step + by);
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
export function loadGraphviz() {
  graphviz = graphviz || new Promise((resolve, reject) => {
    const script = makeElement("script", { src: "viz.js" });
    script.onload = () => self.Viz.instance().then(resolve, reject);
    script.onerror = () => reject(new Error("cannot load viz.js"));
    document.head.append(script);
  });
  return graphviz;
}

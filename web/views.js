// Pictures of a run, drawn from its output once it has ended: calcexplain's
// trees (its DOT, laid out by Graphviz), the bits of the single that
// floatexplain's value stored, factexplain's frames step by step. Every label
// and number in them is read from the program's own output; nothing here
// computes them again.
"use strict";

// drawViews: the picture that belongs to the run {name, args, stdout,
// status}, if any; the others are hidden. onBits(pattern) runs a pattern.
function drawViews(run, onBits) {
  const trees = run.name === "calcexplain" && run.args.includes("--dot") && run.status === 0;
  const bits = run.name === "floatexplain" && run.args[0] === "value" && run.status === 0;
  const stack = run.name === "factexplain" && !run.args.includes("--code") && run.status === 0;
  showTrees(trees ? run.stdout : null);
  showBits(bits ? run.stdout : null, onBits);
  showStack(stack ? run.stdout : null);
}

// Graphviz, loaded from the page's folder when first needed (one script with
// its WebAssembly inside): a promise of its instance.
let graphviz = null;
function loadGraphviz() {
  graphviz = graphviz || new Promise((resolve, reject) => {
    const script = document.createElement("script");
    script.src = "viz.js";
    script.onload = () => Viz.instance().then(resolve, reject);
    script.onerror = () => reject(new Error("cannot load viz.js"));
    document.head.append(script);
  });
  return graphviz;
}

let treesDrawn = 0;  // the latest drawing asked for: an older one is dropped

// showTrees: the DOT as SVG in the page, its text (the output) one click
// away, and the SVG to save.
async function showTrees(dot) {
  const figure = document.getElementById("trees");
  const picture = document.getElementById("tree-picture");
  const asked = ++treesDrawn;
  figure.hidden = dot === null;
  showDotText(dot === null);
  picture.replaceChildren();
  if (dot === null) return;
  let svg;
  try {
    svg = (await loadGraphviz()).renderSVGElement(dot);
  } catch (error) {
    if (asked !== treesDrawn) return;
    picture.textContent = `The trees could not be drawn: ${error.message}`;
    showDotText(true);
    return;
  }
  if (asked !== treesDrawn) return;
  const title = svg.querySelector(".graph > text");
  svg.setAttribute("role", "img");
  svg.setAttribute("aria-label", `The trees of ${title ? title.textContent : "the line"} in the three grammars:` +
                   " the DOT text holds the same nodes and edges");
  picture.replaceChildren(svg);
  const save = document.getElementById("save-svg");
  if (save.href) URL.revokeObjectURL(save.href);
  const text = '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(svg) + "\n";
  save.href = URL.createObjectURL(new Blob([text], { type: "image/svg+xml" }));
}

// showDotText: the output box, or the trees in its place.
function showDotText(shown) {
  const button = document.getElementById("dot-text");
  button.setAttribute("aria-expanded", String(shown));
  button.textContent = shown ? "Hide the DOT text" : "Show the DOT text";
  document.getElementById("output").hidden = !shown;
}

// A bit flipped keeps the focus through the run and the redraw that follow,
// for one who flips bits from the keyboard.
let bitFocused = null;

// showBits: the 32 bits of the first value, from its "bits:" line, as
// toggles; a click runs the pattern with that bit flipped.
function showBits(output, onBits) {
  const view = document.getElementById("bits");
  const bits = output && /^ {2}bits: +([0-9a-f]{8}) = /m.exec(output);
  const number = output && /^ {2}number: +(.*?), a /m.exec(output);
  view.hidden = !bits;
  if (!bits) return;
  const pattern = parseInt(bits[1], 16);
  document.getElementById("bits-of").textContent = number ? number[1] : bits[1];
  const groups = [["sign", 31, 31], ["exponent", 30, 23], ["significand", 22, 0]];
  document.getElementById("bit-toggles").replaceChildren(...groups.map(([name, high, low]) => {
    const group = document.createElement("div");
    group.className = `bit-group ${name}`;
    group.setAttribute("role", "group");
    group.setAttribute("aria-label", name);
    const caption = document.createElement("span");
    caption.className = "bit-caption";
    caption.textContent = name;
    caption.setAttribute("aria-hidden", "true");
    const toggles = document.createElement("span");
    toggles.className = "bit-row";
    for (let bit = high; bit >= low; --bit) {
      const set = (pattern >>> bit) & 1;
      const toggle = document.createElement("button");
      toggle.type = "button";
      toggle.textContent = String(set);
      toggle.dataset.bit = bit;
      toggle.setAttribute("aria-pressed", String(Boolean(set)));
      toggle.setAttribute("aria-label", `${set}, bit ${bit}`);
      toggle.title = `bit ${bit}: flip it`;
      toggle.addEventListener("click", () => {
        bitFocused = bit;
        onBits("0x" + ((pattern ^ (1 << bit)) >>> 0).toString(16).padStart(8, "0"));
      });
      toggles.append(toggle);
    }
    group.append(caption, toggles);
    return group;
  }));
  if (bitFocused !== null) view.querySelector(`[data-bit="${bitFocused}"]`).focus();
  bitFocused = null;
}

// factexplain's output, build by build: its title line and its calls and
// returns in order, each {call, n, text, frame} as printed.
function factSections(output) {
  const sections = [];
  for (const line of output.split("\n")) {
    const title = /^(\S.* build) \((.*)\):$/.exec(line);
    const call = /^ *fact\((-?\d+)\) called(?: +(frame .*))?$/.exec(line);
    const back = /^ *fact\((-?\d+)\) returns (.*)$/.exec(line);
    if (title) sections.push({ title: title[1], flags: title[2], events: [] });
    else if (sections.length && (call || back))
      sections[sections.length - 1].events.push(call ? { call: true, n: call[1], frame: call[2] || "" }
                                                     : { call: false, n: back[1], text: back[2] });
  }
  return sections;
}

// stackAfter: the frames after the first `steps` events. A call with a
// return of its own takes a new frame; one without (the optimised build's
// loop, whose inner returns never happen) runs in the frame it is in. A
// return unwinds the frames below its own.
function stackAfter(events, steps) {
  const own = new Set(events.filter((event) => !event.call).map((event) => event.n));
  let frames = [];
  events.slice(0, steps).forEach((event) => {
    if (event.call && (own.has(event.n) || !frames.length)) {
      frames.push({ n: event.n, frame: event.frame });
    } else if (event.call) {
      frames[frames.length - 1] = { n: event.n, frame: event.frame };
    } else {
      let at = frames.findIndex((frame) => frame.n === event.n);
      if (at < 0) at = frames.length - 1;
      frames = frames.slice(0, at + 1);
      frames[at] = { n: event.n, frame: frames[at].frame, returns: event.text };
    }
  });
  return frames;
}

let stack = { sections: [], step: 0, steps: 0, player: null };

function showStack(output) {
  const view = document.getElementById("stack");
  playStack(false);
  stack.sections = output ? factSections(output).filter((section) => section.events.length) : [];
  view.hidden = !stack.sections.length;
  stack.steps = Math.max(0, ...stack.sections.map((section) => section.events.length));
  stack.step = 0;
  drawStack();
}

// drawStack: both builds side by side at the same step, each frame with its
// n, where it is (when the build can see it) and, once returned, what it
// returned; the event just shown stands out.
function drawStack() {
  document.getElementById("stack-builds").replaceChildren(...stack.sections.map((section) => {
    const steps = Math.min(stack.step, section.events.length);
    const build = document.createElement("div");
    build.className = "build";
    build.dataset.step = steps;
    const heading = document.createElement("h3");
    heading.textContent = `${section.title} (${section.flags})`;
    const list = document.createElement("ol");
    const frames = stackAfter(section.events, steps);
    frames.forEach((frame, at) => {
      const item = document.createElement("li");
      item.className = "frame" + (frame.returns !== undefined ? " returned" : "");
      if (steps && at === frames.length - 1) item.classList.add("latest");
      const name = document.createElement("span");
      name.textContent = `fact(${frame.n})`;
      item.append(name);
      if (frame.returns !== undefined) item.append(` returns ${frame.returns}`);
      if (frame.frame) {
        const where = document.createElement("small");
        where.textContent = frame.frame;
        item.append(where);
      }
      list.append(item);
    });
    build.append(heading, list);
    return build;
  }));
  document.getElementById("stack-step").textContent = `step ${stack.step} of ${stack.steps}`;
  document.getElementById("stack-back").disabled = stack.step === 0;
  document.getElementById("stack-next").disabled = stack.step === stack.steps;
}

function stepStack(by) {
  stack.step = Math.min(stack.steps, Math.max(0, stack.step + by));
  drawStack();
  if (stack.step === stack.steps) playStack(false);
}

// playStack: a step every so often to the end, or stopped.
function playStack(on) {
  clearInterval(stack.player);
  stack.player = null;
  if (on) {
    if (stack.step === stack.steps) stack.step = 0;
    stack.player = setInterval(() => stepStack(1), 600);
    drawStack();
  }
  const play = document.getElementById("stack-play");
  play.setAttribute("aria-pressed", String(on));
  play.textContent = on ? "Pause" : "Play";
}

document.getElementById("stack-next").addEventListener("click", () => stepStack(1));
document.getElementById("stack-back").addEventListener("click", () => stepStack(-1));
document.getElementById("stack-play").addEventListener("click", () => playStack(stack.player === null));

// calcexplain's document drawn: each grammar's trees (laid out by Graphviz
// from DOT made here from the document's trees), and the parse stepped
// through its events, the three grammars in lockstep: the cursor under the
// look-ahead, the stack of active rules, the tree growing, the verdict.
import { viewElement, makeElement, makeStepper, loadGraphviz } from "./view-tools.js";

// Every label in a picture in one font and one size: the size the page's
// text has once the picture is scaled (see scaleTree).
const treeFontSize = 14;
const treeFont = `fontname="Helvetica,Arial,sans-serif", fontsize=${treeFontSize}`;
const treeZooms = [0.75, 1, 1.25, 1.5, 2, 2.5, 3];  // 0.75 of the page's text is 12 px at 100%

const parse = { grammars: [], line: "", pictures: {}, zoom: 1, stepper: null, steps: 0, drawn: 0 };

function dotString(text) {
  return '"' + String(text).replace(/\\/g, "\\\\").replace(/"/g, '\\"') + '"';
}

// expressionItems: the expression trees' nodes in preorder, each {label,
// parent, step}: an operator appears with its compute event (the events
// compute in postorder), a number when its number rule returns (in the
// line's order). Where the events say otherwise, a node appears with its
// parent, or at the end.
function expressionItems(roots, events) {
  const items = [];
  const visit = (node, parent) => {
    const item = { label: node.op || node.number, parent, node, step: null };
    items.push(item);
    if (node.op) {
      visit(node.left, item);
      visit(node.right, item);
    }
  };
  roots.forEach((root) => visit(root, null));
  const at = (kind) => events.flatMap((event, index) => kind(event) ? [index + 1] : []);
  const computes = at((event) => event.event === "compute");
  const numbers = at((event) => event.event === "return" && event.rule === "number");
  const postorder = [];
  const walk = (item) => {
    for (const child of items.filter((other) => other.parent === item)) walk(child);
    if (item.node.op) postorder.push(item);
  };
  items.filter((item) => !item.parent).forEach(walk);
  if (postorder.length === computes.length) postorder.forEach((item, k) => { item.step = computes[k]; });
  const leaves = items.filter((item) => !item.node.op);
  if (leaves.length === numbers.length) leaves.forEach((item, k) => { item.step = numbers[k]; });
  for (const item of items.slice().reverse())
    if (item.step === null) item.step = item.parent && item.parent.step !== null ? item.parent.step : events.length;
  return items;
}

// ruleItems: the tree of rule calls as the events grow it, in preorder: a
// rule where it begins, under the rule one level out; a character matched
// under the rule that matched it (a number's as its digits); the red '?'
// under the rule that refused the look-ahead. Each appears at its event.
function ruleItems(events) {
  const items = [];
  const open = [];  // the rule items active, by depth
  events.forEach((event, index) => {
    const step = index + 1;
    const parent = open[event.depth] || open[open.length - 1] || null;
    if (event.event === "enter") {
      open.length = event.depth;
      open.push({ label: event.rule, parent: open[event.depth - 1] || null, step });
      items.push(open[event.depth]);
    } else if (event.event === "match" && parent) {
      const digit = parent.label === "number" ? { label: "digit", parent, step } : null;
      if (digit) items.push(digit);
      items.push({ label: event.char, parent: digit || parent, step });
    } else if (event.event === "error") {
      items.push({ label: "?", parent, red: true, step });
    }
  });
  return items;
}

// treeDot: the items as a graph, its nodes and edges named by index for the
// steps to show and hide.
function treeDot(items, title, prefix) {
  const lines = [`digraph ${prefix} {`,
    `  graph [${treeFont}, label=${dotString(title)}, labelloc=t, ordering=out, bgcolor=transparent];`,
    `  node [${treeFont}, shape=plaintext, height=0.3, margin="0.08,0.02"];`,
    `  edge [arrowhead=none];`];
  items.forEach((item, i) => {
    lines.push(`  ${prefix}${i} [id="${prefix}${i}", label=${dotString(item.label)}` +
               (item.red ? `, fontcolor="#c00000"` : "") + "];");
    if (item.parent) lines.push(`  ${prefix}${items.indexOf(item.parent)} -> ${prefix}${i} [id="${prefix}e${i}"];`);
  });
  lines.push("}");
  return lines.join("\n");
}

// verdictText: a grammar's verdict in words, as a title.
function verdictText(grammar) {
  if (grammar.verdict === "value") return `${grammar.grouping} = ${grammar.value}`;
  if (grammar.verdict === "parse error") return `stopped at column ${grammar.column}`;
  return grammar.verdict;
}

// Trees larger than this are not laid out (Graphviz would hold the page for
// seconds, for a picture too large to read): the steps still show the stack.
const largestTree = 1000;
const longestHeading = 60;

async function drawTrees(json) {
  const pictures = {};
  const line = json.lines[0];
  const viz = await loadGraphviz();
  line.grammars.forEach((grammar, g) => {
    const events = grammar.events || [];
    const expression = expressionItems(grammar.tree ? [grammar.tree] : grammar.subtrees || [], events);
    const rules = ruleItems(events);
    for (const [kind, items, title] of [["expression", expression, `${grammar.grammar}: ${verdictText(grammar)}`],
                                        ["rules", rules, `${grammar.grammar}: its rules`]]) {
      const prefix = `t${g}${kind[0]}`;
      if (items.length > largestTree) {
        pictures[prefix] = { items, svg: null };
        continue;
      }
      const svg = viz.renderSVGElement(treeDot(items, title, prefix));
      svg.setAttribute("role", "img");
      svg.setAttribute("aria-label", `The ${kind === "rules" ? "tree of rule calls" : "expression tree"} of ` +
                       `${line.line.length > 80 ? line.line.slice(0, 80) + "..." : line.line} in ` +
                       `${grammar.grammar}: ${verdictText(grammar)}`);
      pictures[prefix] = { items, svg, parts: items.map((item, i) =>
        [svg.getElementById(`${prefix}${i}`), svg.getElementById(`${prefix}e${i}`)]) };
    }
  });
  return pictures;
}

// showTree: the chosen grammar's chosen tree, at the chosen size.
function showTree() {
  const g = document.querySelector("input[name=tree-grammar]:checked").value;
  const kind = document.querySelector("input[name=tree-kind]:checked").value;
  const picture = parse.pictures[`t${g}${kind[0]}`];
  const box = viewElement("tree-picture");
  const save = viewElement("save-svg");
  if (save.href) URL.revokeObjectURL(save.href);
  save.removeAttribute("href");
  if (!picture) return box.replaceChildren();
  if (!picture.items.length)
    return box.replaceChildren(makeElement("p", { textContent: "No tree in the document: see the note above the steps." }));
  if (!picture.svg) return box.replaceChildren(makeElement("p", { textContent: `The tree has ${picture.items.length} nodes: too many to draw here.` }));
  box.replaceChildren(makeElement("p", { className: "tree-wait", attrs: { role: "status" } }), picture.svg);
  scaleTree();
  box.scrollLeft = (box.scrollWidth - box.clientWidth) / 2;  // the root in view
  revealTree(parse.stepper ? parse.stepper.step : Infinity);
  const text = '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(picture.svg) + "\n";
  save.href = URL.createObjectURL(new Blob([text], { type: "image/svg+xml" }));
  save.download = `calcexplain-${parse.grammars[g].grammar}-${kind}.svg`;
}

// scaleTree: the picture sized in rem, so that a label is as large as the
// page's text times the zoom, and follows the page's text size.
function scaleTree() {
  const svg = viewElement("tree-picture").querySelector("svg");
  viewElement("tree-zoom").textContent = `${Math.round(parse.zoom * 100)}%`;
  viewElement("tree-smaller").disabled = parse.zoom === treeZooms[0];
  viewElement("tree-larger").disabled = parse.zoom === treeZooms[treeZooms.length - 1];
  if (!svg) return;
  const box = svg.viewBox.baseVal;
  svg.style.width = `${box.width / treeFontSize * parse.zoom}rem`;
  svg.style.height = `${box.height / treeFontSize * parse.zoom}rem`;
}

function zoomTree(by) {
  const at = treeZooms.indexOf(parse.zoom) + by;
  parse.zoom = treeZooms[Math.min(treeZooms.length - 1, Math.max(0, at))];
  const focused = document.activeElement;
  scaleTree();
  if (focused && focused.disabled) viewElement(by < 0 ? "tree-larger" : "tree-smaller").focus();
}

// revealTree: the nodes and edges of the picture shown that exist at the step.
function revealTree(step) {
  const g = document.querySelector("input[name=tree-grammar]:checked").value;
  const kind = document.querySelector("input[name=tree-kind]:checked").value;
  const picture = parse.pictures[`t${g}${kind[0]}`];
  if (!picture || !picture.svg) return;
  const latest = Math.max(0, ...picture.items.map((item) => item.step <= step ? item.step : 0));
  picture.items.forEach((item, i) => {
    const [node, edge] = picture.parts[i];
    if (node) {
      node.classList.toggle("later", item.step > step);
      node.classList.toggle("now", item.step === latest && latest > 0 && step < parse.steps);
    }
    // An edge shows once both its ends do: an operator comes after its operands.
    if (edge) edge.classList.toggle("later", Math.max(item.step, item.parent.step) > step);
  });
  // Before its first node, the picture would be an empty box: say when it begins.
  const wait = viewElement("tree-picture").querySelector(".tree-wait");
  const firstStep = Math.min(...picture.items.map((item) => item.step));
  if (wait) wait.textContent = step < firstStep && firstStep <= parse.steps
    ? `The tree begins at step ${firstStep}, as its first node is made.` : "";
  // The verdict in the expression tree's title waits for the end.
  const title = picture.svg.querySelector("g.graph > text");
  if (title && kind === "expression") title.classList.toggle("later", step < parse.steps);
}

// grammarAt: a grammar's state after its first `step` events: the column
// read, the stack of active rules, the event just applied, and whether it
// has ended.
function grammarAt(grammar, step) {
  const events = grammar.events || [];
  const applied = events.slice(0, step);
  const stack = [];
  let column = 1;
  for (const event of applied) {
    if (event.column !== undefined) column = event.column;
    if (event.event === "enter") stack.splice(event.depth, Infinity, event.rule);
    if (event.event === "return") stack.splice(event.depth);
  }
  return { column, stack, event: applied[applied.length - 1], ended: step >= events.length };
}

function eventText(event) {
  switch (event && event.event) {
    case "enter": return `${event.rule} begins, looking at column ${event.column}`;
    case "match": return `matches '${event.char}' at column ${event.column}`;
    case "compute": return `computes ${event.left} ${event.op} ${event.right} = ${event.result}`;
    case "return": return `${event.rule} returns ${event.value}`;
    case "error": return `${event.rule}: ${event.message}`;
    default: return "about to read the line";
  }
}

// The innermost rules shown, and the outermost: a deep stack shows its
// depth as a number between them.
const stackEnds = [2, 6];

function drawParseStep(step) {
  viewElement("parse-grammars").replaceChildren(...parse.grammars.map((grammar) => {
    const state = grammarAt(grammar, step);
    const stopped = state.ended && grammar.verdict !== "value";
    const cursor = " ".repeat(Math.max(0, (stopped && grammar.column ? grammar.column : state.column) - 1));
    const mark = makeElement("span", { className: stopped ? "stop" : "cursor", textContent: stopped ? "?" : "^" });
    const rules = state.stack.length > stackEnds[0] + stackEnds[1] + 1
      ? [...state.stack.slice(0, stackEnds[0]), `... ${state.stack.length - stackEnds[0] - stackEnds[1]} more ...`,
         ...state.stack.slice(-stackEnds[1])]
      : state.stack;
    const verdict = !state.ended ? "" : grammar.verdict === "value" ? `${grammar.grouping} = ${grammar.value}`
      : grammar.verdict === "parse error" ? `parse error at column ${grammar.column}: ${grammar.message}`
      : grammar.verdict;
    return makeElement("div", { className: "grammar", dataset: { grammar: grammar.grammar, column: state.column, ended: state.ended } },
      makeElement("h3", { textContent: grammar.grammar }),
      makeElement("pre", { className: "cursor-line", attrs: { "aria-label": stopped
        ? `stopped at column ${grammar.column}` : `reading column ${state.column}` } },
        parse.line + "\n" + cursor, mark),
      makeElement("p", { className: "event", textContent: state.ended ? "" : eventText(state.event) }),
      makeElement("ol", { className: "rule-stack", attrs: { "aria-label": `active rules: ${state.stack.length}` } },
        ...rules.map((rule) => makeElement("li", { textContent: rule }))),
      makeElement("p", { className: "verdict" + (state.ended && grammar.verdict !== "value" ? " rejected" : ""),
        textContent: verdict }));
  }));
  // A line too long for its box scrolls, and so takes the focus for the keyboard.
  for (const pre of viewElement("parse-grammars").querySelectorAll(".cursor-line"))
    if (pre.scrollWidth > pre.clientWidth) pre.tabIndex = 0;
  revealTree(step);
}

// drawParse: the first line of calcexplain's document, or nothing (null).
export async function drawParse(json) {
  const section = viewElement("parse");
  if (parse.stepper) parse.stepper.stop();
  const asked = ++parse.drawn;
  const line = json && json.lines && json.lines[0];
  section.hidden = !line;
  parse.pictures = {};
  viewElement("tree-picture").replaceChildren();
  if (!line) return;
  parse.grammars = line.grammars;
  parse.line = line.line;
  // A line too long for a heading is named by its beginning and its length;
  // the steps below show it whole, in a box that scrolls.
  viewElement("parse-line").textContent = line.line.length > longestHeading
    ? `${line.line.slice(0, longestHeading)}... (${line.line.length} characters)` : line.line;
  // What a long line's document leaves out (a trace cut short steps as far
  // as it goes; a tree too large is not there), said as the document says it.
  viewElement("parse-note").textContent = line.grammars
    .filter((grammar) => grammar.traceNote || grammar.traceComplete === false)
    .map((grammar) => `${grammar.grammar}: ${grammar.traceNote || "the trace is incomplete."}`).join(" ");
  line.grammars.forEach((grammar, g) => {
    viewElement(`tree-grammar-${g}`).nextSibling.textContent = " " + grammar.grammar;
  });
  parse.stepper = parse.stepper || makeStepper(viewElement("parse-steps"), "parse", "Steps of the parse", drawParseStep);
  parse.steps = Math.max(0, ...line.grammars.map((grammar) => (grammar.events || []).length));
  parse.stepper.start(parse.steps, true);
  let pictures;
  try {
    pictures = await drawTrees(json);
  } catch (error) {
    if (asked === parse.drawn) viewElement("tree-picture").textContent = `The trees could not be drawn: ${error.message}`;
    return;
  }
  if (asked !== parse.drawn) return;
  parse.pictures = pictures;
  showTree();
}

for (const input of document.querySelectorAll("input[name=tree-grammar], input[name=tree-kind]"))
  input.addEventListener("change", showTree);
viewElement("tree-smaller").addEventListener("click", () => zoomTree(-1));
viewElement("tree-larger").addEventListener("click", () => zoomTree(1));

// Dragging the picture pans it, as its scroll bars and arrow keys do.
(function panning(box) {
  let from = null;
  box.addEventListener("pointerdown", (event) => {
    from = { x: event.clientX, y: event.clientY, left: box.scrollLeft, top: box.scrollTop };
    box.setPointerCapture(event.pointerId);
  });
  box.addEventListener("pointermove", (event) => {
    if (!from) return;
    box.scrollLeft = from.left - (event.clientX - from.x);
    box.scrollTop = from.top - (event.clientY - from.y);
  });
  box.addEventListener("pointerup", () => { from = null; });
})(viewElement("tree-picture"));

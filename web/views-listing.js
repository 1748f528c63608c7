// The listing view: a program's machine code beside its source, each source
// line and its instructions in one colour, for the targets the page was
// built with; one listing or two side by side. The logic is listing.js's;
// this file only builds the DOM and loads the listings' scripts.

import * as L from "./listing.js";

// Scripts loaded, by address: a promise each; one that failed is dropped,
// so that showing the listing again tries again.
const scripts = new Map();

function loadScript(src) {
  if (!scripts.has(src)) {
    scripts.set(src, new Promise((resolve, reject) => {
      const script = document.createElement("script");
      script.src = src;
      script.onload = () => resolve();
      script.onerror = () => {
        scripts.delete(src);
        script.remove();
        reject(new Error(`could not load ${src}`));
      };
      document.head.append(script);
    }));
  }
  return scripts.get(src);
}

// The index of the page's listings (listings/index.js).
export async function loadIndex(base = "listings/") {
  if (!self.pageListingIndex) await loadScript(`${base}index.js`);
  return self.pageListingIndex;
}

// One listing, loaded when first shown.
export async function loadListing(base, target, name) {
  const key = L.listingKey(target, name);
  if (!(self.pageListings && self.pageListings[key])) await loadScript(L.listingScript(base, target, name));
  const listing = self.pageListings && self.pageListings[key];
  if (!listing) throw new Error(`no listing ${key}`);
  return listing;
}

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

// Scrolls a list, not the page, to show an item: where a line is marked
// from the other side, or from outside, and is out of the list's sight.
function reveal(item) {
  const list = item.closest("ol");
  if (!list || list.scrollHeight <= list.clientHeight) return;
  const shown = list.getBoundingClientRect();
  const at = item.getBoundingClientRect();
  if (at.top < shown.top || at.bottom > shown.bottom) list.scrollTop += at.top - shown.top - shown.height / 3;
}

// Arrow keys, Home and End move within a list whose items take the focus
// in turn: one tab stop per list.
function roving(list) {
  list.addEventListener("keydown", (event) => {
    const items = [...list.querySelectorAll("[data-focusable]")];
    const at = items.indexOf(document.activeElement);
    const moves = { ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: items.length - 1 };
    if (!(event.key in moves) || at < 0) return;
    event.preventDefault();
    const next = items[Math.max(0, Math.min(items.length - 1, moves[event.key]))];
    items[at].tabIndex = -1;
    next.tabIndex = 0;
    next.focus();
  });
}

// Draws one listing into `container`: the source on one side, the
// instructions on the other. Returns { mark(key) }, which marks a source
// line ("file:line", listing.js's lineKey) and its instructions, as the
// recursion view does with the line running; mark("") clears; and
// show(row), which takes the focus to a row.
export function renderListing(container, listing, { title = "", describedBy = "", headingLevel = 4 } = {}) {
  container.replaceChildren();
  const groups = L.colourGroups(listing);
  const back = new Set(L.backBranches(listing).map((b) => b.row));
  const calls = new Set(L.selfCalls(listing).map((c) => c.row));
  const sides = element("div", "listing-sides");

  const source = element("div", "listing-source-side");
  source.append(element(`h${headingLevel}`, "listing-side-title", "Source"));
  const lineItems = new Map();
  for (const file of L.sourceFiles(listing)) {
    source.append(element("div", "listing-file", file.whole ? file.name : `${file.name} (the lines used)`));
    const list = element("ol", "listing-lines");
    list.setAttribute("aria-label", `${file.name}${title ? `, ${title}` : ""}`);
    let first = true;  // each file's list has one tab stop
    for (const line of file.lines) {
      const item = element("li", "listing-line");
      item.dataset.key = line.key;
      const number = element("span", "listing-number", String(line.number));
      number.setAttribute("aria-hidden", "true");
      item.append(number, element("span", "listing-text", line.text || " "));
      if (groups.has(line.key)) {
        item.classList.add(`listing-group-${groups.get(line.key)}`);
        item.dataset.focusable = "";
        item.tabIndex = first ? 0 : -1;
        first = false;
        item.setAttribute("aria-label", `line ${line.number}: ${line.text.trim()}; ${line.instructions} instruction${
          line.instructions === 1 ? "" : "s"}`);
        lineItems.set(line.key, item);
      }
      list.append(item);
    }
    roving(list);
    source.append(list);
  }

  const code = element("div", "listing-code-side");
  code.append(element(`h${headingLevel}`, "listing-side-title", "Instructions"));
  const rows = element("ol", "listing-rows");
  rows.setAttribute("aria-label", `instructions${title ? `, ${title}` : ""}`);
  if (describedBy) rows.setAttribute("aria-describedby", describedBy);
  const rowItems = [];
  let first = true;  // the first instruction takes the list's tab stop
  listing.rows.forEach((row, index) => {
    const item = element("li", `listing-row listing-kind-${L.rowKind(row)}`, L.rowText(row) || " ");
    const key = L.rowLine(row);
    if (key && groups.has(key)) item.classList.add(`listing-group-${groups.get(key)}`);
    if (L.rowKind(row) === "instruction") {
      item.dataset.focusable = "";
      item.tabIndex = first ? 0 : -1;
      first = false;
    }
    // Marked by the style sheet and for screen readers, so that the item's
    // text stays the listing's own.
    for (const [rows, className, said] of [[back, "listing-back", "the loop turns back here"],
                                           [calls, "listing-self-call", "a call of the function by itself"]]) {
      if (!rows.has(index)) continue;
      item.classList.add(className);
      item.title = said;
      item.setAttribute("aria-label", `${L.rowText(row).trim()}: ${said}`);
    }
    item.dataset.row = String(index);
    rowItems.push(item);
    rows.append(item);
  });
  roving(rows);
  code.append(rows);
  sides.append(source, code);
  container.append(sides);

  // seen: which sides to scroll to the marks ("source", "code"; both
  // when the mark comes from outside the view).
  let marked = [];
  function mark(target, seen = ["source", "code"]) {
    for (const item of marked) item.classList.remove("is-marked");
    marked = [];
    if (target === "" || target === undefined || target === null) return;
    const found = L.marksFor(listing, target);
    const line = found.line && lineItems.get(found.line);
    const rowsMarked = [...found.rows].map((row) => rowItems[row]).filter(Boolean);
    marked = line ? [line, ...rowsMarked] : rowsMarked;
    for (const item of marked) item.classList.add("is-marked");
    if (line && seen.includes("source")) reveal(line);
    if (rowsMarked.length && seen.includes("code")) reveal(rowsMarked[0]);
  }
  const point = (event) => {
    const item = event.target.closest("[data-key], [data-row]");
    if (!item) return;
    // The side pointed at stays still; the other follows.
    if (item.dataset.key !== undefined) mark(item.dataset.key, ["code"]);
    else mark(Number(item.dataset.row), ["source"]);
  };
  for (const side of [source, code]) {
    side.addEventListener("mouseover", point);
    side.addEventListener("focusin", point);
    side.addEventListener("mouseleave", () => mark(""));
  }
  // Takes the keyboard to a row and marks its line: the counted facts'
  // links to the loop's turn and the self-calls.
  function show(row) {
    mark(row);
    const item = rowItems[row];
    if (!item) return;
    for (const other of rowItems) if (other && other.tabIndex === 0) other.tabIndex = -1;
    item.tabIndex = 0;
    item.focus();
  }
  return { mark, show };
}

// The counted facts, with a button per function to its self-calls and to
// where its loops turn back, each press the next of them. drawn is what
// renderListing returned for the listing.
export function renderFacts(list, listing, drawn) {
  list.replaceChildren(...L.countedFacts(listing).map((fact) => element("li", "", fact)));
  for (const [found, what] of [[L.backBranches(listing), "where a loop turns back"],
                               [L.selfCalls(listing), "its call of itself"]]) {
    const byFunction = new Map();
    for (const { row, function: name } of found) {
      if (!byFunction.has(name)) byFunction.set(name, []);
      byFunction.get(name).push(row);
    }
    for (const [name, rows] of byFunction) {
      let next = 0;
      const button = element("button", "quiet listing-jump",
                             `${name}: show ${what}${rows.length > 1 ? ` (${rows.length}, in turn)` : ""}`);
      button.type = "button";
      button.addEventListener("click", () => {
        drawn.show(rows[next]);
        next = (next + 1) % rows.length;
      });
      const item = element("li");
      item.append(button);
      list.append(item);
    }
  }
}

let views = 0;

// One pane: the program, build and target pickers, the title, the counted
// facts, and the listing.
function pane(state, side, onChange) {
  const id = `listing-${++views}`;
  const root = element("section", "listing-pane");
  const pickers = element("div", "listing-pickers");
  const pick = (label, options, value, key) => {
    const wrap = element("label", "listing-picker", `${label} `);
    const select = element("select");
    for (const [v, text] of options) {
      const option = element("option", "", text);
      option.value = v;
      select.append(option);
    }
    select.value = value;
    select.addEventListener("change", () => onChange({ ...side, [key]: select.value }));
    wrap.append(select);
    pickers.append(wrap);
    return select;
  };
  const programs = L.programs(state.index);
  pick("Program", programs.map((p) => [p.program, p.program]), side.program, "program");
  const builds = (programs.find((p) => p.program === side.program) || { builds: [] }).builds;
  const build = pick("Build", builds.map((b) => [b.build, b.build]), side.build, "build");
  build.disabled = builds.length < 2;
  pick("Target", state.index.targets.map((t) => [t.name, t.name]), side.target, "target");
  const heading = element(`h${state.headingLevel}`, "listing-title", L.targetTitle(state.index, side.target));
  heading.id = `${id}-title`;
  const facts = element("ul", "listing-facts");
  facts.id = `${id}-facts`;
  const body = element("div", "listing-body", "Loading…");
  root.append(pickers, heading, facts, body);
  return { root, heading, facts, body, id };
}

// The whole view in `container`: pickers for one listing or two, the
// comparisons offered, each listing titled for what it is. Options: base
// (where the listings' scripts are, "listings/"), sides (one or two of
// { program, build, target }), compare (a COMPARISONS id to start with),
// headingLevel (of each listing's title, 3: the view sits under an h2),
// onChange (told { compare } or { sides } whenever the choice changes, for
// the page's address).
export async function showListings(container, options = {}) {
  const base = options.base || "listings/";
  container.replaceChildren(element("p", "listing-status", "Loading the listings…"));
  let index;
  try {
    index = await loadIndex(base);
  } catch (error) {
    container.replaceChildren(element("p", "listing-status", `The listings could not be loaded: ${error.message}`));
    return;
  }
  const target = L.defaultTarget(index);
  const state = {
    index,
    headingLevel: options.headingLevel || 3,
    sides: options.sides || [{ program: "fact", build: "optimised", target }],
  };
  const comparisons = L.availableComparisons(index);
  const start = comparisons.find((c) => c.id === options.compare);
  if (start) state.sides = start.sides.map((s) => ({ ...s }));
  // A side that names no target is shown for the one that runs here.
  state.sides = state.sides.map((side) => (side.target ? side : { ...side, target }));

  const view = element("div", "listing-view");
  const controls = element("div", "listing-controls");
  const compareLabel = element("label", "listing-picker", "Compare ");
  const compare = element("select");
  for (const [value, text] of [["", "one listing"], ["two", "two listings side by side"],
                               ...comparisons.map((c) => [c.id, c.title])]) {
    const option = element("option", "", text);
    option.value = value;
    compare.append(option);
  }
  compare.value = start ? start.id : state.sides.length > 1 ? "two" : "";
  const told = () => {
    if (!options.onChange) return;
    const chosen = comparisons.find((c) => c.id === compare.value);
    options.onChange(chosen ? { compare: chosen.id }
                            : { sides: state.sides.map(({ program, build, target }) => ({ program, build, target })) });
  };
  compareLabel.append(compare);
  controls.append(compareLabel);
  const panes = element("div", "listing-panes");
  view.append(controls, panes);
  container.replaceChildren(view);

  compare.addEventListener("change", () => {
    const chosen = comparisons.find((c) => c.id === compare.value);
    if (chosen) state.sides = chosen.sides.map((s) => ({ ...s }));
    else if (compare.value === "two") state.sides = [state.sides[0], { ...state.sides[0] }];
    else state.sides = [state.sides[0]];
    draw();
    told();
  });

  async function drawPane(k) {
    const side = state.sides[k];
    const p = pane(state, side, (changed) => {
      const program = L.programs(index).find((q) => q.program === changed.program);
      if (program && !program.builds.some((b) => b.build === changed.build)) changed.build = program.builds[0].build;
      delete changed.point;
      state.sides[k] = changed;
      // A side changed by hand is no longer the comparison named.
      if (comparisons.some((c) => c.id === compare.value)) compare.value = state.sides.length > 1 ? "two" : "";
      told();
      drawPane(k).then((fresh) => panes.children[k].replaceWith(fresh));
    });
    const name = L.listingName(index, side.program, side.build);
    const entry = index.listings.find((l) => l.name === name);
    p.heading.textContent = `${L.targetTitle(index, side.target)}: ${entry ? entry.title : name}`;
    try {
      const listing = await loadListing(base, side.target, name);
      const drawn = renderListing(p.body, listing, { title: p.heading.textContent, describedBy: p.facts.id,
                                                     headingLevel: state.headingLevel + 1 });
      renderFacts(p.facts, listing, drawn);
      if (side.point) drawn.mark(L.findLine(listing, ...side.point));
    } catch (error) {
      p.body.textContent = `This listing could not be loaded: ${error.message}`;
    }
    return p.root;
  }

  async function draw() {
    const drawn = await Promise.all(state.sides.map((_, k) => drawPane(k)));
    panes.classList.toggle("listing-two", drawn.length > 1);
    panes.replaceChildren(...drawn);
  }
  await draw();
  told();  // what the view chose where it was asked for nothing
}

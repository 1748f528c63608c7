// factexplain's document drawn: each build's stack of frames stepped through
// its calls and returns, both builds in lockstep, beside fact.cpp with the
// line running, or beside the build's whole listing of fact for a target
// (WebAssembly first, the one that runs here) with that line marked.
import { viewElement, makeElement, makeStepper } from "./view-tools.js";
import { loadIndex, loadListing, renderListing, renderFacts } from "./views-listing.js";
import { listingName, targetTitle, sourceFiles, lineKey } from "./listing.js";

const stack = { json: null, stepper: null };

// framesAt: a build's frames after its first `step` events, outermost
// first. A call at depth d runs in frame d: a new one, or, where the build
// never returned from the call before (the optimised build's loop), the
// same frame with one more call arrived in it. A return at depth d leaves
// the frames above it gone and its own showing what it returned.
// Where a build cannot see its frames (depth null: WebAssembly's optimised
// build), its calls are shown arriving in one box.
function framesAt(events, step) {
  const frames = [];
  for (const seen of events.slice(0, step)) {
    const event = seen.depth === null || seen.depth === undefined ? { ...seen, depth: 0, unseen: true } : seen;
    if (event.event === "call") {
      const same = frames[event.depth] && !frames[event.depth].returned ? frames[event.depth] : null;
      frames.length = event.depth;
      frames.push({ ...event, arrived: same ? [...same.arrived, event.n] : [event.n] });
    } else if (event.event === "return") {
      frames.length = event.depth + 1;
      frames[event.depth] = { ...frames[event.depth], returned: event };
    }
  }
  return frames;
}

// The outermost frames and the innermost shown: a deep stack shows how many
// frames lie between them as a number.
const frameEnds = [2, 5];

function frameItem(frame, current) {
  const item = makeElement("li", { className: "frame" + (frame.returned ? " returned" : "") + (current ? " latest" : ""),
                                   dataset: { depth: frame.depth, n: frame.n } });
  if (current) item.setAttribute("aria-current", "step");
  // A frame is its first call's; the calls that arrive in it later are
  // listed below. One box for calls whose frames are not seen holds them all.
  const [first, latest] = [frame.arrived[0], frame.arrived[frame.arrived.length - 1]];
  const title = frame.unseen && first !== latest ? `fact(${first}) to fact(${latest})` : `fact(${first})`;
  item.append(makeElement("span", { className: "call", textContent: title }),
              makeElement("span", { className: "depth", textContent: frame.unseen ? " (frames not seen)" : ` depth ${frame.depth}` }));
  if (frame.arrived.length > 1) {
    const shown = frame.arrived.length > 6 ? ["...", ...frame.arrived.slice(-5)] : frame.arrived;
    item.append(makeElement("small", { textContent: `${frame.arrived.length} calls arrived here: ` +
                                       shown.map((n) => n === "..." ? n : `fact(${n})`).join(", ") }));
  }
  if (frame.frame) {
    item.append(makeElement("small", { className: "where", textContent: frame.frame +
      (frame.frameSize === 0 ? ", the same" : typeof frame.frameSize === "number" ? `, ${frame.frameSize} bytes below` : "") }));
  }
  if (frame.returned) {
    const back = frame.returned;
    const product = back.product;
    const text = product ? `fact(${back.n}) returns ${product.n} \u00d7 ${product.right} = ${back.value}`
                         : `fact(${back.n}) returns ${back.value}`;
    item.append(makeElement("span", { className: "returns", textContent: text }));
    if (product && product.wrapped) {
      item.classList.add("wrapped");
      item.append(makeElement("strong", { className: "wraps", textContent: `wrapped around: exactly ${product.exact}` }));
    }
  }
  return item;
}

function frameList(frames, current) {
  const list = makeElement("ol", { className: "frames", attrs: { "aria-label": `${frames.length} frames` } });
  const shownAll = frames.length <= frameEnds[0] + frameEnds[1] + 1;
  const shown = shownAll ? frames : [...frames.slice(0, frameEnds[0]), null, ...frames.slice(-frameEnds[1])];
  for (const frame of shown) {
    if (frame) list.append(frameItem(frame, frame === current));
    else list.append(makeElement("li", { className: "frames-between",
      textContent: `... ${frames.length - frameEnds[0] - frameEnds[1]} frames between ...` }));
  }
  return list;
}

// The listings drawn, by target and build, kept from step to step: each
// step only moves the mark. The target starts at the one that runs here.
const code = { index: null, target: "", drawn: new Map() };

// The line to mark for the line running: itself if it made instructions,
// else the next line of fact.cpp that did (the trace hook's line makes
// none), else the one before; and a sentence saying so.
function lineToMark(listing, line) {
  const file = sourceFiles(listing).findIndex((f) => f.name === "fact.cpp");
  if (file < 0) return { key: "", said: "" };
  const lines = sourceFiles(listing)[file].lines.filter((l) => l.instructions > 0);
  if (lines.some((l) => l.number === line)) return { key: lineKey(file, line), said: "" };
  const near = lines.find((l) => l.number > line) || [...lines].reverse().find((l) => l.number < line);
  if (!near) return { key: "", said: `Line ${line} made no instructions in this build.` };
  return { key: near.key, said: `Line ${line} made no instructions of its own in this build: marked is line ${
    near.number}, the ${near.number > line ? "next" : "last"} line that did.` };
}

// listingView: the build's listing of fact for the target chosen, loaded
// once, with the line running marked.
function listingView(build, line) {
  const id = `${code.target}/${build.build}`;
  let drawn = code.drawn.get(id);
  if (!drawn) {
    const loading = makeElement("p", { textContent: "Loading the listing…" });
    drawn = { root: makeElement("div", { className: "code stack-listing" }, loading), line, view: null };
    code.drawn.set(id, drawn);
    const target = code.target;
    const name = listingName(code.index, "fact", build.build);
    const entry = code.index.listings.find((l) => l.name === name);
    loadListing("listings/", target, name).then((listing) => {
      const title = `${targetTitle(code.index, target)}: ${entry ? entry.title : name}`;
      const facts = makeElement("ul", { className: "listing-facts", id: `stack-facts-${build.build}` });
      const note = makeElement("p", { className: "listing-note" });
      const body = makeElement("div");
      drawn.root.replaceChildren(makeElement("h4", { className: "listing-title", textContent: title }), facts, note, body);
      drawn.view = renderListing(body, listing, { title, describedBy: facts.id, headingLevel: 5 });
      renderFacts(facts, listing, drawn.view);
      drawn.listing = listing;
      drawn.note = note;
      markLine(drawn, drawn.line);
    }, (error) => {
      code.drawn.delete(id);
      drawn.root.replaceChildren(makeElement("p", { textContent: `The listing could not be loaded: ${error.message}` }));
    });
  }
  markLine(drawn, line);
  return drawn.root;
}

function markLine(drawn, line) {
  drawn.line = line;
  if (!drawn.view) return;
  const { key, said } = line ? lineToMark(drawn.listing, line) : { key: "", said: "" };
  drawn.view.mark(key);
  drawn.note.textContent = said;
  drawn.root.dataset.line = line || "";
  drawn.root.dataset.marked = key;
}

function sourceView(build, line) {
  if (viewElement("stack-code").checked && code.index) return listingView(build, line);
  const list = makeElement("ol", { className: "source", attrs: { "aria-label": stack.json.source.file } });
  stack.json.source.lines.forEach((text, k) => {
    const item = makeElement("li", { textContent: text || " " });
    if (k + 1 === line) {
      item.className = "current";
      item.setAttribute("aria-current", "true");
    }
    list.append(item);
  });
  return makeElement("div", { className: "code" }, list);
}

function drawStackStep(step) {
  viewElement("stack-builds").replaceChildren(...stack.json.builds.map((build) => {
    const applied = Math.min(step, build.events.length);
    const frames = framesAt(build.events, applied);
    const last = build.events[applied - 1];
    const current = last ? frames[last.depth || 0] : null;
    const heading = makeElement("h3", { textContent: `${build.build} build` + (build.flags ? ` (${build.flags})` : "") +
                                        `: fact(${stack.json.n}) = ${build.result}` + (build.wrapped ? ", wrapped around" : "") });
    return makeElement("div", { className: "build", dataset: { build: build.build, step: applied,
                                line: last && last.line ? last.line : "" } },
      heading,
      makeElement("p", { className: "note", textContent: build.frameNote || "" }),
      frameList(frames, current),
      sourceView(build, last ? last.line : null));
  }));
}

// drawStack: factexplain's document, or nothing (null).
export function drawStack(json) {
  const section = viewElement("stack");
  if (stack.stepper) stack.stepper.stop();
  section.hidden = !json;
  stack.json = json;
  if (!json) return;
  stack.stepper = stack.stepper || makeStepper(viewElement("stack-steps"), "stack", "Steps of the calls", drawStackStep);
  stack.stepper.start(Math.max(0, ...json.builds.map((build) => build.events.length)), false);
}

function redraw() {
  if (stack.json) drawStackStep(stack.stepper.step);
}

// The box ticked the first time: the targets there are, from the index of
// the listings, loaded now.
viewElement("stack-code").addEventListener("change", async () => {
  const field = viewElement("stack-target-field");
  if (viewElement("stack-code").checked && !code.index) {
    try {
      code.index = await loadIndex("listings/");
    } catch (error) {
      viewElement("stack-code").checked = false;
      viewElement("stack-code-note").textContent = `The listings could not be loaded: ${error.message}`;
      return;
    }
    const select = viewElement("stack-target");
    for (const target of code.index.targets) select.append(new Option(target.title, target.name));
    code.target = code.index.targets.some((t) => t.name === "wasm32") ? "wasm32" : code.index.targets[0].name;
    select.value = code.target;
  }
  viewElement("stack-code-note").textContent = "";
  field.hidden = !viewElement("stack-code").checked;
  redraw();
});
viewElement("stack-target").addEventListener("change", () => {
  code.target = viewElement("stack-target").value;
  redraw();
});

// factexplain's document drawn: each build's stack of frames stepped through
// its calls and returns, both builds in lockstep, beside fact.cpp with the
// line running and that line's instructions in the build's listing.
import { viewElement, makeElement, makeStepper } from "./view-tools.js";

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

function sourceView(build, line) {
  const list = makeElement("ol", { className: "source", attrs: { "aria-label": stack.json.source.file } });
  stack.json.source.lines.forEach((text, k) => {
    const item = makeElement("li", { textContent: text || " " });
    if (k + 1 === line) {
      item.className = "current";
      item.setAttribute("aria-current", "true");
    }
    list.append(item);
  });
  const view = makeElement("div", { className: "code" }, list);
  if (viewElement("stack-code").checked && line) {
    const instructions = (build.listing || []).filter((entry) => entry.line === line);
    view.append(makeElement("p", { className: "listing-title", textContent: `Line ${line} in this build's machine code:` }),
                makeElement("pre", { className: "listing", attrs: { "aria-label": `line ${line}'s instructions` } },
      instructions.length ? instructions.map((entry) => (entry.label ? `${entry.label}:\n` : "") +
                                             `${entry.address === null ? "" : entry.address + "  "}    ${entry.text}`).join("\n")
                          : "(no instructions of its own)"));
  }
  return view;
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

viewElement("stack-code").addEventListener("change", () => {
  if (stack.json) drawStackStep(stack.stepper.step);
});

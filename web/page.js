// The page: the controls make a program's command line, a worker runs it, and
// its output appears byte for byte as a terminal would show it.
import optionTables from "page-data/options.js";
import { programs } from "./programs.js";
import { optionsOf as optionsIn, refusal, operandRefusal, sentence } from "./option-rules.js";
import { longestAddress, writeRun, readRun, withListing } from "./address.js";
import { listingState } from "./listing-panel.js";
import { prepare, startRun } from "./run-tool.js";
import { drawViews } from "./views.js";

// A companion's options (options.js: the tools' own tables), --json left out.
const optionsOf = (tool, command = "") => optionsIn(optionTables, tool, command);

// floatexplain's operands, which no option table holds: a name, an example
// and, for an operator, the choices.
const floatOperands = {
  value: [["X...", "0.1 1/3 16777217"]],
  op: [["A", "0.1"], ["OP", "*", ["+", "-", "*", "/"]], ["B", "10"]],
};
// The options that each draw calcexplain's trees are one choice, "tree".
const treeChoice = ["--tree", "--dot"];

const element = (id) => document.getElementById(id);
let running = null;  // the run in progress: its program and how to stop it
let askingHelp = false;  // the run shown is the program's --help

// showProgram: the controls of the program picked, and nothing else.
function showProgram() {
  const program = programs[element("program").value];
  element("about").textContent = program.about;
  element("line-field").hidden = !["stdin", "calcexplain"].includes(program.takes);
  element("calcexplain-options").hidden = program.takes !== "calcexplain";
  element("floatexplain-options").hidden = program.takes !== "floatexplain";
  element("n-field").hidden = program.takes !== "n";
  element("factexplain-options").hidden = program.takes !== "n";
  showRefusals();
  element("help").hidden = !program.companion;
  showCommand();
  // The worker is made now, while the student types: a run starts at once.
  prepare(element("program").value);
}

// showFloatCommand: one field per operand and per option of the command.
function showFloatCommand() {
  const command = element("float-command").value;
  const fields = element("float-fields");
  fields.replaceChildren();
  for (const [name, example, choices] of floatOperands[command] || []) {
    fields.append(choices ? choice(name, example, choices)
                          : field(name, { type: "text", value: example, dataset: { operand: name } }));
  }
  for (const option of optionsOf("floatexplain", command).options) fields.append(optionField(option));
  showRefusals();
  showCommand();
}

// optionField: a box to tick, or a field for the option's value.
function optionField(option) {
  return option.value === "none"
    ? field(option.name, { type: "checkbox", dataset: { option: option.name } })
    : field(option.name, { type: "text", placeholder: option.placeholder || "",
                           dataset: option.value === "optional" ? { option: option.name, optional: "" } : { option: option.name } });
}

// buildOptions: a companion's own options as controls in its fieldset; those
// of treeChoice as one choice of radio buttons, "--tree=rules" for each
// value that the bare option does not mean.
function buildOptions(container, tool) {
  const options = optionsOf(tool).options;
  const fieldset = element(container);
  fieldset.querySelectorAll("label").forEach((label) => label.remove());
  const radio = (value, text, checked) => {
    const label = document.createElement("label");
    const input = Object.assign(document.createElement("input"), { type: "radio", name: "tree", value, checked });
    input.dataset.option = value.split("=")[0];
    label.append(input, " " + text);
    return label;
  };
  const trees = options.filter((option) => treeChoice.includes(option.name));
  for (const option of options.filter((option) => !treeChoice.includes(option.name))) fieldset.append(optionField(option));
  if (trees.length) fieldset.append(radio("", "no tree", true));
  for (const option of trees) {
    fieldset.append(radio(option.name, option.name, false));
    for (const value of option.values || []) fieldset.append(radio(`${option.name}=${value}`, `${option.name}=${value}`, false));
  }
}

function choice(text, chosen, choices) {
  const label = document.createElement("label");
  const select = document.createElement("select");
  select.dataset.operand = text;
  select.append(...choices.map((value) => new Option(value, value, false, value === chosen)));
  label.append(text + " ", select);
  return label;
}

function field(text, properties) {
  const label = document.createElement("label");
  const input = document.createElement("input");
  const { dataset, ...rest } = properties;
  Object.assign(input, rest, { spellcheck: false, autocomplete: "off" });
  Object.assign(input.dataset, dataset);
  if (input.type === "checkbox") label.append(input, " " + text);
  else label.append(text + " ", input);
  return label;
}

// commandLine: what to run, {args, stdin}, as the controls say.
function commandLine() {
  const name = element("program").value;
  const line = element("line").value;
  if (askingHelp) return { name, args: ["--help"], stdin: "" };
  switch (programs[name].takes) {
    case "stdin":
      return { name, args: [], stdin: line + "\n" };
    case "calcexplain": {
      const options = optionWords(element("calcexplain-options"));
      const tree = treeChosen();
      if (tree) options.push(tree);
      // A line that begins with '-' would be read as an option.
      if (line.startsWith("-")) options.push("--");
      return { name, args: [...options, line], stdin: "" };
    }
    case "floatexplain": {
      const fields = element("float-fields");
      const operands = [...fields.querySelectorAll("[data-operand]")].flatMap((input) =>
        input.dataset.operand.endsWith("...") ? input.value.split(/\s+/).filter(Boolean) : [input.value]);
      return { name, args: [element("float-command").value, ...operands, ...optionWords(fields)], stdin: "" };
    }
    case "n": {
      const n = element("n").disabled ? "" : element("n").value.trim();
      return { name, args: [...optionWords(element("factexplain-options")), ...(n ? [n] : [])], stdin: "" };
    }
    default:
      return { name, args: [], stdin: "" };
  }
}

// optionWords: the options ticked or filled in, in the order shown, as
// arguments: "--every 10", or "--name=value" where the value is optional.
function optionWords(container) {
  return [...container.querySelectorAll("input[data-option]:not([type=radio])")].flatMap((input) => {
    if (input.type === "checkbox") return input.checked ? [input.dataset.option] : [];
    const value = input.value.trim();
    if (!value) return [];
    return "optional" in input.dataset ? [`${input.dataset.option}=${value}`] : [input.dataset.option, value];
  });
}

function treeChosen() {
  const radio = document.querySelector("input[name=tree]:checked");
  return radio ? radio.value : "";
}

// The tool and command whose options are on the screen, and their controls.
function shownOptions() {
  const takes = programs[element("program").value].takes;
  if (takes === "calcexplain") return { table: optionsOf("calcexplain"), box: element("calcexplain-options") };
  if (takes === "floatexplain")
    return { table: optionsOf("floatexplain", element("float-command").value), box: element("float-fields") };
  if (takes === "n") return { table: optionsOf("factexplain"), box: element("factexplain-options") };
  return { table: optionsOf(""), box: null };
}

// chosenOf: the options a control chooses (a text field only when filled in).
function chosenOf(input) {
  if (input.type === "radio") return input.checked && input.value ? [input.dataset.option] : [];
  if (input.type === "checkbox") return input.checked ? [input.dataset.option] : [];
  return input.value.trim() !== "" ? [input.dataset.option] : [];
}

// showRefusals: a control that would make a pair the tool refuses cannot be
// chosen, nor an operand beside an option that takes none; the note below
// the controls gives the tool's reasons.
function showRefusals() {
  const { table, box } = shownOptions();
  const reasons = new Set();
  const inputs = box ? [...box.querySelectorAll("input[data-option]")] : [];
  const chosen = inputs.flatMap(chosenOf);
  for (const input of inputs) {
    let why = "";
    if (!chosenOf(input).length) {
      const others = input.type === "radio" ? inputs.filter((other) => other.name !== "tree").flatMap(chosenOf) : chosen;
      why = refusal(table, [...others, input.dataset.option]);
    }
    input.disabled = why !== "";
    input.title = why;
    if (why) reasons.add(why);
  }
  const now = refusal(table, chosen);
  if (now) reasons.add(now);
  const alone = programs[element("program").value].takes === "n" ? operandRefusal(table, chosen) : "";
  element("n").disabled = alone !== "";
  if (alone) reasons.add(alone);
  element("refused-note").textContent = [...reasons].map(sentence).join(" ");
  return now;
}

// showCommand: the same run typed in a terminal. Some shells' echo reads
// backslashes and a leading '-' as its own; printf gives any line as it is.
function showCommand() {
  showRefusals();
  const { name, args, stdin } = commandLine();
  // The plot of the harmonic sums, beside the runs that print them.
  element("picture").hidden = !programs[name].picture || askingHelp ||
    (name === "floatexplain" && element("float-command").value !== "sum");
  const command = [name, ...args.map(quote)].join(" ");
  const line = stdin.slice(0, -1);
  const echo = /^-|\\/.test(line) ? `printf '%s\\n' ${quote(line)}` : `echo ${quote(line)}`;
  element("command").textContent = "$ " + (stdin ? `${echo} | ${command}` : command);
}

// quote: a word as the shell needs it, in single quotes unless plain.
function quote(word) {
  return /^[\w.,\/=+-]+$/.test(word) ? word : "'" + word.replace(/'/g, "'\\''") + "'";
}

export async function run(event) {
  if (event) event.preventDefault();
  if (running) return;
  const refused = askingHelp ? "" : showRefusals();
  if (refused) {
    setState("done", `not run: ${element("program").value} refuses these options together`);
    element("status").dataset.exit = "";
    return;
  }
  const { name, args, stdin } = commandLine();
  showCommand();  // what runs, even if a field changed without an input event
  remember(true);
  const output = element("output");
  output.replaceChildren();
  element("copy-note").textContent = "";
  showSaved(name, null);
  drawViews({ name, args, stdout: "", status: null }, runPattern);
  setState("running", `${name} is running...`);
  // stdout: the text of standard output as far as the head goes; cut: how
  // many bytes were left out between the head and the tail, once any were.
  const thisRun = { name, args, stdout: "", head: [], sentHead: 0, cut: 0, tailStdout: [], run: null };
  running = thisRun;
  const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
  const tail = document.createElement("span");
  const onOutput = (data) => {
    const { fd, bytes, total } = data;
    if (!fd) return showTail(output, tail, thisRun, data.tail, total);
    thisRun.sentHead += bytes.length;
    const text = decoders[fd].decode(bytes, { stream: true });
    if (fd === 1) {
      thisRun.stdout += text;
      thisRun.head.push(bytes);
    }
    output.append(span(fd, text));
  };
  thisRun.run = startRun(name, args, { stdin: new TextEncoder().encode(stdin), onOutput });
  let last;
  try {
    last = await thisRun.run.finished;
  } catch (error) {
    if (running === thisRun) finish(error.message, "", 0);
    return;
  }
  if (!last || running !== thisRun) return;  // stopped
  const { status, milliseconds, total, saved, whole } = last;
  for (const fd of [1, 2]) {
    const rest = decoders[fd].decode();  // a character cut short at the end
    if (fd === 1) thisRun.stdout += rest;
    if (rest) output.insertBefore(span(fd, rest), output.querySelector(".cut"));
  }
  if (last.tail.length) showTail(output, tail, thisRun, last.tail, total);
  let text = `exit status ${status}`;
  if (thisRun.cut) text += `; ${size(total)} of output, ${size(thisRun.cut)} of it left out of the box`;
  finish(text, status, milliseconds);
  showSaved(name, saved || new Blob([...thisRun.head, ...thisRun.tailStdout]), whole, last.stdoutSize);
  // A picture drawn from a cut output would be wrong: say so instead.
  drawViews({ ...thisRun, status: thisRun.cut ? null : status, cut: thisRun.cut > 0 }, runPattern);
  element("cut-note").textContent = thisRun.cut
    ? "The output is too long to show whole: the box holds its beginning and its end, no picture is drawn from it, and Copy output copies what the box holds." : "";
}

function span(fd, text) {
  const element = document.createElement("span");
  element.className = fd === 1 ? "stdout" : "stderr";
  element.textContent = text;
  return element;
}

// showTail: past the head, a line that says how much is left out and the
// latest output, from its first whole line on, in place of the one before.
function showTail(output, tail, thisRun, chunks, total) {
  const shown = chunks.reduce((sum, chunk) => sum + chunk.bytes.length, 0);
  let skip = 0;
  if (chunks.length) {
    const newline = chunks[0].bytes.indexOf(10);
    skip = newline < 0 ? chunks[0].bytes.length : newline + 1;
  }
  thisRun.cut = total - thisRun.sentHead - shown + skip;
  if (!tail.parentNode) {
    const cut = document.createElement("span");
    cut.className = "cut";
    output.append(cut, tail);
  }
  if (running === thisRun) element("status").textContent = `${thisRun.name} is running... (${size(total)} of output so far)`;
  output.querySelector(".cut").textContent = `\n[... ${size(thisRun.cut)} left out: save the output to see it all ...]\n`;
  thisRun.tailStdout = [];
  tail.replaceChildren(...chunks.map((chunk, n) => {
    const bytes = n === 0 ? chunk.bytes.subarray(skip) : chunk.bytes;
    if (chunk.fd === 1) thisRun.tailStdout.push(bytes);
    return span(chunk.fd, new TextDecoder().decode(bytes));
  }));
}

// size: a count of bytes as a person reads it.
function size(bytes) {
  if (bytes < 1024) return `${bytes} bytes`;
  const [unit, scale] = bytes < 1 << 20 ? ["KB", 1024] : ["MB", 1 << 20];
  return `${(bytes / scale).toFixed(1)} ${unit}`;
}

// showSaved: the run's standard output offered as a file, or nothing.
let savedAddress = null;
function showSaved(name, blob, whole, stdoutSize) {
  const link = element("save-output");
  link.savedBlob = blob;  // what the link saves, also for the page's test
  if (savedAddress) URL.revokeObjectURL(savedAddress);
  savedAddress = blob ? URL.createObjectURL(blob) : null;
  link.hidden = !blob;
  if (!blob) return link.removeAttribute("href");
  link.href = savedAddress;
  link.download = `${name}.txt`;
  link.textContent = whole ? `Save the output (${size(blob.size)})`
    : `Save what was kept (${size(blob.size)} of ${size(stdoutSize)}: too much to keep whole)`;
}

// stop: ends the run at once; the program's next run gets a new worker.
export function stop() {
  if (!running) return;
  const { name, run } = running;
  if (run) run.stop();
  finish("stopped", "", 0);
  prepare(name);  // ready for the next run
}

// isRunning: whether a run is in progress.
export const isRunning = () => running !== null;

function finish(text, exitStatus, milliseconds) {
  running = null;
  const status = element("status");
  status.dataset.exit = exitStatus;
  if (milliseconds) text += ` (${(milliseconds / 1000).toFixed(3)} s)`;
  setState("done", text);
  // The time from opening the page to its first result, for the benchmark.
  if (!document.body.dataset.firstResult)
    document.body.dataset.firstResult = performance.now().toFixed(1);
}

function setState(state, text) {
  const status = element("status");
  status.dataset.state = state;
  status.textContent = text;
  element("run").disabled = state === "running";
  element("stop").disabled = state !== "running";
}

// keepFocus: a control disabled while it has the focus (Stop at the end of
// a run, Next at the end of the steps) hands it to a neighbour that can take
// it, so that the keyboard does not fall back to the top of the page.
function keepFocus() {
  let focused = null;
  document.addEventListener("focusin", (event) => { focused = event.target; });
  new MutationObserver((changes) => {
    for (const { target } of changes) {
      if (target !== focused || !target.disabled) continue;
      if (document.activeElement !== target && document.activeElement !== document.body) continue;
      const neighbour = target.id === "stop" ? element("run") : nearest(target);
      if (neighbour) neighbour.focus();
    }
  }).observe(document.body, { subtree: true, attributes: true, attributeFilter: ["disabled"] });
}

// nearest: the next control of the disabled one's group that can take the
// focus, else the one before it.
function nearest(control) {
  const group = control.closest(".row, fieldset, form, section") || document.body;
  const controls = [...group.querySelectorAll("button, input, select, textarea, a[href]")]
    .filter((other) => !other.disabled && !other.hidden && other.offsetParent !== null);
  const after = controls.find((other) => control.compareDocumentPosition(other) & Node.DOCUMENT_POSITION_FOLLOWING);
  return after || controls.reverse().find((other) => control.compareDocumentPosition(other) & Node.DOCUMENT_POSITION_PRECEDING);
}

// runPattern: floatexplain's value of a bit pattern, as a bit toggle asks.
function runPattern(pattern) {
  element("float-fields").querySelector("[data-operand]").value = pattern;
  edited();
  run();
}

// The address holds what is on the screen (address.js writes and reads it):
// the program, its line, each option ticked or filled in, and whether the
// run shown is the program's --help. A link opens the page on that run.
export function controlsAddress() {
  const name = element("program").value;
  const takes = programs[name].takes;
  const run = { program: name, options: [], operands: [], help: askingHelp };
  if (takes === "stdin" || takes === "calcexplain") run.line = element("line").value;
  if (takes === "n") run.n = element("n").value;
  if (takes === "calcexplain") {
    run.options = optionsSet(element("calcexplain-options"));
    run.tree = treeChosen();
  }
  if (takes === "n") run.options = optionsSet(element("factexplain-options"));
  if (takes === "floatexplain") {
    const fields = element("float-fields");
    run.command = element("float-command").value;
    run.operands = [...fields.querySelectorAll("[data-operand]")].map((input) => [input.dataset.operand, input.value]);
    run.options = optionsSet(fields);
  }
  return writeRun(run);
}

// optionsSet: each option ticked ("") or filled in, as [name, value].
function optionsSet(container) {
  return [...container.querySelectorAll("input[data-option]:not([type=radio])")]
    .filter((input) => (input.type === "checkbox" ? input.checked : input.value.trim() !== ""))
    .map((input) => [input.dataset.option, input.type === "checkbox" ? "" : input.value]);
}

// getOptions: the options' controls as the address's run says.
function getOptions(run, container) {
  for (const input of container.querySelectorAll("input[data-option]:not([type=radio])")) {
    const value = run.option(input.dataset.option);
    if (input.type === "checkbox") input.checked = value !== null;
    else input.value = value === null ? "" : value;
  }
}

// restore: the controls as an address says; false if it names no program
// of the page.
export function restore(address) {
  const run = readRun(address);
  if (!run || !Object.hasOwn(programs, run.program)) return false;
  const name = run.program;
  element("program").value = name;
  if (run.line !== null) element("line").value = run.line;
  if (run.n !== null) element("n").value = run.n;
  getOptions(run, element("calcexplain-options"));
  getOptions(run, element("factexplain-options"));
  const radio = [...document.querySelectorAll("input[name=tree]")].find((input) => input.value === run.tree);
  if (radio) radio.checked = true;
  if (programs[name].takes === "floatexplain" &&
      optionTables.floatexplain.commands.some((command) => command.name === run.command)) {
    element("float-command").value = run.command;
    showFloatCommand();
    const fields = element("float-fields");
    for (const input of fields.querySelectorAll("[data-operand]")) {
      const value = run.operand(input.dataset.operand);
      if (value !== null) input.value = value;
    }
    getOptions(run, fields);
  }
  askingHelp = run.help;
  showProgram();
  return true;
}

// remember: the controls into the address. A run marks its history entry;
// the first change after a run starts a new entry, so that Back returns to
// the run before. A line too long for an address leaves it as it was. The
// listing view, while open, keeps its part of the address.
let heldAddress = () => "";  // while a lesson shows a step, its address
function remember(ran) {
  const address = "#" + withListing(heldAddress() || controlsAddress(), listingState());
  if (address.length > longestAddress) return;
  const entry = { ran };
  if (address === location.hash && history.state && history.state.ran === ran) return;
  if (history.state && history.state.ran && !ran && address !== location.hash) history.pushState(entry, "", address);
  else history.replaceState(entry, "", address);
}

// edited: a control changed; the command and the address follow it.
function edited() {
  askingHelp = false;
  showCommand();
  remember(false);
}

// opened: the page's address (a link, Back or Forward) restored and run.
function opened() {
  if (!restore(location.hash)) return false;
  if (running) stop();
  run();
  return true;
}

// copy: text to the clipboard, and a word on how it went.
function copy(text, what, more = "") {
  const note = element("copy-note");
  navigator.clipboard.writeText(text).then(
    () => { note.textContent = `${what} copied.${more}`; },
    (error) => { note.textContent = `${what} not copied: ${error.message}`; });
}

// startPage: the controls made and wired, and the address's run, if any,
// restored and run. lessonAddress() gives the address of the lesson step
// shown, or "" when the controls' own state is to be kept there.
export function startPage(lessonAddress) {
  heldAddress = lessonAddress;
  element("program").addEventListener("change", showProgram);
  element("float-command").addEventListener("change", showFloatCommand);
  element("controls").addEventListener("input", edited);
  element("controls").addEventListener("change", edited);
  element("controls").addEventListener("submit", (event) => {
    askingHelp = false;  // Run runs what the controls say
    run(event);
  });
  element("stop").addEventListener("click", stop);
  element("help").addEventListener("click", () => {
    askingHelp = true;
    run();
  });
  element("copy-link").addEventListener("click", () => copy(location.href, "The link"));
  element("copy-output").addEventListener("click", () => copy(element("output").textContent,
    "The output", element("output").querySelector(".cut") ? " It is cut: only its beginning and its end." : ""));
  // Wrapping changes how the output looks, never its bytes; on a narrow
  // screen it starts on.
  element("wrap").checked = matchMedia("(max-width: 40rem)").matches;
  element("wrap").addEventListener("change", () => element("output").classList.toggle("wrap", element("wrap").checked));
  element("output").classList.toggle("wrap", element("wrap").checked);
  element("text-size").addEventListener("change", () => {
    document.documentElement.style.fontSize = element("text-size").value + "%";
  });
  window.addEventListener("popstate", opened);
  keepFocus();
  for (const command of optionTables ? optionTables.floatexplain.commands : []) {
    const operands = (floatOperands[command.name] || []).map(([name]) => name).join(" ");
    element("float-command").append(new Option(operands ? `${command.name} ${operands}` : command.name, command.name));
  }
  buildOptions("calcexplain-options", "calcexplain");
  buildOptions("factexplain-options", "factexplain");
  showFloatCommand();
  showProgram();
  if (!opened()) remember(false);
}

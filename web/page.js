// The page: the controls make a program's command line, a worker runs it, and
// its output appears byte for byte as a terminal would show it.
"use strict";

// What each program takes: a line on standard input (a calculator), a line
// and options (calcexplain), a command and options (floatexplain), a number
// (factexplain), or nothing (the reports).
const programs = {
  calcloop: { takes: "stdin", about: "Every operator rule is a loop, so all operators group to the left: 10-3-2 is (10-3)-2." },
  calcminusrec: { takes: "stdin", about: "Subtraction calls itself for its right operand, so it groups to the right: 10-3-2 is 10-(3-2)." },
  calcrec: { takes: "stdin", about: "Sums and products call themselves for their right operand, and there is no subtraction at all." },
  calcexplain: { takes: "calcexplain", companion: true, about: "How calcloop, calcminusrec and calcrec read the line: as each grammar groups it, its value, or where the grammar rejects it and why." },
  precision3: { takes: "nothing", picture: true, about: "Harmonic sums in both orders, ten tenths against 1, and the distributive law, all in single precision." },
  precision2: { takes: "nothing", picture: true, about: "The harmonic sums and the tenths, in single precision." },
  precisionx: { takes: "nothing", picture: true, about: "The same sums, each step evaluated with a 64-bit significand and stored in single precision." },
  floatexplain: { takes: "floatexplain", companion: true, picture: true, about: "Every rounding that precision3, precision2 and precisionx make, step by step and exactly. The default sum adds ten million terms: it takes a moment." },
  prodshow: { takes: "nothing", about: "The factorial of 4, by a recursive function, printed." },
  "prodshow-opt": { takes: "nothing", about: "The same source optimised: the compiler has turned the recursion into a loop, and the line is the same." },
  prodquiet: { takes: "nothing", about: "The factorial of 4, computed and not printed: it is there for a debugger, so it writes nothing." },
  "prodquiet-opt": { takes: "nothing", about: "prodquiet optimised, for the debugger: one frame for the whole loop. It writes nothing." },
  factexplain: { takes: "n", companion: true, about: "fact(N) in the plain build and the optimised one: each call and return, and the product each return makes." },
};

// floatexplain's commands: their operands and options, as its --help lists
// them. An option with a placeholder takes a value and is left out when the
// field is empty.
const floatCommands = {
  sum: {
    operands: [],
    options: [["--from", "L"], ["--to", "H"], ["--decreasing"], ["--extended"],
              ["--every", "N"], ["--summary"], ["--data"], ["--wide"]],
  },
  tenths: { operands: [], options: [["--extended"], ["--wide"]] },
  distributive: { operands: [], options: [["--wide"]] },
  value: { operands: [["X...", "0.1 1/3 16777217"]], options: [["--extended"]] },
  op: { operands: [["A", "0.1"], ["OP", "*", ["+", "-", "*", "/"]], ["B", "10"]], options: [["--extended"]] },
};

const element = (id) => document.getElementById(id);
const runners = {};  // a worker per program (a promise of it), made when picked
let running = null;  // the run in progress: its worker and program
let askingHelp = false;  // the run shown is the program's --help

// showProgram: the controls of the program picked, and nothing else.
function showProgram() {
  const program = programs[element("program").value];
  element("about").textContent = program.about;
  element("line-field").hidden = !["stdin", "calcexplain"].includes(program.takes);
  element("calcexplain-options").hidden = program.takes !== "calcexplain";
  element("floatexplain-options").hidden = program.takes !== "floatexplain";
  element("n-field").hidden = program.takes !== "n";
  element("help").hidden = !program.companion;
  showCommand();
  // The worker is made now, while the student types: a run starts at once.
  runner(element("program").value).catch(() => {});
}

// showFloatCommand: one field per operand and per option of the command.
function showFloatCommand() {
  const command = floatCommands[element("float-command").value];
  const fields = element("float-fields");
  fields.replaceChildren();
  for (const [name, example, choices] of command.operands) {
    fields.append(choices ? choice(name, example, choices)
                          : field(name, { type: "text", value: example, dataset: { operand: name } }));
  }
  for (const [option, placeholder] of command.options) {
    fields.append(placeholder
      ? field(option, { type: "text", placeholder: placeholder, dataset: { option: option } })
      : field(option, { type: "checkbox", dataset: { option: option } }));
  }
  showCommand();
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
      const options = checkedOptions(element("calcexplain-options"));
      const tree = document.querySelector("input[name=tree]:checked").value;
      if (tree) options.push(tree);
      // A line that begins with '-' would be read as an option.
      if (line.startsWith("-")) options.push("--");
      return { name, args: [...options, line], stdin: "" };
    }
    case "floatexplain": {
      const fields = element("float-fields");
      const operands = [...fields.querySelectorAll("[data-operand]")].flatMap((input) =>
        input.dataset.operand.endsWith("...") ? input.value.split(/\s+/).filter(Boolean) : [input.value]);
      const options = [...fields.querySelectorAll("input[type=text][data-option]")]
        .filter((input) => input.value.trim() !== "")
        .flatMap((input) => [input.dataset.option, input.value.trim()]);
      return { name, args: [element("float-command").value, ...operands, ...options,
                            ...checkedOptions(fields)], stdin: "" };
    }
    case "n": {
      const n = element("n").value.trim();
      return { name, args: n ? [n] : [], stdin: "" };
    }
    default:
      return { name, args: [], stdin: "" };
  }
}

function checkedOptions(container) {
  return [...container.querySelectorAll("input[type=checkbox]:checked")].map((box) => box.dataset.option);
}

// showCommand: the same run typed in a terminal. Some shells' echo reads
// backslashes and a leading '-' as its own; printf gives any line as it is.
function showCommand() {
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

// load: the program's module as text, from the script that the build wraps
// it in (a page opened from a file:// address may load scripts, not fetch).
function load(name) {
  if (webTexts[name]) return Promise.resolve(webTexts[name]);
  return new Promise((resolve, reject) => {
    const script = document.createElement("script");
    script.src = `programs/${name}.js`;
    script.onload = () => resolve(webTexts[name]);
    script.onerror = () => reject(new Error(`cannot load programs/${name}.js`));
    document.head.append(script);
  });
}

// runner: the program's worker, made from the texts of the host, the module
// and worker.js; it stays for the program's next runs, each a fresh instance.
function runner(name) {
  runners[name] = runners[name] || load(name).then((text) => {
    const blob = new Blob([webTexts.host, "\n", text, "\n", webTexts.worker], { type: "text/javascript" });
    return new Worker(URL.createObjectURL(blob));
  });
  return runners[name];
}

async function run(event) {
  if (event) event.preventDefault();
  if (running) return;
  const { name, args, stdin } = commandLine();
  showCommand();  // what runs, even if a field changed without an input event
  remember(true);
  const output = element("output");
  output.replaceChildren();
  element("copy-note").textContent = "";
  drawViews({ name, args, stdout: "", status: null }, runPattern);
  setState("running", `${name} is running...`);
  const thisRun = { name, args, stdout: "" };
  running = thisRun;
  try {
    const worker = await runner(name);
    if (running !== thisRun) return;  // stopped while the program loaded
    const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
    const show = (fd, text) => {
      const span = document.createElement("span");
      span.className = fd === 1 ? "stdout" : "stderr";
      span.textContent = text;
      output.append(span);
    };
    worker.onmessage = (message) => {
      const { fd, bytes, status, milliseconds } = message.data;
      if (fd) {
        const text = decoders[fd].decode(bytes, { stream: true });
        if (fd === 1) thisRun.stdout += text;
        show(fd, text);
        return;
      }
      for (const fd of [1, 2]) {
        const rest = decoders[fd].decode();  // a character cut short at the end
        if (fd === 1) thisRun.stdout += rest;
        if (rest) show(fd, rest);
      }
      finish(`exit status ${status}`, status, milliseconds);
      drawViews({ ...thisRun, status }, runPattern);
    };
    worker.onerror = (error) => {
      error.preventDefault();
      forget(name);
      finish(`${name} could not run: ${error.message}`, "", 0);
    };
    worker.postMessage({ name, args, stdin: new TextEncoder().encode(stdin) });
  } catch (error) {
    forget(name);
    finish(error.message, "", 0);
  }
}

// stop: ends the run at once; the program's next run gets a new worker.
function stop() {
  if (!running) return;
  forget(running.name);
  finish("stopped", "", 0);
}

function forget(name) {
  if (runners[name]) runners[name].then((worker) => worker.terminate(), () => {});
  delete runners[name];
}

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

// runPattern: floatexplain's value of a bit pattern, as a bit toggle asks.
function runPattern(pattern) {
  element("float-fields").querySelector("[data-operand]").value = pattern;
  edited();
  run();
}

// The address holds what is on the screen, as search parameters after '#':
// the program, its line, each option ticked or filled in, and whether the
// run shown is the program's --help. A link opens the page on that run.
function controlsState() {
  const name = element("program").value;
  const state = new URLSearchParams({ run: name });
  const takes = programs[name].takes;
  if (takes === "stdin" || takes === "calcexplain") state.set("line", element("line").value);
  if (takes === "n") state.set("n", element("n").value);
  if (takes === "calcexplain") {
    for (const option of checkedOptions(element("calcexplain-options"))) state.set(option.slice(2), "");
    const tree = document.querySelector("input[name=tree]:checked").value;
    if (tree) state.set("tree", tree.slice(2));
  }
  if (takes === "floatexplain") {
    const fields = element("float-fields");
    state.set("command", element("float-command").value);
    for (const input of fields.querySelectorAll("[data-operand]"))
      state.set(input.dataset.operand.replace("...", ""), input.value);
    for (const input of fields.querySelectorAll("input[data-option]")) {
      if (input.type === "checkbox" ? input.checked : input.value.trim() !== "")
        state.set(input.dataset.option.slice(2), input.type === "checkbox" ? "" : input.value);
    }
  }
  if (askingHelp) state.set("help", "");
  return state;
}

// restore: the controls as an address's state says; false if it names no
// program of the page.
function restore(state) {
  const name = state.get("run");
  if (!Object.hasOwn(programs, name)) return false;
  element("program").value = name;
  if (state.has("line")) element("line").value = state.get("line");
  if (state.has("n")) element("n").value = state.get("n");
  for (const box of element("calcexplain-options").querySelectorAll("input[type=checkbox]"))
    box.checked = state.has(box.dataset.option.slice(2));
  const tree = state.has("tree") ? "--" + state.get("tree") : "";
  const radio = [...document.querySelectorAll("input[name=tree]")].find((input) => input.value === tree);
  if (radio) radio.checked = true;
  if (programs[name].takes === "floatexplain" && Object.hasOwn(floatCommands, state.get("command"))) {
    element("float-command").value = state.get("command");
    showFloatCommand();
    const fields = element("float-fields");
    for (const input of fields.querySelectorAll("[data-operand]")) {
      const value = state.get(input.dataset.operand.replace("...", ""));
      if (value !== null) input.value = value;
    }
    for (const input of fields.querySelectorAll("input[data-option]")) {
      const value = state.get(input.dataset.option.slice(2));
      if (input.type === "checkbox") input.checked = value !== null;
      else input.value = value === null ? "" : value;
    }
  }
  askingHelp = state.has("help");
  showProgram();
  return true;
}

// remember: the controls into the address. A run marks its history entry;
// the first change after a run starts a new entry, so that Back returns to
// the run before. A line too long for an address leaves it as it was.
const longestAddress = 8000;
function remember(ran) {
  // While a lesson shows a step, the address is the lesson's (lessons.js).
  const lesson = typeof lessonAddress === "function" ? lessonAddress() : "";
  const address = "#" + (lesson || controlsState().toString());
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
  const state = new URLSearchParams(location.hash.slice(1));
  if (!state.has("run") || !restore(state)) return false;
  if (running) stop();
  run();
  return true;
}

// copy: text to the clipboard, and a word on how it went.
function copy(text, what) {
  const note = element("copy-note");
  navigator.clipboard.writeText(text).then(
    () => { note.textContent = `${what} copied.`; },
    (error) => { note.textContent = `${what} not copied: ${error.message}`; });
}

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
element("copy-output").addEventListener("click", () => copy(element("output").textContent, "The output"));
element("full-size").addEventListener("change", () =>
  element("tree-picture").classList.toggle("full", element("full-size").checked));
element("dot-text").addEventListener("click", () =>
  showDotText(element("dot-text").getAttribute("aria-expanded") !== "true"));
// Wrapping changes how the output looks, never its bytes; on a narrow
// screen it starts on.
element("wrap").checked = matchMedia("(max-width: 40rem)").matches;
element("wrap").addEventListener("change", () => element("output").classList.toggle("wrap", element("wrap").checked));
element("output").classList.toggle("wrap", element("wrap").checked);
element("text-size").addEventListener("change", () => {
  document.documentElement.style.fontSize = element("text-size").value + "%";
});
window.addEventListener("popstate", opened);
showFloatCommand();
showProgram();
if (!opened()) remember(false);

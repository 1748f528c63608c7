// Writes the page's option tables from the companions themselves, so that the
// page offers what each one takes and nothing it refuses:
//
// node read-options.js OUTPUT TOOL=SOURCE_DIR=MODULE...
//
// From the sources (every .cpp and .h in SOURCE_DIR): each getopt table,
// `option NAME[] = {{"steps", no_argument, ...}, ...}`, with the kind of
// value each option takes, and, where a table of commands names the option
// tables ({"sum", sumCommand, sumOptions}), which command has which. From
// the help text: the placeholder of a value (--from L). From the program
// built (MODULE, run under Node as the page runs it): what it refuses, in its
// own words: an option's values (--tree=?), pairs of options, an option with
// an operand. OUTPUT sets `optionTables`, read by page.js.
"use strict";
const fs = require("fs");
const path = require("path");
const { Worker } = require("worker_threads");

// A refusal comes at once, before any work; a run still going after this
// long, from the moment its instance is made, has been accepted.
const acceptedAfterMilliseconds = 1000;
const probesAtOnce = 3;
// What a probe gives a value option, and the operand of a tool without
// commands (calcexplain's LINE, factexplain's N).
const probeValue = "1";
const probeOperand = "1";

// readSources: the text of the folder's sources, in a stable order.
function readSources(dir) {
  return fs.readdirSync(dir).filter((name) => /\.(cpp|h)$/.test(name)).sort()
    .map((name) => fs.readFileSync(path.join(dir, name), "utf8")).join("\n");
}

const kinds = { no_argument: "none", required_argument: "required", optional_argument: "optional" };

// namedOptions: {constantName: {name, value}} of the options defined once
// and named in several tables (`constexpr option jsonOption = {"json", ...}`).
function namedOptions(text) {
  const named = {};
  const pattern = /\boption\s+(\w+)\s*=\s*\{\s*"([\w-]+)"\s*,\s*(no_argument|required_argument|optional_argument)\b/g;
  for (const match of text.matchAll(pattern)) named[match[1]] = { name: "--" + match[2], value: kinds[match[3]] };
  return named;
}

// tablesOf: {tableName: [{name, value}]} of every getopt table with options
// of its own, written out or named (help and version, defined elsewhere,
// are answered alike everywhere).
function tablesOf(text) {
  const named = namedOptions(text);
  const tables = {};
  const start = /\boption\s+(\w+)\s*\[\s*\]\s*=\s*\{/g;
  for (let match; (match = start.exec(text));) {
    let depth = 1;
    let at = start.lastIndex;
    while (depth > 0 && at < text.length) depth += { "{": 1, "}": -1 }[text[at++]] || 0;
    const body = text.slice(start.lastIndex, at);
    const entries = [...body.matchAll(/\{\s*"([\w-]+)"\s*,\s*(no_argument|required_argument|optional_argument)\b|\b(\w+)\b/g)]
      .map((entry) => (entry[1] ? { name: "--" + entry[1], value: kinds[entry[2]] }
                                : Object.hasOwn(named, entry[3]) && { ...named[entry[3]] }))
      .filter(Boolean);
    if (entries.length) tables[match[1]] = entries;
  }
  return tables;
}

// commandsOf: [{name, options}] as a table of commands names the option
// tables ({"sum", sumCommand, sumOptions, ...}), in its order; one nameless
// command where there is none.
function commandsOf(text, tables) {
  const commands = [...text.matchAll(/\{\s*"([\w-]+)"\s*,\s*\w+\s*,\s*(\w+)\s*[,}]/g)]
    .filter((entry) => Object.hasOwn(tables, entry[2]))
    .map((entry) => ({ name: entry[1], options: tables[entry[2]] }));
  if (commands.length) return commands;
  const all = [];
  for (const options of Object.values(tables))
    for (const option of options) if (!all.some((other) => other.name === option.name)) all.push(option);
  return [{ name: "", options: all }];
}

// placeholder: the word the help text puts after a value option (--to H).
function placeholder(text, name) {
  const found = text.match(new RegExp(`${name}[ =]\\[?([A-Z][A-Z_]*)\\b`));
  return found ? found[1] : "VALUE";
}

// probe: the program's answer to the arguments: {status, stderr}, status
// null if it was still running (accepted).
function probe(module, tool, args, limit = acceptedAfterMilliseconds) {
  return new Promise((resolve) => {
    const worker = new Worker(`
      const { parentPort, workerData } = require("worker_threads");
      const host = require(workerData.host);
      const factory = require(workerData.module);
      const errors = [], output = [];
      const status = host.run((options) => {
        const instance = factory(options);
        parentPort.postMessage({ started: true });
        return instance;
      }, { programName: workerData.tool, arguments: workerData.args, stdin: new Uint8Array(0),
           stdout: (bytes) => output.push(Buffer.from(bytes)), stderr: (bytes) => errors.push(Buffer.from(bytes)) });
      parentPort.postMessage({ status, stdout: Buffer.concat(output).toString(),
                               stderr: Buffer.concat(errors).toString() });`,
    { eval: true, workerData: { host: path.join(__dirname, "host.js"), module, tool, args } });
    let timer = null;
    const done = (answer) => {
      clearTimeout(timer);
      worker.terminate();
      resolve(answer);
    };
    worker.on("message", (message) => {
      if (message.started) {
        // A program that copies itself (calcexplain) starts more instances.
        if (!timer && limit < Infinity) timer = setTimeout(() => done({ status: null, stderr: "" }), limit);
      } else {
        done(message);
      }
    });
    worker.on("error", (error) => done({ status: null, stderr: String(error) }));
  });
}

// inTurn: the probes, a few at a time; their answers in order.
async function inTurn(jobs) {
  const answers = [];
  let next = 0;
  const lane = async () => {
    while (next < jobs.length) {
      const n = next++;
      answers[n] = await jobs[n]();
    }
  };
  await Promise.all(Array.from({ length: probesAtOnce }, lane));
  return answers;
}

// reason: a refusal's first line, without the program's name.
function reason(tool, stderr) {
  return stderr.split("\n")[0].replace(new RegExp(`^${tool}: `), "");
}

const words = (option) => (option.value === "required" ? [option.name, probeValue] : [option.name]);

async function readTool(tool, dir, module) {
  const text = readSources(dir);
  const commands = commandsOf(text, tablesOf(text));
  for (const command of commands) {
    const head = command.name ? [command.name] : [];
    const run = (args, limit) => () => probe(module, tool, [...head, ...args], limit);
    for (const option of command.options) {
      if (option.value === "required") option.placeholder = placeholder(text, option.name);
      if (option.value === "optional") {
        // An argument that names no value, so that the program lists them;
        // the one the option means without a value gives the same output.
        const [bad] = await inTurn([run([option.name + "=?", probeOperand])]);
        const valid = (bad.stderr.match(/^Valid arguments are (.*)\.$/m) || ["", ""])[1];
        const values = [...valid.matchAll(/'([^']*)'/g)].map((value) => value[1]);
        const outputs = await inTurn([option.name, ...values.map((value) => option.name + "=" + value)]
          .map((word) => run([word, probeOperand], Infinity)));
        option.values = values.filter((_, n) => outputs[n + 1].stdout !== outputs[0].stdout);
        option.plain = values.find((_, n) => outputs[n + 1].stdout === outputs[0].stdout) || null;
      }
    }
    command.refused = [];
    command.noOperand = [];
    if (command.options.length < 2 && command.name) continue;
    // Alone, each option: one refused by itself refuses the probe's value,
    // not another option, and is left out of the pairs.
    const alone = await inTurn(command.options.map((option) => run(words(option))));
    const free = command.options.filter((_, n) => alone[n].status !== 2);
    const pairs = free.flatMap((a, n) => free.slice(n + 1).map((b) => [a, b]));
    const answers = await inTurn(pairs.map(([a, b]) => run([...words(a), ...words(b)])));
    pairs.forEach(([a, b], n) => {
      if (answers[n].status === 2)
        command.refused.push({ options: [a.name, b.name], message: reason(tool, answers[n].stderr) });
    });
    if (!command.name) {
      const withOperand = await inTurn(free.map((option) => run([...words(option), probeOperand])));
      free.forEach((option, n) => {
        if (withOperand[n].status === 2)
          command.noOperand.push({ option: option.name, message: reason(tool, withOperand[n].stderr) });
      });
    }
  }
  return { commands };
}

async function main() {
  const [output, ...tools] = process.argv.slice(2);
  if (!output || tools.length === 0 || !tools.every((tool) => tool.split("=").length === 3)) {
    process.stderr.write("usage: node read-options.js OUTPUT TOOL=SOURCE_DIR=MODULE...\n");
    process.exit(2);
  }
  const tables = {};
  for (const named of tools) {
    const [tool, dir, module] = named.split("=");
    tables[tool] = await readTool(tool, dir, path.resolve(module));
    if (!tables[tool].commands.some((command) => command.options.length))
      throw new Error(`no option table found in ${dir}'s sources for ${tool}`);
  }
  fs.writeFileSync(output, "// Generated by read-options.js from the companions' sources and their own\n" +
    "// answers: do not edit.\nvar optionTables = " + JSON.stringify(tables, null, 1) + ";\n");
}

if (require.main === module) {
  main().catch((error) => {
    process.stderr.write(`read-options.js: ${error.stack || error}\n`);
    process.exit(1);
  });
}
module.exports = { readSources, tablesOf, commandsOf, placeholder };

// The page's options.js against the companions' own tables: each one run
// under Node with --options-json, as the page would run it, and options.js
// read as the page reads it (the global optionTables). Node only, no
// browser.
//
// node options_export.js OPTIONS_JS HOST_JS TOOL=MODULE...
"use strict";
const fs = require("fs");
const path = require("path");
const vm = require("vm");

const [optionsJs, hostJs, ...tools] = process.argv.slice(2);
const host = require(path.resolve(hostJs));
const context = {};
vm.runInNewContext(fs.readFileSync(optionsJs, "utf8"), context);
const pageTables = context.optionTables;

let failed = 0;
function check(label, ok, detail = "") {
  console.log(`${ok ? "ok  " : "FAIL"} ${label}${ok || !detail ? "" : "\n     " + detail}`);
  if (!ok) failed++;
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
const sorted = (list) => list.map((item) => JSON.stringify(item)).sort();

for (const named of tools) {
  const [tool, module] = named.split("=");
  const output = [];
  const status = host.run(require(path.resolve(module)), {
    programName: tool, arguments: ["--options-json"], stdin: new Uint8Array(0),
    stdout: (bytes) => output.push(Buffer.from(bytes)), stderr: () => {},
  });
  check(`${tool} --options-json: status 0`, status === 0);
  const exported = JSON.parse(Buffer.concat(output).toString());
  const page = pageTables[tool];
  check(`${tool}: the same commands`, same(page.commands.map((c) => c.name), exported.commands.map((c) => c.name)));
  for (const command of exported.commands) {
    const shown = page.commands.find((c) => c.name === command.name);
    if (!shown) continue;
    const label = `${tool} ${command.name || "(no command)"}`;
    check(`${label}: the same options, in order`,
      same(shown.options.map((o) => [o.name, o.value]), command.options.map((o) => [o.name, o.value])));
    for (const option of command.options) {
      const mine = shown.options.find((o) => o.name === option.name) || {};
      if (option.value === "required")
        check(`${label} ${option.name}: placeholder`, mine.placeholder === option.placeholder, mine.placeholder);
      if (option.value === "optional")
        check(`${label} ${option.name}: its values, the bare one apart`,
          mine.plain === option.bare && same([...mine.values, mine.plain].sort(), [...option.values].sort()));
    }
    // Every pair refused whatever the values, and every option refused
    // beside an operand, with the tool's message: no more, no fewer.
    const rules = exported.refusals.filter((rule) => rule.commands.includes(command.name));
    check(`${label}: the refused pairs`, same(sorted(shown.refused), sorted(rules
      .filter((rule) => rule.when === "with" && rule.value === null)
      .map((rule) => ({ options: [rule.option, rule.other], message: rule.message })))));
    check(`${label}: the options refused with an operand`, same(sorted(shown.noOperand), sorted(rules
      .filter((rule) => rule.when === "operand").map((rule) => ({ option: rule.option, message: rule.message })))));
  }
}
console.log(failed ? `${failed} failed` : "all passed");
process.exit(failed ? 1 : 0);

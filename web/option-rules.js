// The companions' options as their tables give them (options.js, made at
// build time from the tools themselves): a tool's command, or the tool
// itself, has options {name, value: "none" | "required" | "optional",
// placeholder, values}, the pairs it refuses and the options it refuses
// beside an operand, each with the tool's own reason.

// optionsOf: a command's table; --json is left out, as the page runs it
// itself for the pictures.
export function optionsOf(tables, tool, command = "") {
  const table = tables && tables[tool];
  const found = (table && table.commands.find((entry) => entry.name === command)) ||
    { name: command, options: [], refused: [], noOperand: [] };
  return { ...found, options: found.options.filter((option) => option.name !== "--json") };
}

// refusal: why the tool would refuse these options together, or "".
export function refusal(table, chosen) {
  const found = table.refused.find((pair) => pair.options.every((option) => chosen.includes(option)));
  return found ? found.message : "";
}

// operandRefusal: why the tool takes no operand with these options, or "".
export function operandRefusal(table, chosen) {
  const found = table.noOperand.find((rule) => chosen.includes(rule.option));
  return found ? found.message : "";
}

// sentence: a reason as the page writes it under the controls.
export function sentence(why) {
  return why.charAt(0).toUpperCase() + why.slice(1) + ".";
}

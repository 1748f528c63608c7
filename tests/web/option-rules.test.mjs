// Option conflicts, from the tools' tables as options.js gives them.
import { test } from "node:test";
import assert from "node:assert/strict";
import { optionsOf, refusal, operandRefusal, sentence } from "../../web/option-rules.js";

const tables = {
  calcexplain: { commands: [{ name: "", options: [{ name: "--steps" }, { name: "--json" }, { name: "--dot" }, { name: "--trace" }],
    refused: [{ options: ["--dot", "--steps"], message: "--dot draws the trees and nothing else, not --steps" },
              { options: ["--dot", "--trace"], message: "--dot draws the trees and nothing else, not --trace" }],
    noOperand: [] }] },
  factexplain: { commands: [{ name: "", options: [{ name: "--code" }], refused: [],
    noOperand: [{ option: "--code", message: "--code prints the listing and takes no N" }] }] },
};

test("a command's options, --json left out", () => {
  assert.deepEqual(optionsOf(tables, "calcexplain").options.map((option) => option.name), ["--steps", "--dot", "--trace"]);
  for (const [tool, command] of [["nothing", ""], ["calcexplain", "value"], [undefined, ""]])
    assert.deepEqual(optionsOf(tables, tool, command).options, [], `${tool} ${command}`);
  assert.deepEqual(optionsOf(undefined, "calcexplain").refused, []);
});

test("the pairs a tool refuses, in any order, among other options", () => {
  const table = optionsOf(tables, "calcexplain");
  const cases = [[[], ""], [["--dot"], ""], [["--steps", "--trace"], ""],
                 [["--steps", "--dot"], "--dot draws the trees and nothing else, not --steps"],
                 [["--dot", "--steps"], "--dot draws the trees and nothing else, not --steps"],
                 [["--trace", "--json", "--dot"], "--dot draws the trees and nothing else, not --trace"]];
  for (const [chosen, why] of cases) assert.equal(refusal(table, chosen), why, chosen.join(" "));
});

test("an option that takes no operand", () => {
  const table = optionsOf(tables, "factexplain");
  assert.equal(operandRefusal(table, ["--code"]), "--code prints the listing and takes no N");
  assert.equal(operandRefusal(table, []), "");
  assert.equal(operandRefusal(optionsOf(tables, "calcexplain"), ["--code"]), "");
  assert.equal(sentence("--dot draws, not --steps"), "--dot draws, not --steps.");
});

"""calcexplain --json: the document validates against its schema, says what
the text says of the same lines (verdict, value, column, message, grouping),
stays bounded on a line too deep for the trace, and, for 10-3-2, holds what
each grammar does by hand: calcloop's trees and steps group to the left,
calcminusrec's to the right, and calcrec stops at the first '-'."""

import json
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.dirname(__file__))
import blackbox  # noqa: E402
from explain import LABEL, PROGRAMS, summary  # noqa: E402
import jsonschema  # noqa: E402

# Under a 1 MiB stack no grammar's guard lets 25,000 levels through (about
# 16,000 natively), nor in WebAssembly (about 1,000).
DEEP = "(" * 25_000 + "1" + ")" * 25_000
LINES = ["10-3-2", "(1+2", "2147483648+1", "", DEEP]


def number(digits, value=None, wrapped=False):
    node = {"number": digits, "value": int(digits) if value is None else value}
    return {**node, "wrapped": True} if wrapped else node


def op(symbol, value, left, right):
    return {"op": symbol, "value": value, "left": left, "right": right}


# 10-3-2 by hand. calcloop's minus loops: 10-3 = 7 first, then 7-2 = 5.
# calcminusrec's minus calls itself for the right operand: 3-2 = 1, then
# 10-1 = 9. calcrec reads the number 10, then its command needs the newline
# and finds '-' at column 3: a parse error, only 10 complete.
BY_HAND = {
    "calcloop": {"verdict": "value", "value": 5, "grouping": "((10-3)-2)",
                 "tree": op("-", 5, op("-", 7, number("10"), number("3")), number("2")), "subtrees": [],
                 "steps": [("-", 10, 3, 7), ("-", 7, 2, 5)]},
    "calcminusrec": {"verdict": "value", "value": 9, "grouping": "(10-(3-2))",
                     "tree": op("-", 9, number("10"), op("-", 1, number("3"), number("2"))), "subtrees": [],
                     "steps": [("-", 3, 2, 1), ("-", 10, 1, 9)]},
    "calcrec": {"verdict": "parse error", "column": 3, "message": "command expected the end of the line, found '-'",
                "grouping": "10", "tree": None, "subtrees": [number("10")], "steps": []},
}


def text_facts(block):
    """Each grammar's facts as the text shows them: (verdict, value or column,
    the summary after the label, the line under the caret or None)."""
    lines = block.split("\n")
    facts = {}
    for i, line in enumerate(lines):
        for program in PROGRAMS:
            if not line.startswith(LABEL[program]):
                continue
            text = line[len(LABEL[program]):]
            for more in lines[i + 1:]:  # a long grouping goes on under its start
                if not re.match(r" {14}[^ ]", more):
                    break
                text += "\n" + more
            error = re.fullmatch(r"parse error at column ([0-9]+)(: expression nested too deeply)?", text)
            if error:
                verdict = "too deep" if error.group(2) else "parse error"
                message = None if error.group(2) else lines[i + 3].strip()
                facts[program] = (verdict, int(error.group(1)), text, message)
            else:
                facts[program] = ("value", int(text.rsplit("= ", 1)[1]), text, None)
    return facts


def check_against_text(tally, line, explained, block):
    label = f"--json {line[:20]!r}"
    facts = text_facts(block)
    tally.check(f"{label}: the line as given", explained["line"] == line)
    tally.check(f"{label}: agree exactly when the text does not say they disagree",
                explained["agree"] == ("The grammars disagree:" not in block), block[-300:])
    for program, grammar in zip(PROGRAMS, explained["grammars"]):
        verdict, number_, text, message = facts.get(program, (None, None, None, None))
        got = grammar["verdict"], grammar.get("value", grammar.get("column"))
        tally.check(f"{label} {program}: the text's verdict", got == (verdict, number_), f"{got} text {text!r}")
        if verdict == "value":
            shown = "..." if grammar["grouping"] == "..." else summary(grammar["grouping"], grammar["value"])
            tally.check(f"{label} {program}: the text's grouping", text in (shown, f"{shown} = {number_}"),
                        f"{grammar['grouping'][:80]!r} text {text!r}")
        tally.check(f"{label} {program}: the text's message", grammar.get("message") == message,
                    f"{grammar.get('message')!r} text {message!r}")
        events = grammar["events"]
        tally.check(f"{label} {program}: the trace bounded, and said to be when cut",
                    len(events) <= 10000 and (grammar["traceComplete"] or "traceNote" in grammar))


def check_by_hand(tally, explained):
    for program, grammar in zip(PROGRAMS, explained["grammars"]):
        want = BY_HAND[program]
        for key in ("verdict", "value", "column", "message", "grouping", "tree", "subtrees"):
            tally.check(f"10-3-2 {program}: {key} as worked by hand", grammar.get(key) == want.get(key),
                        f"{grammar.get(key)!r}, want {want.get(key)!r}")
        steps = [(e["op"], e["left"], e["right"], e["result"]) for e in grammar["events"] if e["event"] == "compute"]
        tally.check(f"10-3-2 {program}: the steps in order", steps == want["steps"], f"{steps}")
        last = grammar["events"][-1]
        ended = ("error", "command", 3) if want["verdict"] != "value" else ("return", "command", 7)
        tally.check(f"10-3-2 {program}: the trace ends where the line does",
                    (last["event"], last["rule"], last["column"]) == ended and grammar["traceComplete"], f"{last}")


def main():
    def options(parser):
        parser.add_argument("--schema", required=True, help="docs/schemas/calcexplain.schema.json")
        parser.add_argument("--engine-stack", action="store_true", help="stack limits do not reach the programs")
    args = blackbox.arguments(options)
    tally = blackbox.Tally()
    sys.setrecursionlimit(20000)  # a tree of 300 nodes may nest 150 levels deep, twice that in JSON
    with open(args.schema) as schema_file:
        validator = jsonschema.Draft202012Validator(json.load(schema_file))
    limit = None if args.engine_stack else 1 << 20

    def explain(arguments):
        stdin = "".join(line + "\n" for line in LINES).encode()
        return blackbox.run(args.bin, "calcexplain", stdin, arguments=arguments, stack_limit=limit, timeout=300,
                            hold_input_open=False)

    text, got = explain([]), explain(["--json"])
    tally.check("--json: status 0, nothing on standard error, as the text's", got.status == text.status == 0
                and got.stderr == b"", f"{got.status} {text.status} {got.stderr[:300]!r}")
    document = json.loads(got.stdout)
    errors = [f"{'/'.join(map(str, e.absolute_path))}: {e.message[:200]}" for e in validator.iter_errors(document)]
    tally.check("--json: valid against the schema", not errors, "\n".join(errors[:5]))
    blocks = text.stdout.decode("utf-8", "replace").split("\n\n")
    tally.check("--json: one entry per line", len(document["lines"]) == len(LINES) == len(blocks))
    for line, explained, block in zip(LINES, document["lines"], blocks):
        check_against_text(tally, line, explained, block)
    check_by_hand(tally, document["lines"][0])
    deep = document["lines"][-1]["grammars"]
    tally.check("a line too deep: every grammar's guard, the trace said to stop short",
                all(g["verdict"] == "too deep" and not g["traceComplete"] for g in deep), f"{deep}"[:500])

    # Under a 64 KiB stack the trace stops within a few hundred levels, and
    # its trees, so deep, were once written with more stack than there was.
    if args.engine_stack:
        blackbox.not_run("--json under a 64 KiB stack", "ulimit -s does not reach the engine's stack")
    else:
        small = blackbox.run(args.bin, "calcexplain", (DEEP + "\n").encode(), arguments=["--json"],
                             stack_limit=64 << 10, timeout=300, hold_input_open=False)
        deep = json.loads(small.stdout or b"{}").get("lines", [{}])[0].get("grammars", [])
        tally.check("--json under a 64 KiB stack: a valid document, every guard met",
                    small.status == 0 and not list(validator.iter_errors(json.loads(small.stdout)))
                    and [g["verdict"] for g in deep] == ["too deep"] * 3,
                    f"{small.status} {small.stderr[-300:]!r}")

    # The document holds every view: another view with it is refused.
    for other in ["--steps", "--trace", "--tree=rules", "--dot"]:
        refused = blackbox.run(args.bin, "calcexplain", arguments=["--json", other, "7"])
        tally.check(f"--json {other}: a usage error", refused.status == 2 and refused.stdout == b"" and
                    refused.stderr.startswith(b"calcexplain: --json holds the whole explanation already: not with --"),
                    f"{refused}")
    tally.finish()


if __name__ == "__main__":
    main()

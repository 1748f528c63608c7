"""The companions' shared option reader: the same GNU rules and the same
words in calcexplain and floatexplain.

Each row: the program, its arguments, and either the message it must give
(status 2, then the "Try" line) or None where the arguments must be taken
(status 0, nothing on standard error). Every message fits in 80 columns.

Then each companion's table as --options-json exports it: valid under its
schema, the same options as --help lists, and every refusal it states said
in every command it names, before any output; a pair refused in one command
is refused in every command that takes both options."""

import json
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import blackbox  # noqa: E402

CASES = [
    # A prefix that names one option is that option; one that names two is
    # refused with both; a value given to an option that takes none.
    ("calcexplain", ["--tra", "7"], None),
    ("calcexplain", ["--t", "7"], "option '--t' is ambiguous; possibilities: '--trace' '--tree'"),
    ("calcexplain", ["--steps=1", "7"], "option '--steps' takes no argument"),
    ("calcexplain", ["--help=x", "1+2"], "option '--help' takes no argument"),
    ("calcexplain", ["--dot", "--steps", "7"], "--dot draws the trees and nothing else, not --steps"),
    ("calcexplain", ["7", "1\n+x"], "a LINE that holds a newline: '1<U+000A>+x'\n"
                                    "Give each line as a LINE of its own."),
    ("calcexplain", ["--tree=\x1b", "7"], "invalid argument '<U+001B>' for '--tree'\n"
                                         "Valid arguments are 'expr' and 'rules'."),
    ("floatexplain", ["value", "--ext", "0.1"], None),
    ("floatexplain", ["value", "--extended=1", "0.1"], "option '--extended' takes no argument"),
    ("floatexplain", ["value", "--", "0.1"], None),
    ("floatexplain", ["op", "--", "-1", "/", "2"], None),
    ("floatexplain", ["op", "-0.5", "--ext", "*", "-2"], None),
    ("floatexplain", ["value", "--wi", "1"], "unrecognized option '--wi'\n"
                                             "--wide is an option of sum, tenths and distributive, not of value."),
    ("floatexplain", ["sum", "--e"], "option '--e' is ambiguous; possibilities: '--every' '--extended'"),
    # What the user typed is quoted, a control code by its name, never sent
    # to the terminal as it is.
    ("floatexplain", ["value", "\x1b[2J"], "not a decimal, p/q, 0x3dcccccd, inf or nan: '<U+001B>[2J'"),
    # Bytes that look like UTF-8 but are none, each byte by its code: an
    # overlong '/', a surrogate (U+D800), a code point past U+10FFFF.
    ("calcexplain", ["--tree=\udcc0\udcaf", "7"], "invalid argument '<0xC0><0xAF>' for '--tree'\n"
                                                  "Valid arguments are 'expr' and 'rules'."),
    ("calcexplain", ["--tree=e\udced\udca0\udc80", "7"], "invalid argument 'e<0xED><0xA0><0x80>' for '--tree'\n"
                                                          "Valid arguments are 'expr' and 'rules'."),
    ("calcexplain", ["--tree=\udcf4\udc90\udc80\udc80", "7"],
     "invalid argument '<0xF4><0x90><0x80><0x80>' for '--tree'\nValid arguments are 'expr' and 'rules'."),
    ("floatexplain", ["value", "0x3dcccccdd"], "not a bit pattern of 1 to 8 hexadecimal digits: '0x3dcccccdd'"),
    ("floatexplain", ["tenths", "--\u00d7"], "unrecognized option '--\u00d7'"),
    ("floatexplain", ["sum", "--from", "9" * 20], "--from takes a whole number, 1 to 16777216: '" + "9" * 20 + "'"),
    # A listed value may be shortened as an option is; one that names none,
    # or two, is refused with the list.
    ("floatexplain", ["value", "-f", "bf", "0.1"], None),
    ("calcexplain", ["--tree=r", "7"], None),
    ("calcexplain", ["--json=", "7"], "ambiguous argument '' for '--json'\n"
                                      "Valid arguments are 'compact' and 'pretty'."),
    ("floatexplain", ["value", "-f", "s1", "0.1"], "--format is half, bfloat16, single or double, not 's1'"),
    # --json before floatexplain's command counts in its refusals.
    ("floatexplain", ["--json", "tenths", "-f", "half"], "another --format shows its own what-if, not --json: 'half'"),
    # The document holds factexplain's listing already.
    ("factexplain", ["--code", "--json"], "--json holds the whole explanation already: not with --code"),
    # A value's refusal holds for the values it names only.
    ("floatexplain", ["tenths", "--wide", "-f", "single"], None),
]

COMPANIONS = ["calcexplain", "floatexplain", "factexplain"]
# For each companion, a run of --json: the same document compact, on one
# line, and pretty, indented two spaces a level.
JSON_RUNS = {"calcexplain": ["1+2"], "floatexplain": ["value", "0.5"], "factexplain": ["2"]}


def words(option, value=None):
    """An option as typed, with `value` or a value it takes."""
    if option["value"] == "none" or (option["value"] == "optional" and not value):
        return [option["name"]]
    value = value or (option["values"] or ["1"])[0]
    return [option["name"] + "=" + value] if option["value"] == "optional" else [option["name"], value]


def holds(rule, command, given, operands):
    """Whether `rule` refuses these options (name: value) and operands."""
    if command not in rule["commands"] or rule["option"] not in given:
        return False
    if rule["when"] == "operand":
        return bool(operands)
    if rule["when"] == "without":
        return rule["other"] not in given
    return rule["other"] in given and rule["value"] in (None, given[rule["other"]])


# What a build without the JSON library says to --json, before anything else.
NO_JSON = "--json is not in this build:\nit was built without nlohmann-json3-dev"


def check_export(tally, bin_dir, tool, validator, json_built):
    got = blackbox.run(bin_dir, tool, arguments=["--options-json"])
    if not tally.check(f"{tool} --options-json: status 0, one line", got.status == 0 and not got.stderr
                       and got.stdout.count(b"\n") == 1 and got.stdout.endswith(b"\n"), str(got)):
        return
    table = json.loads(got.stdout)
    if validator:
        errors = [f"{list(e.absolute_path)}: {e.message[:200]}" for e in validator.iter_errors(table)]
        tally.check(f"{tool} --options-json: valid under the schema", not errors, "\n     ".join(errors[:3]))
    # Every option and every help line of the table, as --help shows them.
    shown = blackbox.run(bin_dir, tool, arguments=["--help"]).stdout.decode()
    lines = [line.strip() for line in shown.split("\n")]
    options = {c["name"]: {o["name"]: o for o in c["options"]} for c in table["commands"]}
    for option in [o for c in table["commands"] for o in c["options"]] + table["general"]:
        first, *rest = option["help"]
        named = [line for line in lines if line.startswith((option["name"], option["letter"] or "?"))
                 and line.endswith(" " + first)]
        tally.check(f"{tool} --help: {option['name']}", len(named) >= 1 and all(
            line in lines for line in rest), f"{first!r} {rest!r}")
    # Every refusal, in every command it names; the first rule that holds
    # there (in the table's order) is the one said. Where the programs run
    # slowly, each refusal is run in the first command it names.
    if blackbox.slow():
        blackbox.not_run(f"{tool}'s refusals run in each command after the first",
                         "the programs run slowly here; the native builds run them all")
    for rule in table["refusals"]:
        for command in rule["commands"]:
            taken = options[command]
            arguments = [command] if command else []
            given = {rule["option"]: None}
            arguments += words(taken[rule["option"]])
            if rule["when"] == "with":
                given[rule["other"]] = rule["value"]
                arguments += words(taken[rule["other"]], rule["value"])
            operands = ["1"] if rule["when"] == "operand" else []
            said = next(r for r in table["refusals"] if holds(r, command, given, operands))
            label = f"{tool} {' '.join(arguments + operands)}"
            tally.check(f"{label}: its own rule is the first that holds", said is rule, said["message"])
            if blackbox.slow() and command != rule["commands"][0]:
                continue
            message = said["message"] if json_built or "--json" not in given else NO_JSON
            want = f"{tool}: {message}\nTry '{tool} --help' for more information.\n".encode()
            got = blackbox.run(bin_dir, tool, arguments=arguments + operands)
            tally.expect_run(label, got, b"", 2, want)
            tally.check(f"{label}: within 80 columns", all(len(line) <= 80 for line in want.decode().split("\n")))
    # A pair refused anywhere is refused, in the same words, wherever both
    # options are taken.
    for rule in [r for r in table["refusals"] if r["when"] == "with" and r["value"] is None]:
        both = [name for name, taken in options.items() if rule["option"] in taken and rule["other"] in taken]
        tally.check(f"{tool}: {rule['option']} with {rule['other']} refused wherever both are taken",
                    sorted(rule["commands"]) == sorted(both), f"in {rule['commands']}, taken in {both}")


def check_layouts(tally, bin_dir, tool):
    bare = blackbox.run(bin_dir, tool, arguments=["--json", *JSON_RUNS[tool]])
    tally.check(f"{tool} --json: one line", bare.status == 0 and bare.stdout.count(b"\n") == 1, str(bare))
    # Values as long as each other, and the stack where it would be without
    # randomisation: factexplain's frames alike in both runs.
    compact, pretty = (blackbox.run(bin_dir, tool, arguments=[option, *JSON_RUNS[tool]], fixed_stack_start=True)
                       for option in ("--json=c", "--json=p"))
    tally.check(f"{tool} --json=pretty: two spaces a level", pretty.status == 0 and pretty.stdout.startswith(
        f'{{\n  "tool": "{tool}",\n'.encode()), str(pretty)[:300])
    tally.check(f"{tool} --json=compact and pretty: the same document", compact.status == 0 and compact.stdout.count(
        b"\n") == 1 and json.loads(compact.stdout) == json.loads(pretty.stdout or b"null"))


def main():
    def options(parser):
        parser.add_argument("--utf8-arguments-only", action="store_true", help="the host passes only UTF-8 arguments")
        parser.add_argument("--schema", help="check --options-json against this schema (needs jsonschema)")
        parser.add_argument("--json", action="store_true", help="the build writes --json")
    args = blackbox.arguments(options)
    validator = None
    if args.schema:
        import jsonschema
        with open(args.schema) as schema_file:
            validator = jsonschema.Draft202012Validator(json.load(schema_file))
    tally = blackbox.Tally()
    for tool in COMPANIONS:
        check_export(tally, args.bin, tool, validator, args.json)
        if args.json:
            check_layouts(tally, args.bin, tool)
    for program, arguments, message in CASES:
        if args.utf8_arguments_only and any("\udc80" <= c <= "\udcff" for a in arguments for c in a):
            print(f"not run here: {program} {arguments!r}, whose bytes are not UTF-8")
            continue
        got = blackbox.run(args.bin, program, arguments=arguments)
        label = f"{program} {arguments!r}"
        if not args.json and "--json" in arguments:
            message = NO_JSON
        if message is None:
            tally.check(f"{label}: taken", got.status == 0 and got.stderr == b"" and got.stdout, f"{got}")
            continue
        want = f"{program}: {message}\nTry '{program} --help' for more information.\n".encode()
        tally.expect_run(label, got, b"", 2, want)
        widest = max(len(line) for line in got.stderr.decode("utf-8", "replace").split("\n"))
        tally.check(f"{label}: within 80 columns", widest <= 80, f"{widest} columns")
    tally.finish()


if __name__ == "__main__":
    main()

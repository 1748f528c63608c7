"""factexplain: transcripts worked out by hand for small N, the products of
both builds against n! mod 2^32, the indentation of the deepest run, the
--json document against its schema and the text, and the arguments it
refuses, byte for byte.

--processor names the build's processor: the bytes one call of the plain
build takes there are known facts (the README's table); the optimised build
runs every call in one frame natively, and in WebAssembly (--wasm) keeps
no frame on the module's stack, so its frames are not seen there."""

import json
import math
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

# Bytes per call of the plain build: the distance between two calls' frames
# in each processor's -O0 listing of fact.cpp, read by hand (g++; clang on
# x86-64 alike). Sanitizers change the frames.
BYTES_PER_CALL = {"x86_64": 48, "AMD64": 48, "i686": 48, "aarch64": 48, "riscv64": 48, "ppc64le": 80,
                  "s390x": 176, "sparc64": 192, "wasm32": 16}

OPT_SUMMARY = ["All {calls} calls ran in one frame: the compiler turned the recursion into a loop"]
HOOK = ["factexplain watches only each call's entry here: a hook after the recursive",
        "call would change the code it watches, so the products are not seen."]
WASM_PLAIN_NOTE = ["Measured on the module's own stack in linear memory, where this build keeps each",
                   "call's locals; the return address and the rest of each frame stay in the engine,",
                   "out of reach."]
WASM_OPT_NOTE = ["The module's stack did not move between this build's calls: it keeps fact's",
                 "values in the engine's own locals, and its frames, if any, stay in the engine,",
                 "out of reach."]


def transcript(n, b, wasm):
    """factexplain n for n = 0 or 2, worked out by hand: fact(2) calls fact(1)
    and fact(0), each b bytes below; 1 * 1 = 1 and 2 * 1 = 2 on the way
    back. '@' stands for an address, '~' for the build's flags."""
    calls = n + 1
    at = "{:<40}frame @"
    plain = [at.format("fact(2) called"), at.format("  fact(1) called") + f", {b} bytes below",
             at.format("    fact(0) called") + f", {b} bytes below",
             "    fact(0) returns 1", "  fact(1) returns 1 * 1 = 1", "fact(2) returns 2 * 1 = 2",
             f"3 calls, 3 frames, deepest depth 2, {b} bytes per call"] if n else \
        [at.format("fact(0) called"), "fact(0) returns 1", "1 call, 1 frame, deepest depth 0"]
    if wasm:
        opt = [f"fact({k}) called" for k in range(n, -1, -1)] + [f"fact({n}) returns {math.factorial(n)}",
                                                                 f"{calls} call{'s' * (n > 0)}; their frames are not seen here"]
        closing = f"{calls} call{'s' * (n > 0)}: plain, {calls} frame{'s' * (n > 0)}" + \
            (f" of {b} bytes" if n else "") + "; optimised, its frames not seen."
    else:
        opt = [at.format("fact(2) called"), at.format("fact(1) called") + ", the same",
               at.format("fact(0) called") + ", the same", "fact(2) returns 2"] + \
            [line.format(calls=3) for line in OPT_SUMMARY] if n else \
            [at.format("fact(0) called"), "fact(0) returns 1", "1 call, 1 frame, deepest depth 0"]
        closing = f"3 calls: plain, 3 frames of {b} bytes; optimised, 1 frame." if n else \
            "1 call: plain, 1 frame; optimised, 1 frame."
    return (["Plain build (~):"] + plain + (WASM_PLAIN_NOTE if wasm else []) + [""] +
            ["Optimised build (~):"] + opt + HOOK + (WASM_OPT_NOTE if wasm else []) + ["", closing])


def masked(text):
    """The text with its addresses and build flags masked as in transcript."""
    text = re.sub(r"frame 0x[0-9a-f]+", "frame @", text)
    return re.sub(r"^(Plain|Optimised) build \(.*\):$", r"\1 build (~):", text, flags=re.M).split("\n")[:-1]


def factorial32(n):
    return blackbox.signed32(math.factorial(max(n, 0)))


def check_document(tally, label, document, text, n, args):
    """The document against the schema, n!, the frames seen, and the text."""
    if args.schema:
        import jsonschema
        with open(args.schema) as schema:
            errors = list(jsonschema.Draft202012Validator(json.load(schema)).iter_errors(document))
        tally.check(f"{label}: valid by the schema", not errors, errors[:1])
    plain, opt = document["builds"]
    calls = max(n, 0) + 1
    # Returns innermost first: fact(k) = k * fact(k - 1), each mod 2^32, at
    # the line that multiplies; the innermost at the base case's return.
    source = [line.strip() for line in document["source"]["lines"]]
    base, multiply = (source.index(line) + 1 for line in ("return 1;", "return wrapMul(n, fact(n - 1));"))
    products = [(e["n"], e["product"] and (e["product"]["right"], e["product"]["exact"]), e["value"], e["line"])
                for e in plain["events"] if e["event"] == "return"]
    want = [(min(n, 0), None, 1, base)] + [(k, (factorial32(k - 1), str(k * factorial32(k - 1))), factorial32(k),
                                            multiply) for k in range(1, n + 1)]
    tally.check(f"{label}: plain, the products against k! mod 2^32, each at its line", products == want,
                products[:3])
    tally.check(f"{label}: n, and both results n! mod 2^32",
                document["n"] == n and plain["result"] == opt["result"] == factorial32(n))
    tally.check(f"{label}: plain, a frame per call", plain["frames"] == calls and plain["framesMeasured"])
    # The plain build's recursion is a call of itself; the optimiser makes it
    # a loop: no such call, a branch back. Each count is its listing's marks.
    marks = [[sum(row.get("note", "").startswith(mark) for row in build["listing"]) for mark in ("calls itself", "back to ")]
             for build in (plain, opt)]
    tally.check(f"{label}: self-calls and branches back counted", marks == [[b["selfCalls"], b["backBranches"]] for b in (
        plain, opt)] and marks[0][0] >= 1 and marks[1][0] == 0 and marks[1][1] >= 1 and marks[0][1] == 0, marks)
    tally.check(f"{label}: optimised, {'no frames seen' if args.wasm else 'one frame'}",
                (opt["frames"], opt["framesMeasured"]) == ((None, False) if args.wasm else (1, True)))
    # The text's numbers, line by line, are the document's.
    lines = [line for line in text.split("\n") if re.match(r" *(\[depth \d+\] )?fact\(", line)]
    events = plain["events"] + opt["events"]
    shown = [re.sub(r"^ *(\[depth \d+\] )?", "", line).split("frame")[0].rstrip() for line in lines]
    said = [f"fact({e['n']}) called" if e["event"] == "call" else
            f"fact({e['n']}) returns " + (f"{e['product']['n']} * {e['product']['right']} = " if e["product"] else "") +
            str(e["value"]) + (" (wrapped around)" if e["product"] and e["product"]["wrapped"] else "")
            for e in events]
    tally.check(f"{label}: the text's calls and returns are the document's", shown == said)
    return lines, events


def check_indents(tally, label, lines, events):
    """Indent never decreases with depth, a return stands at its call's
    indent, and a line indented less than its depth says its depth."""
    indents = [len(line) - len(line.lstrip(" ")) for line in lines]
    by_depth = {}
    for indent, event in zip(indents, events):
        by_depth.setdefault(event["depth"], []).append(indent)
    depths = sorted(d for d in by_depth if d is not None)
    tally.check(f"{label}: indent non-decreasing with depth",
                all(max(by_depth[a]) <= min(by_depth[b]) for a, b in zip(depths, depths[1:])))
    tally.check(f"{label}: one indent per depth", all(len(set(v)) == 1 for v in by_depth.values()))
    tally.check(f"{label}: depth said where the indent stops", all(
        indent == 2 * e["depth"] or line[indent:].startswith(f"[depth {e['depth']}] ")
        for line, indent, e in zip(lines, indents, events) if e["depth"] is not None))


TRY = b"\nTry 'factexplain --help' for more information.\n"
ABOVE = b"factexplain: N must be at most 1000, not '%s'"
BELOW = b"factexplain: N must be at least -2147483648, not '%s'"
NOT_WHOLE = b"factexplain: N must be a whole number, not '%s'"
REFUSED = [
    (["1001"], ABOVE % b"1001"),
    (["-2147483649"], BELOW % b"-2147483649"),
    (["9" * 30], ABOVE % (b"9" * 30)),
    (["18446744073709551620"], ABOVE % b"18446744073709551620"),  # 2^64 + 4: 4, if it wrapped
    (["4x"], NOT_WHOLE % b"4x"),
    (["-5x"], NOT_WHOLE % b"-5x"),
    ([""], NOT_WHOLE % b""),
    (["--", "-x"], NOT_WHOLE % b"-x"),
    (["-x"], b"factexplain: invalid option -- 'x'"),
    (["--bogus"], b"factexplain: unrecognized option '--bogus'"),
    (["1", "2"], b"factexplain: one N only, not also '2'"),
    (["--code", "4"], b"factexplain: --code shows fact's code, and takes no N"),
]


def main():
    def extra(parser):
        parser.add_argument("--processor", required=True)
        parser.add_argument("--wasm", action="store_true")
        parser.add_argument("--sanitized", action="store_true")
        parser.add_argument("--json", action="store_true", help="the build writes --json")
        parser.add_argument("--schema", help="check --json against this schema")
    args = blackbox.arguments(extra)
    tally = blackbox.Tally()
    bytes_per_call = BYTES_PER_CALL.get(args.processor)
    if args.sanitized or bytes_per_call is None:
        blackbox.not_run("the bytes per call", "sanitizers change the frames" if args.sanitized
                         else f"none known for {args.processor}")
    texts = {}
    for n in (0, 2):
        run = blackbox.run(args.bin, "factexplain", arguments=[str(n)])
        texts[n] = run.stdout.decode()
        got = masked(run.stdout.decode())
        b = bytes_per_call
        if bytes_per_call is None or args.sanitized:
            found = re.search(r"(\d+) bytes per call", run.stdout.decode())
            b = found and found[1]
        want = transcript(n, b, args.wasm)
        tally.check(f"factexplain {n}: as worked out", run.status == 0 and not run.stderr and got == want,
                    "\n".join(f"want {w!r}\n     got  {g!r}" for w, g in zip(want, got) if w != g) or run)
    # 13: the first product to wrap; 1000 and -2147483648, the bounds.
    for n in (0, 13, 1000, -2147483648):
        run = blackbox.run(args.bin, "factexplain", arguments=["--", str(n)]) if n not in texts else None
        text = texts[n] if run is None else run.stdout.decode()
        tally.check(f"factexplain {n}: status 0, within 80 columns", run is None or (
            run.status == 0 and not run.stderr and all(len(line) <= 80 for line in text.split("\n"))), run)
        if not args.json:
            continue
        doc = blackbox.run(args.bin, "factexplain", arguments=["--json", "--", str(n)])
        document = json.loads(doc.stdout)
        lines, events = check_document(tally, f"factexplain --json {n}", document, text, n, args)
        if n == 1000:
            plain = len(document["builds"][0]["events"])
            check_indents(tally, "factexplain 1000, plain", lines[:plain], events[:plain])
    if not args.json:
        blackbox.not_run("factexplain --json", "built without the JSON library")
    for arguments, message in REFUSED:
        run = blackbox.run(args.bin, "factexplain", arguments=arguments)
        tally.check(f"factexplain {' '.join(arguments)!r} refused", (run.status, run.stdout, run.stderr) ==
                    (2, b"", message + TRY), run)
    tally.finish()


if __name__ == "__main__":
    main()

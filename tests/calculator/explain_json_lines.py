"""calcexplain --json over many lines: one valid document, each line's part
written as that line is done, and a peak of memory that does not grow with
the number of lines. The memory is read from the peakrss tool (the child's
ru_maxrss), once for a few lines and once for many: a bound on memory, not
a timing."""

import json
import os
import random
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.dirname(__file__))
import blackbox  # noqa: E402
import differential  # noqa: E402
import jsonschema  # noqa: E402

FEW = 20
# What many lines may take beyond a few: their parts, each written when its
# line is done, are never held together (once, every line's part was held
# to the end: some 300 KiB a line here).
GROWTH_KIB = 16 << 10
# calcexplain and the copies it forks stay far below this natively.
NATIVE_PEAK_KIB = 50 << 10


def generate(count, seed=5):
    """Lines of 8 to 12 terms joined by + - *, a pair of parentheses in some,
    and now and then a line a grammar rejects: calcrec has no '-'."""
    rng = random.Random(seed)
    lines = []
    for _ in range(count):
        terms = [str(rng.randint(0, 99999)) for _ in range(rng.randint(8, 12))]
        text = terms[0]
        for term in terms[1:]:
            text += rng.choice("+-*") + term
        if rng.random() < 0.3:
            text = "(" + text.replace("*", ")*(", 1) + ")" if "*" in text else text
        lines.append(text)
    return lines


def explain(peakrss, bin_dir, lines):
    """(status, the document's bytes, standard error, peak resident KiB)."""
    command = [peakrss, *blackbox.command_line(bin_dir, "calcexplain", ["--json"])]
    # AddressSanitizer holds freed memory back, up to 256 MiB, before it
    # reuses it: with that the peak would grow with the lines however little
    # is held.
    environment = dict(os.environ)
    environment["ASAN_OPTIONS"] = ":".join(filter(None, [environment.get("ASAN_OPTIONS"), "quarantine_size_mb=1"]))
    done = subprocess.run(command, input="".join(line + "\n" for line in lines).encode(), capture_output=True,
                          timeout=1800, env=environment)
    peak = re.search(rb"peak resident (\d+) KiB\n$", done.stderr)
    return done.returncode, done.stdout, done.stderr[:peak.start()] if peak else done.stderr, \
        int(peak.group(1)) if peak else None


def main():
    def options(parser):
        parser.add_argument("--schema", required=True, help="docs/schemas/calcexplain.schema.json")
        parser.add_argument("--peakrss", required=True, help="the peakrss tool (calculator/bench)")
    args = blackbox.arguments(options)
    tally = blackbox.Tally()
    with open(args.schema) as schema_file:
        validator = jsonschema.Draft202012Validator(json.load(schema_file))
    # Once some 300 KiB a line were held: a hundred lines show it.
    many = blackbox.fewer(150, 100, "lines for --json")
    lines = generate(many)

    peaks = {}
    for count in (FEW, many):
        status, out, err, peak = explain(args.peakrss, args.bin, lines[:count])
        peaks[count] = peak
        tally.check(f"--json over {count} lines: status 0, nothing on standard error, a peak measured",
                    status == 0 and err == b"" and peak is not None, f"{status} {err[-300:]!r}")
        try:
            document = json.loads(out)
        except ValueError as error:
            tally.check(f"--json over {count} lines: one JSON document", False, f"{error}")
            continue
        tally.check(f"--json over {count} lines: compact, on one line", out.count(b"\n") == 1 and
                    out.endswith(b"}\n"))
        explained = document.get("lines", [])
        tally.check(f"--json over {count} lines: each line, in order",
                    [entry.get("line") for entry in explained] == lines[:count])
        # Every line against the schema would take the validator minutes:
        # the document's frame, and every fiftieth line whole.
        sample = {**document, "lines": explained[::50]}
        errors = [f"{'/'.join(map(str, e.absolute_path))}: {e.message[:200]}" for e in validator.iter_errors(sample)]
        tally.check(f"--json over {count} lines: valid against the schema", not errors, "\n".join(errors[:5]))
        # Each grammar's value, against the independent evaluator.
        wrong = []
        for line, entry in zip(lines[:count], explained):
            for program, grammar in zip(differential.GRAMMARS, entry["grammars"]):
                try:
                    want = ("value", differential.value(differential.parse(line.encode() + b"\n",
                                                                            differential.GRAMMARS[program])))
                except differential.Invalid as rejected:
                    want = ("parse error", rejected.column)
                got = (grammar["verdict"], grammar.get("value", grammar.get("column")))
                if got != want:
                    wrong.append(f"{program} {line!r}: {got}, want {want}")
        tally.check(f"--json over {count} lines: each grammar's verdict the evaluator's", not wrong,
                    "\n".join(wrong[:5]))

    if None not in peaks.values():
        print(f"peak resident: {peaks[FEW]} KiB for {FEW} lines, {peaks[many]} KiB for {many}")
        tally.check(f"--json: the peak for {many} lines within {GROWTH_KIB} KiB of that for {FEW}",
                    peaks[many] <= peaks[FEW] + GROWTH_KIB, f"{peaks}")
        if blackbox.slow():
            blackbox.not_run(f"the peak against {NATIVE_PEAK_KIB} KiB", "the sanitizers' or the emulator's own")
        else:
            tally.check(f"--json over {many} lines: a peak under {NATIVE_PEAK_KIB} KiB",
                        peaks[many] <= NATIVE_PEAK_KIB, f"{peaks}")
    tally.finish()


if __name__ == "__main__":
    main()

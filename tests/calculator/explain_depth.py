"""On deep lines, calcexplain's verdicts are the programs' own.

The traced rules take more stack per level than the programs, so calcexplain's
trace may stop before a program does; the verdict it gives must still be the
program's, under the same stack limit. Each program's bound is measured here,
in this build, under 8 MiB and 1 MiB (bisecting on the deepest line it still
evaluates; the bound moves a little with the stack's placement, so it is
measured three times). Lines at 90% of the least bound and 110% of the most,
and the two deep lines of the bug report, are explained, and every grammar's
verdict is compared with its program run directly."""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

PROGRAMS = ["calcloop", "calcminusrec", "calcrec"]
LABEL = {program: f"{program + ':':<14}" for program in PROGRAMS}
MIB = 1 << 20
DEEPEST = 1 << 20  # levels; a program that evaluates this deep is taken to have no bound

# Lines that nest one level deeper per unit: parentheses, in every grammar,
# and calcrec's right-recursive sum. name: (line of n levels, characters per level,
# and its value.
SHAPES = {
    "parentheses": (lambda n: b"(" * n + b"1" + b")" * n + b"\n", 1, lambda n: 1),
    "1+1+...+1": (lambda n: b"1+" * n + b"1\n", 2, lambda n: n + 1),
}
TOO_DEEP = "parse error: expression nested too deeply"
MEASURED = [(program, "parentheses") for program in PROGRAMS] + [("calcrec", "1+1+...+1")]


def verdict(stdout):
    """A program's verdict from its own output: ("value", n) or
    ("rejects", its message)."""
    line = stdout.split(b"\n")[0].decode("latin-1")
    if line.startswith("The result is: "):
        return ("value", int(line[len("The result is: "):]))
    return ("rejects", line)


def explained(stdout):
    """calcexplain's verdict for each grammar, with the column of a parse
    error (None otherwise), and whether it says the grammars disagree."""
    verdicts = {}
    lines = stdout.decode("latin-1").split("\n")
    for i, line in enumerate(lines):
        for program in PROGRAMS:
            if line.startswith(LABEL[program]):
                text = line[len(LABEL[program]):]
                for more in lines[i + 1:]:  # a long grouping goes on under its start
                    if not re.match(r" {14}[^ ]", more):
                        break
                    text += "\n" + more
                value = re.fullmatch(r"(?s)\S.*[ \n]= (-?[0-9]+)", text)
                error = re.fullmatch(r"parse error at column ([0-9]+)(.*)", text)
                verdicts[program] = (("value", int(value.group(1))), None) if value else \
                    (("rejects", "parse error" + error.group(2)), int(error.group(1))) if error else (text, None)
    return verdicts, b"\nThe grammars disagree: " in b"\n" + stdout


def bound(bin_dir, program, shape, limit, guess=None):
    """The most levels of `shape` the program evaluates under `limit`, or
    None if it evaluates DEEPEST levels. A guess (an earlier measurement)
    narrows the search to within a fifth of it, if the bound lies there."""
    make = SHAPES[shape][0]

    def evaluates(levels):
        return blackbox.run(bin_dir, program, make(levels), stack_limit=limit, timeout=300).status == 0

    low, high = 0, DEEPEST  # evaluates low levels, not high
    if guess is not None:
        low, high = guess * 4 // 5, guess * 6 // 5 + 1
        if not evaluates(low):
            low = 0
        if evaluates(high):
            low, high = high, DEEPEST
    if high == DEEPEST and evaluates(DEEPEST):
        return None
    while high - low > 1:
        middle = (low + high) // 2
        low, high = (middle, high) if evaluates(middle) else (low, middle)
    return low


def check_line(tally, bin_dir, label, line, limit, expected_column=None, near={}):
    """Every grammar's verdict in calcexplain is its program's; "The grammars
    disagree" exactly when the verdicts differ. expected_column: (program,
    lowest, highest) for a depth error's column. near: programs whose bound
    lies within a hair of this line's depth, so that either verdict is
    theirs, as the stack happens to be placed, each with the line's value."""
    direct = {program: verdict(blackbox.run(bin_dir, program, line, stack_limit=limit, timeout=300).stdout)
              for program in PROGRAMS}
    got = blackbox.run(bin_dir, "calcexplain", line, stack_limit=limit, timeout=300, hold_input_open=False)
    verdicts, disagree = explained(got.stdout)
    tally.check(f"{label}: calcexplain status 0", got.status == 0, f"{got.status} {got.stderr[:300]!r}")
    said = {program: verdicts.get(program, (None, None))[0] for program in PROGRAMS}
    for program in PROGRAMS:
        allowed = [direct[program]]
        if program in near:
            allowed = [("value", near[program]), ("rejects", TOO_DEEP)]
        tally.check(f"{label}: {program}'s verdict", said[program] in allowed,
                    f"calcexplain {said[program]}, program {direct[program]}")
    # Rejections agree whatever their messages; values must be equal.
    differ = len({v if v and v[0] == "value" else "rejects" for v in said.values()}) > 1
    tally.check(f"{label}: 'The grammars disagree' exactly when the verdicts do", disagree == differ, f"{said}")
    # Where the trace stops short, the grammar's line says so.
    cut = got.stdout.count(b"  the trace stops at depth ")
    tally.check(f"{label}: a grouping left out only where the trace stops", got.stdout.count(b" ... = ") <= cut)
    if expected_column:
        program, lowest, highest = expected_column
        _, column = verdicts.get(program, (None, None))
        tally.check(f"{label}: {program} stops where the program's bound lies",
                    column is not None and lowest <= column <= highest, f"column {column}, [{lowest}, {highest}]")


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()

    # The bug report's two lines: 50,000 parentheses, and a sum of 500,001 ones.
    check_line(tally, args.bin, "50,000 parentheses, 8 MiB", SHAPES["parentheses"][0](50_000), 8 * MIB)
    check_line(tally, args.bin, "1+1+...+1 (500,001 ones), 8 MiB", SHAPES["1+1+...+1"][0](500_000), 8 * MIB)

    limits = (8 * MIB, 1 * MIB)
    if blackbox.slow():
        # The deeper the line, the longer each run: the bounds under 1 MiB
        # cost an eighth as much to find.
        blackbox.not_run("the bounds under 8 MiB", "the programs run slowly here; the bounds under 1 MiB "
                         "are measured, and the report's two lines run under 8 MiB")
        limits = (1 * MIB,)
    for limit in limits:
        bounds = {}
        for program, shape in MEASURED:
            measured = [bound(args.bin, program, shape, limit)]
            if measured[0] is not None:
                repeats = blackbox.fewer(2, 0, f"repeated measurements of {program}, {shape}")
                measured += [bound(args.bin, program, shape, limit, guess=measured[0]) for _ in range(repeats)]
            bounds[program, shape] = None if None in measured else (min(measured), max(measured))
            print(f"{program}, {shape}, {limit // MIB} MiB: bound {measured} levels (None: none below {DEEPEST})")

        def near(shape, levels):
            return {program: SHAPES[shape][2](levels) for program in PROGRAMS if bounds.get((program, shape))
                    and bounds[program, shape][0] * 0.98 <= levels <= bounds[program, shape][1] * 1.02}

        for (program, shape), measured in bounds.items():
            make, width, _ = SHAPES[shape]
            label = f"{program}, {shape}, {limit // MIB} MiB"
            if measured is None:
                check_line(tally, args.bin, f"{label}, {DEEPEST} levels", make(DEEPEST), limit)
                continue
            least, most = measured
            inside, beyond = least * 9 // 10, -(-most * 11 // 10)
            check_line(tally, args.bin, f"{label}, {inside} levels", make(inside), limit,
                       near=near(shape, inside))
            # The guard stops the untraced copy where it stops the program:
            # at the level past its bound, give or take the few levels that
            # calcexplain's own frames take from the stack above it.
            slack = most // 100 + 64
            check_line(tally, args.bin, f"{label}, {beyond} levels", make(beyond), limit,
                       (program, (least - slack) * width + 1, (most + 1 + slack) * width + 1), near(shape, beyond))
    tally.finish()


if __name__ == "__main__":
    main()

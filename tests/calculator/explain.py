"""calcexplain against the calculators themselves and an independent model.

For generated lines, valid and corrupted, its value for each grammar must be
the one the program prints, the column at which it says a grammar stops must
be the one the independent evaluator finds, and its grouping, evaluated by a
plain evaluator that knows only parentheses, must give that value again.
Beside them: the README's example, and one case for each feature."""

import os
import re
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402
import differential  # noqa: E402

PROGRAMS = ["calcloop", "calcminusrec", "calcrec"]
LABEL = {program: f"{program + ':':<14}" for program in PROGRAMS}

# The README's example: calcloop groups both '-' to the left, calcminusrec to
# the right, and calcrec has no '-' and stops at the first one, column 3.
README_EXAMPLE = (
    "calcloop:     ((10-3)-2) = 5\n"
    "calcminusrec: (10-(3-2)) = 9\n"
    "calcrec:      parse error at column 3\n"
    "                10-3-2\n"
    "                  ^\n"
    "The grammars disagree: calcloop 5, calcminusrec 9, calcrec rejects it.\n")

# --steps: '*' binds tighter than '-' in both grammars that have '-', so the
# products come first, left to right; calcrec multiplies 2*3 and then finds
# the '-' where it needs the newline.
STEPS = (
    "calcloop:     ((2*3)-(4*5)) = -14\n"
    "  2*3 = 6\n  4*5 = 20\n  6-20 = -14\n"
    "calcminusrec: ((2*3)-(4*5)) = -14\n"
    "  2*3 = 6\n  4*5 = 20\n  6-20 = -14\n"
    "calcrec:      parse error at column 4\n"
    "                2*3-4*5\n"
    "                   ^\n"
    "  2*3 = 6\n"
    "The grammars disagree: calcloop -14, calcminusrec -14, calcrec rejects it.\n")


def single_number_trace(program, rules):
    """--trace of the line 7: each rule entered at look-ahead '7', one level
    deeper each, down to number, which returns 7; each returns 7 on the way
    back."""
    lines = [f"{LABEL[program]}7 = 7"]
    for depth, rule in enumerate(rules):
        lines.append("  " * (depth + 1) + f"{rule} '7'")
    lines.append("  " * (len(rules) + 1) + "number '7' = 7")
    for depth, rule in reversed(list(enumerate(rules))):
        lines.append("  " * (depth + 1) + f"{rule} = 7")
    return lines


TRACE_OF_7 = "\n".join(
    single_number_trace("calcloop", ["command", "expr", "minus", "term", "factor"])
    + single_number_trace("calcminusrec", ["command", "expr", "minus", "term", "factor"])
    + single_number_trace("calcrec", ["command", "expr", "term", "factor"])) + "\n"


def paren_value(text):
    """The value of a fully parenthesised grouping, respecting nothing but
    its parentheses: ( operand op operand ) or a possibly negative number."""
    pos = 0

    def operand():
        nonlocal pos
        if text[pos] == "(":
            pos += 1
            left = operand()
            op = text[pos]
            pos += 1
            right = operand()
            if text[pos] != ")":
                raise ValueError(f"')' expected at {pos} in {text!r}")
            pos += 1
            return differential.APPLY[op](left, right) % (1 << 32)
        match = re.compile(r"-?[0-9]+").match(text, pos)
        pos = match.end()
        return int(match.group()) % (1 << 32)

    value = operand()
    if pos != len(text):
        raise ValueError(f"trailing text at {pos} in {text!r}")
    return blackbox.signed32(value)


def summaries(stdout):
    """The summary lines of calcexplain's output, in order, as
    (program, text after the label)."""
    found = []
    for line in stdout.decode("latin-1").split("\n"):
        for program in PROGRAMS:
            if line.startswith(LABEL[program]):
                found.append((program, line[len(LABEL[program]):]))
    return found


def check_generated(tally, bin_dir):
    lines = []
    for program in PROGRAMS:
        for line in differential.lines(program, 100, "explain"):
            # calcexplain reads one line per explanation: the first one.
            lines.append(line[:line.index(b"\n") + 1] if b"\n" in line else line)
    # Lines with a newline go together; one without must end the input.
    complete = [line for line in lines if line.endswith(b"\n")]
    runs = [(complete, blackbox.run(bin_dir, "calcexplain", b"".join(complete), timeout=300,
                                          hold_input_open=False))]
    # (An empty input holds no line to explain.)
    runs += [([line], blackbox.run(bin_dir, "calcexplain", line))
             for line in lines if line and not line.endswith(b"\n")]
    for batch, got in runs:
        tally.check(f"calcexplain on {len(batch)} lines: status 0", got.status == 0, f"{got}")
        found = summaries(got.stdout)
        if not tally.check(f"calcexplain on {len(batch)} lines: three summaries each",
                           [program for program, _ in found] == PROGRAMS * len(batch), got.stdout[-300:]):
            continue
        for n, line in enumerate(batch):
            for program, (_, text) in zip(PROGRAMS, found[3 * n:3 * n + 3]):
                check_line(tally, bin_dir, program, line, text)


def check_line(tally, bin_dir, program, line, text):
    label = f"{program} <<< {line!r}"
    answer = blackbox.run(bin_dir, program, line)
    try:
        differential.parse(line, differential.GRAMMARS[program])
        column = None
    except differential.Invalid as rejected:
        column = rejected.column
    accepted = re.fullmatch(r"(\S+) = (-?[0-9]+)", text)
    if answer.status == 0:
        value = int(accepted.group(2)) if accepted else None
        tally.check(f"{label}: the program's value", answer.stdout == b"The result is: %d\n" % value
                    if accepted else False, f"calcexplain {text!r}, program {answer.stdout!r}")
        if accepted:
            tally.check(f"{label}: the grouping evaluates to it", paren_value(accepted.group(1)) == value,
                        accepted.group(1))
    else:
        tally.check(f"{label}: rejected where the evaluator stops", text == f"parse error at column {column}",
                    f"calcexplain {text!r}, evaluator column {column}, program {answer.stdout!r}")


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()

    def explain(arguments, stdin=b""):
        return blackbox.run(args.bin, "calcexplain", stdin, arguments=arguments, timeout=300,
                            hold_input_open=False)

    tally.expect_run("the README's example", explain(["10-3-2"]), README_EXAMPLE.encode(), 0)
    tally.expect_run("the same line on standard input", explain([], b"10-3-2\n"), README_EXAMPLE.encode(), 0)
    tally.expect_run("--steps", explain(["--steps", "2*3-4*5"]), STEPS.encode(), 0)
    tally.expect_run("--trace of one number", explain(["--trace", "7"]), TRACE_OF_7.encode(), 0)

    # The shape of the recursion in --trace: calcloop's minus loops over
    # three terms at one depth; calcminusrec's minus calls itself, one level
    # deeper for each '-'.
    trace = explain(["--trace", "1-2-3"]).stdout.decode()
    loop_part, minusrec_part = trace.split("calcminusrec:")[0], trace.split("calcminusrec:")[1].split("calcrec:")[0]
    indents = lambda part, rule: [len(l) - len(l.lstrip()) for l in part.split("\n") if l.strip().startswith(rule + " '")]
    tally.check("--trace: calcloop's terms at one depth", len(set(indents(loop_part, "term"))) == 1
                and len(indents(loop_part, "term")) == 3, loop_part)
    tally.check("--trace: calcminusrec's minus one level deeper per '-'",
                indents(minusrec_part, "minus") == [6, 8, 10], minusrec_part)

    # Several lines on standard input, the last without its newline: each is
    # explained on its own, separated by an empty line. A NUL byte stops every
    # grammar where an operand must begin (column 3); so does 0x80 after a
    # number where an operator or the newline must stand (column 2), and the
    # end of input where the newline must be (column 4, one past the line).
    got = explain([], b"1+\x00\n5\x80\n2+3")
    columns = [text for _, text in summaries(got.stdout)]
    tally.check("standard input: three lines, each explained", got.status == 0 and columns ==
                ["parse error at column 3"] * 3 + ["parse error at column 2"] * 3 + ["parse error at column 4"] * 3,
                f"{got}")
    tally.check("standard input: explanations separated by one empty line", got.stdout.count(b"\n\n") == 2)
    # From a file, whose offset the grammars' processes share: each line once.
    with tempfile.TemporaryFile() as lines:
        lines.write(b"1+1\n2*3\n4\n")
        lines.seek(0)
        got = blackbox.run(args.bin, "calcexplain", lines)
    tally.check("standard input from a file: each line explained once",
                [text for program, text in summaries(got.stdout) if program == "calcloop"]
                == ["(1+1) = 2", "(2*3) = 6", "4 = 4"], f"{got}")

    # Options.
    got = explain(["--help"])
    tally.check("--help: the usage on standard output, status 0",
                got.status == 0 and got.stdout.startswith(b"Usage: calcexplain ") and got.stderr == b"")
    tally.expect_run("an unknown option: status 2, a message on standard error", explain(["--frobnicate", "1"]),
                     b"", 2, b"calcexplain: unknown option '--frobnicate'\nTry 'calcexplain --help'.\n")
    got = explain(["--", "-5"])
    tally.check("-- ends the options: -5 is a line", summaries(got.stdout) ==
                [(program, "parse error at column 1") for program in PROGRAMS], f"{got}")

    # A million levels of parentheses: each grammar's own depth guard stops it.
    deep_line = b"(" * 1_000_000 + b"1" + b")" * 1_000_000 + b"\n"
    got = explain([], deep_line)
    deep = [re.fullmatch(r"parse error at column ([0-9]+): expression nested too deeply", text)
            for _, text in summaries(got.stdout)]
    tally.check("a million levels: the depth error in each grammar, status 0",
                got.status == 0 and len(deep) == 3 and all(m and int(m.group(1)) <= 1_000_000 for m in deep),
                f"{got.status} {got.stdout[:400]!r} {got.stderr[:300]!r}")

    # A small stack: calcexplain itself must fit in it, and each grammar's
    # guard must still stop the deep line (64 KiB: above what the emulators
    # and the sanitizers need for themselves).
    small = 64 << 10
    got = blackbox.run(args.bin, "calcexplain", arguments=["(((1+2)*3)-4)"], stack_limit=small)
    tally.check("64 KiB stack: a shallow line evaluates", summaries(got.stdout)[:2] ==
                [("calcloop", "(((1+2)*3)-4) = 5"), ("calcminusrec", "(((1+2)*3)-4) = 5")], f"{got}")
    for arguments in ([], ["--steps", "--trace"]):
        got = blackbox.run(args.bin, "calcexplain", deep_line, arguments=arguments, stack_limit=small,
                           timeout=300, hold_input_open=False)
        tally.check(f"64 KiB stack, {arguments}: a million levels meet the depth guard in every grammar",
                    got.status == 0 and got.stdout.count(b"expression nested too deeply") == 3,
                    f"{got.status} {got.stderr[:300]!r}")

    check_generated(tally, args.bin)
    tally.finish()


if __name__ == "__main__":
    main()

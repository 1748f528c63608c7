"""calcexplain against the calculators themselves and an independent model.

For generated lines, valid and corrupted, its value for each grammar must be
the one the program prints when run directly, its grouping must be the syntax
tree the independent evaluator (differential.py) builds, and the column at
which it says a grammar stops must be the one the evaluator finds. Beside
them: the README's example, exact transcripts of what a parse error shows,
and one case for each feature and option. Deep lines: explain_depth.py."""

import os
import pty
import re
import select
import signal
import subprocess
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
    "                command expected the end of the line, found '-'\n"
    "The grammars disagree: calcloop 5, calcminusrec 9, calcrec rejects it.\n")

# Faults once found, as exact transcripts. With SIGCHLD ignored, as a parent
# may leave it, the kernel reaped the copies before calcexplain waited for
# them. 66666666666, typed three times, is the fourth number that wraps,
# once: 99999999999 - 23 * 2^32 = 1215752191, 88888888888 - 20 * 2^32 =
# 2989542968 = 2^32 - 1305424328, 77777777777 - 18 * 2^32 = 468366449; the
# sum, 566666666664 - 131 * 2^32 = 2810198694, is -1484768602.
WRAPS_LINE = "99999999999+88888888888+77777777777+66666666666+66666666666+66666666666"


# After a grammar's label, 80 - 14 columns are left on each line of its
# summary.
ROOM = 80 - 14


def summary(grouping, value):
    """A summary after its label: the grouping, then " = VALUE". Where that
    passes 80 columns, the grouping goes on under its start, each line as
    full as whole tokens (a number, a parenthesis, an operator) leave it; a
    number longer than a whole line fills the line it starts on and goes on
    on the next. "= VALUE" goes on a line of its own where it does not fit."""
    lines, line = [], ""
    for token in re.findall(r"[0-9]+|.", grouping):
        if line and len(line) + len(token) > ROOM and len(token) <= ROOM:
            lines.append(line)
            line = ""
        while len(line) + len(token) > ROOM:
            cut = ROOM - len(line)
            lines.append(line + token[:cut])
            line, token = "", token[cut:]
        line += token
    if len(line) + len(f" = {value}") > ROOM:
        lines.append(line)
        line = f"= {value}"
    else:
        line += f" = {value}"
    return ("\n" + " " * 14).join(lines + [line])


# By hand: after the label 66 columns are left. calcloop's and calcminusrec's
# grouping takes "(((((", three numbers and their operators and ")" up to the
# fourth '+', 56 columns: the fourth number would end at 67. calcrec's
# takes four numbers, each after "(" and with its '+', 65 columns. The rest
# and " = -1484768602" fit on the next line.
WRAPS = (
    "calcloop:     (((((99999999999+88888888888)+77777777777)+66666666666)+\n"
    "              66666666666)+66666666666) = -1484768602\n"
    "calcminusrec: (((((99999999999+88888888888)+77777777777)+66666666666)+\n"
    "              66666666666)+66666666666) = -1484768602\n"
    "calcrec:      (99999999999+(88888888888+(77777777777+(66666666666+(66666666666+\n"
    "              66666666666))))) = -1484768602\n"
    "The grammars agree on the value but group the line differently.\n"
    "  99999999999 wraps around to 1215752191\n"
    "  88888888888 wraps around to -1305424328\n"
    "  77777777777 wraps around to 468366449\n"
    "  and 1 more number wraps around\n")

# A number longer than a line: 125 ones. After "(" the first line holds 65
# of them, the next the other 60 and "-1)", 63 columns: " = VALUE" does not
# fit after them, and takes a line of its own. calcrec stops at the '-'.
ONES = int("1" * 125)
LONG_NUMBER = "".join(
    f"{LABEL[program]}({'1' * 65}\n{' ' * 14}{'1' * 60}-1)\n{' ' * 14}= {blackbox.signed32(ONES - 1)}\n"
    for program in PROGRAMS[:2]) + (
    "calcrec:      parse error at column 126\n"
    f"{' ' * 16}...{'1' * 29}-1\n{' ' * 48}^\n"
    f"{' ' * 16}command expected the end of the line, found '-'\n"
    f"The grammars disagree: calcloop {blackbox.signed32(ONES - 1)}, calcminusrec {blackbox.signed32(ONES - 1)},\n"
    f"{' ' * 23}calcrec rejects it.\n"
    f"  ...{'1' * 37} wraps around to {blackbox.signed32(ONES)}\n")

# Three values of up to 11 characters make the last line too long for 80
# columns: it breaks after a grammar. 99999999999 - 23 * 2^32 = 1215752191,
# whose square is 559034369 modulo 2^32; calcrec multiplies, then stops at
# the '-' (column 24).
LONG_DISAGREEMENT = (
    "calcloop:     ((99999999999*99999999999)-1) = 559034368\n"
    "  1215752191*1215752191 = 559034369\n  559034369-1 = 559034368\n"
    "calcminusrec: ((99999999999*99999999999)-1) = 559034368\n"
    "  1215752191*1215752191 = 559034369\n  559034369-1 = 559034368\n"
    "calcrec:      parse error at column 24\n"
    "                99999999999*99999999999-1\n"
    + " " * 39 + "^\n"
    "                command expected the end of the line, found '-'\n"
    "  1215752191*1215752191 = 559034369\n"
    "The grammars disagree: calcloop 559034368, calcminusrec 559034368,\n"
    "                       calcrec rejects it.\n"
    "  99999999999 wraps around to 1215752191\n")


def ignore_sigchld():
    signal.signal(signal.SIGCHLD, signal.SIG_IGN)


FAULTS = [
    ("SIGCHLD ignored", ["10-3-2"], ignore_sigchld, README_EXAMPLE),
    ("a number that wraps, typed again after three named", [WRAPS_LINE], None, WRAPS),
    ("a number longer than a line, in the summary", ["1" * 125 + "-1"], None, LONG_NUMBER),
    ("values too long for one line of disagreement", ["--steps", "99999999999*99999999999-1"], None,
     LONG_DISAGREEMENT),
]

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
    "                command expected the end of the line, found '-'\n"
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


# --trace ' in each grammar: the rules entered, two columns deeper each, down
# to number, which finds no digit; a quote is shown as '\''.
QUOTE_TRACE = r"""calcloop:     parse error at column 1
                '
                ^
                number expected a digit, found '\''
  command '\''
    expr '\''
      minus '\''
        term '\''
          factor '\''
            number '\''
calcminusrec: parse error at column 1
                '
                ^
                number expected a digit, found '\''
  command '\''
    expr '\''
      minus '\''
        term '\''
          factor '\''
            number '\''
calcrec:      parse error at column 1
                '
                ^
                number expected a digit, found '\''
  command '\''
    expr '\''
      term '\''
        factor '\''
          number '\''
"""

# --trace (((((1))))) in calcrec, derived by hand: command, expr, term and
# factor at depths 0 to 3, then expr, term and factor for each '(', factor
# at depth 15 for the fourth; from depth 16 on, the indentation stays at 34
# columns and the depth is named.
DEEP_TRACE = """
                                factor '('
                                  [depth 16] expr '1'
                                  [depth 17] term '1'
                                  [depth 18] factor '1'
                                  [depth 19] number '1' = 1
                                  [depth 18] factor = 1
                                  [depth 17] term = 1
                                  [depth 16] expr = 1
                                factor = 1
"""

RULES = {"calcloop": ["command", "expr", "minus", "term", "factor"],
         "calcminusrec": ["command", "expr", "minus", "term", "factor"],
         "calcrec": ["command", "expr", "term", "factor"]}

# Rejected by every grammar, each at the same column: the line, the column,
# the line as echoed (a tab as one blank, a UTF-8 character as itself, what
# cannot be shown as '?'), and the line under the caret: the rule that
# refused the character and its name. (The last line of standard input has
# no newline: its end is the end of the input, one column past it.)
REFUSALS = [
    (b"1 +\t2 )\n", 7, "1 + 2 )", "command expected the end of the line, found ')'"),
    (b" 7x\n", 3, " 7x", "command expected the end of the line, found 'x'"),
    (b"1+2\r\n", 4, "1+2?", "command expected the end of the line, found a carriage return"),
    ("2\u00d73\n".encode(), 2, "2\u00d73", "command expected the end of the line, found '\u00d7' U+00D7"),
    ("10\u22123\n".encode(), 3, "10\u22123", "command expected the end of the line, found '\u2212' U+2212"),
    (b"5\x80\n", 2, "5?", "command expected the end of the line, found byte 0x80, not UTF-8"),
    # Well-formed in shape only: an overlong '/', a surrogate, past U+10FFFF.
    (b"5\xc0\xaf\n", 2, "5??", "command expected the end of the line, found byte 0xC0, not UTF-8"),
    (b"5\xed\xa0\x80\n", 2, "5???", "command expected the end of the line, found byte 0xED, not UTF-8"),
    (b"5\xf4\x90\x80\x80\n", 2, "5????", "command expected the end of the line, found byte 0xF4, not UTF-8"),
    (b"1\v\n", 2, "1?", "command expected the end of the line, found control code U+000B"),
    (b"1+\x00\n", 3, "1+?", "number expected a digit, found a NUL byte"),
    (b"(1+2\n", 5, "(1+2", "factor expected ')', found the end of the line"),
    (b"'\n", 1, "'", "number expected a digit, found '\\''"),
    (b"\\\n", 1, "\\", "number expected a digit, found '\\\\'"),
    (b"1+", 3, "1+", "number expected a digit, found the end of the input"),
]


def refusal(column, echoed, found):
    """What every grammar shows for one row of REFUSALS."""
    return "".join(f"{LABEL[program]}parse error at column {column}\n" + " " * 16 + echoed + "\n"
                   + " " * (15 + column) + "^\n" + " " * 16 + found + "\n" for program in PROGRAMS)


def grouping(tree):
    """A syntax tree written as calcexplain writes a grouping: every operator
    application in one pair of parentheses, the numbers as typed."""
    if isinstance(tree, int):
        return tree.typed
    op, left, right = tree
    return f"({grouping(left)}{op}{grouping(right)})"


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
    """The summaries in calcexplain's output, in order, as (program, text
    after the label), each with the lines it goes on on (14 blanks, then
    the grouping or its value)."""
    found = []
    for line in stdout.decode("latin-1").split("\n"):
        if found and found[-1][2] and re.match(r" {14}[^ ]", line):
            found[-1][1] += "\n" + line
            continue
        if found:
            found[-1][2] = False
        for program in PROGRAMS:
            if line.startswith(LABEL[program]):
                found.append([program, line[len(LABEL[program]):], True])
    return [(program, text) for program, text, _ in found]


def check_generated(tally, bin_dir):
    lines = []
    for program in PROGRAMS:
        for line in differential.lines(program, blackbox.fewer(100, 25, f"generated lines for {program}"), "explain"):
            # calcexplain reads one line per explanation: the first one.
            lines.append(line[:line.index(b"\n") + 1] if b"\n" in line else line)
    # Lines with a newline go together; one without must end the input.
    complete = [line for line in lines if line.endswith(b"\n")]
    runs = [(complete, blackbox.run(bin_dir, "calcexplain", b"".join(complete), timeout=300,
                                          hold_input_open=False))]
    # (An empty input holds no line to explain.)
    runs += [([line], blackbox.run(bin_dir, "calcexplain", line))
             for line in lines if line and not line.endswith(b"\n")]
    check_steps(tally, bin_dir, complete)
    for batch, got in runs:
        tally.check(f"calcexplain on {len(batch)} lines: status 0", got.status == 0, f"{got}")
        check_width(tally, f"calcexplain on {len(batch)} lines", got.stdout)
        found = summaries(got.stdout)
        if not tally.check(f"calcexplain on {len(batch)} lines: three summaries each",
                           [program for program, _ in found] == PROGRAMS * len(batch), got.stdout[-300:]):
            continue
        explanations = got.stdout.split(b"\n\n")
        for n, line in enumerate(batch):
            for program, (_, text) in zip(PROGRAMS, found[3 * n:3 * n + 3]):
                check_line(tally, program, line, text)
            check_same_value(tally, line, explanations[n])


def steps(tree):
    """--steps of an accepted line: every operator applied after both its
    operands, left before right, as the tree's post-order; negative
    operands in parentheses."""
    if isinstance(tree, int):
        return [], blackbox.signed32(tree)
    op, left, right = tree
    left_steps, a = steps(left)
    right_steps, b = steps(right)
    result = differential.value(tree)
    shown = [f"({n})" if n < 0 else str(n) for n in (a, b)]
    return left_steps + right_steps + [f"  {shown[0]}{op}{shown[1]} = {result}"], result


WRAP_NOTE = re.compile(r"  (\S+ wraps around to -?\d+|and \d+ more numbers? wraps? around)$")


def check_steps(tally, bin_dir, batch):
    """--steps on the accepted lines: the steps in the order the evaluator's
    tree computes them (the notes of numbers that wrap left aside)."""
    got = blackbox.run(bin_dir, "calcexplain", b"".join(batch), arguments=["--steps"], timeout=300,
                       hold_input_open=False)
    for line, explanation in zip(batch, got.stdout.decode("latin-1").split("\n\n")):
        sections = re.split(r"(?m)^(calcloop|calcminusrec|calcrec):.*\n(?: {14}[^ ].*\n)*", explanation + "\n")[1:]
        for program, shown in zip(sections[0::2], sections[1::2]):
            try:
                tree = differential.parse(line, differential.GRAMMARS[program])
            except differential.Invalid:
                continue
            shown = shown.split("\nThe grammars ")[0].rstrip("\n")
            shown = "\n".join(line for line in shown.split("\n") if not WRAP_NOTE.match(line))
            want = steps(tree)[0]
            tally.check(f"{program} --steps <<< {line!r}", (shown.split("\n") if shown else []) == want,
                        f"{shown!r}\n     want {want!r}")


def check_same_value(tally, line, explanation):
    """Equal values grouped differently are pointed out, and only they."""
    try:
        trees = [differential.parse(line, differential.GRAMMARS[program]) for program in PROGRAMS]
    except differential.Invalid:
        return
    if len({differential.value(tree) for tree in trees}) == 1:
        explanation = b"\n".join(text for text in explanation.split(b"\n")
                                 if not WRAP_NOTE.match(text.decode("latin-1")))
        noted = explanation.rstrip(b"\n").endswith(b"\nThe grammars agree on the value but group the line differently.")
        tally.check(f"{line!r}: a note exactly when the groupings differ",
                    noted == (len({grouping(tree) for tree in trees}) > 1), explanation.decode("latin-1"))


def check_line(tally, program, line, text):
    """The verdict against the independent evaluator's (the differential
    tests hold the programs themselves to the same evaluator)."""
    label = f"{program} <<< {line!r}"
    try:
        tree = differential.parse(line, differential.GRAMMARS[program])
    except differential.Invalid as rejected:
        tally.check(f"{label}: rejected where the evaluator stops", text == f"parse error at column {rejected.column}",
                    f"calcexplain {text!r}, evaluator column {rejected.column}")
        return
    tally.check(f"{label}: the evaluator's value, grouped as the evaluator groups it",
                text == summary(grouping(tree), differential.value(tree)), f"calcexplain {text!r}")


def check_width(tally, label, stdout):
    """No line of calcexplain's output wider than a terminal's 80 columns."""
    widest = max(len(line) for line in stdout.decode("utf-8", "replace").split("\n"))
    tally.check(f"{label}: within 80 columns", widest <= 80, f"{widest} columns")


def unroff(text):
    """Manual page source as it reads, for the few escapes it uses."""
    return re.sub(r"\\f[BIRP]", "", text).replace("\\-", "-").replace("\\(aq", "'").replace("\\&", "")


def check_manual(tally, help_text):
    """The manual page names the options --help names. (Its examples are
    replayed with the other documents' transcripts.)"""
    page = unroff(open(os.path.join(os.path.dirname(__file__), "..", "..", "man", "calcexplain.1")).read())
    options = page.split(".SH OPTIONS")[1].split(".SH")[0]
    in_manual = set(re.findall(r"--?(?:[a-z][a-z-]*)?", " ".join(re.findall(r"(?m)^\.BR? (.*)$", options))))
    in_help = {option for pair in re.findall(r"(?m)^  (?:(-[a-z]), )? *(--[a-z][a-z-]*)", help_text)
               for option in pair if option}
    tally.check("the manual page and --help name the same options", in_manual == in_help | {"--"},
                f"manual {sorted(in_manual)}, --help {sorted(in_help)}")


def check_terminal(tally, bin_dir):
    """At a terminal with no LINE, one line on standard error says what
    calcexplain waits for; each line typed is explained as it is typed."""
    main, secondary = pty.openpty()
    proc = subprocess.Popen(blackbox.command_line(bin_dir, "calcexplain"), stdin=secondary,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    os.close(secondary)
    os.write(main, b"7\n\x04")  # a line, then Ctrl-D: the end of input
    out, err = proc.communicate(timeout=60)
    os.close(main)
    tally.check("a terminal: the prompt on standard error, the line explained", proc.returncode == 0
                and err == b"calcexplain: explaining each line typed, until the end of input (Ctrl-D)\n"
                and [text for _, text in summaries(out)] == ["7 = 7"] * 3, f"{proc.returncode} {out!r} {err!r}")


def check_flushed(tally, bin_dir):
    """From a pipe, each line's explanation arrives whole before the next line
    is written: nothing waits in a buffer."""
    proc = subprocess.Popen(blackbox.command_line(bin_dir, "calcexplain"), stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    proc.stdin.write(b"1+1\n")
    proc.stdin.flush()
    got = b""
    while got.count(b"\n") < 3 and select.select([proc.stdout], [], [], 60)[0]:
        chunk = os.read(proc.stdout.fileno(), 4096)
        if not chunk:
            break
        got += chunk
    proc.stdin.close()
    proc.wait(timeout=60)
    proc.stdout.close()
    proc.stderr.close()
    tally.check("a pipe: each explanation is written before the next line comes",
                [text for _, text in summaries(got)] == ["(1+1) = 2"] * 3, f"{got!r}")


def check_no_files(tally, bin_dir):
    """An explanation needs no file system: with /tmp read-only (bound
    read-only onto itself, in a mount namespace of the test's own, so that a
    build under /tmp still runs) every grammar's steps and trace still
    arrive. unshare needs user namespaces; where they are refused, the check
    fails and says so."""
    arguments = ["--steps", "--trace", "1+2*3"]
    readonly = "mount --bind /tmp /tmp && mount -o remount,bind,ro /tmp && exec \"$@\""
    command = ["unshare", "--map-root-user", "--mount", "sh", "-c", readonly,
               "sh", *blackbox.command_line(bin_dir, "calcexplain", arguments)]
    got = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    want = blackbox.run(bin_dir, "calcexplain", arguments=arguments)
    tally.check("a read-only /tmp: the same explanation, no error", got.returncode == 0 and got.stderr == b""
                and got.stdout == want.stdout and want.status == 0, f"status {got.returncode}, {got.stderr[:300]!r}")


def main():
    def options(parser):
        parser.add_argument("--version", required=True, help="the project's version, which --version must print")
        parser.add_argument("--engine-stack", action="store_true",
                            help="the programs run on an engine's stack, which stack limits do not reach")
    args = blackbox.arguments(options)
    tally = blackbox.Tally()

    def explain(arguments, stdin=b""):
        return blackbox.run(args.bin, "calcexplain", stdin, arguments=arguments, timeout=300,
                            hold_input_open=False)

    tally.expect_run("the README's example", explain(["10-3-2"]), README_EXAMPLE.encode(), 0)
    tally.expect_run("the same line on standard input", explain([], b"10-3-2\n"), README_EXAMPLE.encode(), 0)
    for label, arguments, setup, want in FAULTS:
        got = subprocess.run(blackbox.command_line(args.bin, "calcexplain", arguments), stdin=subprocess.DEVNULL,
                             capture_output=True, preexec_fn=setup, timeout=300, check=False)
        tally.expect_run(label, blackbox.Run(got.stdout, got.stderr, got.returncode), want.encode(), 0)
        check_width(tally, label, got.stdout)
    tally.expect_run("--steps", explain(["--steps", "2*3-4*5"]), STEPS.encode(), 0)
    # calcrec groups the sum to the right, the others to the left: same value.
    tally.expect_run("equal values grouped differently", explain(["1+2+3"]), (
        "calcloop:     ((1+2)+3) = 6\ncalcminusrec: ((1+2)+3) = 6\ncalcrec:      (1+(2+3)) = 6\n"
        "The grammars agree on the value but group the line differently.\n").encode(), 0)
    tally.expect_run("--trace of one number", explain(["--trace", "7"]), TRACE_OF_7.encode(), 0)
    # 2^32-1, 2^31 and 3*10^9 less 2^32 named, the repeated one once; the
    # fourth counted.
    got = explain(["4294967295*4294967295+2147483648+3000000000+3000000000+5000000000"])
    tally.check("the numbers that wrap, named once, the first three", [
        text for text in got.stdout.decode().split("\n") if WRAP_NOTE.match(text)] == [
        "  4294967295 wraps around to -1", "  2147483648 wraps around to -2147483648",
        "  3000000000 wraps around to -1294967296", "  and 1 more number wraps around"], got.stdout.decode())
    for name, got in [("the README's example", explain(["10-3-2"])),
                      ("--steps --trace", explain(["--steps", "--trace", "2*3-4*5"]))]:
        check_width(tally, name, got.stdout)

    # What a parse error shows, exactly; all lines on one standard input.
    got = explain([], b"".join(line for line, *_ in REFUSALS))
    tally.expect_run("parse errors: the line echoed, the caret, the rule and what it found", got,
                     "\n".join(refusal(*row[1:]) for row in REFUSALS).encode(), 0)
    check_width(tally, "parse errors", got.stdout)
    # A long line is echoed as a window of 58 columns around the caret: 29
    # before it, marked "..." where the line goes on: 16 + 3 + 58 + 3 = 80.
    long_line = "1" * 100 + "x" + "2" * 100
    tally.check("a long line: a window around the caret", explain([long_line]).stdout.decode().split("\n")[1:4] == [
        " " * 16 + "..." + "1" * 29 + "x" + "2" * 28 + "...", " " * (16 + 3 + 29) + "^",
        " " * 16 + "command expected the end of the line, found 'x'"])

    # --trace of a quote shows it escaped, in the trace as in what was found;
    # the rules never return.
    tally.expect_run("--trace of a quote", explain(["--trace", "'"]), QUOTE_TRACE.encode(), 0)
    # Past 16 levels the trace stops indenting and names the depth: five
    # parentheses take calcrec's number to depth 19.
    got = explain(["--trace", "(((((1)))))"])
    calcrec = got.stdout.decode().split("calcrec:")[-1]
    tally.check("--trace of five parentheses: [depth N] past 16 levels", got.status == 0
                and DEEP_TRACE in calcrec, calcrec)
    check_width(tally, "--trace of five parentheses", got.stdout)

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

    # Options, as GNU tools take them: anywhere before "--", which ends them.
    tally.expect_run("--steps after the line", explain(["2*3-4*5", "--steps"]), STEPS.encode(), 0)
    got = explain(["--help"])
    tally.check("--help: the usage on standard output, status 0", got.status == 0 and got.stderr == b""
                and got.stdout.startswith(b"Usage: calcexplain [OPTION]... [--] [LINE]...\n"), f"{got}")
    tally.check("--help ends with examples and the exit statuses", re.search(
        rb"\nExamples:\n(  calcexplain .*\n(  +\S.*\n)?){2,3}\nExit status:\n  0 .*\n  1 .*\n  2 .*\n  3 .*\n$", got.stdout),
        got.stdout.decode())
    check_width(tally, "--help", got.stdout)
    check_manual(tally, got.stdout.decode())
    tally.check("-h is --help", explain(["7", "-h"]) == got)
    tally.expect_run("--version", explain(["--version"]), (
        f"calcexplain (teaching programs) {args.version}\n"
        "Copyright (c) 2026 The teaching programs authors.\n"
        "MIT License: free to use, change and share; there is NO WARRANTY.\n").encode(), 0)
    try_help = b"Try 'calcexplain --help' for more information.\n"
    tally.expect_run("an unknown option: status 2, a message on standard error", explain(["1", "--frobnicate"]),
                     b"", 2, b"calcexplain: unrecognized option '--frobnicate'\n" + try_help)
    tally.expect_run("a line that begins with '-' before '--'", explain(["-1"]), b"", 2,
                     b"calcexplain: invalid option -- '1'\nA LINE that begins with '-' goes after '--'.\n" + try_help)
    got = explain(["--", "-5", "--steps"])
    tally.check("-- ends the options: -5 and --steps are lines", summaries(got.stdout) ==
                [(program, "parse error at column 1") for program in PROGRAMS] * 2, f"{got}")

    # Standard input that cannot be read is an error, not an empty input.
    class Directory:  # Python opens no file object on a directory
        def __init__(self):
            self.fd = os.open("/", os.O_RDONLY)

        def fileno(self):
            return self.fd

    directory = Directory()
    tally.expect_run("a directory as standard input", blackbox.run(args.bin, "calcexplain", directory), b"", 1,
                     b"calcexplain: standard input: Is a directory\n")
    os.close(directory.fd)
    check_terminal(tally, args.bin)
    check_flushed(tally, args.bin)
    check_no_files(tally, args.bin)

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
    if args.engine_stack:
        blackbox.not_run("the checks under a 64 KiB stack", "ulimit -s does not reach the engine's stack")
        check_generated(tally, args.bin)
        tally.finish()
    got = blackbox.run(args.bin, "calcexplain", arguments=["(((1+2)*3)-4)"], stack_limit=small)
    tally.check("64 KiB stack: a shallow line evaluates", summaries(got.stdout)[:2] ==
                [("calcloop", "(((1+2)*3)-4) = 5"), ("calcminusrec", "(((1+2)*3)-4) = 5")], f"{got}")
    for arguments in ([], ["--steps", "--trace"]):
        got = blackbox.run(args.bin, "calcexplain", deep_line, arguments=arguments, stack_limit=small,
                           timeout=300, hold_input_open=False)
        tally.check(f"64 KiB stack, {arguments}: a million levels meet the depth guard in every grammar",
                    got.status == 0 and got.stdout.count(b"expression nested too deeply") == 3,
                    f"{got.status} {got.stderr[:300]!r}")

    # 16 KiB: calcexplain reports whatever each copy meets, and never
    # crashes. What the environment takes at the stack's top, placed where it
    # is without address randomisation, leaves main less and less room, until
    # the loader itself cannot start (as it cannot start calcrec either):
    # every start that --version survives, --trace survives too.
    if blackbox.slow():
        blackbox.not_run("the runs under a 16 KiB stack", "this build needs more to start")
    else:
        line = "(" * 40 + "1" + ")" * 40
        verdict = re.compile(r"(\(*1\)*|\.\.\.) = 1|parse error at column [0-9]+: expression nested too deeply")
        started = []
        for padding in range(0, 16 << 10, 512):
            runs = [blackbox.run(args.bin, "calcexplain", arguments=[option, line], stack_limit=16 << 10,
                                 fixed_stack_start=True, environment={"PADDING": "x" * padding})
                    for option in ("--version", "--trace")]
            if runs[0].status == 0:
                started.append(padding)
                got = runs[1]
                tally.check(f"16 KiB stack, {padding} bytes of environment: --trace gives each verdict",
                            got.status == 0 and got.stderr == b"" and
                            [bool(verdict.fullmatch(text)) for _, text in summaries(got.stdout)] == [True] * 3,
                            f"{got.status} {got.stdout[:300]!r} {got.stderr[:300]!r}")
        tally.check("16 KiB stack: calcexplain starts with a small environment", 0 in started, f"{started}")

    check_generated(tally, args.bin)
    tally.finish()


if __name__ == "__main__":
    main()

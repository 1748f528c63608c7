"""Differential test: generated lines, valid and corrupted, are fed to a
calculator and its answer is compared with an independent evaluator.

The evaluator does not mirror the programs' rule-per-function descent: it
strips blanks and tabs, cuts the line into tokens, and parses by precedence
climbing with a table of each grammar's operators, their binding strength and
associativity, into a syntax tree (which tests/calculator/explain.py holds
calcexplain's groupings to). Values are exact integers reduced modulo 2^32 at
each step."""

import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

# operator: (binding strength, groups to the right?)
GRAMMARS = {
    "calcloop": {"+": (1, False), "-": (2, False), "*": (3, False)},
    "calcminusrec": {"+": (1, False), "-": (2, True), "*": (3, False)},
    "calcrec": {"+": (1, True), "*": (3, True)},  # '-' is no operator here
}

APPLY = {"+": lambda a, b: a + b, "-": lambda a, b: a - b, "*": lambda a, b: a * b}


class Invalid(Exception):
    """The line is rejected; `column` is the 1-based column of the first
    character that does not fit (one past the end for the end of input)."""

    def __init__(self, column):
        super().__init__(f"rejected at column {column}")
        self.column = column


class Number(int):
    """A number token: its value reduced modulo 2^32, and its digits as
    typed (without the blanks between them)."""

    def __new__(cls, digits):
        number = super().__new__(cls, int(digits) % (1 << 32))
        number.typed = digits.decode()
        return number


def tokens(line):
    """The tokens of the first line as (token, column) pairs, ending with
    ("\n", column) or (None, column) for the end of input. Blanks and tabs
    are skipped, even between the digits of one number. A token is a Number,
    an operator or parenthesis, or a stray byte as bytes."""
    result = []
    pos = 0
    while True:
        while pos < len(line) and line[pos] in b" \t":
            pos += 1
        if pos == len(line):
            return result + [(None, pos + 1)]
        start = pos
        char = line[pos:pos + 1]
        if char == b"\n":
            return result + [("\n", start + 1)]
        if char.isdigit():
            digits = b""
            while pos < len(line) and (line[pos:pos + 1].isdigit() or line[pos] in b" \t"):
                digits += line[pos:pos + 1].strip()
                pos += 1
            result.append((Number(digits), start + 1))
            continue
        result.append((char.decode() if char in b"+-*()" else char, start + 1))
        pos += 1


def parse(line, operators):
    """The line's syntax tree: a Number or a tuple
    (operator, left, right); or Invalid with the column at which a
    calculator with these operators stops."""
    toks = tokens(line)
    pos = 0

    def peek():
        return toks[pos][0]

    def fail():
        raise Invalid(toks[pos][1])

    def primary():
        nonlocal pos
        tok = peek()
        if isinstance(tok, int):
            pos += 1
            return tok
        if tok == "(":
            pos += 1
            tree = climb(0)
            if peek() != ")":
                fail()
            pos += 1
            return tree
        fail()

    def climb(min_strength):
        nonlocal pos
        tree = primary()
        while isinstance(peek(), str) and peek() in operators and operators[peek()][0] >= min_strength:
            op = peek()
            strength, right = operators[op]
            pos += 1
            tree = (op, tree, climb(strength if right else strength + 1))
        return tree

    tree = climb(0)
    if peek() != "\n":
        fail()
    return tree


def value(tree):
    """The value a tree must print: each step reduced modulo 2^32."""
    if isinstance(tree, int):
        return blackbox.signed32(tree)
    op, left, right = tree
    return blackbox.signed32(APPLY[op](value(left), value(right)))


def evaluate(line, operators):
    """The value the line must print, or None for a parse error."""
    try:
        return value(parse(line, operators))
    except Invalid:
        return None


def blanks(rng):
    return rng.choice([b"", b"", b"", b" ", b"\t", b"  ", b" \t "])


def number(rng):
    digits = str(rng.choice([rng.randint(0, 9), rng.randint(0, 99999), rng.randint(0, 10**11)])).encode()
    if rng.random() < 0.2:
        digits = b"0" * rng.randint(1, 3) + digits
    # Blanks may stand between the digits of one number.
    return b"".join(bytes([d]) + (blanks(rng) if rng.random() < 0.1 else b"") for d in digits).rstrip(b" \t")


def expression(rng, operators, depth=0):
    if depth > 6 or rng.random() < 0.3:
        if depth < 8 and rng.random() < 0.25:
            return b"(" + blanks(rng) + expression(rng, operators, depth + 1) + blanks(rng) + b")"
        return number(rng)
    op = rng.choice(sorted(operators)).encode()
    return expression(rng, operators, depth + 1) + blanks(rng) + op + blanks(rng) + expression(rng, operators, depth + 1)


NOISE = [b"+", b"-", b"*", b"(", b")", b"7", b" ", b"/", b"x", b"\r", b"\v", b"\x00", b"\x80", b"\xff", b"\n"]


def corrupt(rng, line):
    body = line[:-1]
    kind = rng.randrange(4)
    at = rng.randint(0, len(body))
    if kind == 0 and body:
        body = body[:at] + body[at + 1:]
    elif kind == 1:
        body = body[:at] + rng.choice(NOISE) + body[at:]
    elif kind == 2:
        return body[:at]  # end of input mid-line
    else:
        body = body[:at] + rng.choice(NOISE) + rng.choice(NOISE) + body[at:]
    return body + b"\n"


def lines(program, count, seed):
    rng = random.Random(f"{seed}-{program}")
    for i in range(count):
        # Some lines for calcrec are drawn with '-' too, which it must reject.
        drawn = GRAMMARS["calcloop"] if i % 5 == 4 else GRAMMARS[program]
        line = blanks(rng) + expression(rng, drawn) + blanks(rng) + b"\n"
        if i % 3 == 2:
            line = corrupt(rng, line)
        if i % 7 == 6:
            line += b"1+(\n"  # a second line that must stay unread
        yield line


def main():
    args = blackbox.arguments(lambda p: (
        p.add_argument("--program", choices=sorted(GRAMMARS), required=True),
        p.add_argument("--count", type=int),
        p.add_argument("--seed", default="1")))
    tally = blackbox.Tally()
    args.count = args.count or blackbox.fewer(400, 40, "generated lines")
    valid = 0
    for line in lines(args.program, args.count, args.seed):
        value = evaluate(line, GRAMMARS[args.program])
        if value is None:
            stdout, status = b"parse error\n", 1
        else:
            stdout, status = b"The result is: %d\n" % value, 0
            valid += 1
        got = blackbox.run(args.bin, args.program, line)
        tally.expect_run(f"{args.program} <<< {line!r}", got, stdout, status)
    print(f"{valid} of {args.count} lines were valid expressions")
    tally.finish()


if __name__ == "__main__":
    main()

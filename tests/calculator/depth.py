"""Deep nesting must never crash a calculator.

Nesting is bounded by the process's stack limit: within the bound the value
is exact, beyond it the program prints the depth error and exits 1. At least
10,000 levels must evaluate under an 8 MiB stack in every build."""

import os
import resource
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

TOO_DEEP = b"parse error: expression nested too deeply\n"
MIB = 1 << 20


def signed32(n):
    n %= 1 << 32
    return n - (1 << 32) if n >= 1 << 31 else n


def result(value):
    return b"The result is: %d\n" % signed32(value)


def parens(depth):
    return b"(" * depth + b"1" + b")" * depth + b"\n"


def chain(operator, count, operand=b"1"):
    return (operand + operator) * count + operand + b"\n"


def alternating(count):
    """Value of 1-1-...-1 with count+1 ones, grouped to the right: 1-(1-(...)).
    Right-grouped, the partial values alternate 1, 0, 1, ...: 1 for an odd
    number of ones."""
    return 1 if (count + 1) % 2 == 1 else 0


# program, input, value it must print (with 10,000 levels of nesting or chain)
WITHIN_BOUND = [
    ("calcloop", parens(10_000), 1),
    ("calcloop", chain(b"-", 10_000), 1 - 10_000),
    ("calcminusrec", parens(10_000), 1),
    ("calcminusrec", chain(b"-", 10_000), alternating(10_000)),
    ("calcminusrec", chain(b"-", 10_001), alternating(10_001)),
    ("calcrec", parens(10_000), 1),
    ("calcrec", chain(b"+", 10_000), 10_001),
    ("calcrec", chain(b"*", 10_000, b"3"), pow(3, 10_001, 1 << 32)),
    ("calcrec", b"(1+" * 10_000 + b"1" + b")" * 10_000 + b"\n", 10_001),
]

# Far beyond any bound the stack allows: a million levels. A chain that the
# compiler has turned into a loop needs no stack, so it may also evaluate.
BEYOND_BOUND = [
    ("calcloop", parens(1_000_000), None),
    ("calcminusrec", parens(1_000_000), None),
    ("calcminusrec", chain(b"-", 1_000_000), alternating(1_000_000)),
    ("calcrec", parens(1_000_000), None),
    ("calcrec", chain(b"+", 1_000_000), 1_000_001),
    ("calcrec", chain(b"*", 1_000_000, b"3"), pow(3, 1_000_001, 1 << 32)),
    ("calcrec", b"(1*" * 1_000_000 + b"1" + b")" * 1_000_000 + b"\n", None),
]


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()

    def describe(stdin):
        return f"{stdin[:12]!r}... ({len(stdin)} bytes)"

    def expect_value_or_too_deep(label, got, value):
        allowed = [blackbox.Run(TOO_DEEP, b"", 1)]
        if value is not None:
            allowed.append(blackbox.Run(result(value), b"", 0))
        tally.check(label, got in allowed, f"got {got.status} {got.stdout[:80]!r} {got.stderr[:300]!r}")

    for program, stdin, value in WITHIN_BOUND:
        label = f"{program} {describe(stdin)}"
        got = blackbox.run(args.bin, program, stdin, stack_limit=8 * MIB)
        tally.expect_run(f"{label}, 8 MiB stack", got, result(value), 0)
        # With only 1 MiB the same line may meet the bound, but must not crash.
        got = blackbox.run(args.bin, program, stdin, stack_limit=1 * MIB)
        expect_value_or_too_deep(f"{label}, 1 MiB stack", got, value)

    for program, stdin, value in BEYOND_BOUND:
        label = f"{program} {describe(stdin)}"
        for limit, name in ((8 * MIB, "8 MiB"), (1 * MIB, "1 MiB"), (resource.RLIM_INFINITY, "unlimited")):
            got = blackbox.run(args.bin, program, stdin, stack_limit=limit)
            expect_value_or_too_deep(f"{label}, {name} stack", got, value)

    tally.finish()


if __name__ == "__main__":
    main()

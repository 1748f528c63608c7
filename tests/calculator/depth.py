"""Deep nesting must never crash a calculator, and shallow lines must never
meet the bound.

Nesting is bounded by the stack that is really left: within the bound the
value is exact, beyond it the program prints the depth error and exits 1.
A shallow line evaluates at every stack limit at which the program can run
at all, at least 10,000 levels evaluate under an 8 MiB stack in every build,
and a million levels end in the error line under every limit."""

import os
import resource
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

TOO_DEEP = b"parse error: expression nested too deeply\n"
KIB, MIB = 1 << 10, 1 << 20
UNLIMITED = resource.RLIM_INFINITY

# Stack limits to run under, from the smallest at which this build starts
# reliably (--smallest-stack, in KiB). At 16 KiB a calculator without the
# guard still dies in about one run in a hundred on x86-64, as the stack's
# start is placed at random; the sanitizers' runtime and qemu-user need some
# 24 KiB of the stack themselves.
LIMITS = [16 * KIB, 20 * KIB, 24 * KIB, 32 * KIB, 48 * KIB, 64 * KIB, 84 * KIB,
          128 * KIB, 1 * MIB, 8 * MIB, UNLIMITED]


def result(value):
    return b"The result is: %d\n" % blackbox.signed32(value)


def parens(depth):
    return b"(" * depth + b"1" + b")" * depth + b"\n"


def chain(operator, count, operand=b"1"):
    return (operand + operator) * count + operand + b"\n"


def alternating(count):
    """Value of 1-1-...-1 with count+1 ones, grouped to the right: 1-(1-(...)).
    Right-grouped, the partial values alternate 1, 0, 1, ...: 1 for an odd
    number of ones."""
    return 1 if (count + 1) % 2 == 1 else 0


# Shallow lines: input, and per program the value or None for "parse error".
SHALLOW = [
    (b"1+2\n", {"calcloop": 3, "calcminusrec": 3, "calcrec": 3}),
    (b"((7))\n", {"calcloop": 7, "calcminusrec": 7, "calcrec": 7}),
    # (3*3)-4 = 5; calcrec has no '-' and stops there.
    (b"(((1+2)*3)-4)\n", {"calcloop": 5, "calcminusrec": 5, "calcrec": None}),
]


def scaled_within(levels):
    """program, input, value it must print, with `levels` of nesting or chain."""
    return [
        ("calcloop", parens(levels), 1),
        ("calcloop", chain(b"-", levels), 1 - levels),
        ("calcminusrec", parens(levels), 1),
        ("calcminusrec", chain(b"-", levels), alternating(levels)),
        ("calcminusrec", chain(b"-", levels + 1), alternating(levels + 1)),
        ("calcrec", parens(levels), 1),
        ("calcrec", chain(b"+", levels), levels + 1),
        ("calcrec", chain(b"*", levels, b"3"), pow(3, levels + 1, 1 << 32)),
        ("calcrec", b"(1+" * levels + b"1" + b")" * levels + b"\n", levels + 1),
    ]


# At least 10,000 levels evaluate in every native build.
WITHIN_BOUND = scaled_within(10_000)

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


def limit_name(limit):
    if limit is None:
        return "the engine's"
    if limit == UNLIMITED:
        return "unlimited"
    return f"{limit // MIB} MiB" if limit >= MIB else f"{limit // KIB} KiB"


def main():
    def options(parser):
        parser.add_argument("--smallest-stack", type=int, required=True, help="KiB of stack this build needs to start")
        parser.add_argument("--engine-stack", type=int, metavar="LEVELS",
                            help="the programs run on an engine's stack, which stack limits do not reach, "
                                 "with a fixed bound above LEVELS (WebAssembly)")
    args = blackbox.arguments(options)
    tally = blackbox.Tally()
    limits = [limit for limit in LIMITS if limit == UNLIMITED or limit >= args.smallest_stack * KIB]
    if args.engine_stack:
        blackbox.not_run("the lines under each stack limit", "ulimit -s does not reach the engine's stack")
        limits = [None]
        within = scaled_within(args.engine_stack)
    else:
        within = WITHIN_BOUND
    print(f"stack limits: {', '.join(limit_name(limit) for limit in limits)}")

    def describe(stdin):
        return f"{stdin[:12]!r}... ({len(stdin)} bytes)"

    def expect_value_or_too_deep(label, got, value):
        allowed = [blackbox.Run(TOO_DEEP, b"", 1)]
        if value is not None:
            allowed.append(blackbox.Run(result(value), b"", 0))
        tally.check(label, got in allowed, f"got {got.status} {got.stdout[:80]!r} {got.stderr[:300]!r}")

    for limit in limits:
        for stdin, values in SHALLOW:
            for program, value in values.items():
                got = blackbox.run(args.bin, program, stdin, stack_limit=limit)
                stdout, status = (result(value), 0) if value is not None else (b"parse error\n", 1)
                tally.expect_run(f"{program} <<< {stdin!r}, {limit_name(limit)} stack", got, stdout, status)

    for program, stdin, value in within:
        label = f"{program} {describe(stdin)}"
        got = blackbox.run(args.bin, program, stdin, stack_limit=None if args.engine_stack else 8 * MIB)
        tally.expect_run(f"{label}, 8 MiB stack", got, result(value), 0)
        if args.engine_stack:
            continue
        # With only 1 MiB the same line may meet the bound, but must not crash.
        got = blackbox.run(args.bin, program, stdin, stack_limit=1 * MIB)
        expect_value_or_too_deep(f"{label}, 1 MiB stack", got, value)

    for program, stdin, value in BEYOND_BOUND:
        label = f"{program} {describe(stdin)}"
        smallest = min((limit for limit in limits if limit not in (UNLIMITED, None)), default=None)
        for limit in [None] if args.engine_stack else (smallest, 64 * KIB, 1 * MIB, 8 * MIB, UNLIMITED):
            got = blackbox.run(args.bin, program, stdin, stack_limit=limit)
            expect_value_or_too_deep(f"{label}, {limit_name(limit)} stack", got, value)

    tally.finish()


if __name__ == "__main__":
    main()

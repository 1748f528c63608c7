"""floatexplain value and op in each format (--format): key lines derived by
hand, and random operations against an independent model, exact fractions
rounded by the rule itself, with the flags IEEE 754 has them raise."""

import os
import platform
import random
import re
import shlex
import sys
from fractions import Fraction

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

# name: (bits in all, significant bits, highest binade)
FORMATS = {"half": (16, 11, 15), "bfloat16": (16, 8, 127), "single": (32, 24, 127), "double": (64, 53, 1023)}

# Hand-derived lines, exactly as shown. Half: 0.1 * 2^14 = 1638.4, stored
# 1638 * 2^-14 (0x666, the leading one left out: 0x266; exponent -4 + 15 =
# 11), 0.4 of the ulp below; 1/3 * 2^12 = 1365.33 to 1365 = 0x555. 2049 =
# 2^11 + 1 ties to the even 2048, 2051 to the even 2052 (significand 1026).
# The largest is (2^11 - 1) 2^5 = 65504; 65520 lies halfway to 2^16 and
# the largest is odd: infinity. 65519 is 15 below it, 15/32 of its ulp.
# Bfloat16: 0.1 * 2^11 = 204.8 to 205 = 0xcd (exponent 123); 1/3 * 2^9 =
# 170.67 to 171 = 0xab; 257 ties down to 256, 259 up to 260; the largest is
# (2^8 - 1) 2^120. Double: 0.1 * 2^56 = ...792793.6 up to ...794; 2^53 + 1
# ties down to 2^53, 2^53 + 3 up to 2^53 + 4.
HALF_LARGEST = 65504
BF16_LARGEST = 255 * 2 ** 120
DOUBLE_LARGEST = (2 ** 53 - 1) * 2 ** 971
VALUES = [
    ("half", "0.1", ["  bits:        2e66 = 0 01011 1001100110",
                     "  exact value: 0.0999755859375",
                     "  rounding:    down, by -0.0000244140625 (-0.4 ulp)",
                     "  ulp:         2^-14 = 0.00006103515625"]),
    ("half", "1/3", ["  bits:        3555 = 0 01101 0101010101", "  exact value: 0.333251953125"]),
    ("half", "2049", ["  bits:        6800 = 0 11010 0000000000",
                      "  rounding:    down, by -1 (-0.5 ulp), tie to even"]),
    ("half", "2051", ["  bits:        6802 = 0 11010 0000000010", "  rounding:    up, by +1 (+0.5 ulp), tie to even"]),
    ("half", "0x7bff", [f"  exact value: {HALF_LARGEST}", "  next up:     7c00 = inf"]),
    ("half", "65519", ["  bits:        7bff = 0 11110 1111111111",
                       "  rounding:    down, by -15 (-0.46875 ulp)"]),
    ("half", "65520", ["  bits:        7c00 = 0 11111 0000000000",
                       "  rounding:    up, to infinity: half an ulp or more past the largest half"]),
    ("half", "0x0001", ["  exponent:    00000 = 0: subnormal, 2^-14",
                        "  exact value: 0.000000059604644775390625",  # 5^24 / 10^24
                        "  next down:   0000 = 0 (2^-24 below)"]),
    ("bfloat16", "0.1", ["  bits:        3dcd = 0 01111011 1001101", "  exact value: 0.10009765625",
                         "  rounding:    up, by +0.00009765625 (+0.2 ulp)"]),
    ("bfloat16", "1/3", ["  bits:        3eab = 0 01111101 0101011", "  exact value: 0.333984375"]),
    ("bfloat16", "257", ["  bits:        4380 = 0 10000111 0000000",
                         "  rounding:    down, by -1 (-0.5 ulp), tie to even"]),
    ("bfloat16", "259", ["  bits:        4382 = 0 10000111 0000010",
                         "  rounding:    up, by +1 (+0.5 ulp), tie to even"]),
    ("bfloat16", "0x7f7f", [f"  exact value: {BF16_LARGEST}", "  ulp:         2^120 = " + str(2 ** 120)]),
    ("bfloat16", "-1e39", ["  bits:        ff80 = 1 11111111 0000000",
                           "  rounding:    down, to -infinity: half an ulp or more past the lowest bfloat16"]),
    ("bfloat16", "0x0001", ["  exponent:    00000000 = 0: subnormal, 2^-126",
                            "  as printed:  9.183550e-41"]),  # 2^-133 = 9.1835496e-41
    ("single", "1e39", ["  rounding:    up, to infinity: half an ulp or more past the largest single"]),
    ("double", "0.1", ["  bits:        3fb999999999999a = 0 01111111011",
                       "               1001100110011001100110011001100110011001100110011010",
                       "  exact value: 0.1000000000000000055511151231257827021181583404541015625",
                       "  as printed:  1.000000e-01"]),
    ("double", "9007199254740993", ["  bits:        4340000000000000 = 0 10000110100",
                                    "  rounding:    down, by -1 (-0.5 ulp), tie to even"]),
    ("double", "9007199254740995", ["  rounding:    up, by +1 (+0.5 ulp), tie to even"]),
    ("double", "1e309", ["  rounding:    up, to infinity: half an ulp or more past the largest double"]),
    ("double", "0x7fefffffffffffff", ["  exponent:    11111111110 = 2046: 2^(2046 - 1023) = 2^1023, normal",
                                      "  as printed:  1.797693e+308"]),
    ("double", "0x1", ["  exponent:    00000000000 = 0: subnormal, 2^-1022", "  as printed:  4.940656e-324"]),
]

# (format, a, op, b, the result's bits or "nan", the flags). An underflow:
# half the smallest subnormal ties to the even 0, tiny and inexact; twice
# the smallest halved is the smallest, exact: no flag. An overflow: the
# largest plus half its ulp ties to the even power of two past it.
OPERATIONS = [
    ("half", "0x0001", "/", "2", "0000", "underflow, inexact"),
    ("half", "0x0002", "*", "0.5", "0001", "none"),
    ("half", "0x7bff", "+", "16", "7c00", "overflow, inexact"),
    ("half", "1", "/", "3", "3555", "inexact"),
    ("half", "1", "/", "0", "7c00", "division by zero"),
    ("bfloat16", "0x0001", "/", "2", "0000", "underflow, inexact"),
    ("bfloat16", "0x0002", "*", "0.5", "0001", "none"),
    ("bfloat16", "0x7f7f", "+", "0x7b00", "7f80", "overflow, inexact"),  # 2^119 = 0x7b00
    ("bfloat16", "inf", "-", "inf", "7fc0", "invalid operation"),  # the default NaN
    # 73 * 2^-6 times 112 * 2^-133 is (1 - 2^-9) 2^-126: tiny before rounding,
    # but to 8 bits it ties to 2^-126 (255.5 to the even 256). Its flags are
    # derived, tiny after rounding: no underflow.
    ("bfloat16", "0x3f92", "*", "0x0070", "0080", "inexact"),
    ("double", "0x1", "/", "2", "0000000000000000", "underflow, inexact"),
    ("double", "0x2", "*", "0.5", "0000000000000001", "none"),
    ("double", "0x7fefffffffffffff", "+", "0x7c90000000000000", "7ff0000000000000", "overflow, inexact"),  # 2^970
    ("double", "0.1", "+", "0.2", "3fd3333333333334", "inexact"),
]

USAGE_ERRORS = [["value", "--format=quad", "1"], ["value", "-f"], ["op", "--format=half", "--extended", "1", "+", "1"],
                ["value", "--format=half", "0x12345"], ["value", "--format", "s", "--format=x", "1"],
                ["sum", "--format=half", "--to", "2049"], ["sum", "-fb", "--every", "10"],
                ["tenths", "-fh", "--wide"]]


def run(args, *arguments):
    got = blackbox.run(args.bin, "floatexplain", arguments=list(arguments))
    return got, got.stdout.decode(errors="replace")


# The independent model.

def decode(name, pattern):
    """A pattern's value: a Fraction, or "nan", or +-inf as floats."""
    width, precision, top = FORMATS[name]
    fraction_bits = precision - 1
    sign = -1 if pattern >> (width - 1) else 1
    field = pattern >> fraction_bits & ((1 << (width - precision)) - 1)
    fraction = pattern & ((1 << fraction_bits) - 1)
    if field == (1 << (width - precision)) - 1:
        return "nan" if fraction else sign * float("inf")
    if field == 0:
        return sign * Fraction(fraction) * Fraction(2) ** (1 - top - fraction_bits)
    return sign * Fraction(fraction + (1 << fraction_bits)) * Fraction(2) ** (field - top - fraction_bits)


def binade(x):
    m = abs(x)
    e = m.numerator.bit_length() - m.denominator.bit_length()
    return e - 1 if Fraction(2) ** e > m else e


def nearest(name, x):
    """x rounded to the format: (the value or +-inf, whether it was a tie)."""
    _, precision, top = FORMATS[name]
    if x == 0:
        return x, False
    unit = Fraction(2) ** (max(binade(x), 1 - top) - precision + 1)
    scaled = abs(x) / unit
    whole = scaled.numerator // scaled.denominator
    rest = scaled - whole
    whole += rest > Fraction(1, 2) or (rest == Fraction(1, 2) and whole % 2)
    rounded = whole * unit
    if rounded >= Fraction(2) ** (top + 1):
        return (float("inf") if x > 0 else -float("inf")), False
    return (rounded if x > 0 else -rounded), rest == Fraction(1, 2)


def encode(name, value):
    width, precision, top = FORMATS[name]
    if isinstance(value, float):
        return (1 << (width - 1) if value < 0 else 0) | ((1 << (width - precision)) - 1) << (precision - 1)
    m = abs(value)
    field = max(binade(m) + top, 0) if m else 0
    unit = Fraction(2) ** (max(field, 1) - top - precision + 1)
    significand = int(m / unit) - (1 << (precision - 1) if field else 0)
    return (1 << (width - 1) if value < 0 else 0) | field << (precision - 1) | significand


def is_signaling(name, pattern):
    _, precision, _ = FORMATS[name]
    return decode(name, pattern) == "nan" and not pattern >> (precision - 2) & 1


def special(name, a, op, b):
    """IEEE 754's answer where an operand is not finite or a divisor is 0,
    from the operands' classes and signs: ("nan" or the result's pattern,
    the flags); None otherwise."""
    width, precision, _ = FORMATS[name]
    x, y = decode(name, a), decode(name, b)
    if "nan" in (x, y):
        return "nan", "invalid operation" if is_signaling(name, a) or is_signaling(name, b) else "none"
    sign_a, sign_b = a >> (width - 1), b >> (width - 1) ^ (op == "-")
    infinite_a, infinite_b = isinstance(x, float), isinstance(y, float)
    zero_a, zero_b = x == 0, y == 0
    if not (infinite_a or infinite_b or (op == "/" and zero_b)):
        return None
    invalid = "nan", "invalid operation"
    infinity = ((1 << (width - precision)) - 1) << (precision - 1)
    signed = (sign_a ^ sign_b) << (width - 1)
    if op in "+-":
        if infinite_a and infinite_b and sign_a != sign_b:
            return invalid
        return (sign_a if infinite_a else sign_b) << (width - 1) | infinity, "none"
    if op == "*":
        return invalid if zero_a or zero_b else (signed | infinity, "none")
    if (zero_a and zero_b) or (infinite_a and infinite_b):
        return invalid
    if infinite_b:
        return signed, "none"
    return signed | infinity, "none" if infinite_a else "division by zero"


def flags(name, exact, rounded, tininess):
    """The flags rounding exact to `rounded` raises, tiny as `tininess`
    ("before" or "after" rounding) says."""
    _, precision, top = FORMATS[name]
    if isinstance(rounded, float):
        return "overflow, inexact"
    if rounded == exact:
        return "none"
    tested = abs(exact) if tininess == "before" else abs(nearest_unbounded(exact, precision))
    return "underflow, inexact" if tested < Fraction(2) ** (1 - top) else "inexact"


def nearest_unbounded(x, precision):
    unit = Fraction(2) ** (binade(x) - precision + 1)
    scaled = abs(x) / unit
    whole = scaled.numerator // scaled.denominator
    rest = scaled - whole
    whole += rest > Fraction(1, 2) or (rest == Fraction(1, 2) and whole % 2)
    return whole * unit


def machine_tininess():
    """Where the platform the programs run on detects a tiny result: after
    rounding on x86 (SSE) and RISC-V, as their manuals say; None where this
    test does not know."""
    emulator = shlex.split(os.environ.get("PROGRAM_EMULATOR", ""))
    machine = platform.machine()
    if emulator:
        machine = os.path.basename(emulator[0]).removeprefix("qemu-").removesuffix("-static")
    return "after" if machine in ("x86_64", "i386", "i686", "riscv64") else None


def random_pattern(name, rng):
    width, precision, top = FORMATS[name]
    fraction = rng.getrandbits(precision - 1)
    top_field = (1 << (width - precision)) - 1
    kind = rng.random()
    if kind < 0.45:
        field = rng.randint(top - 3, top + 3)  # near 1: sums that round
    elif kind < 0.65:
        field = rng.randint(1, top_field - 1)
    elif kind < 0.8:
        field = 0
    else:
        field = rng.choice([0, top_field, top_field - 1, 1])
        fraction = rng.choice([0, 1, fraction, (1 << (precision - 1)) - 1, 1 << (precision - 2)])
    return rng.getrandbits(1) << (width - 1) | field << (precision - 1) | fraction


def fields(text):
    """Each "  label:  text" field, a wrapped line joined with a blank."""
    found = {}
    label = None
    for line in text.splitlines():
        match = re.match(r"^  (\S[^:]*):\s+(.*)$", line)
        if match and not line.startswith(" " * 15):
            label = match.group(1)
            found[label] = match.group(2)
        elif label:
            found[label] += " " + line.strip()
    return found


def check_draw(name, a, op, b, text, tininess):
    """'' if floatexplain's answer agrees with the model, else why not."""
    width = FORMATS[name][0] // 4
    shown = fields(text)
    derived = "flags from" in shown
    answer = special(name, a, op, b)
    if answer:
        value, want = answer
        if value == "nan":
            got = shown.get("result", "")
            if decode(name, int(got[:width] or "0", 16)) != "nan":
                return f"result {got}, want a NaN"
        elif not shown.get("rounded", "").startswith("%0*x =" % (width, value)):
            return f"rounded {shown.get('rounded')}, want {value:x}"
        return "" if shown.get("flags") == want else f"flags {shown.get('flags')}, want {want}"
    x, y = decode(name, a), decode(name, b)
    exact = {"+": x + y, "-": x - y, "*": x * y, "/": x / y if y else None}[op]
    rounded, tie = nearest(name, exact)
    got = shown.get("rounded", "")[:width]
    if exact == 0 or rounded == 0:
        # The sign of a zero: tested by the hand table.
        if int(got or "1", 16) & ~(1 << (width * 4 - 1)) != 0:
            return f"rounded {got}, want a zero"
    elif got != "%0*x" % (width, encode(name, rounded)):
        return f"rounded {got}, want {encode(name, rounded):x}"
    rounding = shown.get("rounding", "")
    if rounded == exact and not rounding.startswith("none"):
        return f"rounding {rounding}, want none"
    if rounded != exact and not isinstance(rounded, float):
        way = "up" if rounded > exact else "down"
        if not rounding.startswith(way) or rounding.endswith("tie to even") != tie:
            return f"rounding {rounding}, want {way}{', a tie' if tie else ''}"
    conventions = ["after"] if derived else [tininess] if tininess else ["after", "before"]
    wants = {flags(name, exact, rounded, t) for t in conventions}
    return "" if shown.get("flags") in wants else f"flags {shown.get('flags')}, want {wants}"


def check_random(tally, args, count):
    rng = random.Random(16)
    tininess = machine_tininess()
    for name in FORMATS:
        failures = []
        for _ in range(count):
            op = rng.choice("+-*/")
            a, b = random_pattern(name, rng), random_pattern(name, rng)
            width = FORMATS[name][0] // 4
            got, text = run(args, "op", f"--format={name}", "0x%0*x" % (width, a), op, "0x%0*x" % (width, b))
            label = f"op --format={name} 0x{a:0{width}x} {op} 0x{b:0{width}x}"
            if got.status != 0 or any(len(line) > 80 for line in text.splitlines()):
                failures.append(f"{label}: status {got.status} or a long line {got.stderr}")
                continue
            why = check_draw(name, a, op, b, text, tininess)
            if why:
                failures.append(f"{label}: {why}")
        tally.check(f"{count} random operations in {name} against exact fractions", not failures,
                    "\n     ".join(failures[:5]))


def check_tables(tally, args):
    for name, number, lines in VALUES:
        got, text = run(args, "value", f"--format={name}", number)
        missing = [line for line in lines if line not in text.splitlines()]
        tally.check(f"value --format={name} {number}", got.status == 0 and not missing,
                    f"{got.status} {missing} in\n{text}")
    for name, a, op, b, result, want in OPERATIONS:
        got, text = run(args, "op", f"--format={name}", a, op, b)
        shown = fields(text)
        value = shown.get("rounded", shown.get("result", ""))
        tally.check(f"op --format={name} {a} {op} {b}", got.status == 0 and value.startswith(result + " = ")
                    and shown.get("flags") == want, text)
    # The default is single; -f and prefixes name formats as --format does.
    same = [run(args, "value", *extra, "0.1")[1] for extra in ([], ["--format=single"], ["-fs"], ["-f", "sing"])]
    tally.check("value 0.1: single by default and by every spelling", len(set(same)) == 1)
    tally.check("-fd is double", run(args, "value", "-fd", "1")[1] == run(args, "value", "--format=double", "1")[1])


def check_what_ifs(tally, args):
    """The harmonic sum from 1 in half and bfloat16 stalls: the model finds
    the first term absorbed (every later one is smaller, absorbed too). The
    tenths end where the model's ten roundings do."""
    for name in ("half", "bfloat16"):
        total, i = Fraction(0), 1
        while True:
            term, _ = nearest(name, Fraction(1, i))
            after, _ = nearest(name, total + term)
            if after == total:
                break
            total, i = after, i + 1
        width = FORMATS[name][0] // 4
        want = [f"first term absorbed: i = {i}", f"last step that changes the sum: i = {i - 1}",
                "final sum: %0*x %.6e" % (width, encode(name, total), total)]
        got, text = run(args, "sum", f"--format={name}")
        missing = [line for line in want if line not in text.splitlines()]
        tally.check(f"sum --format={name} stalls at i = {i}", got.status == 0 and not missing, f"{missing}\n{text}")
    # Ten additions of the format's nearest 0.1, each rounded.
    for name in ("half", "bfloat16", "double"):
        tenth, _ = nearest(name, Fraction(1, 10))
        total = Fraction(0)
        for _ in range(10):
            total, _ = nearest(name, total + tenth)
        width = FORMATS[name][0] // 4
        want = ["the sum: %0*x" % (width, encode(name, total)), f"sum == 1: {'true' if total == 1 else 'false'}"]
        got, text = run(args, "tenths", f"--format={name}")
        missing = [line for line in want if line not in text.splitlines()]
        tally.check(f"tenths --format={name}", got.status == 0 and not missing
                    and all(len(line) <= 80 for line in text.splitlines()), f"{missing}\n{text}")
    if blackbox.slow():
        blackbox.not_run("sum --format=double over 2000..10,000,000", "the programs run slowly here")
        return
    got, text = run(args, "sum", "--format=double")
    tally.check("sum --format=double never stalls in ten million terms", got.status == 0
                and "first term absorbed: none" in text and "last step that changes the sum: i = 10000000" in text, text)


def check_usage(tally, args):
    for arguments in USAGE_ERRORS:
        got = blackbox.run(args.bin, "floatexplain", arguments=arguments)
        tally.check(f"floatexplain {arguments}: usage error", got.status == 2 and got.stdout == b""
                    and got.stderr.endswith(b"Try 'floatexplain --help' for more information.\n"), str(got))


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()
    check_usage(tally, args)
    check_tables(tally, args)
    check_what_ifs(tally, args)
    check_random(tally, args, blackbox.fewer(60, 15, "random operations in each format"))
    tally.finish()


if __name__ == "__main__":
    main()

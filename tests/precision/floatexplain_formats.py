"""floatexplain value and op in each format (--format): key lines derived by
hand, and random operations against an independent model, exact fractions
rounded by the rule itself, with the flags IEEE 754 has them raise."""

import math
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

# Hand-derived lines, exactly as shown (half 0.1 and 65520 are the README's,
# double 0.1 the JSON test's). Half: 1/3 * 2^12 = 1365.33 to 1365 = 0x555.
# 2049 = 2^11 + 1 ties to the even 2048, 2051 to the even 2052 (significand
# 1026). The largest is (2^11 - 1) 2^5 = 65504; 65519 is 15 below it, 15/32
# of its ulp. Bfloat16: 0.1 * 2^11 = 204.8 to 205 = 0xcd (exponent 123);
# 1/3 * 2^9 = 170.67 to 171 = 0xab; 257 ties down to 256, 259 up to 260; the
# largest is (2^8 - 1) 2^120. Double: 2^53 + 1 ties down to 2^53, 2^53 + 3
# up to 2^53 + 4.
VALUES = [
    ("half", "1/3", ["  bits:        3555 = 0 01101 0101010101"]),
    ("half", "2049", ["  rounding:    down, by -1 (-0.5 ulp), tie to even"]),
    ("half", "2051", ["  bits:        6802 = 0 11010 0000000010", "  rounding:    up, by +1 (+0.5 ulp), tie to even"]),
    ("half", "65519", ["  bits:        7bff = 0 11110 1111111111", "  rounding:    down, by -15 (-0.46875 ulp)"]),
    ("half", "0x0001", ["  exact value: 0.000000059604644775390625", "  next down:   0000 = 0 (2^-24 below)"]),
    ("bfloat16", "0.1", ["  bits:        3dcd = 0 01111011 1001101", "  rounding:    up, by +0.00009765625 (+0.2 ulp)"]),
    ("bfloat16", "1/3", ["  bits:        3eab = 0 01111101 0101011"]),
    ("bfloat16", "257", ["  bits:        4380 = 0 10000111 0000000"]),
    ("bfloat16", "259", ["  bits:        4382 = 0 10000111 0000010"]),
    ("bfloat16", "0x7f7f", [f"  exact value: {255 * 2 ** 120}"]),
    ("bfloat16", "0x0001", ["  exponent:    00000000 = 0: subnormal, 2^-126",
                            "  as printed:  9.183550e-41"]),  # 2^-133 = 9.1835496e-41
    ("double", "9007199254740993", ["  rounding:    down, by -1 (-0.5 ulp), tie to even"]),
    ("double", "9007199254740995", ["  rounding:    up, by +1 (+0.5 ulp), tie to even"]),
    ("double", "1e309", ["  rounding:    up, to infinity: half an ulp or more past the largest double"]),
    ("double", "0x7fefffffffffffff", ["  as printed:  1.797693e+308"]),
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
    # An exact zero sum is -0 only when both terms are -0 (a - b adds -b),
    # where the machine does not compute the format either.
    ("half", "-0", "+", "-0", "8000", "none"),
    ("bfloat16", "-0", "-", "0", "8000", "none"),
    ("half", "1", "-", "1", "0000", "none"),
    ("double", "0x1", "/", "2", "0000000000000000", "underflow, inexact"),
    ("double", "0x2", "*", "0.5", "0000000000000001", "none"),
    ("double", "0x7fefffffffffffff", "+", "0x7c90000000000000", "7ff0000000000000", "overflow, inexact"),  # 2^970
    ("double", "0.1", "+", "0.2", "3fd3333333333334", "inexact"),
]

EVERY_MACHINE = "the exact result, by IEEE 754, as on every machine"

USAGE_ERRORS = [["value", "--format=quad", "1"], ["value", "-f"], ["op", "--format=half", "--extended", "1", "+", "1"],
                ["value", "--format=half", "0x12345"], ["value", "--format", "s", "--format=x", "1"],
                ["sum", "--format=half", "--to", "2049"], ["sum", "-fb", "--every", "10"],
                ["tenths", "-fh", "--wide"]]


def run(args, *arguments):
    got = blackbox.run(args.bin, "floatexplain", arguments=list(arguments))
    return got, got.stdout.decode(errors="replace")


def decode(name, pattern):
    """A pattern's value: a Fraction, or a float for an infinity or NaN
    (every format here fits a double: Python's float)."""
    width, precision, top = FORMATS[name]
    field, fraction = pattern >> (precision - 1) & ((1 << (width - precision)) - 1), pattern & ((1 << (precision - 1)) - 1)
    sign = -1 if pattern >> (width - 1) else 1
    if field == (1 << (width - precision)) - 1:
        return math.nan if fraction else sign * math.inf
    return sign * Fraction(fraction + ((field > 0) << (precision - 1))) * Fraction(2) ** (max(field, 1) - top - precision + 1)


def binade(x):
    e = abs(x).numerator.bit_length() - abs(x).denominator.bit_length()
    return e - 1 if Fraction(2) ** e > abs(x) else e


def nearest(name, x, bounded=True):
    """x rounded to the format (with no bound on the exponent, if not
    bounded): (the value or +-inf, whether it was a tie)."""
    _, precision, top = FORMATS[name]
    if x == 0:
        return x, False
    unit = Fraction(2) ** (max(binade(x), 1 - top if bounded else binade(x)) - precision + 1)
    whole, rest = divmod(abs(x) / unit, 1)
    whole += rest > Fraction(1, 2) or (rest == Fraction(1, 2) and whole % 2)
    if bounded and whole * unit >= Fraction(2) ** (top + 1):
        return (math.inf if x > 0 else -math.inf), False
    return whole * unit * (1 if x > 0 else -1), rest == Fraction(1, 2)


def digits(x):
    """Every decimal digit of a dyadic fraction x: x * 10^k is whole once
    k is the power of two of its denominator."""
    places = x.denominator.bit_length() - 1
    whole = abs(x) * 10 ** places
    text = str(whole.numerator // whole.denominator).rjust(places + 1, "0")
    text = (text[:-places] + "." + text[-places:]).rstrip("0").rstrip(".") if places else text
    return ("-" if x < 0 else "") + text


def encode(name, value):
    width, precision, top = FORMATS[name]
    negative = value < 0 or (value == 0 and math.copysign(1, value) < 0)
    field, unit = (1 << (width - precision)) - 1, 0
    if not math.isinf(value):
        field = max(binade(Fraction(value)) + top, 0) if value else 0
        unit = int(abs(Fraction(value)) / Fraction(2) ** (max(field, 1) - top - precision + 1)) & ((1 << (precision - 1)) - 1)
    return negative << (width - 1) | field << (precision - 1) | unit


def special(name, a, op, b):
    """Where an operand is not finite or a divisor is 0: the result as
    Python's double arithmetic gives it on the same values (a NaN, an
    infinity or a zero, which every format holds alike), and the flags by
    their definitions; None for other operations."""
    width = FORMATS[name][0]
    x, y = (math.copysign(float(decode(name, p)), -(p >> (width - 1)) or 1) for p in (a, b))
    if all(map(math.isfinite, (x, y))) and not (op == "/" and y == 0):
        return None
    if op == "/" and y == 0:  # Python refuses what IEEE 754 answers
        value = math.nan if x == 0 or math.isnan(x) else math.copysign(math.inf, x) * math.copysign(1, y)
    else:
        value = {"+": x + y, "-": x - y, "*": x * y, "/": x / (y or 1)}[op]
    precision = FORMATS[name][1]
    nans = [p for p in (a, b) if math.isnan(decode(name, p))]
    if any(not p >> (precision - 2) & 1 for p in nans) or (math.isnan(value) and not nans):
        return "nan", "invalid operation"
    divided = op == "/" and y == 0 and math.isfinite(x) and x != 0
    return ("nan" if math.isnan(value) else encode(name, value)), "division by zero" if divided else "none"


def flags(name, exact, rounded, tininess):
    """The flags rounding exact to `rounded` raises, tiny as `tininess`
    ("before" or "after" rounding) says."""
    if isinstance(rounded, float):
        return "overflow, inexact"
    if rounded == exact:
        return "none"
    tested = abs(exact if tininess == "before" else nearest(name, exact, bounded=False)[0])
    return "underflow, inexact" if tested < Fraction(2) ** (1 - FORMATS[name][2]) else "inexact"


def random_pattern(name, rng):
    """Near 1 (sums that round), anywhere, subnormal, or at the edges."""
    width, precision, top = FORMATS[name]
    last, fraction = (1 << (width - precision)) - 1, rng.getrandbits(precision - 1)
    field = rng.choice([rng.randint(top - 3, top + 3)] * 3 + [rng.randint(1, last - 1), 0, last, last - 1])
    if rng.random() < 0.2:
        fraction = rng.choice([0, 1, (1 << (precision - 1)) - 1, 1 << (precision - 2)])
    return rng.getrandbits(1) << (width - 1) | field << (precision - 1) | fraction


def fields(text):
    """Each "  label:  text" field, a wrapped line joined with a blank."""
    found, label = {}, None
    for line in text.splitlines():
        match = re.match(r"^  (\S[^:]*):\s+(.*)$", line)
        if match and not line.startswith(" " * 15):
            label, found[match.group(1)] = match.group(1), match.group(2)
        elif label:
            found[label] += " " + line.strip()
    return found


def machine_tininess():
    """After rounding on x86 (SSE) and RISC-V, as their manuals say (and as
    x86-64 measures); None where this test does not know."""
    emulator = shlex.split(os.environ.get("PROGRAM_EMULATOR", ""))
    machine = os.path.basename(emulator[0]).removeprefix("qemu-").removesuffix("-static") if emulator \
        else platform.machine()
    return "after" if machine in ("x86_64", "i386", "i686", "riscv64") else None


def check_draw(name, a, op, b, text, tininess):
    """'' if floatexplain's answer agrees with the model, else why not. The
    16-bit formats are derived alike on every machine, and say so."""
    width, shown = FORMATS[name][0] // 4, fields(text)
    if width == 4 and shown.get("flags from") != EVERY_MACHINE:
        return f"flags from {shown.get('flags from')}"
    answer = special(name, a, op, b)
    if answer:
        value, want = answer
        got = shown.get("result" if value == "nan" else "rounded", "")[:width]
        if (value == "nan" and not math.isnan(decode(name, int(got or "0", 16)))) or (
                value != "nan" and got != "%0*x" % (width, value)):
            return f"result {got}, want {value}"
        return "" if shown.get("flags") == want else f"flags {shown.get('flags')}, want {want}"
    x, y = decode(name, a), decode(name, b)
    exact = {"+": x + y, "-": x - y, "*": x * y, "/": x / (y or 1)}[op]
    rounded, tie = nearest(name, exact)
    got = shown.get("rounded", "")[:width]
    # A zero's sign: the flags test holds it to the machine's.
    if got != "%0*x" % (width, encode(name, rounded)) and not (rounded == 0 and int(got, 16) << 1 == 1 << width * 4):
        return f"rounded {got}, want {encode(name, rounded):x}"
    if rounded != exact and not isinstance(rounded, float) and shown.get("rounding", "").endswith("tie to even") != tie:
        return f"rounding {shown.get('rounding')}, {'a' if tie else 'no'} tie"
    conventions = ["after"] if "flags from" in shown else [tininess] if tininess else ["after", "before"]
    wants = {flags(name, exact, rounded, t) for t in conventions}
    return "" if shown.get("flags") in wants else f"flags {shown.get('flags')}, want {wants}"


def check_random(tally, args, count):
    rng, tininess = random.Random(16), machine_tininess()
    for name, (bits, _, _) in FORMATS.items():
        failures = []
        for _ in range(count):
            op, a, b = rng.choice("+-*/"), random_pattern(name, rng), random_pattern(name, rng)
            label = f"op --format={name} 0x{a:0{bits // 4}x} {op} 0x{b:0{bits // 4}x}"
            got, text = run(args, *label.split())
            why = check_draw(name, a, op, b, text, tininess) if got.status == 0 else f"status {got.status}"
            if why or any(len(line) > 80 for line in text.splitlines()):
                failures.append(f"{label}: {why or 'a long line'}")
        tally.check(f"{count} random operations in {name} against exact fractions", not failures,
                    "\n     ".join(failures[:5]))


def check_tables(tally, args):
    for name, number, lines in VALUES:
        got, text = run(args, "value", f"--format={name}", number)
        missing = [line for line in lines if line not in text.splitlines()]
        tally.check(f"value --format={name} {number}", got.status == 0 and not missing, f"{missing} in\n{text}")
    for name, a, op, b, result, want in OPERATIONS:
        got, text = run(args, "op", f"--format={name}", a, op, b)
        shown = fields(text)
        tally.check(f"op --format={name} {a} {op} {b}", shown.get("rounded", shown.get("result", "")).startswith(
            result + " = ") and shown.get("flags") == want, text)
    # The default is single; -f and prefixes name formats as --format does.
    same = [run(args, "value", *extra, "0.1")[1] for extra in ([], ["--format=single"], ["-fs"], ["-f", "sing"])]
    tally.check("value 0.1: single by default and by every spelling", len(set(same)) == 1)


def check_what_ifs(tally, args):
    """The harmonic sum from 1 in half and bfloat16 stalls: the model finds
    the first term absorbed (every later one, smaller, is absorbed too).
    The tenths end where the model's ten roundings do."""
    for name in ("half", "bfloat16"):
        total, i = Fraction(0), 1
        while nearest(name, total + nearest(name, Fraction(1, i))[0])[0] != total:
            total, i = nearest(name, total + nearest(name, Fraction(1, i))[0])[0], i + 1
        want = [f"first term absorbed: i = {i}", f"last step that changes the sum: i = {i - 1}",
                "final sum: %04x = %s" % (encode(name, total), digits(total))]
        got, text = run(args, "sum", f"--format={name}")
        tally.check(f"sum --format={name} stalls at i = {i}", set(want) <= set(text.splitlines()), text)
    for name in ("half", "bfloat16", "double"):
        total = Fraction(0)
        for _ in range(10):
            total = nearest(name, total + nearest(name, Fraction(1, 10))[0])[0]
        want = {"the sum: %0*x" % (FORMATS[name][0] // 4, encode(name, total)), f"sum == 1: {str(total == 1).lower()}"}
        got, text = run(args, "tenths", f"--format={name}")
        tally.check(f"tenths --format={name}", want <= set(text.splitlines())
                    and all(len(line) <= 80 for line in text.splitlines()), text)
    if blackbox.slow():
        blackbox.not_run("sum --format=double over 2000..10,000,000", "the programs run slowly here")
        return
    got, text = run(args, "sum", "--format=double")
    tally.check("sum --format=double never stalls in ten million terms", "first term absorbed: none" in text
                and "last step that changes the sum: i = 10000000" in text, text)


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()
    for arguments in USAGE_ERRORS:
        got = blackbox.run(args.bin, "floatexplain", arguments=arguments)
        tally.check(f"floatexplain {arguments}: usage error", got.status == 2 and got.stdout == b""
                    and got.stderr.endswith(b"Try 'floatexplain --help' for more information.\n"), str(got))
    check_tables(tally, args)
    check_what_ifs(tally, args)
    check_random(tally, args, blackbox.fewer(60, 15, "random operations in each format"))
    tally.finish()


if __name__ == "__main__":
    main()

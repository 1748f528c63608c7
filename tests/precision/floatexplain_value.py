"""floatexplain value and op against values derived by hand and against an
independent model: exact rational arithmetic (fractions) rounded to single
precision by the rule itself (nearest, ties to even, subnormals, overflow),
on a few hundred random operations."""

import os
import random
import re
import struct
import sys
from fractions import Fraction

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402
import floatexplain_formats as formats  # noqa: E402  the model of every format

INF = float("inf")
LARGEST = Fraction(2 ** 24 - 1) * 2 ** 104


run, binade = formats.run, formats.binade


def fields(text):
    """Each "  label:  text" field, its wrapped lines joined with the blanks
    left out (a line may break inside a number or at a blank)."""
    found = {}
    label = None
    for line in text.splitlines():
        match = re.match(r"^  (\S[^:]*):\s+(.*)$", line)
        if match and not line.startswith(" " * 15):
            label = match.group(1).replace(" ", "")
            found[label] = match.group(2).replace(" ", "")
        elif label:
            found[label] += line.strip().replace(" ", "")
    return found


def ulp_exponent(x):
    """The exponent of the unit in the last place of single x (0 included)."""
    m = abs(x)
    if m == 0:
        return -149
    exponent = m.numerator.bit_length() - m.denominator.bit_length()
    if Fraction(2) ** exponent > m:
        exponent -= 1
    return max(exponent, -126) - 23


def round_bits(x, bits):
    """x to `bits` significant bits, nearest, ties to even, any exponent."""
    if x == 0:
        return x
    unit = Fraction(2) ** (binade(x) - bits + 1)
    scaled = abs(x) / unit
    whole = scaled.numerator // scaled.denominator
    rest = scaled - whole
    whole += rest > Fraction(1, 2) or (rest == Fraction(1, 2) and whole % 2)
    return whole * unit * (1 if x > 0 else -1)


def to_single(x):
    """x rounded to single precision: (value or +-INF, whether it was a tie)."""
    return formats.nearest("single", x)


def bits(x):
    return "%08x" % struct.unpack("<I", struct.pack("<f", float(x)))[0]


def from_bits(pattern):
    return Fraction(struct.unpack("<f", struct.pack("<I", pattern))[0])


def digits_agree(shown, cut, value):
    """Whether `shown` is value's decimal, or, followed by "...", its first
    digits cut toward zero and short of it."""
    number = Fraction(shown)
    if not cut:
        return number == value
    places = len(shown.split(".")[1]) if "." in shown else 0
    scaled = abs(value) * 10 ** places
    truncated = Fraction(scaled.numerator // scaled.denominator, 10 ** places) * (1 if value >= 0 else -1)
    return number == truncated and truncated != value


ROUNDING = re.compile(r"^(up|down),by([-+]?[\d.]+?)(\.\.\.)?\(([-+]?[\d.]+?)(\.\.\.)?ulp"
                      r"(?:of2\^(-?\d+),([-+]?[\d.]+?)(\.\.\.)?ulpbelowit)?\)(,tietoeven)?$")


def check_rounding(text, exact, rounded, tie):
    """The rounding field against the model; '' if it agrees, else why not."""
    if rounded == exact:
        return "" if text in ("none:theoperationisexact", "none:storedexactly") else "not shown as exact"
    match = ROUNDING.match(text)
    if not match:
        return "no rounding shown"
    way, error, error_cut, ulps, ulps_cut, power, below, below_cut, tie_shown = match.groups()
    error_value = rounded - exact
    if bool(tie_shown) != tie or way != ("up" if error_value > 0 else "down"):
        return "wrong direction"
    if not digits_agree(error, error_cut, error_value):
        return "wrong error"
    in_ulps = error_value / Fraction(2) ** ulp_exponent(rounded)
    if not digits_agree(ulps, ulps_cut, in_ulps):
        return "wrong ulps"
    # Rounded up (in magnitude) to a normal power of two from the binade
    # below, where the values lie twice as close: that ulp is named too.
    crossed = abs(rounded) > 2 ** -126 and binade(rounded) > binade(exact)
    if crossed != (power is not None) or (crossed and (int(power) != binade(rounded)
                                                       or not digits_agree(below, below_cut, 2 * in_ulps))):
        return "the ulp below a power of two"
    return ""


# Exact transcripts, derived by hand. 0.1 is 13421772.8 * 2^-27: the single
# is 13421773 * 2^-27 (0xcccccd, exponent -4 + 127 = 123), 0.2 of the ulp
# 2^-27 above, and 2^-27 = 5^27 / 10^27. Times 10 it is 134217730 * 2^-27 =
# 1 + 2^-26, an eighth of the ulp 2^-23 of 1 above 1: rounded down to 1.
VALUE_01 = """\
  number:      0.1, a decimal
  bits:        3dcccccd = 0 01111011 10011001100110011001101
  sign:        0: positive
  exponent:    01111011 = 123: 2^(123 - 127) = 2^-4, normal
  significand: 1.10011001100110011001101
  exact value: 0.100000001490116119384765625
  as printed:  1.000000e-01
  rounding:    up, by +0.000000001490116119384765625 (+0.2 ulp)
  ulp:         2^-27 = 0.000000007450580596923828125
  next down:   3dcccccc = 0.0999999940395355224609375 (2^-27 below)
  next up:     3dccccce = 0.10000000894069671630859375 (2^-27 above)
"""
OP_01_TIMES_10 = """\
  a:           0.1, stored as 3dcccccd = 0.100000001490116119384765625 (read
               rounded up)
  b:           10, stored as 41200000 = 10
  a * b:       1.00000001490116119384765625, exactly
  rounded:     3f800000 = 1 (1.000000e+00)
  ulp:         2^-23
  rounding:    down, by -0.00000001490116119384765625 (-0.125 ulp)
  flags:       inexact
"""

# WebAssembly keeps no exception flags: there floatexplain derives them, and
# says so under them.
FLAGS_DERIVED = "node" in os.environ.get("PROGRAM_EMULATOR", "")


# Where the platform detects a tiny result: known on some, else learned
# below from the one operation that tells.
TININESS = "after" if FLAGS_DERIVED else formats.machine_tininess()
DERIVED_NOTE = "theexactresult,byIEEE754(WebAssemblykeepsnoflags)"

SMALLEST = Fraction(1, 2 ** 149)
# (number, fields), the fields' blanks left out as fields() leaves them.
VALUES = [
    # 2^24 + 1 is halfway between 2^24 (significand 0x800000, even) and
    # 2^24 + 2: the tie goes down to the even one, by half the ulp 2.
    ("16777217", {"bits": "4b800000=01001011100000000000000000000000", "exactvalue": "16777216",
                  "rounding": "down,by-1(-0.5ulp),tietoeven", "ulp": "2^1=2",
                  "nextdown": "4b7fffff=16777215(2^0below)", "nextup": "4b800001=16777218(2^1above)"}),
    # 2^22 + 0.3: the ulp there is 2^-1, so the nearest single is 2^22 + 0.5,
    # 0.2 above, 0.4 of the ulp; biased exponent 22 + 127 = 10010101.
    # 2^24 - 1/2 is halfway between 2^24 - 1 (odd) and 2^24, whose ulp is 2:
    # a quarter of it, half of the spacing 1 below 2^24.
    ("16777215.5", {"bits": "4b800000=01001011100000000000000000000000",
                    "rounding": "up,by+0.5(+0.25ulpof2^24,+0.5ulpbelowit),tietoeven"}),
    # An exponent's leading zeros: 10^1.
    ("1e0000001", {"exactvalue": "10", "rounding": "none:storedexactly"}),
    ("4194304.3", {"bits": "4a800001=01001010100000000000000000000001", "rounding": "up,by+0.2(+0.4ulp)"}),
    # The smallest subnormal, 2^-149, and 1e-45 read as it: 1e-45 is 0.71
    # of it, past the half. Its exact digits are 5^149 at place 149.
    ("0x00000001", {"bits": "00000001=00000000000000000000000000000001", "exponent": "00000000=0:subnormal,2^-126",
                    "significand": "0.00000000000000000000001", "exactvalue": "0." + str(5 ** 149).zfill(149),
                    "rounding": "none:takenasitis", "nextdown": "00000000=0(2^-149below)"}),
    ("1e-45", {"bits": "00000001=00000000000000000000000000000001",
               "rounding": "up,by+0." + str(5 ** 149 - 10 ** 104).zfill(149).rstrip("0")
               + "(+0." + str((5 ** 149 - 10 ** 104) * 10 ** 12 // 5 ** 149) + "...ulp)"}),
    # The largest single, (2^24 - 1) 2^104, and the infinity above it.
    ("0x7f7fffff", {"exactvalue": str(LARGEST), "ulp": "2^104=" + str(2 ** 104), "nextup": "7f800000=inf",
                    "nextdown": "7f7ffffe=" + str(LARGEST - 2 ** 104) + "(2^104below)"}),
    # 1/3 * 2^25 = 11184810.67 rounds up to 11184811 = 0xaaaaab, a third of
    # the ulp 2^-25 above.
    ("1/3", {"number": "1/3=0.3333333333333333333333333333333333333333...", "bits": "3eaaaaab=00111110101010101010101010101011",
             "rounding": "up,by+0.000000009934107462565104166666666666666666666666...(+0.333333333333...ulp)"}),
    ("-0.0", {"bits": "80000000=10000000000000000000000000000000", "sign": "1:negative", "exponent": "00000000=0:zero",
              "exactvalue": "-0", "rounding": "none:storedexactly", "nextup": "00000001=0." + str(5 ** 149).zfill(149)
              + "(2^-149above)"}),
    ("1e39", {"bits": "7f800000=01111111100000000000000000000000", "exponent": "11111111=255:infinite",
              "rounding": "up,toinfinity:halfanulpormorepastthelargestsingle", "nextup": "none"}),
    ("-inf", {"bits": "ff800000=11111111100000000000000000000000", "nextdown": "none", "nextup": "ff7fffff=-" + str(LARGEST)}),
    ("nan", {"exponent": "11111111=255:NaN(notanumber)", "rounding": "none:notanumber"}),
]

# (a, op, b, fields)
OPERATIONS = [
    ("0.5", "+", "0.25", {"a+b": "0.75,exactly", "rounded": "3f400000=0.75(7.500000e-01)",
                          "rounding": "none:theoperationisexact"}),
    # 2^24 + 3 lies between 2^24 + 2 (0x800001, odd) and 2^24 + 4: the tie
    # goes up, to the even one.
    ("16777216", "+", "3", {"a+b": "16777219,exactly", "rounded": "4b800002=16777220(1.677722e+07)",
                            "rounding": "up,by+1(+0.5ulp),tietoeven"}),
    # 2^127 * 2 is 2^128, beyond the largest single by far more than half
    # an ulp (2^103): infinity.
    ("0x7f000000", "*", "2", {"a*b": str(2 ** 128) + ",exactly", "rounded": "7f800000=inf(inf)",
                              "rounding": "up,toinfinity:halfanulpormorepastthelargestsingle"}),
    ("1", "/", "3", {"a/b": "1/3=0.3333333333333333333333333333333333333333...",
                     "rounding": "up,by+0.000000009934107462565104166666666666666666666666...(+0.333333333333...ulp)"}),
    # A quotient in lowest terms; 16777217 is read as 2^24, a tie to even.
    ("6", "/", "9", {"a/b": "2/3=0." + "6" * 40 + "..."}),
    ("16777217", "+", "0", {"a": "16777217,storedas4b800000=16777216(readroundeddown,tietoeven)",
                            "a+b": "16777216,exactly"}),
    ("-1", "*", "0", {"a*b": "0,exactly", "rounded": "80000000=-0(-0.000000e+00)", "rounding": "none:theoperationisexact"}),
]

# Operations whose flags or special values IEEE 754 fixes, derived by hand:
# (a, op, b, the result's bits, or "nan" for any quiet NaN, the exact
# result as shown (None: checked by the model below), the flags).
SPECIAL_OPERATIONS = [
    ("inf", "+", "1", "7f800000", "inf,exactly", "none"),
    # Both read as inf, which reading 1e39 (an overflow) must not flag.
    ("1e39", "-", "1e39", "nan", "NaN:aninvalidoperation(inf-inf)", "invalidoperation"),
    ("-inf", "+", "inf", "nan", "NaN:aninvalidoperation(inf-inf)", "invalidoperation"),
    ("0", "*", "-inf", "nan", "NaN:aninvalidoperation(0*inf)", "invalidoperation"),
    ("0", "/", "0", "nan", "NaN:aninvalidoperation(0/0)", "invalidoperation"),
    ("inf", "/", "-inf", "nan", "NaN:aninvalidoperation(inf/inf)", "invalidoperation"),
    # An exact infinity from finite operands is a division by zero; from an
    # infinite one, nothing.
    ("-1", "/", "0", "ff800000", "-inf,exactly:adivisionbyzero", "divisionbyzero"),
    ("inf", "/", "0", "7f800000", "inf,exactly", "none"),
    ("-1", "/", "inf", "80000000", "-0,exactly", "none"),
    # A quiet NaN passes through; a signaling one is an invalid operation.
    ("2", "*", "-nan", "nan", "NaN,asbisaNaN", "none"),
    ("0x7f800001", "+", "1", "nan", "NaN:aninvalidoperation(asignalingNaN)", "invalidoperation"),
    # 0.1 * 10 is 1 + 2^-26, rounded. (2^24 - 1) 2^104 + 2^103 is halfway to
    # 2^128, and the largest single is odd: the tie goes up, past it.
    ("0.1", "*", "10", "3f800000", None, "inexact"),
    ("0x7f7fffff", "+", "0x73000000", "7f800000", None, "overflow,inexact"),
    # 2^-149 / 2 ties to the even 0: tiny and inexact. 2^-148 / 2 is tiny
    # but exact: no underflow.
    ("0x00000001", "/", "2", "00000000", None, "underflow,inexact"),
    ("0x00000002", "*", "0.5", "00000001", None, "none"),
    # (1 + 2^-23)(1 - 2^-23) 2^-126 = (1 - 2^-46) 2^-126: tiny before
    # rounding, not after (to 24 bits it is 2^-126). Platforms choose, and
    # the platform's own choice is asserted where the test knows it.
    ("0x3f800001", "*", "0x007fffff", "00800000", None,
     {"after": "inexact", "before": "underflow,inexact", None: ("inexact", "underflow,inexact")}[TININESS]),
]

USAGE_ERRORS = [
    ["value"], ["value", "0.1.2"], ["value", "1/0"], ["value", ""], ["value", "--bogus"], ["value", "1e"],
    ["value", "."], ["value", "0x"], ["value", "0x123456789"], ["value", "1/4294967296"], ["value", "1e-1001"],
    ["value", "1 "], ["value", "0x1p3"], ["value", "1/-3"], ["value", "0.1", "x"], ["value", "1/3x"],
    ["value", "1/3.5"],
    ["op"], ["op", "1"], ["op", "1", "+"], ["op", "1", "%", "2"], ["op", "1", "++", "2"], ["op", "1", "+", "2", "3"],
    ["op", "1", "+", "0.1.2"], ["op", "", "+", "1"],
]


def check_transcripts(tally, args):
    tally.expect_run("value 0.1", blackbox.run(args.bin, "floatexplain", arguments=["value", "0.1"]),
                     VALUE_01.encode(), 0)
    note = "  flags from:  the exact result, by IEEE 754 (WebAssembly keeps no flags)\n" if FLAGS_DERIVED else ""
    tally.expect_run("op 0.1 * 10", blackbox.run(args.bin, "floatexplain", arguments=["op", "0.1", "*", "10"]),
                     (OP_01_TIMES_10 + note).encode(), 0)


def check_wide(tally, label, got, text):
    long_lines = [line for line in text.splitlines() if len(line) > 80]
    tally.check(f"{label}: status 0, within 80 columns", got.status == 0 and not long_lines, f"{got.status} {long_lines[:1]}")


def check_values(tally, args):
    for number, want in VALUES:
        got, text = run(args, "value", number)
        check_wide(tally, f"value {number}", got, text)
        shown = fields(text)
        wrong = {k: (shown.get(k), v) for k, v in want.items() if shown.get(k) != v}
        tally.check(f"value {number}", not wrong, str(wrong))
    got, text = run(args, "value", "1/3", "0.1")
    tally.check("value of two numbers: two blocks", got.status == 0 and text.count("\n\n") == 1
                and text.endswith(VALUE_01))


def learn_tininess(tally, args):
    """Where the test does not know the platform's convention, the one
    operation that tells it (tiny before rounding, not after) shows it; every
    random operation is then held to it."""
    global TININESS
    if TININESS is None:
        flags = fields(run(args, "op", "0x3f800001", "*", "0x007fffff")[1]).get("flags")
        TININESS = {"inexact": "after", "underflow,inexact": "before"}.get(flags)
        tally.check(f"tininess detected before or after rounding: {TININESS}", TININESS is not None, flags)
        TININESS = TININESS or "after"


def check_special(tally, args):
    for a, op, b, result, exact, flags in SPECIAL_OPERATIONS:
        got, text = run(args, "op", a, op, b)
        shown = fields(text)
        note = shown.get("flagsfrom")
        wrong = [result_wrong(shown, result, flags), exact and shown.get(f"a{op}b") != exact and shown.get(f"a{op}b"),
                 note != (DERIVED_NOTE if FLAGS_DERIVED else None) and f"flags from {note}"]
        tally.check(f"op {a} {op} {b}", got.status == 0 and not any(wrong), f"{got.status} {wrong} {got.stderr}")


def check_operations(tally, args):
    for a, op, b, want in OPERATIONS:
        got, text = run(args, "op", a, op, b)
        check_wide(tally, f"op {a} {op} {b}", got, text)
        shown = fields(text)
        wrong = {k: (shown.get(k), v) for k, v in want.items() if shown.get(k) != v}
        tally.check(f"op {a} {op} {b}", not wrong, str(wrong))


# Singles at the edges: infinities, quiet and signaling NaNs (one with a
# payload), zeros of both signs, the largest finite, the subnormals' ends
# and the smallest normal.
EDGE_SINGLES = [0x7f800000, 0xff800000, 0x7fc00000, 0xffc00000, 0x7f800001, 0xffa00000, 0x7fc12345,
                0x00000000, 0x80000000, 0x7f7fffff, 0xff7fffff, 0x00000001, 0x807fffff, 0x00800000]


def random_single(rng):
    """Mostly nearby exponents (so that sums round), some anywhere, some
    subnormal, some at the edges, as a bit pattern."""
    kind = rng.random()
    sign = rng.getrandbits(1) << 31
    if kind < 0.5:
        biased = rng.randint(120, 134)
    elif kind < 0.7:
        biased = rng.randint(1, 254)
    elif kind < 0.85:
        biased = 0
    else:
        return rng.choice(EDGE_SINGLES)
    return sign | biased << 23 | rng.getrandbits(23)


def special_facts(a, op, b):
    """Where an operand is not finite or a divisor is 0: the result's bits
    (or "nan") and the flags, as the model of every format has them (from
    Python's double arithmetic and the flags' definitions); else None."""
    answer = formats.special("single", a, op, b)
    return answer and ("nan" if answer[0] == "nan" else "%08x" % answer[0], answer[1].replace(" ", ""))


def rounding_flags(exact, stored, wide=None):
    """The flags rounding exact to the single `stored` raises (through the
    64-bit `wide`, if given), tiny as the platform detects it."""
    if stored in (INF, -INF):
        return {"overflow,inexact"}
    if stored == exact:
        return {"none"}
    last = exact if wide is None else wide
    if stored == last:  # only the 64-bit rounding was inexact
        return {"inexact"}
    tiny = {"after": abs(round_bits(last, 24)) < Fraction(1, 2 ** 126), "before": abs(last) < Fraction(1, 2 ** 126)}
    return {"underflow,inexact" if tiny[TININESS] else "inexact"}


def result_wrong(shown, result, flags):
    """'' if the result's bits (or "nan": any quiet NaN, whose bits IEEE 754
    leaves to the machine) and the flags (one or any of several) are shown."""
    if result == "nan":
        bits = shown.get("result", "")
        if not re.fullmatch(r"[0-9a-f]{8}=nan:.*", bits) or int(bits[:8], 16) & 0x7fc00000 != 0x7fc00000:
            return f"result {bits}, want a quiet NaN"
    elif not shown.get("rounded", "").startswith(result + "="):
        return f"rounded {shown.get('rounded')}, want {result}"
    if shown.get("flags") not in ((flags,) if isinstance(flags, str) else flags):
        return f"flags {shown.get('flags')}, want {flags}"
    return ""


def check_random(tally, args, count):
    rng = random.Random(21)
    failures = []
    for _ in range(count):
        op = rng.choice("+-*/")
        a, b = random_single(rng), random_single(rng)
        extended = rng.random() < 0.25
        got, text = run(args, "op", *["--extended"] * extended, "0x%08x" % a, op, "0x%08x" % b)
        shown = fields(text)
        label = f"op {'--extended ' * extended}0x{a:08x} {op} 0x{b:08x}"
        if got.status != 0 or any(len(line) > 80 for line in text.splitlines()):
            failures.append(f"{label}: status {got.status} or a long line")
            continue
        special = special_facts(a, op, b)
        if special:
            why = result_wrong(shown, *special)
            if extended and not why and not shown.get("strict", "").endswith(":thesameinstrictsingleprecision"):
                why = f"strict {shown.get('strict')}"
            if why:
                failures.append(f"{label}: {why}")
            continue
        x, y = from_bits(a), from_bits(b)
        exact = {"+": x + y, "-": x - y, "*": x * y, "/": x / y if y else None}[op]
        rounded, tie = to_single(exact)
        wide = round_bits(exact, 64) if extended else None
        if shown.get("flags") not in rounding_flags(exact, rounded, wide):
            failures.append(f"{label}: flags {shown.get('flags')}, want {rounding_flags(exact, rounded, wide)}")
        if extended and rounded not in (INF, -INF):
            # precisionx's two roundings; from 64 bits to 24 a second
            # rounding never moves a single operation's result (64 >= 2 * 24 + 2).
            wide_shown = shown.get("to64bits", "").removesuffix(",exact")
            stored = shown.get("tosingle", "").split("=")[0]
            if not re.fullmatch(r"-?[\d.]+", wide_shown) or Fraction(wide_shown) != wide:
                failures.append(f"{label}: to 64 bits {wide_shown}, want {float(wide)!r}")
            elif stored != bits(rounded) and not (rounded == 0 and stored in ("00000000", "80000000")):
                failures.append(f"{label}: to single {stored}, want {bits(rounded)}")
            elif not shown.get("strict", "").endswith(":thesamesingle,roundedonce"):
                failures.append(f"{label}: {shown.get('strict')}")
            why = check_rounding(shown.get("inall", shown.get("store", "")).replace("none:exact", "none:theoperationisexact"),
                                 exact, rounded, tie)
            if why:
                failures.append(f"{label}: in all: {why}")
            continue
        if rounded in (INF, -INF):
            if not shown.get("tosingle" if extended else "rounded", "").startswith("7f800000=inf" if rounded > 0 else "ff800000=-inf"):
                failures.append(f"{label}: want an overflow, got {shown.get('rounded')}")
            continue
        # The exact result: digits for a binary fraction, N/q = ... for a quotient.
        result = shown.get(f"a{op}b", "")
        match = re.match(r"^([-\d.]+),exactly$", result) or re.match(r"^([-\d.]+)/(\d+)=([-\d.]+?)(\.\.\.)?$", result)
        if not match or (len(match.groups()) == 1 and Fraction(match.group(1)) != exact) or (
                len(match.groups()) == 4 and (Fraction(match.group(1)) / int(match.group(2)) != exact
                                              or not digits_agree(match.group(3), match.group(4), exact))):
            failures.append(f"{label}: exact result {result}, want {float(exact)!r}")
        stored = shown.get("rounded", "").split("=")[0]
        # -0 and 0 compare equal: the machine's sign of a zero is its own.
        if stored != bits(rounded) and not (rounded == 0 and stored in ("00000000", "80000000")):
            failures.append(f"{label}: rounded {stored}, want {bits(rounded)}")
        why = check_rounding(shown.get("rounding", ""), exact, rounded, tie)
        if why:
            failures.append(f"{label}: {why}: {shown.get('rounding')}")
    tally.check(f"{count} random operations against exact fractions", not failures, "\n     ".join(failures[:5]))


def check_random_values(tally, args, count):
    """Decimals and fractions read and rounded: the stored single and the
    rounding (exact error, ulps, direction) against the model."""
    rng = random.Random(17)
    failures = []
    for n in range(count):
        if n % 4 == 0:
            text = f"{rng.choice(['', '-'])}{rng.randint(0, 10 ** 6)}/{rng.randint(1, 10 ** 6)}"
            value = Fraction(text.lstrip("-")) * (-1 if text.startswith("-") else 1)
        else:
            text = f"{rng.uniform(-10, 10):.{rng.randint(1, 12)}f}e{rng.randint(-50, 40)}"
            value = Fraction(text)
        rounded, tie = to_single(value)
        extended = n % 3 == 0 and value != 0 and Fraction(1, 10 ** 90) <= abs(value) < 10 ** 39
        got, out = run(args, "value", *["--extended"] * extended, text)
        shown = fields(out)
        if extended:
            wide = round_bits(value, 64)
            shown_wide = shown.get("to64bits", "").removesuffix(",exact")
            twice, _ = to_single(wide)
            want = bits(twice) + (":thesamesingleasreaddirectly" if twice == rounded else ":notthesinglereaddirectly,roundedtwice")
            if not re.fullmatch(r"-?[\d.]+", shown_wide) or Fraction(shown_wide) != wide or shown.get("tosingle") != want:
                failures.append(f"{text} --extended: {shown_wide} {shown.get('tosingle')}, want {float(wide)!r} {want}")
        if got.status != 0 or any(len(line) > 80 for line in out.splitlines()):
            failures.append(f"{text}: status {got.status} or a long line")
        elif rounded in (INF, -INF):
            if not shown.get("rounding", "").startswith("up,toinfinity" if rounded > 0 else "down,to-infinity"):
                failures.append(f"{text}: want an overflow, got {shown.get('rounding')}")
        elif shown.get("bits", "")[:8] != bits(rounded) and not (value == 0 and shown.get("bits", "")[1:8] == "0000000"):
            failures.append(f"{text}: bits {shown.get('bits')}, want {bits(rounded)}")
        else:
            why = check_rounding(shown.get("rounding", ""), value, rounded, tie)
            if why:
                failures.append(f"{text}: {why}: {shown.get('rounding')}")
    tally.check(f"{count} random decimals and fractions against exact fractions", not failures,
                "\n     ".join(failures[:5]))


def check_extended_values(tally, args):
    # 1/3 * 2^65 = 12297829382473034410.67 rounds up to ...411: a third of
    # the 64-bit unit 2^-65 above; stored from there as read directly.
    got, text = run(args, "value", "--extended", "1/3")
    shown = fields(text)
    wide = Fraction(12297829382473034411, 2 ** 65)
    tally.check("value --extended 1/3: to 64 bits", got.status == 0 and Fraction(shown.get("to64bits", "0")) == wide
                and shown.get("tosingle") == "3eaaaaab:thesamesingleasreaddirectly", str(shown))
    # check_rounding measures in ulps of its `rounded`: the 64-bit value's
    # ulp as a single is 2^-25, the ulp the error is shown in.
    tally.check("value --extended 1/3: its error",
                check_rounding(shown.get("itserror", ""), Fraction(1, 3), wide, False) == "", shown.get("itserror"))
    # op makes the same quotient as precisionx does: to 64 bits as above,
    # and the error of that rounding shown apart from the store's.
    got, text = run(args, "op", "--extended", "1", "/", "3")
    shown = fields(text)
    tally.check("op --extended 1 / 3: to 64 bits, and its error", got.status == 0
                and Fraction(shown.get("to64bits", "0")) == wide
                and check_rounding(shown.get("itserror", ""), Fraction(1, 3), wide, False) == "", str(shown))
    # 1 + 2^-64 is halfway between 1 and 1 + 2^-63 (its last bit odd): the
    # tie goes down, to 1; 1 + 3 * 2^-64, between that odd one and the even
    # 1 + 2^-62, goes up.
    for halves, wide in ((1, Fraction(1)), (3, 1 + Fraction(1, 2 ** 62))):
        value = 1 + Fraction(halves, 2 ** 64)
        text = str(value.numerator * 5 ** 64)[:1] + "." + str(value.numerator * 5 ** 64)[1:]
        got, out = run(args, "value", "--extended", text)
        shown = fields(out)
        tally.check(f"value --extended 1 + {halves} * 2^-64: a tie at 64 bits", got.status == 0
                    and Fraction(shown.get("to64bits", "0")) == wide
                    and check_rounding(shown.get("itserror", ""), value, wide, True) == "", str(shown))
    # 1 + 2^-24 is halfway between 1 and the next single up; 10^-25 more is
    # above it, so the single is 3f800001. But 10^-25 is below half the
    # 64-bit unit 2^-63: to 64 bits it is the halfway value, whose store
    # ties to the even 1.
    got, text = run(args, "value", "--extended", "1.0000000596046447753906251")
    shown = fields(text)
    tally.check("value --extended: rounded twice, to the other single", got.status == 0
                and shown.get("bits", "")[:8] == "3f800001" and shown.get("to64bits") == "1.000000059604644775390625"
                and shown.get("tosingle") == "3f800000:notthesinglereaddirectly,roundedtwice", str(shown))


def check_usage(tally, args):
    for arguments in USAGE_ERRORS:
        got = blackbox.run(args.bin, "floatexplain", arguments=arguments)
        tally.check(f"floatexplain {arguments}: usage error",
                    got.status == 2 and got.stdout == b"" and got.stderr.startswith(b"floatexplain: ")
                    and got.stderr.endswith(b"Try 'floatexplain --help' for more information.\n"), str(got))


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()
    check_usage(tally, args)
    check_transcripts(tally, args)
    check_values(tally, args)
    check_operations(tally, args)
    check_special(tally, args)
    learn_tininess(tally, args)
    # Under an emulator each run costs some fifty native ones: where the
    # programs run slowly, fewer draws, which still reach every branch of
    # the arithmetic.
    check_random(tally, args, blackbox.fewer(400, 100, "random operations"))
    check_random_values(tally, args, blackbox.fewer(200, 50, "random values"))
    check_extended_values(tally, args)
    tally.finish()


if __name__ == "__main__":
    main()

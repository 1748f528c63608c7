"""floatexplain against the independent model in emulate.py and against
values derived by hand.

Every shown step of a few short passes is held against the model's exact
rational arithmetic: the stored term and sum, the unit in the last place and
each rounding error. The default pass's summary is held against facts
derived from the arithmetic (the stall at 2^22) and an exact sum from the
asymptotic series of the harmonic numbers. One row of each table is derived
by hand below."""

import decimal
import math
import os
import pty
import re
import shlex
import subprocess
import sys
import time
from fractions import Fraction

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402
import emulate  # noqa: E402

ROUNDING = r"((?:exact|absorbed|\S+ ulp)(?:, tie to even)?)"
STRICT_ROW = re.compile(r"^ *(\d+)  ([0-9a-f]{8}) \S+  ([0-9a-f]{8}) \S+  2\^(-?\d+) +" + ROUNDING + " *(.*)$")
EXTENDED_ROW = re.compile(
    r"^ *(\d+)  (\S+)  ([0-9a-f]{8}) \S+  2\^(-?\d+) +" + ROUNDING + " +" + ROUNDING + " *(.*)$")
PHASE_ROW = re.compile(r"^(\[2\^-?\d+, 2\^-?\d+\)) +2\^(-?\d+) +(1 ulp or more|1/2 to 1 ulp|1/2 ulp or less)"
                       r" +(\d+) +(\d+)  (exact|\S+ ulp)$")
SUMMARY = re.compile(r"^([a-z ]+): (.*)$")


def run(args, *arguments):
    got = blackbox.run(args.bin, "floatexplain", arguments=list(arguments), timeout=600)
    return got, got.stdout.decode(errors="replace")


def ulp_exponent(x):
    """The exponent of the unit in the last place of a positive single
    (exact as a double, so frexp reads its power of two exactly)."""
    return max(math.frexp(float(x))[1] - 1, -126) - 23


def exact_digits(x):
    """All the decimal digits of a non-negative dyadic fraction."""
    with decimal.localcontext() as context:
        context.prec = 200
        text = format(decimal.Decimal(x.numerator) / decimal.Decimal(x.denominator), "f")
    return text.rstrip("0").rstrip(".") if "." in text else text


def shows(text, error, exponent):
    """Whether `text` ("exact", "+0.471 ulp", "-4.55e-13 ulp") says the error
    in ulps of 2^exponent: its sign, and its value to the last digit shown,
    rounded. How many digits it shows is the program's to choose; the exact
    transcripts below hold that."""
    ulps = Fraction(error) / Fraction(2) ** exponent
    if text == "exact" or ulps == 0:
        return text == "exact" and ulps == 0
    match = re.fullmatch(r"([-+])(\d+(?:\.(\d+))?)(?:e([-+]\d+))?( ulp)", text)
    if not match or (match.group(1) == "-") != (ulps < 0):
        return False
    places = len(match.group(3) or "") - int(match.group(4) or 0)
    shown = Fraction(match.group(2)) * Fraction(10) ** int(match.group(4) or 0)
    return abs(shown - abs(ulps)) <= Fraction(1, 2) / Fraction(10) ** places


def is_tie(exact):
    """Whether a positive exact value lies halfway between two singles: it
    needs the 25th significant bit, and no further one."""
    return emulate.round_significand(exact, 25) == exact != emulate.round_significand(exact, 24)


def rounding_shows(text, stored, before, exact, exponent):
    """The rounding column: the error, or "absorbed" where the sum stayed;
    marked where the exact value was a tie."""
    tie = text.endswith(", tie to even")
    text = text.removesuffix(", tie to even")
    return tie == is_tie(exact) and (text == "absorbed" if stored == before else shows(text, stored - exact, exponent))


def is_tie_64(exact):
    """Whether a positive exact value lies halfway between two 64-bit values."""
    return emulate.round_significand(exact, 65) == exact != emulate.round_significand(exact, 64)


def bits(x):
    return "%08x" % emulate.single_bits(float(x))


def scientific(x, digits):
    """x to `digits` significant digits, halves rounded up, as C's %e would
    lay it out."""
    with decimal.localcontext() as context:
        context.prec = 200
        exact = decimal.Decimal(x.numerator) / decimal.Decimal(x.denominator)
        exponent = exact.adjusted()
        kept = exact.scaleb(-exponent).quantize(decimal.Decimal(1).scaleb(1 - digits), decimal.ROUND_HALF_UP)
        if kept >= 10:
            kept, exponent = kept / 10, exponent + 1
        return f"{kept}e{exponent:+03d}"


def model_steps(indices, extended):
    """Each step as (i, term, sum, ulp exponent, the exact value rounded to
    single, the sum before, the exact term[, the 64-bit error])."""
    total = Fraction(0)
    for i in indices:
        if extended:
            term = emulate.round_significand(Fraction(1, i), 64)
            wide = emulate.round_significand(total + term, 64)
            stored = emulate.round_significand(wide, 24)
            yield i, term, stored, ulp_exponent(stored), wide, total, term, wide - total - term
        else:
            term = Fraction(emulate.single(1.0 / i))
            stored = Fraction(emulate.single(float(total) + float(term)))
            yield i, term, stored, ulp_exponent(stored), total + term, total, term
        total = stored


def model_phases(model):
    """The runs of steps whose sums share a binade and whose terms compare
    alike with its ulp, as the phase table shows them, each with the error it
    adds: how much further the sum moved than the terms it was given."""
    phases = []
    for i, term, stored, exponent, _, before, *rest in model:
        size = size_against_ulp(term, exponent)
        binade = exponent + 23
        if not phases or phases[-1]["binade"] != binade or phases[-1]["size"] != size:
            phases.append(dict(binade=binade, size=size, first=i, steps=0, before=before, terms=Fraction(0)))
        phase = phases[-1]
        phase.update(steps=phase["steps"] + 1, after=stored, terms=phase["terms"] + term)
    return [(f"[2^{p['binade']}, 2^{p['binade'] + 1})", str(p["binade"] - 23), p["size"], str(p["first"]),
             str(p["steps"]), p["after"] - p["before"] - p["terms"]) for p in phases]


def size_against_ulp(term, exponent):
    ulp = Fraction(2) ** exponent
    return "1 ulp or more" if term >= ulp else "1/2 to 1 ulp" if 2 * term > ulp else "1/2 ulp or less"


def model_notes(model):
    """Why each step is notable: the first term absorbed, the last change,
    a new binade of the sum, or a new size of the terms within one."""
    notes = [[] for _ in model]
    changes = [k for k, step in enumerate(model) if step[2] != step[5]]
    absorbed = [k for k, step in enumerate(model) if step[2] == step[5]]
    if absorbed:
        notes[absorbed[0]].append("first term absorbed")
    previous = None
    for k, (i, term, stored, exponent, *_) in enumerate(model):
        binade, size = exponent + 23, size_against_ulp(term, exponent)
        if previous is None or previous[0] != binade:
            notes[k].append(f"sum enters [2^{binade}, 2^{binade + 1})")
        elif previous[1] != size:
            notes[k].append(f"terms now {size}")
        previous = binade, size
    if changes:
        notes[changes[-1]].append("last change to the sum")
    return ["; ".join(n) for n in notes]


def summary(text):
    block = next((b for b in text.split("\n\n") if b.startswith("terms added") or "\nterms added" in b), "")
    return dict(m.groups() for m in map(SUMMARY.match, block.splitlines()) if m)


def phases(text):
    return [m.groups() for m in map(PHASE_ROW.match, text.splitlines()) if m]


def check_passes(tally, args):
    """Every step of short passes, and their summaries, against the model."""
    # 1..92: the bound on the exact sum, 2 * 92 * 2^-64 = 9.97e-18, is 1.0e-17
    # rounded up to two digits.
    passes = [((20, 100), False), ((1, 92), False), ((1, 2000), False), ((2000, 6000), False),
              ((20, 800), True), ((20, 900), True), ((16_777_000, 16_777_216), True)]
    for (low, high), extended in passes:
        for order in (emulate.increasing, emulate.decreasing):
            options = ["sum", "--from", str(low), "--to", str(high), "--every", "1", "--wide"]
            options += ["--extended"] * extended + ["--decreasing"] * (order is emulate.decreasing)
            label = " ".join(options)
            got, text = run(args, *options)
            pattern = EXTENDED_ROW if extended else STRICT_ROW
            rows = [m.groups() for m in map(pattern.match, text.splitlines()) if m]
            model = list(model_steps(order(low, high), extended))
            tally.check(f"{label}: one row a step", len(rows) == len(model) and got.status == 0,
                        f"{len(rows)} rows for {len(model)} steps, status {got.status}")
            wrong = []
            for row, step, note in zip(rows, model, model_notes(model)):
                i, term, stored, exponent, exact, before = step[:6]
                if extended:
                    want = (str(i), scientific(term, 20), bits(stored), str(exponent))
                    to_64 = row[4].removesuffix(", tie to even")
                    right = (row[4].endswith(", tie to even") == is_tie_64(before + term)
                             and shows(to_64, step[7], exponent))
                else:
                    want = (str(i), bits(term), bits(stored), str(exponent))
                    right = True
                right = right and rounding_shows(row[-2], stored, before, exact, exponent)
                if row[:4] != want or row[-1] != note or not right:
                    wrong.append(f"got {row}, want {want}, {note!r}")
            tally.check(f"{label}: every step as the model makes it", not wrong, "\n     ".join(wrong[:3]))
            shown_phases, model_phases_ = phases(text), model_phases(model)
            tally.check(f"{label}: the phases as the model finds them", len(shown_phases) == len(model_phases_) and all(
                got[:5] == want[:5] and shows(got[5], want[5], int(want[1])) for got, want in zip(shown_phases, model_phases_)),
                        f"{shown_phases}\n     want {model_phases_}")

            facts = summary(text)
            final = model[-1][2]
            exact = sum(Fraction(1, i) for i in range(low, high + 1))
            absorbed = [step[0] for step, before in zip(model, [None] + model) if before and step[2] == before[2]]
            changes = [step[0] for step, before in zip(model, [None] + model) if not before or step[2] != before[2]]
            tally.check(f"{label}: summary of absorbed terms",
                        facts.get("first term absorbed") == (f"i = {absorbed[0]}" if absorbed else "none")
                        and facts.get("terms absorbed") == str(len(absorbed))
                        and facts.get("last step that changes the sum") == f"i = {changes[-1]}", str(facts))
            # Every digit of the single stored.
            tally.check(f"{label}: final sum", facts.get("final sum") == f"{bits(final)} = {exact_digits(Fraction(final))}",
                        str(facts))
            shown, bound = re.match(r"(\S+) \(error below (\S+)\)", facts.get("exact sum", "0 (error below 0)")).groups()
            # Each term is cut below 2^-64 and the sum shown to half a digit
            # no larger than that: 2 * terms * 2^-64, rounded up to 2 digits.
            least = len(model) * Fraction(2) ** -63
            tally.check(f"{label}: exact sum within its bound, held to the term count",
                        abs(Fraction(shown) - exact) < Fraction(bound) and least <= Fraction(bound) < least * 11 / 10
                        and re.fullmatch(r"[1-9]\.\de-\d+", bound) is not None,
                        f"{shown} +- {bound}, exact {float(exact)}, {len(model)} terms")
            if extended:
                # A strict step from the same stored sum: the model's single
                # precision, which ends elsewhere now and then.
                unlike = sum(1 for step in model if emulate.single(float(step[5]) + emulate.single(1.0 / step[0]))
                             != float(step[2]))
                tally.check(f"{label}: steps where strict single precision would end elsewhere",
                            facts.get("steps that strict single precision would end elsewhere") == str(unlike),
                            f"{facts}, want {unlike}")
            error, unit = re.match(r"(.*) \(ulp 2\^(-?\d+)\)$", facts.get("error of the final sum", "? (ulp 2^0)")).groups()
            tally.check(f"{label}: error of the final sum", int(unit) == ulp_exponent(final)
                        and shows(error, final - exact, ulp_exponent(final)), str(facts))


def harmonic(n):
    """H(n) from its asymptotic series, to far more digits than the test
    needs: the first term left out is below 1/(240 n^8)."""
    with decimal.localcontext() as context:
        context.prec = 50
        n = decimal.Decimal(n)
        gamma = decimal.Decimal("0.57721566490153286060651209008240243104215933593992")
        return n.ln() + gamma + 1 / (2 * n) - 1 / (12 * n ** 2) + 1 / (120 * n ** 4) - 1 / (252 * n ** 6)


def check_default_pass(tally, args):
    """precision3's increasing 2000..10,000,000 pass. The sum passes 4 at
    i = 109,165 (H(109165) - H(1999) = 4.0000...), where a term is about 19
    of its new ulp 2^-21. The terms are at least that ulp up to i = 2^21;
    from 2^21 + 1 to 2^22 - 1 they lie between half an ulp and one, so each
    step rounds up to one whole ulp; at i = 2^22 the term is exactly half (a
    tie, which leaves the even sum alone) and every later one is less.
    Decreasing, no term is ever absorbed: it would need 1/i <= S * 2^-24 with
    S = ln(10^7 / i), and x e^-x < 1/e forbids it."""
    stalled = emulate.strict_sum(emulate.increasing(2000, 2 ** 22 - 1))
    exact = Fraction(harmonic(10 ** 7) - harmonic(1999))
    # One whole pass serves every check below: --wide shows the rows at the
    # stall, and its summary follows them.
    got, summary_text = run(args, "sum", "--wide")
    facts = summary(summary_text)
    want = {
        "terms added": str(10 ** 7 - 2000 + 1),
        "first term absorbed": f"i = {2 ** 22}",
        "last step that changes the sum": f"i = {2 ** 22 - 1}",
        "terms absorbed": str(10 ** 7 - 2 ** 22 + 1),
        "final sum": f"{bits(stalled)} = {exact_digits(Fraction(stalled))}",
    }
    tally.check("default pass: the stall at 2^22", all(facts.get(k) == v for k, v in want.items()) and got.status == 0,
                f"{facts}\n     want {want}")
    shown, bound = re.match(r"(\S+) \(error below (\S+)\)", facts.get("exact sum", "0 (error below 0)")).groups()
    tally.check("default pass: exact sum to 10 digits and more, within its bound",
                abs(Fraction(shown) - exact) < Fraction(bound) < Fraction(1, 10 ** 10), f"{shown}, {float(exact)}")
    error = (Fraction(stalled) - exact) / Fraction(2) ** -21
    tally.check("default pass: error of the final sum", facts.get("error of the final sum") ==
                "%+.0f ulp (ulp 2^-21)" % float(error), f"{facts.get('error of the final sum')}, {float(error)}")

    got, text = run(args, "sum", "--summary", "--decreasing")
    facts = summary(text)
    tally.check("default pass, decreasing: nothing absorbed",
                facts.get("first term absorbed") == "none" and facts.get("terms absorbed") == "0"
                and facts.get("last step that changes the sum") == "i = 2000", str(facts))

    # The phases in [2^2, 2^3), from the paragraph above: 1/i >= 2^-21 up to
    # i = 2^21, over half of it up to 2^22 - 1, at most half from 2^22 on.
    # Each step of the middle phase adds 2^-21 - 1/i: in all, 2097151 ulps
    # less the sum of the terms, 2^21 (ln 2 - 2^-22) to within 1/3 ulp:
    # 643,517 ulps. Those absorbed lose every term, 2^21 ln(10^7 / 2^22),
    # 1,822,127 ulps (to within 1 ulp).
    last = [row for row in phases(summary_text) if row[0] == "[2^2, 2^3)"]
    lost = 2 ** 21 * math.log(10 ** 7 / 2 ** 22)
    gained = 2 ** 22 - 1 - 2 ** 21 - 2 ** 21 * math.log((2 ** 22 - 0.5) / (2 ** 21 + 0.5))
    want = [("1 ulp or more", "109165", str(2 ** 21 - 109165 + 1)),
            ("1/2 to 1 ulp", str(2 ** 21 + 1), str(2 ** 22 - 1 - 2 ** 21)),
            ("1/2 ulp or less", str(2 ** 22), str(10 ** 7 - 2 ** 22 + 1))]
    tally.check("default pass: the three phases of [2^2, 2^3)", [row[2:5] for row in last] == want
                and [row[1] for row in last] == ["-21"] * 3, str(last))
    added = [int(row[5].split()[0]) for row in last[1:]] if len(last) == 3 else [0, 0]
    tally.check("default pass: what the last two phases add",
                abs(added[0] - gained) < 1 and abs(added[1] + lost) < 1, f"{added}, want {gained}, {-lost}")

    # The rows at the stall. 1/(2^22 - 1) = 2^-22 (1 + 2^-22 + ...) is stored
    # as 2^-22 (1 + 2^-22): fraction bit 1 set, 0x34800002. Against the
    # ulp 2^-21 it is a little over a half, so the sum rounds up by
    # 2^-21 - 2^-22 (1 + 2^-22) = 2^-22 - 2^-44, or 0.5 - 2^-23 ulp
    # = 0.49999988...: to seven digits, 0.4999999, for fewer would read 0.5.
    # 1/2^22 is 0x69 << 23 = 0x34800000, exactly half an ulp: a tie, which
    # leaves the sum (its last bit 0: 0x40fd68c4) where it is.
    rows = [m.groups() for m in map(STRICT_ROW.match, summary_text.splitlines()) if m]
    rows = [(r[0], r[1], r[4], r[5]) for r in rows if r[0] in (str(2 ** 22 - 1), str(2 ** 22))]
    tally.check("the rows at 2^22", rows == [
        (str(2 ** 22 - 1), "34800002", "+0.4999999 ulp", "last change to the sum"),
        (str(2 ** 22), "34800000", "absorbed, tie to even", "first term absorbed; terms now 1/2 ulp or less")],
        str(rows))


def check_tables(tally, args):
    # The tenth is 13421773 * 2^-27. The ninth sum, 3f666668, is 15099496 *
    # 2^-24 = 120795968 * 2^-27, so the tenth addition is exactly
    # 134217741 * 2^-27 = 1 + 13 * 2^-27. The ulp of 1 is 2^-23 = 16 * 2^-27:
    # 13/16 of it is past the half, so the sum rounds up to 1 + 2^-23
    # (3f800001), by 3/16 ulp.
    exact = Fraction(134217741, 2 ** 27)
    digits = str(decimal.Decimal(exact.numerator) / decimal.Decimal(exact.denominator))
    for extended in (False, True):
        options = ["tenths", "--wide"] + ["--extended"] * extended
        got, text = run(args, *options)
        row = next((line.split() for line in text.splitlines() if line.startswith("10  ")), [])
        # The sums of two singles this size fit 64 bits: never rounded there.
        want = ["10", "3f666668", digits] + ["exact"] * extended + [
            "3f800001", "1.000000e+00", "+0.1875", "ulp", "up", "off", "course:"]
        tally.check(f"{' '.join(options)}: the tenth addition", row[:len(want)] == want and got.status == 0,
                    f"{row}\n     want {want}")
        # Ten tenths in one product: 134217730 * 2^-27 = 1 + 2^-26, less than
        # half an ulp of 1 away from it.
        tally.check(f"{' '.join(options)}: the sum is not 1, the product rounds to it",
                    "sum == 1.0f: false\n" in text
                    and "10 * tenth, exactly: 1.00000001490116119384765625, rounded once: 3f800000\n" in text)

    # Within 80 columns the 64-bit rounding's ties are told under their rows.
    # A tie is half the 64-bit spacing, 2^-64 of the sum's binade, and so
    # 2^-41 = 4.55e-13 of the single's ulp, 2^-23 of it; the model says where.
    got, text = run(args, "sum", "--extended", "--from", "1", "--to", "107", "--every", "1", "--decreasing")
    lines = text.splitlines()
    told = [int(row.split()[0]) for row, below in zip(lines, lines[1:])
            if re.match(r" +to 64 bits: [-+]4\.55e-13 ulp, tie to even(;|$)", below)]
    ties = []
    for step in model_steps(emulate.decreasing(1, 107), True):
        ties += [step[0]] * is_tie_64(step[5] + step[6])
    tally.check("sum --extended: the ties of the 64-bit rounding, told", told == ties and got.status == 0
                and max(map(len, lines)) <= 80, f"{told}, want {ties}")

    # a*10 = 134217730 * 2^-27 = 1 + 2^-26, which rounds down to 1 by
    # 2^-26, an eighth of the ulp 2^-23 of 1. Line 2 is 1 - (1 - 2^-24) =
    # 2^-24 exactly; Line 1 is 10 * 2^-27, 2^-26 more.
    got, text = run(args, "distributive", "--wide")
    rows = {line[:16].strip(): line[16:].split() for line in text.splitlines()}
    want = {
        "a*10": ["3dcccccd", "*", "41200000", "1.00000001490116119384765625", "3f800000", "1.000000e+00",
                 "-0.125", "ulp", "down"],
        "Line2: a*10+b*10": ["3f800000", "+", "bf7fffff", "0.000000059604644775390625", "33800000",
                             "5.960464e-08", "exact", "exact"],
    }
    for name, fields in want.items():
        tally.check(f"distributive: {name}", rows.get(name) == fields and got.status == 0, f"{rows.get(name)}")
    tally.check("distributive: Line 1 - Line 2 is what a*10 lost",
                "Line 1 - Line 2 = 0.00000001490116119384765625\n" in text
                and "a*10 rounded by -0.00000001490116119384765625\n" in text)


# Every step of a range of at most 1000 terms (high - low + 1), else those
# where i is a multiple of the least power of ten that leaves at most about
# 100 of them (terms // every <= 100). Down from high, the multiples are the
# same, and the rows run from high to low.
DEFAULT_EVERY = [((600, 900), 1), ((1, 1000), 1), ((1001, 2000), 1), ((1, 1001), 10), ((2000, 3000), 10),
                 ((1, 100_000), 1000), ((1, 100_999), 1000), ((1, 101_000), 10_000)]
DECREASING_EVERY = [((1, 1001), 10), ((1, 100_999), 1000), ((2000, 3000), 10)]


def check_default_every(tally, args):
    cases = [(bounds, every, False) for bounds, every in DEFAULT_EVERY]
    cases += [(bounds, every, True) for bounds, every in DECREASING_EVERY]
    for (low, high), every, decreasing in cases:
        order = ["--decreasing"] * decreasing
        got, text = run(args, "sum", "--from", str(low), "--to", str(high), "--wide", *order)
        heading = "every step:" if every == 1 else \
            f"the first and last steps, every multiple of {every}, and the notable ones:"
        rows = [int(m.group(1)) for m in map(STRICT_ROW.match, text.splitlines()) if m]
        multiples = range(low + (-low) % every, high + 1, every)
        first, last = (high, low) if decreasing else (low, high)
        tally.check(f"sum --from {low} --to {high} {' '.join(order)}: every {every}",
                    text.splitlines()[1:2] == [heading] and set(multiples) <= set(rows)
                    and rows[0] == first and rows[-1] == last and rows == sorted(rows, reverse=decreasing),
                    f"{text.splitlines()[1:2]}, {len(rows)} rows")


# sum --from 1 --to 4, derived by hand. 1/3 is stored as 11184811 * 2^-25
# (3eaaaaab); 1.5 + 1/3 is 61516459 * 2^-25, 15379114.75 units of 2^-23:
# up by a quarter to 15379115 (3feaaaab). Adding 1/4 = 2^21 units gives
# 17476267 * 2^-23, 8738133.5 units of the new ulp 2^-22: a tie, to the
# even 8738134 (40055556). The sum then exceeds 25/12 by 2/3 ulp. The
# exact sum's bound is 2 * 4 * 2^-64 = 4.34e-19, shown to 19 places.
SUM_1_TO_4 = """\
1/i for i = 1 up to 4, added in strict single precision
every step:

       i  term 1/i      sum after the step     ulp     rounding
       1  1.000000e+00  3f800000 1.000000e+00  2^-23   exact
          sum enters [2^0, 2^1)
       2  5.000000e-01  3fc00000 1.500000e+00  2^-23   exact
       3  3.333333e-01  3feaaaab 1.833333e+00  2^-23   +0.25 ulp
       4  2.500000e-01  40055556 2.083333e+00  2^-22   +0.5 ulp, tie to even
          sum enters [2^1, 2^2); last change to the sum

terms added: 4
first term absorbed: none
last step that changes the sum: i = 4
terms absorbed: 0
final sum: 40055556 = 2.083333492279052734375
exact sum: 2.0833333333333333333 (error below 4.4e-19)
error of the final sum: +0.667 ulp (ulp 2^-22)

phases: in each binade of the sum, the terms as added against its ulp:
  1 ulp or more: roundings of either sign; 1/2 to 1 ulp: every step rounds up;
  1/2 ulp or less: absorbed, ties to even. The error a phase adds is the sum
  of its roundings: how far the sum moved beyond its terms.

binade          ulp     terms              first i     steps  error added
[2^0, 2^1)      2^-23   1 ulp or more            1         3  +0.25 ulp
[2^1, 2^2)      2^-22   1 ulp or more            4         1  +0.5 ulp
"""

# part3 with a = 13421773 * 2^-27 (0.1 rounded up) and b = -13421772 *
# 2^-27: a + b = 2^-27; b * 10 = -(1 - 2^-24), a single; (a + b) * 10 =
# 5 * 2^-26; a * 10 = 1 + 2^-26 rounds down by an eighth of the ulp 2^-23
# of 1; 1 - (1 - 2^-24) = 2^-24.
DISTRIBUTIVE = """\
part3's operations in single precision:
a = 3dcccccd = 0.100000001490116119384765625
b = bdcccccc = -0.0999999940395355224609375

operation         operands             exact result
a + b             3dcccccd + bdcccccc  0.000000007450580596923828125
                  rounded to 32000000 7.450581e-09: exact
a*10              3dcccccd * 41200000  1.00000001490116119384765625
                  rounded to 3f800000 1.000000e+00: -0.125 ulp, down
b*10              bdcccccc * 41200000  -0.999999940395355224609375
                  rounded to bf7fffff -9.999999e-01: exact
Line1: (a+b)*10   32000000 * 41200000  0.00000007450580596923828125
                  rounded to 33a00000 7.450581e-08: exact
Line2: a*10+b*10  3f800000 + bf7fffff  0.000000059604644775390625
                  rounded to 33800000 5.960464e-08: exact

Line 1 - Line 2 = 0.00000001490116119384765625
a*10 rounded by -0.00000001490116119384765625
"""


def tenths_transcript(extended):
    """tenths, row by row from the model: ten additions of the single
    nearest 0.1, each exact sum (below 2^28 units of 2^-27, so a double
    holds it) rounded to single. The 64-bit step never rounds: two singles
    this size sum within 64 bits."""
    tenth = Fraction(emulate.single(0.1))
    lines = ["part2's additions of the tenth 3dcccccd = 0.100000001490116119384765625,",
             "each with a 64-bit significand, stored in single precision" if extended else "in strict single precision",
             "", " n  sum + tenth, exactly           rounded   error         direction"]
    total = Fraction(0)
    for n in range(1, 11):
        exact = total + tenth
        stored = Fraction(emulate.single(float(exact)))
        exponent = ulp_exponent(stored)
        way = "exact" if stored == exact else ("up" if stored > exact else "down") + ", tie to even" * is_tie(exact)
        # Each error is a multiple of 2^-27 and the ulps run from 2^-27 to
        # 2^-23: sixteenths of an ulp at most, shown with every digit.
        ulps = (stored - exact) / Fraction(2) ** exponent
        error = "exact" if ulps == 0 else ("+" if ulps > 0 else "-") + exact_digits(abs(ulps)) + " ulp"
        lines.append(f"{n:2d}  {exact_digits(exact):29}  {bits(stored)}  {error:12}  {way}")
        course = emulate.single(n / 10)
        name = f"{n // 10}.{n % 10}" if n % 10 else str(n // 10)
        note = f"the single nearest {name}" if float(stored) == course else \
            f"off course: the single nearest {name} is {bits(course)}"
        lines.append("    " + "to 64 bits: exact; " * extended + note)
        total = stored
    return "\n".join(lines) + "\n"


def check_transcripts(tally, args):
    """Whole outputs, byte for byte: the layout as well as the values."""
    transcripts = [(["sum", "--from", "1", "--to", "4"], SUM_1_TO_4), (["distributive"], DISTRIBUTIVE),
                   (["tenths"], tenths_transcript(False)), (["tenths", "--extended"], tenths_transcript(True))]
    for arguments, want in transcripts:
        got, text = run(args, *arguments)
        text = text.split("\n\nthe sum: ")[0] + "\n" if arguments[0] == "tenths" else text
        tally.check(f"floatexplain {' '.join(arguments)}: the whole transcript", text == want and got.status == 0,
                    "\n".join(f"     got  {g!r}\n     want {w!r}" for g, w in zip(text.splitlines(), want.splitlines())
                              if g != w)[:1500] or f"{len(text)} bytes for {len(want)}")


# Every command's default output, and --help, within 80 columns.
# (Short ranges at both ends of the default one: a whole pass costs much
# under an emulator, and the rows' width depends on i and the notes, not on
# the sums before them.)
NARROW = [["sum", "--from", "2000", "--to", "2300"], ["sum", "--from", "9999000", "--to", "10000000"],
          ["sum", "--extended", "--from", "2000", "--to", "2300"], ["sum", "--from", "1", "--to", "2000", "--decreasing"],
          ["sum", "--from", "16777000", "--to", "16777216", "--extended"], ["tenths"], ["tenths", "--extended"],
          ["distributive"], ["--help"]]


def check_columns(tally, args):
    for arguments in NARROW:
        got, text = run(args, *arguments)
        widest = max(map(len, text.splitlines()))
        tally.check(f"floatexplain {' '.join(arguments)}: within 80 columns", widest <= 80 and got.status == 0,
                    f"{widest} columns")


LONGEST = 2 ** 24  # sum's highest i


def check_progress(tally, args):
    """A run of more than a second tells its progress on standard error when
    that is a terminal (a pseudo-terminal here), and nothing when not. It
    looks at the clock every 65,536 steps, so a run of --every 1 over a
    little more shows it where the programs are slow; elsewhere the run is
    made three times longer until it lasts three seconds."""
    steps = 70_000
    while True:
        arguments = ["sum", "--every", "1", "--from", "1", "--to", str(steps)]
        command = shlex.split(os.environ.get("PROGRAM_EMULATOR", "")) + [os.path.join(args.bin, "floatexplain"),
                                                                         *arguments]
        main, terminal = pty.openpty()
        start = time.monotonic()
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=terminal)
        os.close(terminal)
        shown = b""
        while True:
            try:
                chunk = os.read(main, 4096)
            except OSError:  # the terminal's other end closed
                break
            if not chunk:
                break
            shown += chunk
        os.close(main)
        status = child.wait()
        seconds = time.monotonic() - start
        progress = re.search(rb"\rfloatexplain: \d+% of " + str(steps).encode() + rb" steps", shown)
        if progress or seconds >= 3 or steps == LONGEST:
            break
        steps = min(LONGEST, steps * 3)
    tally.check(f"progress at a terminal ({steps} steps, {seconds:.1f} s)", status == 0 and progress
                and shown.endswith(b"\r" + b" " * 50 + b"\r"), str(shown[-200:]))
    got = blackbox.run(args.bin, "floatexplain", arguments=arguments, stdout=subprocess.DEVNULL, timeout=600)
    tally.check("no progress when standard error is not a terminal", got.status == 0 and got.stderr == b"", str(got))


def check_data(tally, args):
    got, text = run(args, "sum", "--data", "--from", "20", "--to", "100", "--every", "10")
    rows = [line.split("\t") for line in text.splitlines() if not line.startswith("#")]
    model = {step[0]: step[2] for step in model_steps(emulate.increasing(20, 100), False)}
    tally.check("--data: the first, the last and every tenth i", [int(r[0]) for r in rows] == list(range(20, 101, 10)))
    tally.check("--data: the stored and the exact sums", all(
        emulate.single(float(r[1])) == float(model[int(r[0])])  # 9 digits tell singles apart
        and abs(Fraction(r[2]) - sum(Fraction(1, i) for i in range(20, int(r[0]) + 1))) < Fraction(1, 10 ** 12)
        for r in rows), str(rows[:2]))


USAGE_ERRORS = [
    [], ["bogus"], ["--bogus"], ["sum", "--from"], ["sum", "--from", "0"], ["sum", "--to", "16777217"],
    ["sum", "--from", "5", "--to", "4"], ["sum", "--every", "0"], ["sum", "--every", "2x"],
    ["sum", "--from", "99999999999999999999"], ["sum", "--summary", "--data"], ["sum", "extra"],
    ["tenths", "--from", "1"], ["distributive", "--extended"], ["sum", "-x"], ["sum", "--to", "100"],
    ["--extended", "sum"], ["sum", "--summary", "--every", "3"], ["tenths", "5"],
]

# What a usage error says, where it says more than "unrecognized option".
MESSAGES = [
    (["--extended", "sum"], "unrecognized option '--extended'\n"
                            "--extended is an option of sum, tenths, value and op.\n"
                            "Give it after the command, as in 'floatexplain sum --extended'."),
    (["--every=5", "sum"], "unrecognized option '--every=5'\n--every is an option of sum.\n"
                           "Give it after the command, as in 'floatexplain sum --every=5'."),
    (["tenths", "--from", "5"], "unrecognized option '--from'\n--from is an option of sum, not of tenths."),
    (["distributive", "--extended"], "unrecognized option '--extended'\n"
                                     "--extended is an option of sum, tenths, value and op, not of distributive."),
    (["sum", "--to", "100"], "--to is below the first i, 2000 unless --from says otherwise,\n"
                             "as in 'floatexplain sum --from 1 --to 100'"),
    (["sum", "--from", "5", "--to", "4"], "--from 5 is above --to 4"),
    (["sum", "--summary", "--every", "3"], "--every chooses the steps shown, --summary none: give one of them"),
    (["sum", "--data", "--summary"], "--summary shows no steps, --data only steps: give one of them"),
    (["sum", "--every"], "option '--every' needs a value"),
    (["sum", "-qh"], "invalid option -- 'q'"),
]

# Options after the command in any order, = or a separate value, as
# getopt_long reads them: all the same summary.
SAME_REQUEST = [["sum", "--summary", "--from", "1", "--to", "4"], ["sum", "--to=4", "--summary", "--from=1"],
                ["sum", "--to", "4", "--from", "1", "--summary"]]


def check_usage(tally, args):
    for arguments in USAGE_ERRORS:
        got = blackbox.run(args.bin, "floatexplain", arguments=arguments)
        tally.check(f"floatexplain {' '.join(arguments)}: usage error",
                    got.status == 2 and got.stdout == b"" and got.stderr.startswith(b"floatexplain: ")
                    and got.stderr.endswith(b"Try 'floatexplain --help' for more information.\n"), str(got))
    for arguments, message in MESSAGES:
        got = blackbox.run(args.bin, "floatexplain", arguments=arguments)
        want = f"floatexplain: {message}\nTry 'floatexplain --help' for more information.\n".encode()
        tally.check(f"floatexplain {' '.join(arguments)}: says so", got.stderr == want and got.status == 2,
                    f"{got.stderr}\n     want {want}")
    outputs = [blackbox.run(args.bin, "floatexplain", arguments=arguments) for arguments in SAME_REQUEST]
    tally.check("options after the command in any order", all(o.status == 0 for o in outputs)
                and len({o.stdout for o in outputs}) == 1 and b"i = 1 up to 4" in outputs[0].stdout)

    helps = [blackbox.run(args.bin, "floatexplain", arguments=arguments)
             for arguments in (["--help"], ["-h"], ["sum", "--help"], ["tenths", "--extended", "-h"],
                               ["distributive", "--help"])]
    text = helps[0].stdout.decode()
    tally.check("--help and -h, before or after the command", all(h.status == 0 for h in helps)
                and len({h.stdout for h in helps}) == 1 and text.startswith("Usage: "))
    tally.check("--help ends with examples and the exit statuses, 3 included",
                re.search(r"\nExamples:\n(  floatexplain .*\n){2,7}\nExit status: 0 .*1 .*write error.*2 .*usage"
                          r" error.*\n3 if a self-check fails.*\n$", text) is not None, text[-400:])
    for example in re.findall(r"^  floatexplain (.*?)  +\S", text.split("\nExamples:\n")[-1], re.M):
        got = blackbox.run(args.bin, "floatexplain", arguments=shlex.split(example), timeout=600)
        tally.check(f"the example floatexplain {example}", got.status == 0 and got.stdout, example)
    for arguments in (["--version"], ["sum", "--version"]):
        got = blackbox.run(args.bin, "floatexplain", arguments=arguments)
        tally.check(f"floatexplain {' '.join(arguments)}", got.status == 0 and re.fullmatch(
            rb"floatexplain \(teaching programs\) \d+\.\d+\.\d+\n", got.stdout) is not None, str(got))


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()
    check_usage(tally, args)
    check_tables(tally, args)
    check_data(tally, args)
    check_default_every(tally, args)
    check_transcripts(tally, args)
    check_columns(tally, args)
    check_progress(tally, args)
    check_passes(tally, args)
    if blackbox.slow():
        blackbox.not_run("the whole default pass (2000 to 10,000,000)",
                         "the programs run slowly here; the optimised native builds run it, and "
                         "precision.reports holds the programs' own whole passes here")
    else:
        check_default_pass(tally, args)
    tally.finish()


if __name__ == "__main__":
    main()

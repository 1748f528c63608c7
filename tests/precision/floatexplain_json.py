"""floatexplain --json: each document valid under the schema, and carrying
the same facts as the text of the same command (bits, exact value, rounding
direction, flags), read from both; every exact number the text shows equal
to the document's (the text's cut digits a prefix of it, its rounded errors
in ulps within half their last digit); the bits' place values against a
hand derivation, the value they add up to against the exact one, and the
reals that round to a value against the C library's rounding."""

import json
import os
import re
import struct
import sys
from fractions import Fraction

import jsonschema

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402
from floatexplain_formats import fields  # noqa: E402  "  label:  text", wrapped lines joined

FLAG_NAMES = {"invalid operation": "invalid", "division by zero": "divisionByZero", "overflow": "overflow",
              "underflow": "underflow", "inexact": "inexact"}

# 1.0 is 3f800000: exponent field 127 = the bias, so exponent 0, and the
# hidden 1 is worth 2^0; fraction bit k (k = 22 down to 0) is worth 2^(k-23).
# The smallest subnormal has exponent 1 - 127 = -126 and no hidden 1: fraction
# bit k is worth 2^(k-149), bit 0 alone set, 2^-149. 0.1 lies in [2^-4, 2^-3):
# in half (10 fraction bits) bit k is worth 2^(k-14), in double (52) 2^(k-56).
PLACES = {("single", "1"): (1, 0, list(range(-1, -24, -1))),
          ("single", "0x00000001"): (0, -126, list(range(-127, -150, -1))),
          ("half", "0.1"): (1, -4, list(range(-5, -15, -1))), ("double", "0.1"): (1, -4, list(range(-5, -57, -1)))}
# The formats by name: bits, exponent bits, significant bits, bias
# (2^(exponent bits - 1) - 1), and the struct code that rounds to it where
# Python has one.
FORMATS = {"half": (16, 5, 11, 15, "e"), "bfloat16": (16, 8, 8, 127, None), "single": (32, 8, 24, 127, "f"),
           "double": (64, 11, 53, 1023, "d")}

# (arguments after --json, facts the document must show)
CASES = [
    # 2^-149 = 5^149 / 10^149.
    (["value", "0x00000001"], {"class": "subnormal", "exact": "0." + str(5 ** 149).zfill(149)}),
    (["value", "0.1"], {"bits": "3dcccccd", "direction": "up", "errorUlps": "0.2", "flags": ["inexact"]}),
    (["value", "1"], {"class": "normal", "exponent": 0, "direction": "exact"}),
    # The largest single is 2^128 - 2^104, its ulp 2^104: from halfway to
    # 2^128 on, 2^128 - 2^103, the reals round to an infinity (the tie too:
    # the largest's significand is odd).
    (["value", "inf"], {"class": "infinity", "exponent": None, "ulp": None,
                        "interval": {"low": str(2 ** 128 - 2 ** 103), "high": None, "lowIncluded": True,
                                     "highIncluded": True}}),
    (["value", "0x7f7fffff"], {"class": "normal", "exponent": 127,
                               "interval": {"low": str(2 ** 128 - 2 ** 104 - 2 ** 103), "high": str(2 ** 128 - 2 ** 103),
                                            "lowIncluded": False, "highIncluded": False}}),
    (["value", "nan"], {"class": "nan", "interval": None, "below": None, "rounding": None}),
    (["value", "-0"], {"bits": "80000000", "class": "zero", "sign": 1}),
    # 0.1f * 10 = 1 + 2^-26, an eighth of the ulp 2^-23 above 1.
    (["op", "0.1", "*", "10"], {"bits": "3f800000", "direction": "down", "errorUlps": "-0.125",
                                "flags": ["inexact"]}),
    (["op", "1", "/", "0"], {"class": "infinity", "flags": ["divisionByZero"], "exact": "inf"}),
    # Half: 0.1 * 2^14 = 1638.4 to 1638 = 0x666, 0.4 ulp down; field -4 + 15.
    (["value", "0.1", "-f", "half"], {"bits": "2e66", "exponentField": 11, "fractionField": "266",
                                      "errorUlps": "-0.4"}),
    # Double: 0.1 * 2^56 = 7205759403792793.6 up to ...794 = 0x1999999999999a.
    (["value", "0.1", "-f", "double"], {"bits": "3fb999999999999a", "fractionField": "999999999999a",
                                        "exact": "0." + str(0xccccccccccccd * 5 ** 55).zfill(55)}),
    # Bfloat16: 1/3 * 2^9 = 170.67 up to 171 = 0xab; off by 1/1536 = 1/3 ulp.
    (["op", "1", "/", "3", "-f", "bfloat16"], {"bits": "3eab", "direction": "up", "errorUlps": "1/3",
                                                "flags": ["inexact"], "flagsSource": "derived"}),
    (["tenths"], {}),
    (["sum", "--summary", "--to", "3000"], {}),
    # More of the numbers both show: digits cut off (1/3), a subnormal, an
    # overflow with no error to count, a sum that rounds at a power of two,
    # double's long digits, and a decreasing sum's phases.
    (["value", "1/3", "1e-45", "1e39", "-3.4028235e38"], {}),
    (["op", "1", "/", "3"], {}),
    (["op", "16777216", "+", "3"], {"bits": "4b800002", "direction": "up"}),
    (["op", "3e38", "*", "10"], {"class": "infinity", "flags": ["overflow", "inexact"]}),
    (["op", "0.1", "+", "0.2", "-f", "double"], {"bits": "3fd3333333333334"}),
    (["sum", "--summary", "--from", "1", "--to", "100", "--decreasing"], {}),
    # precisionx's arithmetic, named in the documents that it makes.
    (["tenths", "--extended"], {"arithmetic": "extended"}),
    (["sum", "--summary", "--extended", "--to", "3000"], {"arithmetic": "extended"}),
    (["distributive"], {}),
]
REFUSED = [["sum", "--to", "3000"], ["tenths", "-f", "half"], ["value", "-f", "half", "--extended", "1"]]


def text_facts(arguments, text):
    """What the text says, in the document's terms (of the first value)."""
    shown = fields(text.split("\n\n")[0])
    if arguments[0] == "op":
        result = shown.get("rounded") or shown["result"]
        flags = [] if shown["flags"] == "none" else [FLAG_NAMES[f] for f in shown["flags"].split(", ")]
        way = shown.get("rounding", "")
        return {"bits": result.split()[0], "exact": shown[f"a {arguments[2]} b"].split(",")[0].split(" = ")[0],
                "direction": way.split(",")[0] if way[:2] in ("up", "do") else "exact", "flags": flags}
    if arguments[0] == "value":
        way = shown["rounding"]
        exact = shown.get("exact value", "inf" if "infinite" in shown["exponent"] else "nan").replace(" ", "")
        return {"bits": shown["bits"].split()[0], "exact": exact,
                "direction": way.split(",")[0] if way[:2] in ("up", "do") else None if "not a number" in way
                else "exact"}
    if arguments[0] == "tenths":
        return {"bits": re.search(r"^the sum: (\w+)", text, re.M).group(1)}
    if arguments[0] == "distributive":
        return {"bits": re.findall(r"rounded to (\w+)", text),
                "lineDifference": re.search(r"^Line 1 - Line 2 = (\S+)$", text, re.M).group(1)}
    return {"bits": re.search(r"^final sum: (\w+)", text, re.M).group(1),
            "terms": int(re.search(r"^terms added: (\d+)", text, re.M).group(1))}


def exact(text):
    """A number the text shows with every digit (blanks left by wrapping
    dropped), or the text itself where it is none (inf, nan)."""
    text = text.replace(" ", "")
    return Fraction(text) if re.fullmatch(r"-?\d+(\.\d+)?(/\d+)?", text) else text


def agrees(shown, value):
    """Whether a number as the text shows it is the exact value: equal when
    every digit is shown; cut off after its last digit ("0.333..."), never
    rounded; rounded ("+0.0579", "-1254945", "+2.27e-13") within a unit of
    its last digit."""
    shown = shown.replace(" ", "").removesuffix("ulp")
    if value is None:
        return False
    value = Fraction(value)
    if shown == "exact":
        return value == 0
    if shown.endswith("..."):
        digits = shown[:-3]
        places = len(digits.partition(".")[2])
        cut = abs(value) * 10 ** places
        return (value < 0) == digits.startswith("-") and Fraction(cut.numerator // cut.denominator, 10 ** places) \
            == abs(Fraction(digits))
    # Every digit, or rounded (or, near a value that would look exact, cut)
    # at the last one shown.
    mantissa, _, power = shown.partition("e")
    places = len(mantissa.partition(".")[2]) - int(power or 0)
    return abs(Fraction(shown.lstrip("+")) - value) < Fraction(10) ** -places


def rounding_numbers(text, rounding):
    """A rounding in the full width against the document's: "up, by +E (+U
    ulp)", "none: ..." or "up, to infinity: ..."."""
    wrong = []
    match = re.match(r"(up|down), by ([-+\d. ]+?(?:\.\.\.)?) \(([-+\d.e]+(?:\.\.\.)?) ulp\)", text)
    if text.startswith("none"):
        wrong += [] if rounding["errorUlps"] in ("0", None) and rounding["error"] in ("0", None) else [text]
    elif "to infinity" in text:
        wrong += [] if rounding["error"] is None and rounding["errorUlps"] is None else [text]
    elif not match or not agrees(match.group(2), rounding["error"]) or not agrees(match.group(3),
                                                                                  rounding["errorUlps"]):
        wrong.append(f"{text} against {rounding}")
    return wrong


def value_numbers(shown, value):
    """A value's fields against its document."""
    wrong = []
    if "exact value" in shown and exact(shown["exact value"]) != exact(value["exact"]):
        wrong.append(f"exact value {shown['exact value']} against {value['exact']}")
    if shown["as printed"] != value["printed"]:
        wrong.append(f"as printed {shown['as printed']} against {value['printed']}")
    if "ulp" in shown:
        power, digits = re.match(r"2\^(-?\d+) = (.*)", shown["ulp"]).groups()
        if [int(power), exact(digits)] != [value["ulp"]["power"], Fraction(value["ulp"]["value"])]:
            wrong.append(f"ulp {shown['ulp']} against {value['ulp']}")
    for label, key in (("next down", "below"), ("next up", "above")):
        if label not in shown:
            continue
        near = re.match(r"(\w+) = ([^(]*)", shown[label])
        got = [near.group(1), exact(near.group(2))] if near else None
        want = value[key] and [value[key]["bits"], exact(value[key]["exact"])]
        if got != want:
            wrong.append(f"{label} {shown[label]} against {value[key]}")
    if value["rounding"] and shown["rounding"][:2] in ("up", "do", "no"):
        wrong += rounding_numbers(shown["rounding"], value["rounding"])
    return wrong


def op_numbers(arguments, shown, document):
    wrong = []
    for name in ("a", "b"):
        stored = re.search(r"stored as (\w+) = ([-\d. ]+|-?inf|nan)", shown[name])
        if [stored.group(1), exact(stored.group(2))] != [document[name]["bits"], exact(document[name]["exact"])]:
            wrong.append(f"{name}: {shown[name]} against {document[name]['exact']}")
    result = shown[f"a {arguments[2]} b"]
    if document["exact"] is None:  # a NaN
        return wrong
    quotient = re.match(r"(\S+)/(\S+) = (.*)", result)
    if quotient:
        got = Fraction(quotient.group(1)) / Fraction(quotient.group(2))
        digits_right = agrees(quotient.group(3), document["exact"])
    else:
        got, digits_right = exact(result.split(", exactly")[0]), True
    if got != exact(document["exact"]) or not digits_right:
        wrong.append(f"a {arguments[2]} b: {result} against {document['exact']}")
    rounded = re.match(r"(\w+) = (.*) \((\S+)\)$", shown["rounded"])
    value = document["result"]
    if [rounded.group(1), exact(rounded.group(2)), rounded.group(3)] != [value["bits"], exact(value["exact"]),
                                                                         value["printed"]]:
        wrong.append(f"rounded {shown['rounded']} against {value['bits']} = {value['exact']}")
    if "ulp" in shown and shown["ulp"] != f"2^{value['ulp']['power']}":
        wrong.append(f"ulp {shown['ulp']} against {value['ulp']}")
    return wrong + rounding_numbers(shown["rounding"], value["rounding"])


TENTHS_ROW = re.compile(r"^ ?(\d+)  (\S+)\s+([0-9a-f]{8})  (exact|\S+ ulp)\s+(\S.*)$")


def tenths_numbers(text, document):
    wrong = []
    rows = [TENTHS_ROW.match(line).groups() for line in text.splitlines() if TENTHS_ROW.match(line)]
    if len(rows) != len(document["additions"]):
        return [f"{len(rows)} rows against {len(document['additions'])} additions"]
    for (n, before_and_tenth, bits, error, _), addition in zip(rows, document["additions"]):
        rounding = addition["rounding"]
        if [int(n), Fraction(before_and_tenth), bits] != [addition["n"], Fraction(rounding["exact"]),
                                                          addition["sum"]["bits"]] \
                or not agrees(error, rounding["errorUlps"]):
            wrong.append(f"row {n}: {before_and_tenth} {bits} {error} against {addition}")
    the_sum = re.search(r"^the sum: (\w+) = (\S+)$", text, re.M).groups()
    if [the_sum[0], exact(the_sum[1])] != [document["sum"]["bits"], exact(document["sum"]["exact"])]:
        wrong.append(f"the sum {the_sum}")
    off, ulps = re.search(r"^sum - 1: (\S+) \((\S+) ulp of 1\)$", text, re.M).groups()
    if exact(off) != Fraction(document["minusOne"]["exact"]) or not agrees(ulps, document["minusOne"]["ulps"]):
        wrong.append(f"sum - 1: {off} ({ulps}) against {document['minusOne']}")
    times, product, once = re.search(r"^(\d+) \* tenth, exactly: (\S+), rounded once: (\w+)$", text, re.M).groups()
    want = document["roundedOnce"]
    if [int(times), exact(product), once] != [want["times"], Fraction(want["exact"]), want["bits"]]:
        wrong.append(f"rounded once {times} {product} {once} against {want}")
    return wrong


PHASE_ROW = re.compile(r"^\[2\^(-?\d+), 2\^-?\d+\) +2\^(-?\d+) +.*?(\d+) +(\d+)  (exact|\S+ ulp)$")


def sum_numbers(text, document):
    wrong = []
    final = re.search(r"^final sum: (\w+) = (\S+)$", text, re.M)
    if not final or [final.group(1), exact(final.group(2))] != [document["sum"]["bits"],
                                                                exact(document["sum"]["exact"])]:
        wrong.append(f"final sum {final and final.group(0)} against {document['sum']}")
    exact_sum = re.search(r"^exact sum: (\S+) \(error below (\S+)\)$", text, re.M).groups()
    if list(exact_sum) != [document["exactSum"]["value"], document["exactSum"]["errorBelow"]]:
        wrong.append(f"exact sum {exact_sum} against {document['exactSum']}")
    error, power = re.search(r"^error of the final sum: (.*) \(ulp 2\^(-?\d+)\)$", text, re.M).groups()
    if not agrees(error, document["error"]["ulps"]) or int(power) != document["error"]["ulp"]["power"]:
        wrong.append(f"error {error} (2^{power}) against {document['error']}")
    rows = [PHASE_ROW.match(line).groups() for line in text.splitlines() if PHASE_ROW.match(line)]
    if len(rows) != len(document["phases"]):
        return wrong + [f"{len(rows)} phases against {len(document['phases'])}"]
    for (binade, ulp, first, steps, added), phase in zip(rows, document["phases"]):
        if [int(binade), int(ulp), int(first), int(steps)] != [phase["binade"], phase["ulp"]["power"],
                                                                phase["firstI"], phase["steps"]] \
                or not agrees(added, phase["errorAddedUlps"]):
            wrong.append(f"phase {binade} {first} {added} against {phase}")
    return wrong


def numbers_wrong(arguments, text, document):
    """Where the text and the document show different numbers."""
    if arguments[0] == "value":
        texts = text.split("\n\n")
        return [problem for part, value in zip(texts, document["values"])
                for problem in value_numbers(fields(part), value)] + (
            [] if len(texts) == len(document["values"]) else ["not one text per value"])
    if arguments[0] == "op":
        return op_numbers(arguments, fields(text), document)
    if arguments[0] == "tenths":
        return tenths_numbers(text, document)
    if arguments[0] == "distributive":
        return distributive_numbers(document)
    return sum_numbers(text, document)


def distributive_numbers(document):
    """Each operation redone exactly on its operands as stored, and rounded
    to the nearest single (its exact result has at most 28 significant bits,
    so the double that float() makes of it is exact); the lines' difference
    and whether they are one single, from those results."""
    wrong = []
    steps = document["steps"]
    for step in steps:
        x, y = Fraction(step["x"]["exact"]), Fraction(step["y"]["exact"])
        result = x + y if step["op"] == "+" else x * y
        if Fraction(step["exact"]) != result or rounded_bits("f", result) != step["result"]["bits"] \
                or Fraction(step["result"]["exact"]) != Fraction(struct.unpack(">f", bytes.fromhex(
                    step["result"]["bits"]))[0]):
            wrong.append(f"{step['name']}: {step}")
    line1, line2 = (Fraction(step["result"]["exact"]) for step in steps[3:])
    if Fraction(document["lineDifference"]) != line1 - line2 or document["sameLines"] != (line1 == line2):
        wrong.append(f"the lines: {document['lineDifference']}, {document['sameLines']}")
    return wrong


def json_facts(arguments, document):
    if arguments[0] in ("value", "op"):
        value = document["values"][0] if arguments[0] == "value" else document["result"]
        rounding = value["rounding"] or {}
        facts = dict(value, **rounding)
        facts.update(exact=document.get("exact", value["exact"]), direction=rounding.get("direction"),
                     flags=document.get("flags", value["flags"]), flagsSource=document.get("flagsSource"))
        return facts
    if arguments[0] == "tenths":
        return {"bits": document["sum"]["bits"], "arithmetic": document["arithmetic"]}
    if arguments[0] == "distributive":
        return {"bits": [step["result"]["bits"] for step in document["steps"]],
                "lineDifference": document["lineDifference"]}
    return {"bits": document["sum"]["bits"], "terms": document["terms"], "arithmetic": document["arithmetic"]}


def fraction_wrong(value):
    """The fraction field from the bits, in as many hex digits as its bits
    need, leading zeros kept (1.0's is 000000)."""
    width = value["format"]["significandBits"] - 1
    want = format(int(value["bits"], 16) & ((1 << width) - 1), f"0{(width + 3) // 4}x")
    return "" if value["fractionField"] == want else f"fraction field {value['fractionField']}, not {want}"


def places_wrong(value):
    """The places against the format and the hand derivation, and the value
    they add up to against the exact one."""
    places, (width, exponent_bits, significand, bias, _) = value["places"], FORMATS[value["format"]["name"]]
    if list(value["format"].values())[1:] != [width, exponent_bits, significand, bias]:
        return f"the format {value['format']}"
    weights = [str(2 ** k) for k in range(exponent_bits - 1, -1, -1)]
    if [p["bit"] for p in places] != list(range(width - 1, -1, -1)) or [
            p.get("weight") for p in places[1:exponent_bits + 1]] != weights:
        return "bits or exponent weights"
    key = (value["format"]["name"], value["input"])
    if key in PLACES and PLACES[key] != (value["hiddenBit"], value["hiddenPower"],
                                         [p.get("power") for p in places[exponent_bits + 1:]]):
        return "not the places derived by hand"
    if value["class"] in ("infinity", "nan"):
        return "" if all("power" not in p for p in places) else "an infinity's bits have place values"
    bits = int(value["bits"], 16)
    total = value["hiddenBit"] * Fraction(2) ** value["hiddenPower"] + sum(
        Fraction(2) ** p["power"] for p in places[exponent_bits + 1:] if bits >> p["bit"] & 1)
    return "" if total * (-1 if value["sign"] else 1) == Fraction(value["exact"]) else "places add up to another value"


def rounded_bits(code, x):
    """x rounded to the format, as the C library rounds a double (x is one
    here), to nearest, ties to even; past the largest, an infinity."""
    try:
        return struct.pack(">" + code, float(x)).hex()
    except OverflowError:
        return "inf"


def interval_wrong(value):
    """The interval's ends against the library's rounding: an end rounds to
    the value exactly when it is included, and a hair outside never does,
    a hair inside always."""
    interval, code = value["interval"], FORMATS[value["format"]["name"]][4]
    if not interval or interval["low"] is None or interval["high"] is None or not code:
        return ""
    # Far below the spacing: 2^-16 of it, below the smallest subnormal at zero.
    significand, bias = value["format"]["significandBits"], value["format"]["bias"]
    for end, included, outward in ((interval["low"], interval["lowIncluded"], -1),
                                   (interval["high"], interval["highIncluded"], 1)):
        end = Fraction(end)
        hair = Fraction(2) ** -(significand + 16) * (abs(end) or Fraction(2) ** (2 - bias - significand))
        bits = value["bits"]
        if ((rounded_bits(code, end) == bits) != included or rounded_bits(code, end + outward * hair) == bits
                or rounded_bits(code, end - outward * hair) != bits):
            return f"the end {end}"
    return ""


def to_bits(x, bits):
    """x rounded to `bits` significant bits, to nearest, ties to even (x in
    the normal range of the format)."""
    if x == 0:
        return x
    size = abs(x)
    exponent = size.numerator.bit_length() - size.denominator.bit_length()
    exponent -= Fraction(2) ** exponent > size
    scaled = size * Fraction(2) ** (bits - 1 - exponent)
    whole, rest = divmod(scaled.numerator, scaled.denominator)
    whole += 2 * rest > scaled.denominator or (2 * rest == scaled.denominator and whole % 2)
    return (1 if x > 0 else -1) * whole / Fraction(2) ** (bits - 1 - exponent)


# --extended, precisionx's reading and operations: to a 64-bit significand,
# then stored as a single; a number that reading does not reach (past the
# singles' range, an infinity) stored as single precision reads it. (arguments
# after --json; for value, each number's exact value, None where not reached)
EXTENDED = [(["value", "--extended", "0.1", "16777217", "1e39", "inf"], [Fraction(1, 10), 16777217, None, None]),
            (["op", "--extended", "0.1", "+", "0.2"], None), (["op", "--extended", "1", "/", "3"], None),
            (["op", "--extended", "16777216", "+", "1"], None)]


def check_extended(tally, args, validator):
    for arguments, written in EXTENDED:
        document = json.loads(blackbox.run(args.bin, "floatexplain", arguments=["--json", *arguments]).stdout)
        errors = [e.message[:200] for e in validator.iter_errors(document)]
        if arguments[0] == "value":
            cases = [(value["extended"], value, Fraction(exact) if exact is not None else None, "stored")
                     for value, exact in zip(document["values"], written)]
        else:
            cases = [(document["extended"], document["result"], Fraction(document["exact"]), "result")]
        for wide, strict, exact_value, key in cases:
            if exact_value is None:
                right = wide["wide"] is None and wide[key]["bits"] == strict["bits"] and wide["same"]
            else:
                stored = to_bits(to_bits(exact_value, 64), 24)
                right = Fraction(wide["wide"]) == to_bits(exact_value, 64) and Fraction(wide[key]["exact"]) == stored \
                    and wide["same"] == (stored == Fraction(strict["exact"]))
            tally.check(f"{' '.join(arguments)}, {strict['input'] or 'the result'}: 64 bits, then 24, and whether "
                        "that is the strict single", not errors and right, errors or wide)


def main():
    args = blackbox.arguments(lambda parser: parser.add_argument("--schema", required=True))
    with open(args.schema) as schema_file:
        validator = jsonschema.Draft202012Validator(json.load(schema_file))
    tally = blackbox.Tally()
    for arguments, want in CASES:
        label = " ".join(arguments)
        got = blackbox.run(args.bin, "floatexplain", arguments=["--json", *arguments])
        text = blackbox.run(args.bin, "floatexplain", arguments=arguments).stdout.decode()
        if not tally.check(f"{label}: status 0", got.status == 0, str(got)):
            continue
        document = json.loads(got.stdout)
        errors = [f"{list(e.absolute_path)}: {e.message[:200]}" for e in validator.iter_errors(document)]
        tally.check(f"{label}: valid under the schema", not errors, "\n     ".join(errors[:3]))
        facts = json_facts(arguments, document)
        shown = text_facts(arguments, text)
        wrong = {k: (facts.get(k), v) for k, v in list(shown.items()) + list(want.items()) if facts.get(k) != v}
        tally.check(f"{label}: the text's facts and the expected ones", not wrong, str(wrong))
        problems = numbers_wrong(arguments, text, document)
        tally.check(f"{label}: the same exact numbers in the text and the document", not problems,
                    "\n     ".join(problems[:4]))
        values = [document[k] for k in ("a", "b", "result") if arguments[0] == "op"] + document.get("values", [])
        for value in values:
            problem = places_wrong(value) or interval_wrong(value) or fraction_wrong(value)
            tally.check(f"{label}: places, interval and fraction of {value['bits']}", not problem, problem)
    check_extended(tally, args, validator)
    for arguments in REFUSED:
        got = blackbox.run(args.bin, "floatexplain", arguments=["--json", *arguments])
        tally.check(f"--json {' '.join(arguments)}: refused", got.status == 2 and not got.stdout, str(got))
    tally.finish()


if __name__ == "__main__":
    main()

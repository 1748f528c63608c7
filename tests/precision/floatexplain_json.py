"""floatexplain --json: each document valid under the schema, and carrying
the same facts as the text of the same command (bits, exact value, rounding
direction, flags), read from both; the bits' place values against a hand
derivation, the value they add up to against the exact one, and the reals
that round to a value against the C library's rounding."""

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
    (["value", "inf"], {"class": "infinity", "exponent": None, "ulp": None}),
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
]
REFUSED = [["distributive"], ["sum", "--to", "3000"], ["value", "--extended", "1"], ["tenths", "-f", "half"]]


def text_facts(arguments, text):
    """What the text says, in the document's terms."""
    shown = fields(text)
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
    return {"bits": re.search(r"^final sum: (\w+)", text, re.M).group(1),
            "terms": int(re.search(r"^terms added: (\d+)", text, re.M).group(1))}


def json_facts(arguments, document):
    if arguments[0] in ("value", "op"):
        value = document["values"][0] if arguments[0] == "value" else document["result"]
        rounding = value["rounding"] or {}
        facts = dict(value, **rounding)
        facts.update(exact=document.get("exact", value["exact"]), direction=rounding.get("direction"),
                     flags=document.get("flags", value["flags"]), flagsSource=document.get("flagsSource"))
        return facts
    if arguments[0] == "tenths":
        return {"bits": document["sum"]["bits"]}
    return {"bits": document["sum"]["bits"], "terms": document["terms"]}


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
        values = [document[k] for k in ("a", "b", "result") if k in document] + document.get("values", [])
        for value in values:
            problem = places_wrong(value) or interval_wrong(value)
            tally.check(f"{label}: places and interval of {value['bits']}", not problem, problem)
    for arguments in REFUSED:
        got = blackbox.run(args.bin, "floatexplain", arguments=["--json", *arguments])
        tally.check(f"--json {' '.join(arguments)}: refused", got.status == 2 and not got.stdout, str(got))
    tally.finish()


if __name__ == "__main__":
    main()

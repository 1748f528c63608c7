"""Each companion's views only write its model: a view file fails here when
it includes the headers of the arithmetic, calls a routine that computes
(an exact value, a rounding, a flag, a run of the program) or reads numbers
back out of text. Comments and string literals are left out of the search.

A row whose `on` is False is searched and its findings printed, but they do
not fail the test: the companion is being mended, and its row is switched on
when its views pass."""

import argparse
import os
import re
import sys

# Reading text back: the views write strings, they never search them or read
# numbers out of them. Cutting a view's own text to fit a line is layout.
PARSING = [r"\.r?find(_first_of|_last_of|_first_not_of|_last_not_of)?\s*\(",
           r"\bsto(i|l|ll|ul|ull|f|d|ld)\s*\(", r"\bstrto\w+\s*\(", r"\bs?scanf\s*\(", r"\bato(i|l|ll|f)\s*\(",
           r"\bregex\b", r"\bistringstream\b", r"\bfrom_chars\s*\("]


def calls(*names):
    return [r"\b" + name + r"\s*\(" for name in names]


COMPANIONS = [
    {
        "name": "floatexplain",
        "on": True,
        "views": [["precision/explain/text.cpp"], ["precision/explain/json_view.cpp"]],
        "includes": ["exact.h", "rounding.h", "arithmetic.h", "extended.h", "traced.h", "hooks.h", "number.h",
                     "cmath", "cfenv"],
        "patterns": PARSING + calls(
            "exactSingle", "exactDyadic", "exactExtended", "exactDecimal", "exactProduct", "exactQuotient",
            "exactOf", "exactCount", "roundedAt", "roundedToPlaces", "roundedToBits", "roundingIn",
            "roundingToSingle", "roundingTo64", "readingOf", "singleOf", "nearestIn", "nextUp", "nextDown",
            "largest", "scaled", "divisorOf", "magnitudeOf", "compare", "topExponent", "toDouble", "asDouble",
            "ulpAt", "ulpExponent", "binadeOf", "roundingFlags", "specialFlags", "invalidCase", "isSpecial",
            "operate", "operateIn", "operateExtended", "extendedAdd", "extendedDivide", "softAdd", "toExtended",
            "toSingle", "machineComputes", "machineHas", "readOperand", "valueModel", "opModel", "tenthsModel")
        # A number made in the view: an exact value or a float of its own.
        + [r"\bExact\s+\w+\s*[=({]", r"\bExact\s*\{", r"\b(float|double)\s+\w+\s*=[^=]"],
    },
    {
        "name": "calcexplain",
        "on": True,
        "views": [["calculator/explain/text.cpp"], ["calculator/explain/json_view.cpp"]],
        "includes": ["calc.h", "depth.h", "trace.h", "run.h", "traced.h", "traced_arithmetic.h"],
        "patterns": PARSING + calls("run", "traceStep", "traceDigit", "expr", "factor", "number", "digit",
                                    "grammarsAgree", "startTrace", "endTrace"),
    },
    {
        "name": "factexplain",
        "on": True,
        "views": [["factorial/explain/text.cpp"], ["factorial/explain/json_view.cpp"]],
        "includes": ["fact.h", "trace.h", "traced.h", "listings.h"],
        "patterns": PARSING + calls("fact", "runTraced", "explainFact", "readListing", "traceProduct", "traceCall")
        # A product worked out again in the view.
        + [r"static_cast<\s*(long long|std::u?int64_t|u?int64_t|__int128|double)\s*>\([^;]*\)\s*\*"],
    },
]


def code_only(text):
    """The source without comments and string or character literals (each
    replaced by a blank, so that the lines stay where they were)."""
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)

    def blank(match):
        kept = match.group(0)
        if kept.startswith('"') and re.match(r'\s*#\s*include\s*$', text[:match.start()].rsplit("\n", 1)[-1]):
            return kept  # an #include's header name
        return re.sub(r"[^\n]", " ", kept)
    return pattern.sub(blank, text)


def findings(path, companion):
    with open(path, encoding="utf-8") as source:
        text = source.read()
    raw = text.split("\n")
    found = []
    for number, line in enumerate(code_only(text).split("\n"), 1):
        included = re.match(r'\s*#\s*include\s*[<"]([^>"]+)[>"]', line)
        if included and included.group(1) in companion["includes"]:
            found.append(f"{number}: includes {included.group(1)}")
        for pattern in companion["patterns"]:
            if not included and re.search(pattern, line):
                found.append(f"{number}: {raw[number - 1].strip()}")
                break
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True, help="the source tree")
    args = parser.parse_args()
    failed = False
    for companion in COMPANIONS:
        for names in companion["views"]:
            paths = [os.path.join(args.root, name) for name in names]
            existing = [path for path in paths if os.path.exists(path)]
            label = f"{companion['name']}: {' or '.join(names)}"
            state = "" if companion["on"] else " (not switched on)"
            if not existing:
                print(f"FAIL {label}: no such view{state}")
                failed = failed or companion["on"]
                continue
            found = [f"{os.path.relpath(path, args.root)}:{line}" for path in existing
                     for line in findings(path, companion)]
            print(f"{'ok  ' if not found else 'FAIL'} {label}{state}")
            for line in found:
                print("     " + line)
            failed = failed or (companion["on"] and bool(found))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()

"""The asm target's listings: one per source of each program and part, the
parts' beside each program that links them; code only, under source lines;
the two builds of fact differ as they should (the plain one calls itself);
and where long double is the x87 format, precisionx's listing shows the x87
steps of its extended evaluation beside the SSE steps of strict single.

With --page, the page's listings (made in builds of their own, one a target)
against the asm listings of each target's own preset: each the same bytes,
its counted facts those of its rows, and fact's self-call and loop where the
builds put them. A target whose preset has not been built is named, not
compared."""

import argparse
import json
import os
import re

import blackbox

# listing directory, source, must call fact from inside fact?
LISTINGS = [
    ("calccore", "core.s", None),
    ("calcloop", "loop.s", None),
    ("calcloop", "core.s", None),
    ("calcminusrec", "minusrec.s", None),
    ("calcrec", "rec.s", None),
    ("prodshow", "prodshow.s", None),
    ("prodshow", "fact.s", True),
    ("prodshow-opt", "prodshow.s", None),
    ("prodshow-opt", "fact.s", False),
    ("prodquiet", "prodquiet.s", None),
    ("precisionx", "harmonic.s", None),
    ("fact-plain", "fact.s", True),
    ("fact-opt", "fact.s", False),
]

# A line of a listing: a function's or a label's name, a source line under
# which the code comes, or an instruction or data, indented.
LINE = re.compile(r"^(\S.*:|  \S+:\d+  .*|  \(no source line\)|         ?\S.*|)$")


def function(text, name):
    """The lines of one function in a listing."""
    match = re.search(r"^" + re.escape(name) + r":\n(.*?)(?:\n\n|\Z)", text, re.M | re.S)
    return match.group(1) if match else ""


# The page's listing of fact: its self-calls and branches back, as the
# source makes them (one recursive call) and each build compiles it.
PAGE_FACT = {"fact-plain.fact": (1, False), "fact-opt.fact": (0, True)}


def check_page(tally, asm, page, schema_path):
    """Each of the page's listings against this build's, byte for byte."""
    schema = None
    if schema_path:
        import jsonschema
        with open(schema_path) as file:
            schema = jsonschema.Draft202012Validator(json.load(file))
    names = sorted(name for name in os.listdir(page) if name.endswith(".json"))
    tally.check(f"{page}: the page's listings are there", names)
    for name in names:
        with open(os.path.join(page, name)) as file:
            document = json.load(file)
        directory, source = name[:-len(".json")].split(".")
        if schema:
            errors = list(schema.iter_errors(document))
            tally.check(f"{name}: valid by the schema", not errors, errors[:1])
        path = os.path.join(asm, directory, source + ".s")
        with open(path, "rb") as file:
            listing = file.read()
        text = "".join(row[1] + "\n" for row in document["rows"]).encode()
        tally.check(f"{name}: the rows' text is {path}, byte for byte", text == listing,
                    f"{len(text)} bytes against {len(listing)}")
        rows = document["rows"]
        instructions = [k for k, row in enumerate(rows) if row[0] == "instruction"]
        counted = sum(count for _, _, count in document["perLine"])
        tally.check(f"{name}: each instruction with a source line counted once",
                    counted == sum(1 for k in instructions if len(rows[k]) > 2 and rows[k][2] is not None))
        if name[:-len(".json")] in PAGE_FACT:
            self_calls, loops = PAGE_FACT[name[:-len(".json")]]
            fact = [f for f in document["functions"] if f["name"].startswith("fact(")]
            tally.check(f"{name}: fact calls itself {self_calls} time(s), {'a' if loops else 'no'} branch back",
                        len(fact) == 1 and len(fact[0]["selfCalls"]) == self_calls
                        and bool(fact[0]["backBranches"]) == loops
                        and all(rows[k][-1] == "calls itself" for k in fact[0]["selfCalls"]), fact)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--asm", required=True, help="the directory the asm target writes")
    parser.add_argument("--x87", action="store_true", help="long double is the x87 format")
    parser.add_argument("--page", help="the page's listings, a folder a target")
    parser.add_argument("--against", nargs="*", default=[], metavar="TARGET=ASM",
                        help="with --page: each target and its preset's asm folder")
    parser.add_argument("--schema", help="the page's listings' schema")
    args = parser.parse_args()
    tally = blackbox.Tally()
    if args.page:
        for pair in args.against:
            target, asm = pair.split("=", 1)
            page = os.path.join(args.page, target)
            if not os.path.isdir(page):
                print(f"not compared: {target}: the page's build left it out (its compiler is missing)")
            elif not os.path.isdir(asm):
                print(f"not compared: {target}: no {asm} (build its preset first, as CI does)")
            else:
                check_page(tally, asm, page, args.schema)
        tally.finish()
        return
    for directory, source, recursive in LISTINGS:
        path = os.path.join(args.asm, directory, source)
        if not tally.check(f"{path} exists", os.path.isfile(path)):
            continue
        with open(path) as listing:
            text = listing.read()
        odd = [line for line in text.splitlines() if not LINE.match(line) or re.match(r"\s+\.(cfi|loc|file|p2align|align|type|size)\b", line)]
        tally.check(f"{path} holds code under source lines, without directives",
                    re.search(r"^  \S+\.(cpp|h):\d+  ", text, re.M) and not odd, "\n     ".join(odd[:5]))
        if recursive is not None:
            calls_itself = "<- calls itself" in function(text, "fact(int)")
            tally.check(f"{path}: fact {'calls' if recursive else 'does not call'} itself",
                        calls_itself == recursive)
    if args.x87:
        text = ""
        path = os.path.join(args.asm, "precisionx", "harmonic.s")
        if os.path.isfile(path):
            with open(path) as listing:
                text = listing.read()
        # The extended step's store to single, and strict single's addition
        # (vaddss where the processor has AVX).
        tally.check(f"{path}: toSingle's fstps under its source line, and addss",
                    re.search(r"^  extended\.h:\d+  .*toSingle.*\n(        .*\n)*?        fstps ", text, re.M)
                    and re.search(r"^        v?addss ", text, re.M))
    tally.finish()


if __name__ == "__main__":
    main()

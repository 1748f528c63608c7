"""The asm target's listings: one per source of each program and part, the
parts' beside each program that links them; code only, under source lines;
the two builds of fact differ as they should (the plain one calls itself);
and where long double is the x87 format, precisionx's listing shows the x87
steps of its extended evaluation beside the SSE steps of strict single."""

import argparse
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--asm", required=True, help="the directory the asm target writes")
    parser.add_argument("--x87", action="store_true", help="long double is the x87 format")
    args = parser.parse_args()
    tally = blackbox.Tally()
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

"""The asm target's listings: one per program source and build, and the two
builds of fact differ as they should (the plain one calls itself)."""

import argparse
import os
import re
import sys

import blackbox

# listing directory, source, must call fact from inside fact?
LISTINGS = [
    ("calccore", "core.s", None),
    ("calcloop", "loop.s", None),
    ("calcminusrec", "minusrec.s", None),
    ("calcrec", "rec.s", None),
    ("prodshow", "prodshow.s", None),
    ("prodshow-opt", "prodshow.s", None),
    ("prodquiet", "prodquiet.s", None),
    ("fact-plain", "fact.s", True),
    ("fact-opt", "fact.s", False),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--asm", required=True, help="the directory the asm target writes")
    args = parser.parse_args()
    tally = blackbox.Tally()
    for directory, source, recursive in LISTINGS:
        path = os.path.join(args.asm, directory, source)
        if not tally.check(f"{path} exists", os.path.isfile(path)):
            continue
        with open(path) as listing:
            text = listing.read()
        tally.check(f"{path} holds code without call-frame directives",
                    re.search(r"^\S+:$", text, re.M) and ".cfi_" not in text)
        if recursive is not None:
            # fact's mangled name is _Z4facti on every target.
            body = text[text.index("_Z4facti:"):]
            # call (x86, SPARC, RISC-V), bl (ARM, POWER), brasl (IBM Z).
            calls_itself = re.search(r"\b(call\S*|bl|brasl)\s+(%r14,\s*)?_Z4facti\b", body) is not None
            tally.check(f"{path}: fact {'calls' if recursive else 'does not call'} itself",
                        calls_itself == recursive)
    tally.finish()


if __name__ == "__main__":
    main()

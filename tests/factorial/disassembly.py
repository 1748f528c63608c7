"""The plain build's fact calls itself; the optimised build's does not.

Both builds' main must still call fact, so the optimised fact was really
compiled as a function of its own and not folded into main."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

# A call of fact in each target's objdump: call, callq, calll (x86, SPARC),
# bl (ARM, POWER, which enters at fact's local entry, fact+0x8), brasl
# (IBM Z), jal or call (RISC-V).
CALLS_FACT = re.compile(r"\b(call\w*|bl|brasl|jal)\s.*<fact\(int\)(\+0x8)?>")


def function(listing, name):
    """The disassembled lines of one function, or None."""
    match = re.search(r"^[0-9a-f]+ <" + re.escape(name) + r">:\n(.*?)(?:\n\n|\Z)", listing, re.M | re.S)
    return match.group(1).splitlines() if match else None


def main():
    args = blackbox.arguments(lambda p: p.add_argument("--objdump", required=True))
    tally = blackbox.Tally()
    for program, recursive in (("prodshow", True), ("prodshow-opt", False)):
        listing = subprocess.run([args.objdump, "-d", "-C", os.path.join(args.bin, program)],
                                 check=True, capture_output=True, text=True).stdout
        fact = function(listing, "fact(int)")
        main_body = function(listing, "main")
        if not tally.check(f"{program}: fact and main are in the disassembly", fact and main_body):
            continue
        calls_itself = any(CALLS_FACT.search(line) for line in fact)
        tally.check(f"{program}: fact {'calls' if recursive else 'does not call'} itself",
                    calls_itself == recursive, "\n     ".join(fact))
        tally.check(f"{program}: main calls fact", any(CALLS_FACT.search(line) for line in main_body),
                    "\n     ".join(main_body))
    tally.finish()


if __name__ == "__main__":
    main()

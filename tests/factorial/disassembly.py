"""The plain build's fact calls itself; the optimised build's does not.

Both builds' main must still call fact, so the optimised fact was really
compiled as a function of its own and not folded into main. factexplain's
traced copies of fact must call themselves exactly where the programs' fact
does, and factexplain must show the frames that implies: one frame per call
where fact calls itself, one frame for all the calls where it does not,
and mark a self-call in its listings (--code) exactly there."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

# A call of fact in each target's objdump: call, callq, calll (x86, SPARC),
# bl (ARM, POWER, which enters at fact's local entry, fact+0x8), brasl
# (IBM Z), jal or call (RISC-V).
def calls(name):
    return re.compile(r"\b(call\w*|bl|brasl|jal)\s.*<" + re.escape(name) + r"(\+0x8)?>")


CALLS_FACT = calls("fact(int)")

# factexplain's summary line of each build: "5 calls, 5 frames, ...", or
# "All 5 calls ran in one frame: ...".
FRAMES = re.compile(r"^(?:\d+ calls?, (\d+) frames?\b|All \d+ calls ran in (one) frame)", re.M)


def function(listing, name):
    """The disassembled lines of one function, or None."""
    match = re.search(r"^[0-9a-f]+ <" + re.escape(name) + r">:\n(.*?)(?:\n\n|\Z)", listing, re.M | re.S)
    return match.group(1).splitlines() if match else None


def main():
    def options(parser):
        parser.add_argument("--objdump", required=True)
        parser.add_argument("--without-factexplain", action="store_true",
                            help="the build has no companions: check the programs alone")
    args = blackbox.arguments(options)
    tally = blackbox.Tally()
    recursion = {}
    for program, recursive in (("prodshow", True), ("prodshow-opt", False)):
        listing = subprocess.run([args.objdump, "-d", "-C", os.path.join(args.bin, program)],
                                 check=True, capture_output=True, text=True).stdout
        fact = function(listing, "fact(int)")
        main_body = function(listing, "main")
        if not tally.check(f"{program}: fact and main are in the disassembly", fact and main_body):
            continue
        calls_itself = any(CALLS_FACT.search(line) for line in fact)
        recursion[program] = calls_itself
        tally.check(f"{program}: fact {'calls' if recursive else 'does not call'} itself",
                    calls_itself == recursive, "\n     ".join(fact))
        tally.check(f"{program}: main calls fact", any(CALLS_FACT.search(line) for line in main_body),
                    "\n     ".join(main_body))
    if args.without_factexplain:
        print("not run: factexplain's copies of fact, as this build has no companions")
        tally.finish()
        return
    listing = subprocess.run([args.objdump, "-d", "-C", os.path.join(args.bin, "factexplain")],
                             check=True, capture_output=True, text=True).stdout
    code = blackbox.run(args.bin, "factexplain", arguments=["--code"]).stdout.decode().split("\nOptimised build")
    tally.check("factexplain --code shows both builds", len(code) == 2)
    shown = [int(frames) if frames else 1
             for frames, _ in FRAMES.findall(blackbox.run(args.bin, "factexplain").stdout.decode())]
    tally.check("factexplain 4 shows the frames of both builds", len(shown) == 2, shown)
    for build, program, frames, listing_code in (("plain", "prodshow", shown[:1], code[:1]),
                                                  ("opt", "prodshow-opt", shown[1:], code[1:])):
        tally.check(f"factexplain --code marks a self-call in the {build} build as {program} has one",
                    ["<- calls itself" in text for text in listing_code] == [recursion.get(program)])
        copy = function(listing, f"traced::{build}::fact(int)")
        if not tally.check(f"factexplain: the {build} copy is in the disassembly", copy):
            continue
        calls_itself = any(calls(f"traced::{build}::fact(int)").search(line) for line in copy)
        tally.check(f"factexplain's {build} copy calls itself as {program}'s fact does",
                    calls_itself == recursion.get(program), "\n     ".join(copy))
        tally.check(f"factexplain shows {5 if calls_itself else 1} frames for the {build} copy",
                    frames == [5 if calls_itself else 1], frames)
    tally.finish()


if __name__ == "__main__":
    main()

"""The listings of fact compiled into the suite, held against the toolchain's
own disassembly of the objects the programs link: the same instructions,
the self-call marked where the object's call of fact is, the back branches
where the object branches backwards; and within 80 columns."""

import argparse
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

# build, its listing's name, the self-calls it makes, whether it loops
BUILDS = [
    ("plain", "factListingPlain", 1, False),
    ("opt", "factListingOpt", 0, True),
]

FACT = "_Z4facti"

# Padding the assembler inserts for alignment is no instruction of the
# compiler's, and the compiler's own nops (SPARC's empty delay slots) are
# left out on both sides alike.
NOP = re.compile(r"^(nop|xchg\s+%ax,\s*%ax|data16|cs nop|lea\s+0x0\((%\w+)(,%[er]iz,1)?\),\2|ori\s+r2,r2,0|\.long|\.word|\.byte)")


def listing_instructions(text):
    """(is a self-call, is a back branch) for each instruction in a listing."""
    result = []
    for line in text.splitlines():
        if not line.startswith(" " * 8):
            continue  # a label, a function's name or a source line
        code = line.strip()
        if NOP.match(code):
            continue
        result.append(("<- calls itself" in line, "<- back to" in line))
    return result


def object_instructions(disassembly):
    """The same for fact in `objdump -dr` (or llvm-objdump's) output:
    a call is the instruction that a relocation against fact belongs to;
    a back branch, one whose target is at or below its own address, or in
    WebAssembly a br/br_if out of a loop, to its top."""
    # fact runs from its symbol to the next that is not a local label.
    match = re.search(r"^[0-9a-f]+ <" + FACT + r">:\n(.*?)(?=^[0-9a-f]+ <(?!\.L)|^Disassembly|\Z)",
                      disassembly, re.M | re.S)
    if not match:
        return None
    result = []
    blocks = []
    # RISC-V's call is auipc and jalr, the auipc bearing the call's
    # relocation: one instruction in the listing.
    call_pair = False
    for line in match.group(1).splitlines():
        if re.match(r"^\s+[0-9a-f]+:\s+R_", line):
            if re.search(r"\b" + FACT + r"\b", line) and result:
                result[-1] = (True, result[-1][1])
            call_pair = call_pair or "R_RISCV_CALL" in line
            continue
        instruction = re.match(r"^\s*([0-9a-f]+):\s+(?:[0-9a-f]{2} )*\s*(.*)$", line)
        if not instruction:
            continue
        address = int(instruction.group(1), 16)
        # Without objdump's comments (SPARC's !, ARM's //, x86's #).
        code = re.sub(r"\s(!|//|#)\s.*$", "", instruction.group(2)).strip()
        if not code or NOP.match(code):
            continue
        mnemonic = code.split()[0]
        if mnemonic == "jalr" and call_pair:
            call_pair = False
            continue
        call_pair = False
        back = False
        target = re.search(r"\b(?:0x)?([0-9a-f]+) <[^>]*>$", code)
        if target and mnemonic not in ("call", "calll", "callq", "bl", "jal", "brasl", "bras"):
            back = int(target.group(1), 16) <= address
        if mnemonic in ("block", "loop", "if", "try"):
            blocks.append(mnemonic)
        elif mnemonic == "end" and blocks:
            blocks.pop()
        elif mnemonic in ("br", "br_if") and re.fullmatch(r"\S+\s+\d+", code):
            depth = int(code.split()[1])
            back = depth < len(blocks) and blocks[-1 - depth] == "loop"
        result.append((False, back))
    return result


# One row of a generated listing: its kind, then file, line, label, note,
# code and the text it prints.
ROW = re.compile(r'\{RowKind::\w+, R"row\(.*?\)row", \d+(?:, R"row\((.*?)\)row"){4}\},\n')


def read_listings(source):
    """Each listing's text, its rows' texts one per line, by the listing's name."""
    arrays = re.findall(r"ListingRow (\w+)Rows\[\] = \{\n(.*?)^\};", source, re.M | re.S)
    return {name: "".join(row + "\n" for row in ROW.findall(body)) for name, body in arrays}


def positions(instructions, which):
    return [i for i, marks in enumerate(instructions) if marks[which]]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, help="the generated source with the listings")
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--plain", required=True, help="fact-plain's library")
    parser.add_argument("--opt", required=True, help="fact-opt's library")
    args = parser.parse_args()
    tally = blackbox.Tally()
    with open(args.source) as source:
        listings = read_listings(source.read())
    for build, name, self_calls, loops in BUILDS:
        listing = listing_instructions(listings.get(name, ""))
        disassembly = subprocess.run([args.objdump, "-dr", "--no-show-raw-insn", getattr(args, build)],
                                     check=True, capture_output=True, text=True).stdout
        compiled = object_instructions(disassembly)
        if not tally.check(f"{build}: fact is in the object and in {name}", compiled and listing,
                           disassembly):
            continue
        wide = [line for line in listings[name].splitlines() if len(line) > 80]
        tally.check(f"{build}: the listing fits in 80 columns", not wide, "\n     ".join(wide))
        tally.check(f"{build}: the listing holds the object's {len(compiled)} instructions",
                    len(listing) == len(compiled), f"listing {len(listing)}\n{listings[name]}")
        calls = positions(compiled, 0)
        tally.check(f"{build}: {self_calls} self-call(s) in the object, marked there in the listing",
                    len(calls) == self_calls and positions(listing, 0) == calls,
                    f"object {calls}, listing {positions(listing, 0)}")
        backs = positions(compiled, 1)
        tally.check(f"{build}: back branches {'' if loops else 'none '}in the object, marked there",
                    bool(backs) == loops and positions(listing, 1) == backs,
                    f"object {backs}, listing {positions(listing, 1)}")
    tally.finish()


if __name__ == "__main__":
    main()

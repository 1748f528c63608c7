"""The x87 trap, built on purpose: precision3's sources with float
expressions left to the x87 unit, which keeps them in extended precision
while they stay in its registers.

The reports are derived from the integer model in emulate.py: optimised, the
harmonic sums stay in a register for the whole loop, each step rounded to a
64-bit significand; unoptimised, every assignment is stored in single
precision, so each step is rounded to 64 bits and then to single, as in
precisionx. The disassembly must show why: the optimised loops can go round
without storing a float, the unoptimised ones cannot."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402
import emulate  # noqa: E402
import reports  # noqa: E402

# Optimised, s = a*10 and t = b*10 stay in registers unrounded: a*10 is
# 1 + 2^-26 and b*10 is -(1 - 2^-24), both exact with 64 bits, so s + t is
# 2^-26 + 2^-24 = 10 * 2^-27, Line 1's value exactly: 33a00000. Every other
# line of part 3 stores its value into a variable before printing its bits.
PART3_KEPT = reports.PART3.replace(
    "Part3 Line2: (a*10) + (b*10) = 33800000(hex)(5.960464e-08 (dec))",
    "Part3 Line2: (a*10) + (b*10) = 33a00000(hex)(7.450581e-08 (dec))")

FLOAT_STORE = re.compile(r"^fi?stp?[slt]?$")  # fst, fstps, fstpl, fistp...
LINE = re.compile(r"^\s*([0-9a-f]+):\s+(\S+)\s*(.*)$")
TARGET = re.compile(r"^([0-9a-f]+) <")


def instructions(objdump, program, function):
    """address -> (mnemonic, operands) for one function."""
    listing = subprocess.run([objdump, "-d", "-C", "--no-show-raw-insn", program],
                             capture_output=True, text=True, check=True).stdout
    body = listing.split(f"<{function}>:\n", 1)[1].split("\n\n", 1)[0]
    found = {}
    for line in body.splitlines():
        match = LINE.match(line)
        if match:
            found[int(match.group(1), 16)] = (match.group(2), match.group(3))
    return found


def successors(code):
    addresses = sorted(code)
    following = dict(zip(addresses, addresses[1:] + [None]))
    edges = {}
    for address, (mnemonic, operands) in code.items():
        next_ones = []
        if mnemonic.startswith("j"):
            target = TARGET.match(operands)
            if target and int(target.group(1), 16) in code:
                next_ones.append(int(target.group(1), 16))
        if mnemonic not in ("jmp", "ret") and following[address] is not None:
            next_ones.append(following[address])
        edges[address] = next_ones
    return edges


def stores_float(mnemonic, operands):
    return FLOAT_STORE.match(mnemonic) is not None and not operands.startswith("%st")


def cycles_without_stores(code):
    """The instructions that lie on a cycle of the control flow that stores
    no float to memory."""
    edges = successors(code)
    allowed = {a for a, (m, o) in code.items() if not stores_float(m, o)}
    on_cycle = set()
    for start in allowed:
        seen, stack = set(), [n for n in edges[start] if n in allowed]
        while stack:
            node = stack.pop()
            if node == start:
                on_cycle.add(start)
                break
            if node not in seen:
                seen.add(node)
                stack.extend(n for n in edges[node] if n in allowed)
    return on_cycle


def check_loops(tally, objdump, directory):
    for function in ("sumIncreasing(Arithmetic, int, int)", "sumDecreasing(Arithmetic, int, int)"):
        kept = instructions(objdump, os.path.join(directory, "precision3-x87"), function)
        adds = {a for a in cycles_without_stores(kept) if kept[a][0].startswith("fadd")}
        tally.check(f"precision3-x87, {function}: the loop adds on the register stack and can go round "
                    "without storing a float", bool(adds))
        stored = instructions(objdump, os.path.join(directory, "precision3-x87-O0"), function)
        tally.check(f"precision3-x87-O0, {function}: every turn of the loop stores a float",
                    not cycles_without_stores(stored), str(sorted(cycles_without_stores(stored))))


def main():
    args = blackbox.arguments(lambda parser: parser.add_argument(
        "--objdump", required=True, help="the target's objdump"))
    tally = blackbox.Tally()

    # The fast model against emulate's exact rational one, where both are quick.
    for order in (emulate.increasing, emulate.decreasing):
        _, stored = emulate.x87_sums(order(20, 900))
        tally.check(f"model: stored x87 sums are precisionx's, {order.__name__} 20..900",
                    emulate.scaled_to_double(stored) == emulate.extended_sum(order(20, 900)))

    kept, stored = [], []
    for low, high in ((20, 100), (2000, 10_000_000)):
        for order in (emulate.increasing, emulate.decreasing):
            k, s = emulate.x87_sums(order(low, high))
            # The optimised sum leaves the function in the x87 register,
            # unrounded, and reaches printf rounded to double.
            kept.append(emulate.scaled_to_double(k))
            stored.append(emulate.scaled_to_double(s))
    tally.check("model: kept in a register, the order of the Part 1B terms no longer shows",
                "%e" % kept[2] == "%e" % kept[3] and round(kept[2], 2) == 8.52, f"{kept}")

    expected = {
        "precision3-x87": reports.part1(tuple(kept)) + reports.PART2_STRICT + PART3_KEPT,
        "precision3-x87-O0": reports.part1(tuple(stored)) + reports.PART2_STRICT + reports.PART3,
    }
    for program, text in expected.items():
        tally.expect_run(program, blackbox.run(args.bin, program, timeout=300), text.encode(), 0)
    check_loops(tally, args.objdump, args.bin)
    tally.finish()


if __name__ == "__main__":
    main()

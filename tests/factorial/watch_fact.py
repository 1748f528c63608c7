"""The debugger sessions of the watch-fact target, checked against the
arithmetic of fact: the plain build recurses down to 0 and multiplies on the
way back; the optimised build calls fact once and multiplies in a loop."""

import argparse
import math
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402


def frames(text):
    """(function, arguments) for each frame of a backtrace, innermost first."""
    return [(m.group(1), m.group(2)) for m in
            re.finditer(r"^#\d+ +(?:0x[0-9a-f]+ in )?(\w+) \(([^)]*)\)", text, re.M)]


def check_plain(tally, text):
    calls = [int(n) for n in re.findall(r"^fact\((-?\d+)\) called$", text, re.M)]
    tally.check("plain: fact called with n = 4, 3, 2, 1, 0 on the way down", calls == [4, 3, 2, 1, 0], text)
    tally.check("plain: at the deepest call, five frames of fact over main",
                frames(text) == [("fact", f"n={n}") for n in range(5)] + [("main", "")], text)
    returns = [(int(n), int(v)) for n, v in re.findall(r"^fact\((-?\d+)\) returns (-?\d+)$", text, re.M)]
    tally.check("plain: returns n! on the way back, from n = 0 up",
                returns == [(n, math.factorial(n)) for n in range(5)], text)
    tally.check("plain: main keeps 4! = 24", re.search(r"^main keeps f = 24$", text, re.M) is not None, text)


def check_optimised(tally, text):
    calls = re.findall(r"^fact\((-?\d+)\) called$", text, re.M)
    tally.check("optimised: fact called once, with 4", calls == ["4"], text)
    turns = [(int(m), int(p), n) for m, p, n in re.findall(
        r"^turn: multiplier = (-?\d+), product = (-?\d+), n = (.*)$", text, re.M)]
    multipliers = [m for m, _, _ in turns]
    products = [p for _, p, _ in turns]
    # The breakpoint may stand just before the multiply (g++) or just after
    # it (clang on x86-64): the product so far is 4*...*(m+1), or already
    # times m.
    before = [math.prod(range(m + 1, 5)) for m in multipliers]
    after = [math.prod(range(m, 5)) for m in multipliers]
    tally.check("optimised: one turn for each multiplier 4, 3, 2, 1", multipliers == [4, 3, 2, 1], text)
    tally.check("optimised: the product so far at each turn", products in (before, after), text)
    tally.check("optimised: the debug information gives n = 4 throughout, or nothing",
                all(n in ("4", "<optimized out>") for _, _, n in turns), text)
    tally.check("optimised: one frame of fact over main, however deep",
                [f for f, _ in frames(text)] == ["fact", "main"], text)
    tally.check("optimised: fact(4) returns 24", re.search(r"^fact\(4\) returns 24$", text, re.M) is not None, text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--script", required=True, help="scripts/watch-fact.sh")
    parser.add_argument("--target", default="native", help="native, or i686 under qemu-i386")
    args = parser.parse_args()
    tally = blackbox.Tally()
    output = subprocess.run(["sh", args.script, args.bin, args.target],
                            capture_output=True, text=True, timeout=120).stdout
    if "ptrace" in output and "not permitted" in output:
        print("gdb may not trace processes here (ptrace: Operation not permitted); "
              "the debugger sessions cannot run")
    plain, _, optimised = output.partition("== prodquiet-opt")
    check_plain(tally, plain)
    check_optimised(tally, optimised)
    tally.finish()


if __name__ == "__main__":
    main()

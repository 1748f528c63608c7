"""Seconds per pass of `floatexplain sum` over precision3's longest range,
2000..10,000,000: the summary alone (one pass over the ten million terms),
and the default table (a first pass that finds the notable steps, a second
that shows them). Best and median of several runs, in both orders and both
arithmetics."""

import argparse
import os
import statistics
import subprocess
import time


def seconds(command):
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(command)} failed: {done.stderr}")
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    program = os.path.join(args.bin, "floatexplain")
    for extended in (False, True):
        for decreasing in (False, True):
            for shown, passes in (("--summary", 1), (None, 2)):
                options = ["--extended"] * extended + ["--decreasing"] * decreasing + [shown] * (shown is not None)
                runs = [seconds([program, "sum", *options]) for _ in range(args.runs)]
                label = " ".join(["floatexplain sum", *options])
                print(f"{label:50} {min(runs) / passes:6.3f} s a pass (best), "
                      f"{statistics.median(runs) / passes:6.3f} (median of {args.runs}), {passes} pass(es)")


if __name__ == "__main__":
    main()

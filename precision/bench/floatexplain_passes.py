"""Seconds per run of `floatexplain sum` over precision3's longest range,
2000..10,000,000 (the traced sum runs once, and the facts and the rows are
found from its record): the summary alone and the default table, in both
orders and both arithmetics, each beside precision3's whole run. Best and
median of several runs."""

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
    yardstick = [seconds([os.path.join(args.bin, "precision3")]) for _ in range(args.runs)]
    print(f"{'precision3 (the whole run)':50} {min(yardstick):6.3f} s (best), "
          f"{statistics.median(yardstick):6.3f} (median of {args.runs})")
    for extended in (False, True):
        for decreasing in (False, True):
            for shown in ("--summary", None):
                options = ["--extended"] * extended + ["--decreasing"] * decreasing + [shown] * (shown is not None)
                runs = [seconds([program, "sum", *options]) for _ in range(args.runs)]
                label = " ".join(["floatexplain sum", *options])
                print(f"{label:50} {min(runs):6.3f} s (best), {statistics.median(runs):6.3f} (median of "
                      f"{args.runs}), {statistics.median(runs) / statistics.median(yardstick):5.1f} x precision3")


if __name__ == "__main__":
    main()

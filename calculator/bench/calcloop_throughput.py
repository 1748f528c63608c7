"""Throughput and peak memory of calcloop on one long generated line.

Prints MB/s (best of several runs) and the peak resident memory for inputs
of growing length: the memory must not grow with the input, since the
calculator keeps one character of look-ahead and nothing else."""

import argparse
import os
import random
import subprocess
import tempfile
import time


def generate(path, size, seed=7):
    """A flat expression of about size bytes: numbers joined by + - * with
    blanks here and there, so the value wraps many times over."""
    rng = random.Random(seed)
    pieces = []
    for _ in range(4096):
        pieces.append(str(rng.randint(0, 99999)))
        pieces.append(rng.choice(["+", "-", "*", " + ", " - ", "*"]))
    chunk = "".join(pieces).encode()
    with open(path, "wb") as out:
        written = 0
        while written < size:
            out.write(chunk)
            written += len(chunk)
        out.write(b"1\n")
    return os.path.getsize(path)


def measure(peakrss, program, path):
    """Seconds of wall time and peak resident KiB of one run."""
    with open(path, "rb") as stdin:
        start = time.perf_counter()
        done = subprocess.run([peakrss, program], stdin=stdin, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
        elapsed = time.perf_counter() - start
    if done.returncode != 0:
        raise SystemExit(f"{program} failed on {path}: {done.stderr}")
    return elapsed, int(done.stderr.split()[2])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--peakrss", required=True, help="the peakrss tool built beside this script")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    program = os.path.join(args.bin, "calcloop")
    # The measuring tool's own pages count in the child's peak: print them too.
    with tempfile.TemporaryDirectory() as tmp:
        empty = os.path.join(tmp, "empty")
        open(empty, "wb").close()
        print(f"baseline: peakrss running /bin/true, peak resident {measure(args.peakrss, '/bin/true', empty)[1]} KiB")
        for megabytes in (0.25, 2.5, 25):
            path = os.path.join(tmp, "line")
            size = generate(path, int(megabytes * 1_000_000))
            runs = [measure(args.peakrss, program, path) for _ in range(args.runs)]
            best = min(seconds for seconds, _ in runs)
            peak = max(kib for _, kib in runs)
            print(f"calcloop: {size / 1e6:6.1f} MB line  {size / 1e6 / best:7.1f} MB/s (best of {args.runs})"
                  f"  peak resident {peak} KiB")


if __name__ == "__main__":
    main()

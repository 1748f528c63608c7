"""calcexplain --json against its text view on many generated lines.

Generates lines of 60 terms each (numbers joined by + - *, a pair of
parentheses here and there), runs calcexplain on 200 and 2,000 of them,
as text and as --json, under /usr/bin/time -v, and prints the elapsed and
processor time and the peak resident memory of each run. --json writes each line's part
of the document as soon as that line is done, so its memory must not grow
with the number of lines."""

import argparse
import os
import random
import re
import subprocess
import tempfile


def generate(path, count, terms=60, seed=11):
    rng = random.Random(seed)
    with open(path, "w") as out:
        for _ in range(count):
            pieces, open_ = [], 0
            for i in range(terms):
                if i < terms - 2 and rng.random() < 0.1:
                    pieces.append("(")
                    open_ += 1
                pieces.append(str(rng.randint(0, 999)))
                if open_ and rng.random() < 0.2:
                    pieces.append(")")
                    open_ -= 1
                if i < terms - 1:
                    pieces.append(rng.choice("+-*"))
            out.write("".join(pieces) + ")" * open_ + "\n")


def measure(program, arguments, path):
    """(elapsed seconds, processor seconds, peak resident KiB, bytes
    written) of one run. The processor time, user and system, of the
    process and the copies it forks, varies less than the elapsed time on a
    busy machine."""
    with open(path, "rb") as stdin, tempfile.TemporaryFile() as stdout:
        done = subprocess.run(["/usr/bin/time", "-v", program, *arguments], stdin=stdin, stdout=stdout,
                              stderr=subprocess.PIPE, text=True)
        written = stdout.seek(0, os.SEEK_END)
    if done.returncode != 0:
        raise SystemExit(f"{program} {arguments} failed: {done.stderr[-500:]}")
    rss = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", done.stderr).group(1))
    clock = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (?:(\d+):)?(\d+):([\d.]+)", done.stderr)
    elapsed = int(clock.group(1) or 0) * 3600 + int(clock.group(2)) * 60 + float(clock.group(3))
    processor = sum(float(re.search(rf"{kind} time \(seconds\): ([\d.]+)", done.stderr).group(1))
                    for kind in ("User", "System"))
    return elapsed, processor, rss, written


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the directory holding calcexplain")
    parser.add_argument("--lines", type=int, nargs="+", default=[200, 2000])
    args = parser.parse_args()
    program = os.path.join(args.bin, "calcexplain")
    with tempfile.TemporaryDirectory() as tmp:
        for count in args.lines:
            path = os.path.join(tmp, f"lines{count}")
            generate(path, count)
            for label, arguments in (("text", []), ("--json", ["--json"])):
                elapsed, processor, rss, written = measure(program, arguments, path)
                print(f"{count:5} lines of 60 terms, {label:6}: {elapsed:6.1f} s elapsed, {processor:6.1f} s processor,"
                      f" peak resident {rss / 1024:6.1f} MiB, output {written / 1e6:6.1f} MB", flush=True)


if __name__ == "__main__":
    main()

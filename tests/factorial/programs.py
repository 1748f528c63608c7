"""The factorial programs: exact output, silence, exit status."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

# program, standard output (one leading blank, two before the value)
RUNS = [
    ("prodshow", b" fact is  24\n"),
    ("prodshow-opt", b" fact is  24\n"),
    ("prodquiet", b""),
    ("prodquiet-opt", b""),
]


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()
    for program, stdout in RUNS:
        tally.expect_run(program, blackbox.run(args.bin, program), stdout, 0)
    tally.finish()


if __name__ == "__main__":
    main()

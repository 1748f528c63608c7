"""A program whose output cannot be written must not report success.

Standard output goes to /dev/full, where every write fails: the program must
say "write error" on standard error and exit 1, on its success path and on
its error path alike. A program that writes nothing has lost nothing."""

import sys

import blackbox

LOST = (1, b"write error\n")

# program, standard input, exit status and standard error
RUNS = [
    ("calcloop", b"1+1\n", LOST),
    ("calcloop", b"5)\n", LOST),
    ("calcminusrec", b"10-3-2\n", LOST),
    ("calcrec", b"5-3\n", LOST),
    ("prodshow", b"", LOST),
    ("prodshow-opt", b"", LOST),
    ("prodquiet", b"", (0, b"")),
]


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()
    with open("/dev/full", "wb") as full:
        for program, stdin, (status, stderr) in RUNS:
            got = blackbox.run(args.bin, program, stdin, stdout=full)
            tally.expect_run(f"{program} <<< {stdin!r} > /dev/full", got, b"", status, stderr)
    tally.finish()


if __name__ == "__main__":
    main()

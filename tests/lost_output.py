"""A program whose output cannot be written must not report success.

Standard output goes to /dev/full, where every write fails: the program must
say "write error" on standard error and exit 1, on its success path and on
its error path alike."""

import sys

import blackbox

# program, standard input
RUNS = [
    ("calcloop", b"1+1\n"),
    ("calcloop", b"5)\n"),
    ("calcminusrec", b"10-3-2\n"),
    ("calcrec", b"5-3\n"),
]


def main():
    args = blackbox.arguments()
    tally = blackbox.Tally()
    with open("/dev/full", "wb") as full:
        for program, stdin in RUNS:
            got = blackbox.run(args.bin, program, stdin, stdout=full)
            tally.expect_run(f"{program} <<< {stdin!r} > /dev/full", got, b"", 1, b"write error\n")
    tally.finish()


if __name__ == "__main__":
    main()

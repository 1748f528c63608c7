"""A program whose output cannot be written must not report success.

Every program the build makes is run, and each must have a row below, so a
program added later cannot go unchecked. Standard output goes to /dev/full,
where every write fails: the program must say "PROGRAM: write error: No
space left on device" on standard error, once, and exit 1, on its success
path and on its error path alike. With standard output closed before it
starts (prog >&-), a program that writes fails the same way, with the reason
"Bad file descriptor", and one that writes nothing has lost nothing."""

import errno
import os

import blackbox

LOST = "lost"
NOTHING_LOST = "nothing lost"


def expected(program, outcome, reason):
    """(status, standard error) for a run whose output went where writes fail
    with errno `reason`."""
    if outcome is NOTHING_LOST:
        return 0, b""
    return 1, f"{program}: write error: {os.strerror(reason)}\n".encode()


# program: runs of (standard input, result with output lost[, arguments]).
RUNS = {
    "calcloop": [(b"1+1\n", LOST), (b"5)\n", LOST)],
    "calcminusrec": [(b"10-3-2\n", LOST)],
    "calcrec": [(b"5-3\n", LOST)],
    "calcexplain": [(b"1+1\n", LOST), (b"5)\n", LOST)],
    "precision3": [(b"", LOST)],
    "precision2": [(b"", LOST)],
    "precisionx": [(b"", LOST)],
    "precision3-x87": [(b"", LOST)],
    "precision3-x87-O0": [(b"", LOST)],
    "floatexplain": [(b"", LOST, ["tenths"]), (b"", LOST, ["distributive"]),
                     (b"", LOST, ["sum", "--from", "20", "--to", "100", "--extended"])],
    "prodshow": [(b"", LOST)],
    "prodshow-opt": [(b"", LOST)],
    "prodquiet": [(b"", NOTHING_LOST)],
    "prodquiet-opt": [(b"", NOTHING_LOST)],
    "factexplain": [(b"", LOST), (b"", LOST, ["--help"])],
}


def main():
    args = blackbox.arguments(lambda parser: parser.add_argument(
        "--programs", required=True, help="every program the build makes, separated by commas"))
    tally = blackbox.Tally()
    for program in args.programs.split(","):
        tally.check(f"{program} has a lost-output row", program in RUNS)
    with open("/dev/full", "wb") as full:
        for program in args.programs.split(","):
            for stdin, outcome, *arguments in RUNS.get(program, []):
                arguments = arguments[0] if arguments else []
                shown = " ".join([program, *arguments])
                # Standard input ends, for calcexplain, which reads to its end.
                got = blackbox.run(args.bin, program, stdin, arguments=arguments, stdout=full,
                                   hold_input_open=False)
                tally.expect_run(f"{shown} <<< {stdin!r} > /dev/full", got, b"",
                                 *expected(program, outcome, errno.ENOSPC))
                got = blackbox.run(args.bin, program, stdin, arguments=arguments, stdout=blackbox.CLOSED,
                                   hold_input_open=False)
                tally.expect_run(f"{shown} <<< {stdin!r} >&-", got, b"", *expected(program, outcome, errno.EBADF))
    tally.finish()


if __name__ == "__main__":
    main()

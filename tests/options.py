"""The companions' shared option reader: the same GNU rules and the same
words in calcexplain and floatexplain.

Each row: the program, its arguments, and either the message it must give
(status 2, then the "Try" line) or None where the arguments must be taken
(status 0, nothing on standard error). Every message fits in 80 columns."""

import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import blackbox  # noqa: E402

CASES = [
    # A prefix that names one option is that option; one that names two is
    # refused with both; a value given to an option that takes none.
    ("calcexplain", ["--tra", "7"], None),
    ("calcexplain", ["--t", "7"], "option '--t' is ambiguous; possibilities: '--trace' '--tree'"),
    ("calcexplain", ["--steps=1", "7"], "option '--steps' takes no argument"),
    ("calcexplain", ["--help=x", "1+2"], "option '--help' takes no argument"),
    ("calcexplain", ["--dot", "--steps", "7"], "--dot draws the trees and nothing else, not --steps"),
    ("calcexplain", ["7", "1\n+x"], "a LINE that holds a newline: '1<U+000A>+x'\n"
                                    "Give each line as a LINE of its own."),
    ("calcexplain", ["--tree=\x1b", "7"], "invalid argument '<U+001B>' for '--tree'\n"
                                         "Valid arguments are 'expr' and 'rules'."),
    ("floatexplain", ["value", "--ext", "0.1"], None),
    ("floatexplain", ["value", "--extended=1", "0.1"], "option '--extended' takes no argument"),
    ("floatexplain", ["value", "--", "0.1"], None),
    ("floatexplain", ["op", "--", "-1", "/", "2"], None),
    ("floatexplain", ["op", "-0.5", "--ext", "*", "-2"], None),
    ("floatexplain", ["value", "--wi", "1"], "unrecognized option '--wi'\n"
                                             "--wide is an option of sum, tenths and distributive, not of value."),
    ("floatexplain", ["sum", "--e"], "option '--e' is ambiguous; possibilities: '--every' '--extended'"),
    # What the user typed is quoted, a control code by its name, never sent
    # to the terminal as it is.
    ("floatexplain", ["value", "\x1b[2J"], "not a decimal, p/q, 0x3dcccccd, inf or nan: '<U+001B>[2J'"),
    # Bytes that look like UTF-8 but are none, each byte by its code: an
    # overlong '/', a surrogate (U+D800), a code point past U+10FFFF.
    ("calcexplain", ["--tree=\udcc0\udcaf", "7"], "invalid argument '<0xC0><0xAF>' for '--tree'\n"
                                                  "Valid arguments are 'expr' and 'rules'."),
    ("calcexplain", ["--tree=e\udced\udca0\udc80", "7"], "invalid argument 'e<0xED><0xA0><0x80>' for '--tree'\n"
                                                          "Valid arguments are 'expr' and 'rules'."),
    ("calcexplain", ["--tree=\udcf4\udc90\udc80\udc80", "7"],
     "invalid argument '<0xF4><0x90><0x80><0x80>' for '--tree'\nValid arguments are 'expr' and 'rules'."),
    ("floatexplain", ["value", "0x3dcccccdd"], "not a bit pattern of 1 to 8 hexadecimal digits: '0x3dcccccdd'"),
    ("floatexplain", ["tenths", "--\u00d7"], "unrecognized option '--\u00d7'"),
    ("floatexplain", ["sum", "--from", "9" * 20], "--from takes a whole number, 1 to 16777216: '" + "9" * 20 + "'"),
]


def main():
    args = blackbox.arguments(lambda parser: parser.add_argument(
        "--utf8-arguments-only", action="store_true", help="the host passes only UTF-8 arguments"))
    tally = blackbox.Tally()
    for program, arguments, message in CASES:
        if args.utf8_arguments_only and any("\udc80" <= c <= "\udcff" for a in arguments for c in a):
            print(f"not run here: {program} {arguments!r}, whose bytes are not UTF-8")
            continue
        got = blackbox.run(args.bin, program, arguments=arguments)
        label = f"{program} {arguments!r}"
        if message is None:
            tally.check(f"{label}: taken", got.status == 0 and got.stderr == b"" and got.stdout, f"{got}")
            continue
        want = f"{program}: {message}\nTry '{program} --help' for more information.\n".encode()
        tally.expect_run(label, got, b"", 2, want)
        widest = max(len(line) for line in got.stderr.decode("utf-8", "replace").split("\n"))
        tally.check(f"{label}: within 80 columns", widest <= 80, f"{widest} columns")
    tally.finish()


if __name__ == "__main__":
    main()

"""Edge cases of the three calculators: exact output bytes and exit status.

Each row is an input and, per program, the value it must print or ERR for
"parse error". Values were worked out by hand from each grammar's grouping
and 32-bit wrap-around (noted where it is not obvious)."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

ERR = "parse error"

# input,                           calcloop,    calcminusrec, calcrec
ROWS = [
    # The documented examples.
    (b"2+3*4\n",                     14,          14,          14),
    (b"(2+3)*4\n",                   20,          20,          20),
    (b"10-3-2\n",                    5,           9,           ERR),
    (b"2 * ( 3 + 4 ) - 1\n",         13,          13,          ERR),
    (b"\t7   \n",                    7,           7,           7),
    (b"1 2\n",                       12,          12,          12),
    (b"007\n",                       7,           7,           7),
    (b"2147483647+1\n",              -2**31,      -2**31,      -2**31),
    (b"\n",                          ERR,         ERR,         ERR),
    (b"-5\n",                        ERR,         ERR,         ERR),
    (b"5)\n",                        ERR,         ERR,         ERR),
    (b"(1+2\n",                      ERR,         ERR,         ERR),
    (b"2+3",                         ERR,         ERR,         ERR),
    (b"6/2\n",                       ERR,         ERR,         ERR),
    (b"1+1\ngarbage\n",              2,           2,           2),
    (b"8-4-2-1\n",                   1,           5,           ERR),
    (b"10-2-3+1\n",                  6,           12,          ERR),  # minusrec: (10-(2-3))+1
    (b"1-2+3\n",                     2,           2,           ERR),
    (b"2*3-4*5\n",                   -14,         -14,         ERR),
    (b"2*3+4\n",                     10,          10,          10),
    (b"(1+2)*(3+4)\n",               21,          21,          21),
    (b"5-3\n",                       2,           2,           ERR),
    (b"1 + 2 + 3\n",                 6,           6,           6),
    # Wrap-around at 2^31 and 2^32, in sums, products and in number itself.
    (b"2147483648\n",                -2**31,      -2**31,      -2**31),
    (b"4294967295\n",                -1,          -1,          -1),
    (b"4294967296\n",                0,           0,           0),
    (b"99999999999\n",               1215752191,  1215752191,  1215752191),  # - 23 * 2^32
    (b"65536*65536\n",               0,           0,           0),
    (b"65535*65537\n",               -1,          -1,          -1),  # 2^32 - 1
    (b"46341*46341\n",               -2147479015, -2147479015, -2147479015),  # 2147488281 - 2^32
    (b"2147483647*2\n",              -2,          -2,          -2),
    (b"0-2147483647-1\n",            -2**31,      -2147483646, ERR),
    (b"0-2147483648\n",              -2**31,      -2**31,      ERR),  # 0 - (-2^31) wraps
    (b"1-2147483647*2\n",            3,           3,           ERR),  # 1 - (-2)
    # Blanks and tabs anywhere, including inside numbers.
    (b"1 2\t3\n",                    123,         123,         123),
    (b" ( 1 + 2 ) * 3 \t\n",         9,           9,           9),
    (b"1 2 + 3 4\n",                 46,          46,          46),
    (b"((7))\n",                     7,           7,           7),
    (b"0\n",                         0,           0,           0),
    (b"1+1\n\n",                     2,           2,           2),
    # Lines that are not expressions.
    (b" \t \n",                      ERR,         ERR,         ERR),
    (b"2+3\r\n",                     ERR,         ERR,         ERR),
    (b"1\v\n",                       ERR,         ERR,         ERR),
    (b"1\f\n",                       ERR,         ERR,         ERR),
    (b"()\n",                        ERR,         ERR,         ERR),
    (b"1)\n",                        ERR,         ERR,         ERR),
    (b"+1\n",                        ERR,         ERR,         ERR),
    (b"1++2\n",                      ERR,         ERR,         ERR),
    (b"3*-1\n",                      ERR,         ERR,         ERR),
    (b"1 +\n",                       ERR,         ERR,         ERR),
    (b"7 x\n",                       ERR,         ERR,         ERR),
    (b"(1-2)\n",                     -1,          -1,          ERR),
    (b"1\n2\n",                      1,           1,           1),
    (b"1\n+2\n",                     1,           1,           1),
    # End of input before the newline.
    (b"",                            ERR,         ERR,         ERR),
    (b"2+",                          ERR,         ERR,         ERR),
    (b"(",                           ERR,         ERR,         ERR),
    (b"(5",                          ERR,         ERR,         ERR),
    (b"2+3 \t",                      ERR,         ERR,         ERR),
    # Bytes outside printable ASCII: NUL, 0x80 and 0xff (which must not pass for EOF).
    (b"1\x002\n",                    ERR,         ERR,         ERR),
    (b"\x00\n",                      ERR,         ERR,         ERR),
    (b"1+\x80\n",                    ERR,         ERR,         ERR),
    (b"\xff\n",                      ERR,         ERR,         ERR),
    (b"1\xff\n",                     ERR,         ERR,         ERR),
    (b"(1\xe9)\n",                   ERR,         ERR,         ERR),
]

PROGRAMS = ("calcloop", "calcminusrec", "calcrec")


def expected(value):
    if value == ERR:
        return b"parse error\n", 1
    return b"The result is: %d\n" % value, 0


def main():
    args = blackbox.arguments(lambda p: p.add_argument("--program", choices=PROGRAMS, required=True))
    column = PROGRAMS.index(args.program)
    tally = blackbox.Tally()
    for row in ROWS:
        stdin, want = row[0], row[1 + column]
        stdout, status = expected(want)
        got = blackbox.run(args.bin, args.program, stdin)
        tally.expect_run(f"{args.program} <<< {stdin!r}", got, stdout, status)
    tally.finish()


if __name__ == "__main__":
    main()

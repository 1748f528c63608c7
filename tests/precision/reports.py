"""The demonstration reports, byte for byte.

The harmonic sums of Part 1 come from the independent model in emulate.py;
every other line is written out below with its derivation. The model is also
held to the facts that the reports exist to show."""

import os
import sys
from fractions import Fraction

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402
import emulate  # noqa: E402

# The tenth is the single nearest 0.1: 13421773 * 2^-27 (0x3dcccccd), or
# 0.100000001490116..., so "%e" shows 1.000000e-01. Ten of them added in
# single precision end at 1 + 2^-23 = 1.00000011920928955..., which "%e" shows
# as 1.000000e+00; it is not 1, so the flag is 0.
PART2_STRICT = ("\nPart 2 -- f is 1.000000e-01,  sum is 1.000000e+00\n"
                "Part 2B?  sum == 1.0F IS false (0)\n")
QUESTION1 = "Why are the values the same in part 1a and different in part 2b?"
PART2_X = ("\nPart 2 -- f is 1.000000e-01, 10*f = sum is 1.000000e+00\n"
           "Part 2B?  sum == 1.0F IS false (0)\n"
           "Since adding 0.1, 10 times is 1.0, why do we get False above?\n")

# a = 13421773 * 2^-27 (0x3dcccccd), b = -13421772 * 2^-27 (0xbdcccccc):
#   b is -0.0999999940395..., "%e" -9.999999e-02.
# a + b = 2^-27 = 7.4505805969e-09: biased exponent 127-27 = 100 = 0x64, so
#   the pattern is 0x64 << 23 = 32000000.
# a*10 = 134217730 * 2^-27 = 1 + 2^-26, less than half a unit (2^-24) above 1:
#   it rounds to 1, 3f800000.
# b*10 = -134217720 * 2^-27 = -(1 - 2^-24), the single just below 1 in
#   magnitude: exponent 126 (0x7e), all 23 fraction bits set: bf7fffff;
#   -0.99999994039..., "%e" -9.999999e-01.
# Line 1: (a+b)*10 = 10 * 2^-27 = 1.25 * 2^-24 = 7.4505805969e-08: exponent
#   127-24 = 103 (0x67), fraction .01 binary: 0x67 << 23 | 1 << 21 = 33a00000.
# Line 2: 1 - (1 - 2^-24) = 2^-24 = 5.9604644775e-08: 0x67 << 23 = 33800000.
PART3 = ("\nPART 3: \n"
         "a = 3dcccccd(hex) 1.000000e-01(dec)\n"
         "b = bdcccccc(hex) -9.999999e-02(dec)\n"
         "a + b = 32000000(hex) 7.450581e-09\n"
         "a*10 = 3f800000(hex) 1.000000e+00(dec)\n"
         "b*10 = bf7fffff(hex) -9.999999e-01(dec)\n"
         "Part3 Line1: (a+b)*10 = 33a00000(hex) (7.450581e-08(dec))\n"
         "Part3 Line2: (a*10) + (b*10) = 33800000(hex)(5.960464e-08 (dec))\n"
         "\n")


def part1(sums, question=None):
    text = ("\nPart 1A --increasing i's-- sum = %e\n"
            "Part 1A --decreasing i's-- sum = %e\n"
            "\nPart 1B--increasing i's -- sum = %e\n"
            "Part 1B -- decreasing i's -- sum = %e\n") % sums
    return text + (question + "\n" if question else "")


def check_model(tally, s_sums, x_sums, stalled):
    """The facts the reports show, checked on the model's numbers. `stalled`
    is precision3's increasing Part 1B sum just before i = 2^22."""
    single, bits = emulate.single, emulate.single_bits
    tally.check("model: the single nearest 0.1 is 3dcccccd", bits(single(0.1)) == 0x3dcccccd)
    total = 0.0
    for _ in range(10):
        total = single(total + single(0.1))
    tally.check("model: ten tenths sum to 1 + 2^-23", total == 1 + 2**-23)

    tally.check("model, strict ranges: Part 1A sums differ in their bits", s_sums[0] != s_sums[1])
    tally.check("model, strict ranges: but print the same", "%e" % s_sums[0] == "%e" % s_sums[1])
    tally.check("model, strict ranges: Part 1B prints close to 7.92 and 8.51",
                round(s_sums[2], 2) == 7.92 and round(s_sums[3], 2) == 8.51, f"{s_sums}")
    tally.check("model, strict ranges: from i = 2^22 on the increasing sum no longer changes",
                stalled == s_sums[2] and 4 <= stalled < 8)

    tally.check("model, precisionx's ranges: the Part 1A sums are identical", x_sums[0] == x_sums[1])
    tally.check("model, precisionx's ranges: the Part 1B lines differ in the last digit",
                ("%e" % x_sums[2])[:-4] != ("%e" % x_sums[3])[:-4]  # cut "e+00"
                and ("%e" % x_sums[2])[:-5] == ("%e" % x_sums[3])[:-5])
    strict_x = passes(emulate.strict_sum, ((20, 800), (20, 900)))
    tally.check("model, precisionx's ranges: extended and strict single sums are the same", strict_x == x_sums)


# precisionx's sections over ranges where the two arithmetics print
# different sums (found by comparing the model's two modes).
WIDENED_RANGES = ((50, 181), (1, 727))


def passes(sum_of, ranges):
    """The four sums of Part 1 over (low1, high1) and (low2, high2)."""
    return tuple(sum_of(order(low, high)) for low, high in ranges
                 for order in (emulate.increasing, emulate.decreasing))


def check_extended_sections(tally, path):
    """Sections that silently fell back to strict single precision would
    print the same report for precisionx; over these ranges they would not."""
    extended = part1(passes(emulate.extended_sum, WIDENED_RANGES), QUESTION1) + PART2_X
    strict = part1(passes(emulate.strict_sum, WIDENED_RANGES), QUESTION1) + PART2_X
    tally.check("model: the widened ranges print differently in the two arithmetics", extended != strict)
    directory, program = os.path.split(path)
    tally.expect_run("precisionx's sections over the widened ranges",
                     blackbox.run(directory, program), extended.encode(), 0)


def main():
    args = blackbox.arguments(lambda parser: parser.add_argument(
        "--extended-sections", required=True, help="precisionx's sections built over wider ranges"))
    tally = blackbox.Tally()

    # The increasing Part 1B pass in two legs, split at i = 2^22, so that the
    # stall can be checked without adding the first leg twice.
    stalled = emulate.strict_sum(emulate.increasing(2000, 2**22 - 1))
    s_sums = (emulate.strict_sum(emulate.increasing(20, 100)), emulate.strict_sum(emulate.decreasing(20, 100)),
              emulate.strict_sum(emulate.increasing(2**22, 10_000_000), stalled),
              emulate.strict_sum(emulate.decreasing(2000, 10_000_000)))
    x_sums = passes(emulate.extended_sum, ((20, 800), (20, 900)))
    check_model(tally, s_sums, x_sums, stalled)

    reports = {
        "precision3": part1(s_sums) + PART2_STRICT + PART3,
        "precision2": part1(s_sums) + PART2_STRICT,
        "precisionx": part1(x_sums, QUESTION1) + PART2_X,
    }
    for program, text in reports.items():
        tally.expect_run(program, blackbox.run(args.bin, program, timeout=300), text.encode(), 0)
    check_extended_sections(tally, args.extended_sections)
    tally.finish()


if __name__ == "__main__":
    main()

"""An independent model of the demonstrations' arithmetic, in Python.

Single precision: Python computes in double precision, and each result is
rounded to single precision through struct. Rounding a double result again to
single gives the correctly rounded single result for +, -, * and / because
double's 53 bits are at least 2 * 24 + 2 (double rounding is then
innocuous), so this models strict single precision exactly without using it.

Extended evaluation: exact rational arithmetic (fractions), rounded to a
64-bit significand and then to single precision by an explicit
round-to-nearest-even on the binary expansion."""

import struct
from fractions import Fraction

_single = struct.Struct("f")


def single(x):
    """x rounded to single precision (nearest, ties to even)."""
    return _single.unpack(_single.pack(x))[0]


def single_bits(x):
    return struct.unpack("<I", struct.pack("<f", x))[0]


def round_significand(x, bits):
    """The positive rational x rounded to `bits` significant bits, to nearest
    with ties to even, as a Fraction."""
    if x == 0:
        return Fraction(0)
    exponent = x.numerator.bit_length() - x.denominator.bit_length()
    # Choose the scale so that 2^(bits-1) <= x * 2^shift < 2^bits.
    shift = bits - 1 - exponent
    scaled = x * Fraction(2) ** shift
    if scaled >= 2 ** bits:
        shift -= 1
        scaled /= 2
    elif scaled < 2 ** (bits - 1):
        shift += 1
        scaled *= 2
    whole, rest = divmod(scaled.numerator, scaled.denominator)
    twice = 2 * rest
    if twice > scaled.denominator or (twice == scaled.denominator and whole % 2 == 1):
        whole += 1
    return Fraction(whole) / Fraction(2) ** shift


def strict_sum(indices, total=0.0):
    """total + 1/i for each i in turn, in strict single precision."""
    for i in indices:
        total = single(total + single(1.0 / i))
    return total


def extended_sum(indices):
    total = Fraction(0)
    for i in indices:
        q = round_significand(Fraction(1, i), 64)
        r = round_significand(total + q, 64)
        total = round_significand(r, 24)
    return float(total)


def increasing(low, high):
    return range(low, high + 1)


def decreasing(low, high):
    return range(high, low - 1, -1)

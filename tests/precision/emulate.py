"""An independent model of the demonstrations' arithmetic, in Python.

Single precision: Python computes in double precision, and each result is
rounded to single precision through struct. Rounding a double result again to
single gives the correctly rounded single result for +, -, * and / because
double's 53 bits are at least 2 * 24 + 2 (double rounding is then
innocuous), so this models strict single precision exactly without using it.

Extended evaluation: exact rational arithmetic (fractions), rounded to a
64-bit significand and then to single precision by an explicit
round-to-nearest-even on the binary expansion."""

import functools
import hashlib
import math
import os
import pickle
import struct
from fractions import Fraction

_single = struct.Struct("f")


def _remembered(model):
    """The model's answers kept in MODEL_CACHE, when that names a directory:
    they depend on nothing but this file and the arguments, and the long
    sums take half a minute in Python, in every configuration CI tests.
    Without MODEL_CACHE every answer is computed afresh."""
    @functools.wraps(model)
    def wrapper(*arguments):
        directory = os.environ.get("MODEL_CACHE")
        if not directory:
            return model(*arguments)
        with open(__file__, "rb") as source:
            key = hashlib.sha256(source.read() + repr((model.__name__, arguments)).encode()).hexdigest()
        path = os.path.join(directory, key)
        try:
            with open(path, "rb") as kept:
                return pickle.load(kept)
        except FileNotFoundError:
            pass
        answer = model(*arguments)
        os.makedirs(directory, exist_ok=True)
        # Written whole under another name, then renamed: two tests running
        # at once never read half an answer.
        partial = f"{path}.{os.getpid()}"
        with open(partial, "wb") as kept:
            pickle.dump(answer, kept)
        os.replace(partial, path)
        return answer
    return wrapper


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


@_remembered
def strict_sum(indices, total=0.0):
    """total + 1/i for each i in turn, in strict single precision."""
    for i in indices:
        total = single(total + single(1.0 / i))
    return total


@_remembered
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


# The same extended steps in integers, fast enough for ten million terms:
# every value in play is a multiple of 2^-128 (1/i rounded to 64 bits has its
# last bit at 2^-88 or above for i <= 2^24), held as that multiple.
SCALE = 128
_ONE = 1 << SCALE


def round_integer(x, bits):
    """The positive integer x rounded to `bits` significant bits, to nearest
    with ties to even."""
    shift = x.bit_length() - bits
    if shift <= 0:
        return x
    kept = x >> shift
    rest = x - (kept << shift)
    half = 1 << (shift - 1)
    if rest > half or (rest == half and kept & 1):
        kept += 1
    return kept << shift


def reciprocal64(i):
    """1/i rounded to 64 significant bits, as a multiple of 2^-SCALE."""
    step = 1 << ((_ONE // i).bit_length() - 64)
    kept, rest = divmod(_ONE, i * step)
    if 2 * rest > i * step or (2 * rest == i * step and kept & 1):
        kept += 1
    return kept * step


@_remembered
def x87_sums(indices):
    """Two sums of 1/i as the x87 unit makes them, each term rounded to 64
    bits: `kept`, where the sum stays in a register, rounded to 64 bits at
    every step and never stored; `stored`, where every step is also stored
    in single precision (precisionx's extended evaluation). Both as
    multiples of 2^-SCALE."""
    kept = stored = 0
    for i in indices:
        term = reciprocal64(i)
        kept = round_integer(kept + term, 64)
        stored = round_integer(round_integer(stored + term, 64), 24)
    return kept, stored


def scaled_to_double(x):
    """A multiple of 2^-SCALE rounded to double precision (Python rounds an
    integer to the nearest double)."""
    return math.ldexp(float(x), -SCALE)

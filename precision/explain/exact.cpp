// Whole numbers in 32-bit limbs, multiplied and divided in 64-bit words, so
// that the arithmetic is the same on every target, 32-bit ones included.

#include "exact.h"

#include "show.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace {

using Limbs = std::vector<std::uint32_t>;

void trim(Limbs& a)
{
    while (!a.empty() && a.back() == 0)
        a.pop_back();
}

Limbs limbsOf(std::uint64_t value)
{
    Limbs a;
    for (; value; value >>= 32)
        a.push_back(static_cast<std::uint32_t>(value));
    return a;
}

int bitLength(const Limbs& a)
{
    return a.empty() ? 0 : 32 * static_cast<int>(a.size() - 1) + static_cast<int>(std::bit_width(a.back()));
}

int trailingZeros(const Limbs& a)
{
    int zeros = 0;
    for (std::uint32_t limb : a) {
        if (limb)
            return zeros + std::countr_zero(limb);
        zeros += 32;
    }
    return zeros;
}

int compareLimbs(const Limbs& a, const Limbs& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t k = a.size(); k-- > 0;)
        if (a[k] != b[k])
            return a[k] < b[k] ? -1 : 1;
    return 0;
}

Limbs add(const Limbs& a, const Limbs& b)
{
    Limbs sum(std::max(a.size(), b.size()) + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t k = 0; k < sum.size(); ++k) {
        carry += (k < a.size() ? a[k] : 0) + std::uint64_t{k < b.size() ? b[k] : 0};
        sum[k] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    trim(sum);
    return sum;
}

// a - b, with a >= b.
Limbs subtract(Limbs a, const Limbs& b)
{
    std::uint64_t borrow = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        std::uint64_t take = (k < b.size() ? b[k] : 0) + borrow;
        borrow = a[k] < take;
        a[k] = static_cast<std::uint32_t>(a[k] - take);
    }
    trim(a);
    return a;
}

Limbs multiply(const Limbs& a, const Limbs& b)
{
    if (a.empty() || b.empty())
        return {};
    Limbs product(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            carry += std::uint64_t{a[i]} * b[j] + product[i + j];
            product[i + j] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        product[i + b.size()] = static_cast<std::uint32_t>(carry);
    }
    trim(product);
    return product;
}

void multiplySmall(Limbs& a, std::uint32_t factor)
{
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : a) {
        carry += std::uint64_t{limb} * factor;
        limb = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    if (carry)
        a.push_back(static_cast<std::uint32_t>(carry));
    trim(a);
}

// a / divisor in place, cut toward zero; the remainder.
std::uint32_t divideSmall(Limbs& a, std::uint32_t divisor)
{
    std::uint64_t remainder = 0;
    for (std::size_t k = a.size(); k-- > 0;) {
        std::uint64_t part = remainder << 32 | a[k];
        a[k] = static_cast<std::uint32_t>(part / divisor);
        remainder = part % divisor;
    }
    trim(a);
    return static_cast<std::uint32_t>(remainder);
}

Limbs shiftedLeft(const Limbs& a, int bits)
{
    if (a.empty() || bits == 0)
        return a;
    auto words = static_cast<std::size_t>(bits / 32);
    int shift = bits % 32;
    Limbs result(a.size() + words + 1, 0);
    for (std::size_t k = 0; k < a.size(); ++k) {
        std::uint64_t part = std::uint64_t{a[k]} << shift;
        result[k + words] |= static_cast<std::uint32_t>(part);
        result[k + words + 1] |= static_cast<std::uint32_t>(part >> 32);
    }
    trim(result);
    return result;
}

// a / 2^bits, cut toward zero.
Limbs shiftedRight(const Limbs& a, int bits)
{
    auto words = static_cast<std::size_t>(bits / 32);
    if (words >= a.size())
        return {};
    int shift = bits % 32;
    Limbs result(a.size() - words, 0);
    for (std::size_t k = 0; k < result.size(); ++k) {
        std::uint64_t part = a[k + words];
        if (k + words + 1 < a.size())
            part |= std::uint64_t{a[k + words + 1]} << 32;
        result[k] = static_cast<std::uint32_t>(part >> shift);
    }
    trim(result);
    return result;
}

// a / b cut toward zero (b nonzero), and a % b in `remainder`: bit by
// bit, as by hand; the numbers here have a few thousand bits at most.
Limbs divide(const Limbs& a, const Limbs& b, Limbs& remainder)
{
    if (b.size() == 1) {
        Limbs quotient = a;
        remainder = limbsOf(divideSmall(quotient, b[0]));
        return quotient;
    }
    Limbs quotient(a.size(), 0);
    remainder.clear();
    for (int bit = bitLength(a) - 1; bit >= 0; --bit) {
        remainder = shiftedLeft(remainder, 1);
        if (a[static_cast<std::size_t>(bit / 32)] >> (bit % 32) & 1) {
            if (remainder.empty())
                remainder.push_back(0);
            remainder[0] |= 1;
        }
        if (compareLimbs(remainder, b) >= 0) {
            remainder = subtract(remainder, b);
            quotient[static_cast<std::size_t>(bit / 32)] |= std::uint32_t{1} << (bit % 32);
        }
    }
    trim(quotient);
    return quotient;
}

// The greatest common divisor of two odd whole numbers, by subtraction:
// each step halves one of them at least, so it takes as many steps as
// they have bits.
Limbs oddCommonDivisor(Limbs a, Limbs b)
{
    for (int order; (order = compareLimbs(a, b)) != 0;) {
        Limbs& larger = order > 0 ? a : b;
        larger = subtract(larger, order > 0 ? b : a);
        larger = shiftedRight(larger, trailingZeros(larger));
    }
    return a;
}

// The factors of two of the magnitude move to the exponent; a zero has no
// sign; the divisor shares no factor with the magnitude (a quotient of
// singles shows as 4/3, not 8/6, and 10^-14 * 10^14 as 1, not 5^14/5^14).
Exact normal(Exact x)
{
    trim(x.magnitude);
    if (x.magnitude.empty())
        return Exact{};
    int zeros = trailingZeros(x.magnitude);
    x.magnitude = shiftedRight(x.magnitude, zeros);
    x.exponent += zeros;
    if (x.divisor != Limbs{1}) {
        Limbs common = oddCommonDivisor(x.magnitude, x.divisor);
        if (common != Limbs{1}) {
            Limbs rest;
            x.magnitude = divide(x.magnitude, common, rest);
            x.divisor = divide(x.divisor, common, rest);
        }
    }
    return x;
}

// |x| as a whole-number numerator over a whole-number denominator.
void fractionOf(const Exact& x, Limbs& numerator, Limbs& denominator)
{
    numerator = x.exponent > 0 ? shiftedLeft(x.magnitude, x.exponent) : x.magnitude;
    denominator = x.exponent < 0 ? shiftedLeft(x.divisor, -x.exponent) : x.divisor;
}

// The magnitudes of x and y over one divisor, at one exponent (the lower).
void aligned(const Exact& x, const Exact& y, Limbs& a, Limbs& b, Limbs& divisor, int& exponent)
{
    exponent = std::min(x.exponent, y.exponent);
    a = shiftedLeft(x.magnitude, x.exponent - exponent);
    b = shiftedLeft(y.magnitude, y.exponent - exponent);
    divisor = x.divisor;
    if (compareLimbs(x.divisor, y.divisor) != 0) {
        a = multiply(a, y.divisor);
        b = multiply(b, x.divisor);
        divisor = multiply(x.divisor, y.divisor);
    }
}

std::string wholeDigits(Limbs whole)
{
    std::string text;
    do {
        text += static_cast<char>('0' + divideSmall(whole, 10));
    } while (!whole.empty());
    std::reverse(text.begin(), text.end());
    return text;
}

// The decimal digits of |x|: the whole part at once, then the fraction's
// one at a time.
struct Digits {
    std::string whole;
    Limbs remainder;  // the fraction is remainder / denominator
    Limbs denominator;
};

Digits digitsOfMagnitude(const Exact& x)
{
    Digits digits;
    Limbs numerator;
    fractionOf(x, numerator, digits.denominator);
    digits.whole = wholeDigits(divide(numerator, digits.denominator, digits.remainder));
    return digits;
}

bool exhausted(const Digits& digits)
{
    return digits.remainder.empty();
}

char nextDigit(Digits& digits)
{
    multiplySmall(digits.remainder, 10);
    char digit = '0';
    for (; compareLimbs(digits.remainder, digits.denominator) >= 0; ++digit)
        digits.remainder = subtract(digits.remainder, digits.denominator);
    return digit;
}

// Adds one to the last digit of a string of decimal digits; true if it
// carried out of the first.
bool incrementDigits(std::string& digits)
{
    for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
        if (*d != '9') {
            ++*d;
            return false;
        }
        *d = '0';
    }
    return true;
}

std::string withSign(const Exact& x, const std::string& whole, const std::string& fraction)
{
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) of a
    // literal + std::string.
    std::string text = isNegative(x) ? "-" : "";
    text += whole;
    if (!fraction.empty()) {
        text += '.';
        text += fraction;
    }
    return text;
}

}  // namespace

Exact exactDyadic(std::uint64_t significand, int exponent)
{
    return normal({false, limbsOf(significand), exponent, {1}});
}

Exact exactSingle(float x)
{
    if (!std::isfinite(x))
        disagree("an infinite or undefined single taken as exact");
    SoftExtended magnitude = softFromSingle(std::fabs(x));
    Exact value = exactDyadic(magnitude.significand, magnitude.exponent);
    return std::signbit(x) ? -value : value;
}

Exact exactExtended(Extended x)
{
#if EXTENDED_IN_HARDWARE
    if (!std::isfinite(x))
        disagree("an infinite or undefined extended value taken as exact");
    int exponent = 0;
    long double fraction = std::frexp(std::fabs(x), &exponent);  // in [1/2, 1), or 0
    auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    Exact value = exactDyadic(significand, exponent - 64);
    return std::signbit(x) ? -value : value;
#else
    return exactDyadic(x.significand, x.exponent);
#endif
}

Exact exactDecimal(bool negative, const std::string& digits, int exponent)
{
    Limbs whole;
    for (char digit : digits) {
        multiplySmall(whole, 10);
        whole = add(whole, limbsOf(static_cast<std::uint64_t>(digit - '0')));
    }
    // 10^e = 2^e 5^e: the fives multiply or divide.
    Limbs fives{1};
    for (int n = 0; n < std::abs(exponent); ++n)
        multiplySmall(fives, 5);
    Exact x{negative, exponent >= 0 ? multiply(whole, fives) : whole, exponent, exponent >= 0 ? Limbs{1} : fives};
    // 0.5 is 5 / 10 = 2^-1: the fives the digits hold leave the divisor.
    for (Limbs rest = x.magnitude; x.divisor.size() > 1 || x.divisor[0] > 1;) {
        if (divideSmall(rest, 5) != 0)
            break;
        x.magnitude = rest;
        divideSmall(x.divisor, 5);
    }
    return normal(x);
}

Exact exactProduct(float x, float y)
{
    return exactSingle(x) * exactSingle(y);
}

Exact exactQuotient(float x, float y)
{
    if (y == 0 || !std::isfinite(y))
        disagree("a quotient by zero or by an infinite single taken as exact");
    return exactSingle(x) / exactSingle(y);
}

Exact operator+(const Exact& x, const Exact& y)
{
    Limbs a, b, divisor;
    int exponent = 0;
    aligned(x, y, a, b, divisor, exponent);
    if (x.negative == y.negative)
        return normal({x.negative, add(a, b), exponent, divisor});
    if (compareLimbs(a, b) >= 0)
        return normal({x.negative, subtract(a, b), exponent, divisor});
    return normal({y.negative, subtract(b, a), exponent, divisor});
}

Exact operator-(Exact x)
{
    x.negative = !x.negative && !x.magnitude.empty();
    return x;
}

Exact operator-(const Exact& x, const Exact& y)
{
    return x + -y;
}

Exact operator*(const Exact& x, const Exact& y)
{
    return normal({x.negative != y.negative, multiply(x.magnitude, y.magnitude), x.exponent + y.exponent,
                   multiply(x.divisor, y.divisor)});
}

Exact operator/(const Exact& x, const Exact& y)
{
    if (isZero(y))
        disagree("a division by zero in the exact arithmetic");
    // y's magnitude is odd: it joins the divisor, and y's divisor the magnitude.
    return normal({x.negative != y.negative, multiply(x.magnitude, y.divisor), x.exponent - y.exponent,
                   multiply(x.divisor, y.magnitude)});
}

bool operator==(const Exact& x, const Exact& y)
{
    return compare(x, y) == 0;
}

bool isNegative(const Exact& x)
{
    return x.negative;
}

bool isZero(const Exact& x)
{
    return x.magnitude.empty();
}

int compare(const Exact& x, const Exact& y)
{
    if (isNegative(x) != isNegative(y))
        return isNegative(x) ? -1 : 1;
    Limbs a, b, divisor;
    int exponent = 0;
    aligned(x, y, a, b, divisor, exponent);
    int order = compareLimbs(a, b);
    return isNegative(x) ? -order : order;
}

Exact magnitudeOf(Exact x)
{
    x.negative = false;
    return x;
}

Exact scaled(Exact x, int exponent)
{
    if (!isZero(x))
        x.exponent += exponent;
    return x;
}

int topExponent(const Exact& x)
{
    if (isZero(x))
        disagree("the power of two of zero");
    // |x| = m 2^e / d lies in [2^(t-1), 2^(t+1)) times 2^e, for t the
    // difference of the bit lengths; which half decides.
    int t = bitLength(x.magnitude) - bitLength(x.divisor);
    Limbs m = t < 0 ? shiftedLeft(x.magnitude, -t) : x.magnitude;
    Limbs d = t > 0 ? shiftedLeft(x.divisor, t) : x.divisor;
    return x.exponent + t - (compareLimbs(m, d) < 0);
}

bool isDyadic(const Exact& x)
{
    return x.divisor == Limbs{1};
}

bool endsInDecimal(const Exact& x)
{
    Limbs divisor = x.divisor;
    while (divisor != Limbs{1})
        if (divideSmall(divisor, 5) != 0)
            return false;
    return true;
}

Exact divisorOf(const Exact& x)
{
    return normal({false, x.divisor, 0, {1}});
}

Exact roundedAt(const Exact& x, int last)
{
    if (isZero(x))
        return {};
    // |x| / 2^last is a whole quotient and a remainder below the denominator;
    // the remainder against half the denominator decides.
    Limbs numerator, denominator, remainder;
    fractionOf(scaled(magnitudeOf(x), -last), numerator, denominator);
    Limbs kept = divide(numerator, denominator, remainder);
    int half = compareLimbs(shiftedLeft(remainder, 1), denominator);
    if (half > 0 || (half == 0 && !kept.empty() && (kept[0] & 1)))
        kept = add(kept, {1});  // at 2^bits that is still exact, the next power of two
    return normal({x.negative, kept, last, {1}});
}

bool isWhole(const Exact& x)
{
    return isZero(x) || (isDyadic(x) && x.exponent >= 0);
}

int decimalExponent(const Exact& x)
{
    Exact magnitude = magnitudeOf(x);
    // log10(2) is 0.30103: a first guess within one of it, then exactly.
    int e = topExponent(x) * 30103 / 100000;
    while (compare(exactDecimal(false, "1", e), magnitude) > 0)
        --e;
    while (compare(exactDecimal(false, "1", e + 1), magnitude) <= 0)
        ++e;
    return e;
}

Exact roundedToPlaces(const Exact& x, int places)
{
    Limbs numerator, denominator, remainder;
    fractionOf(magnitudeOf(x) * exactDecimal(false, "1", places) + exactDyadic(1, -1), numerator, denominator);
    Exact whole = normal({x.negative, divide(numerator, denominator, remainder), 0, {1}});
    return whole * exactDecimal(false, "1", -places);
}

Exact roundedToBits(const Exact& x, int bits)
{
    return isZero(x) ? x : roundedAt(x, topExponent(x) - bits + 1);
}

double toDouble(const Exact& x)
{
    if (isZero(x))
        return 0;
    // A quotient of 64 bits or so, then its power of two; a binary
    // fraction (sum --data asks at every step) needs no division.
    int shift = 64 - (bitLength(x.magnitude) - bitLength(x.divisor));
    Limbs remainder, q;
    if (isDyadic(x))
        q = shift < 0 ? shiftedRight(x.magnitude, -shift) : shiftedLeft(x.magnitude, shift);
    else
        q = divide(shift > 0 ? shiftedLeft(x.magnitude, shift) : x.magnitude,
                   shift < 0 ? shiftedLeft(x.divisor, -shift) : x.divisor, remainder);
    double value = 0;
    for (std::size_t k = q.size(); k-- > 0;)
        value = value * 0x1p32 + q[k];
    value = std::ldexp(value, x.exponent - shift);
    return isNegative(x) ? -value : value;
}

std::string decimal(const Exact& x, int places)
{
    Digits digits = digitsOfMagnitude(x);
    std::string fraction;
    while (!exhausted(digits) && (places < 0 || static_cast<int>(fraction.size()) < places))
        fraction += nextDigit(digits);
    if (places >= 0) {
        fraction.resize(static_cast<std::size_t>(places), '0');
        // What is left is at least half of the last place when the next
        // digit is 5 or more.
        if (!exhausted(digits) && nextDigit(digits) >= '5' && incrementDigits(fraction)
            && incrementDigits(digits.whole))
            digits.whole.insert(digits.whole.begin(), '1');
    }
    return withSign(x, digits.whole, fraction);
}

std::string scientific(const Exact& x, int digits)
{
    Digits source = digitsOfMagnitude(x);
    std::string all = source.whole;
    int point = static_cast<int>(all.size());
    // Up to the digit after the last one kept, which decides the rounding.
    auto wanted = static_cast<std::size_t>(digits + 1);
    auto significantSoFar = [&] {
        std::size_t first = all.find_first_not_of('0');
        return first == std::string::npos ? 0 : all.size() - first;
    };
    while (!exhausted(source) && significantSoFar() < wanted)
        all += nextDigit(source);
    std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos)
        first = all.size() - 1;
    int exponent = point - 1 - static_cast<int>(first);
    std::string kept = all.substr(first, static_cast<std::size_t>(digits));
    kept.resize(static_cast<std::size_t>(digits), '0');
    std::size_t next = first + static_cast<std::size_t>(digits);
    if (next < all.size() && all[next] >= '5' && incrementDigits(kept)) {
        kept.insert(kept.begin(), '1');
        kept.pop_back();
        ++exponent;
    }
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%+03d", exponent);
    return withSign(x, kept.substr(0, 1), kept.substr(1)) + tail;
}

std::string digitsOf(const Exact& x, int significant)
{
    Digits digits = digitsOfMagnitude(x);
    int shown = digits.whole == "0" ? 0 : static_cast<int>(digits.whole.size());
    std::string fraction;
    while (!exhausted(digits) && shown < significant) {
        fraction += nextDigit(digits);
        if (shown > 0 || fraction.back() != '0')
            ++shown;
    }
    return withSign(x, digits.whole, fraction) + (exhausted(digits) ? "" : "...");
}

std::string ratioText(const Exact& x)
{
    // The factors of two below 1 join the divisor.
    Exact divisor = divisorOf(x);
    Exact numerator = x * divisor;
    int shift = numerator.exponent < 0 ? -numerator.exponent : 0;
    return decimal(scaled(numerator, shift)) + "/" + decimal(scaled(divisor, shift));
}

std::string fractionText(const Exact& x)
{
    return endsInDecimal(x) ? decimal(x) : ratioText(x);
}

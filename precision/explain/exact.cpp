// Fixed point in 64-bit words, multiplied and divided in 32-bit halves, so
// that it is the same on every target, 32-bit ones included.

#include "exact.h"

#include "show.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace {

constexpr int fractionBits = 64 * exactFractionWords;
constexpr int limbs = 2 * exactWords;  // 32-bit halves of the words
constexpr int signBit = 64 * exactWords - 1;

std::uint64_t limb(const Exact& x, int k)
{
    return x.words[k / 2] >> (k % 2 * 32) & 0xffffffff;
}

void setLimb(Exact& x, int k, std::uint64_t value)
{
    int shift = k % 2 * 32;
    x.words[k / 2] = (x.words[k / 2] & ~(std::uint64_t{0xffffffff} << shift)) | value << shift;
}

Exact magnitudeOf(Exact x)
{
    return isNegative(x) ? -x : x;
}

// The index of x's highest set bit, or -1 for 0 (x non-negative).
int topBit(const Exact& x)
{
    for (int w = exactWords - 1; w >= 0; --w)
        if (x.words[w])
            return 64 * w + static_cast<int>(std::bit_width(x.words[w])) - 1;
    return -1;
}

// Whether any of x's lowest `count` bits is set.
bool anyBelow(const Exact& x, int count)
{
    for (int w = 0; w < exactWords && count > 0; ++w, count -= 64) {
        std::uint64_t mask = count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
        if (x.words[w] & mask)
            return true;
    }
    return false;
}

// x * 2^shift for a non-negative x, |shift| < 704, checked by the caller.
Exact shifted(const Exact& x, int shift)
{
    Exact result{};
    for (int bit = 0; bit < 64 * exactWords; ++bit) {
        int from = bit - shift;
        if (from >= 0 && from < 64 * exactWords && (x.words[from / 64] >> (from % 64) & 1))
            result.words[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    return result;
}

// x / divisor for a non-negative x, cut toward zero, and what is left.
Exact dividedBy(Exact x, std::uint32_t divisor, std::uint64_t& remainder)
{
    remainder = 0;
    for (int k = limbs - 1; k >= 0; --k) {
        std::uint64_t part = remainder << 32 | limb(x, k);
        setLimb(x, k, part / divisor);
        remainder = part % divisor;
    }
    return x;
}

// The decimal digits of a non-negative numerator / divisor: the whole part
// at once, then the fraction's one at a time.
struct Digits {
    std::string whole;
    Exact fraction;           // below 1
    std::uint64_t remainder;  // and remainder / divisor of its last bit
    std::uint32_t divisor;
};

Digits digitsOfMagnitude(Exact numerator, std::uint32_t divisor)
{
    Digits digits{"", {}, 0, divisor};
    Exact quotient = dividedBy(numerator, divisor, digits.remainder);
    // The whole part as an integer, in the low words, for its digits.
    Exact whole{};
    for (int w = 0; w < exactWords; ++w) {
        if (w < exactFractionWords)
            digits.fraction.words[w] = quotient.words[w];
        else
            whole.words[w - exactFractionWords] = quotient.words[w];
    }
    do {
        std::uint64_t digit = 0;
        whole = dividedBy(whole, 10, digit);
        digits.whole.insert(digits.whole.begin(), static_cast<char>('0' + digit));
    } while (!isZero(whole));
    return digits;
}

bool exhausted(const Digits& digits)
{
    return digits.remainder == 0 && isZero(digits.fraction);
}

char nextDigit(Digits& digits)
{
    // Ten times the fraction, and ten times the remainder carried into it.
    digits.fraction = times(digits.fraction, 10);
    std::uint64_t remainder = digits.remainder * 10;
    digits.fraction = digits.fraction + exactDyadic(remainder / digits.divisor, -fractionBits);
    digits.remainder = remainder % digits.divisor;
    auto digit = static_cast<char>('0' + digits.fraction.words[exactFractionWords]);
    digits.fraction.words[exactFractionWords] = 0;
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

}  // namespace

Exact exactDyadic(std::uint64_t significand, int exponent)
{
    if (significand == 0)
        return {};
    // Where the significand's last bit lands, and its first.
    int position = exponent + fractionBits;
    if (position + static_cast<int>(std::bit_width(significand)) - 1 >= signBit)
        disagree("a value beyond the exact arithmetic's range (2^319)");
    if (position < 0) {
        if (position <= -64 || (significand & ((std::uint64_t{1} << -position) - 1)))
            disagree("a value below the exact arithmetic's last bit (2^-384)");
        significand >>= -position;
        position = 0;
    }
    Exact x{};
    x.words[position / 64] = significand << (position % 64);
    // In the top word the range check has left nothing to carry over.
    if (position % 64 && position / 64 + 1 < exactWords)
        x.words[position / 64 + 1] = significand >> (64 - position % 64);
    return x;
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

Exact exactProduct(float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        disagree("an infinite or undefined single taken as exact");
    SoftExtended mx = softFromSingle(std::fabs(x));
    SoftExtended my = softFromSingle(std::fabs(y));
    // Each significand's 24 bits sit at the top of its 64; the product of
    // the two 24-bit parts has at most 48.
    Exact value = exactDyadic((mx.significand >> 40) * (my.significand >> 40), mx.exponent + my.exponent + 80);
    return std::signbit(x) != std::signbit(y) ? -value : value;
}

Ratio exactQuotient(float x, float y)
{
    if (y == 0 || !std::isfinite(y))
        disagree("a quotient by zero or by an infinite single taken as exact");
    SoftExtended my = softFromSingle(std::fabs(y));
    std::uint64_t divisor = my.significand >> 40;
    int exponent = my.exponent + 40;
    int zeros = std::countr_zero(divisor);
    divisor >>= zeros;
    exponent += zeros;
    Exact numerator = scaled(exactSingle(std::fabs(x)), -exponent);
    bool negative = std::signbit(x) != std::signbit(y);
    return {negative ? -numerator : numerator, static_cast<std::uint32_t>(divisor)};
}

Exact operator+(Exact x, Exact y)
{
    Exact sum{};
    std::uint64_t carry = 0;
    for (int w = 0; w < exactWords; ++w) {
        std::uint64_t partial = x.words[w] + carry;
        carry = partial < carry;
        sum.words[w] = partial + y.words[w];
        carry += sum.words[w] < partial;
    }
    if (isNegative(x) == isNegative(y) && isNegative(sum) != isNegative(x))
        disagree("a sum beyond the exact arithmetic's range (2^319)");
    return sum;
}

Exact operator-(Exact x)
{
    Exact inverted{};
    for (int w = 0; w < exactWords; ++w)
        inverted.words[w] = ~x.words[w];
    return inverted + exactDyadic(1, -fractionBits);
}

Exact operator-(Exact x, Exact y)
{
    return x + -y;
}

bool operator==(Exact x, Exact y)
{
    return compare(x, y) == 0;
}

bool isNegative(Exact x)
{
    return x.words[exactWords - 1] >> 63;
}

bool isZero(Exact x)
{
    return x == Exact{};
}

int compare(Exact x, Exact y)
{
    if (isNegative(x) != isNegative(y))
        return isNegative(x) ? -1 : 1;
    // Of the same sign, two's complement words compare as unsigned ones.
    for (int w = exactWords - 1; w >= 0; --w)
        if (x.words[w] != y.words[w])
            return x.words[w] < y.words[w] ? -1 : 1;
    return 0;
}

Exact times(Exact x, std::uint32_t factor)
{
    Exact magnitude = magnitudeOf(x);
    Exact product{};
    std::uint64_t carry = 0;
    for (int k = 0; k < limbs; ++k) {
        std::uint64_t part = limb(magnitude, k) * factor + carry;
        setLimb(product, k, part & 0xffffffff);
        carry = part >> 32;
    }
    if (carry || isNegative(product))
        disagree("a product beyond the exact arithmetic's range (2^319)");
    return isNegative(x) ? -product : product;
}

Exact cutQuotient(Exact x, std::uint32_t divisor)
{
    std::uint64_t remainder = 0;
    Exact quotient = dividedBy(magnitudeOf(x), divisor, remainder);
    return isNegative(x) ? -quotient : quotient;
}

int topExponent(Exact x)
{
    return topBit(magnitudeOf(x)) - fractionBits;
}

Exact scaled(Exact x, int exponent)
{
    Exact magnitude = magnitudeOf(x);
    if (isZero(magnitude) || exponent == 0)
        return x;
    if (exponent > 0 && topBit(magnitude) + exponent >= signBit)
        disagree("a value beyond the exact arithmetic's range (2^319)");
    if (exponent < 0 && (-exponent >= signBit || anyBelow(magnitude, -exponent)))
        disagree("a value below the exact arithmetic's last bit (2^-384)");
    Exact result = shifted(magnitude, exponent);
    return isNegative(x) ? -result : result;
}

Exact roundedToBits(Ratio x, int bits, bool& tie)
{
    tie = false;
    std::uint64_t remainder = 0;
    Exact quotient = dividedBy(magnitudeOf(x.numerator), x.divisor, remainder);
    int top = topBit(quotient);
    if (top < 0)
        return {};
    // The kept bits end at `last`; the bit below it is the half, and what
    // lies below the half (or in the remainder) decides a tie.
    int last = top - bits + 1;
    if (last < 1)
        disagree("a value too small to round in the exact arithmetic");
    std::uint64_t kept = shifted(quotient, -last).words[0];
    bool half = shifted(quotient, 1 - last).words[0] & 1;
    bool below = remainder != 0 || anyBelow(quotient, last - 1);
    tie = half && !below;
    Exact magnitude = exactDyadic(kept, last - fractionBits);
    // One unit up; at 2^bits that is still exact, the next power of two.
    if (half && (below || (kept & 1)))
        magnitude = magnitude + exactDyadic(1, last - fractionBits);
    return isNegative(x.numerator) ? -magnitude : magnitude;
}

double toDouble(Exact x)
{
    Exact magnitude = magnitudeOf(x);
    double value = 0;
    for (int w = exactWords - 1; w >= 0; --w)
        value = std::ldexp(value, 64) + static_cast<double>(magnitude.words[w]);
    return std::ldexp(isNegative(x) ? -value : value, -fractionBits);
}

std::string decimal(Exact x, int places)
{
    Digits digits = digitsOfMagnitude(magnitudeOf(x), 1);
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
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) of a
    // literal + std::string.
    std::string text = isNegative(x) ? "-" : "";
    text += digits.whole;
    if (!fraction.empty()) {
        text += '.';
        text += fraction;
    }
    return text;
}

std::string scientific(Exact x, int digits)
{
    Digits source = digitsOfMagnitude(magnitudeOf(x), 1);
    std::string all = source.whole;
    int point = static_cast<int>(all.size());
    while (!exhausted(source))
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
    char tail[8];
    std::snprintf(tail, sizeof tail, "e%+03d", exponent);
    std::string text = isNegative(x) ? "-" : "";
    text += kept[0];
    text += '.';
    text += kept.substr(1);
    text += tail;
    return text;
}

std::string digitsOf(Ratio x, int significant)
{
    Digits digits = digitsOfMagnitude(magnitudeOf(x.numerator), x.divisor);
    int shown = digits.whole == "0" ? 0 : static_cast<int>(digits.whole.size());
    std::string fraction;
    while (!exhausted(digits) && shown < significant) {
        fraction += nextDigit(digits);
        if (shown > 0 || fraction.back() != '0')
            ++shown;
    }
    std::string text = isNegative(x.numerator) ? "-" : "";
    text += digits.whole;
    if (!fraction.empty()) {
        text += '.';
        text += fraction;
    }
    if (!exhausted(digits))
        text += "...";
    return text;
}

// Numbers read exactly: a decimal keeps its digits, so that its distance to
// the stored single is exact too; a fraction keeps its numerator and divisor.

#include "number.h"

#include "commands.h"
#include "digits.h"
#include "show.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int longestDecimal = 1000;  // digits, and the decimal exponent's size

[[noreturn]] void notANumber(const char* text)
{
    usageError("not a decimal, p/q, 0x3dcccccd, inf or nan:", text);
}

bool equalsIgnoringCase(const char* text, const char* word)
{
    std::size_t n = std::strlen(word);
    if (std::strlen(text) != n)
        return false;
    for (std::size_t k = 0; k < n; ++k)
        if (std::tolower(static_cast<unsigned char>(text[k])) != word[k])
            return false;
    return true;
}

// A run of decimal digits at `text`, moving past it; how many there were.
std::size_t skipDigits(const char*& text)
{
    const char* start = text;
    while (std::isdigit(static_cast<unsigned char>(*text)))
        ++text;
    return static_cast<std::size_t>(text - start);
}

// A whole number below 2^32 at the start of `text`, moving past it.
bool readWhole(const char*& text, std::uint32_t& value)
{
    const char* start = text;
    std::size_t count = skipDigits(text);
    std::uint64_t whole = 0;
    for (const char* c = start; c < text; ++c) {
        whole = whole * 10 + static_cast<std::uint64_t>(*c - '0');
        if (whole > UINT32_MAX)
            return false;
    }
    value = static_cast<std::uint32_t>(whole);
    return count > 0;
}

}  // namespace

float nearestSingle(const Ratio& x)
{
    float guess = static_cast<float>(toDouble(x.numerator) / x.divisor);
    float best = guess;
    Exact bestDistance{};
    bool first = true;
    for (float candidate : {std::nextafter(guess, -INFINITY), guess, std::nextafter(guess, INFINITY)}) {
        if (!std::isfinite(candidate))
            continue;
        Exact distance = times(exactSingle(candidate), x.divisor) - x.numerator;
        if (isNegative(distance))
            distance = -distance;
        int order = first ? -1 : compare(distance, bestDistance);
        if (order < 0 || (order == 0 && (std::bit_cast<std::uint32_t>(candidate) & 1) == 0)) {
            best = candidate;
            bestDistance = distance;
        }
        first = false;
    }
    return best;
}

float singleOf(Exact x)
{
    Exact limit = exactSingle(FLT_MAX) + exactDyadic(1, 103);
    if (compare(isNegative(x) ? -x : x, limit) >= 0)
        return isNegative(x) ? -INFINITY : INFINITY;
    return nearestSingle({x, 1});
}

namespace {

Operand readFraction(Operand x, bool negative, const char* text)
{
    std::uint32_t numerator = 0, divisor = 0;
    if (!readWhole(text, numerator) || *text++ != '/' || !readWhole(text, divisor) || *text != '\0')
        usageError("a fraction takes whole numbers below 2^32 (4294967296):", x.text.c_str());
    if (divisor == 0)
        usageError("a fraction with a divisor of 0:", x.text.c_str());
    Exact whole = exactDyadic(numerator, 0);
    x.kind = Operand::Kind::fraction;
    x.fraction = {negative ? -whole : whole, divisor};
    x.stored = numerator == 0 ? (negative ? -0.0f : 0.0f) : nearestSingle(x.fraction);
    return x;
}

Operand readDecimal(Operand x, bool negative, const char* text)
{
    const char* start = text;
    std::size_t whole = skipDigits(text);
    std::size_t places = 0;
    if (*text == '.') {
        ++text;
        places = skipDigits(text);
    }
    if (whole + places == 0)
        notANumber(x.text.c_str());
    long exponent = 0;
    if (*text == 'e' || *text == 'E') {
        ++text;
        bool below = *text == '-';
        if (*text == '-' || *text == '+')
            ++text;
        const char* digits = text;
        if (skipDigits(text) == 0)
            notANumber(x.text.c_str());
        if (text - digits > 6)
            exponent = 10 * longestDecimal;  // far out of range; refused below
        else
            exponent = std::strtol(digits, nullptr, 10);
        exponent = below ? -exponent : exponent;
    }
    if (*text != '\0')
        notANumber(x.text.c_str());
    for (const char* c = start; c < start + whole + places + (places ? 1 : 0); ++c)
        if (*c != '.')
            x.digits += *c;
    Decimal value = normalised({negative, x.digits, static_cast<int>(exponent - static_cast<long>(places))});
    if (value.digits.size() > longestDecimal
        || (!isZero(value) && std::abs(exponent - static_cast<long>(places)) > longestDecimal))
        usageError("over 1000 digits, or a power of ten outside -1000 to 1000:", x.text.c_str());
    x.kind = Operand::Kind::decimal;
    x.negative = negative;
    x.digits = value.digits;
    x.exponent = value.exponent;
    char* end = nullptr;
    x.stored = std::strtof(x.text.c_str(), &end);
    if (*end != '\0')
        disagree("strtof read a decimal differently");
    return x;
}

Decimal decimalOf(const Operand& x)
{
    return {x.negative, x.digits, x.exponent};
}

Rounding describe(bool exact, bool up, bool tie, std::string error, std::string ulps)
{
    if (exact)
        return {"0", "0", "exact"};
    std::string way = up ? "up" : "down";
    return {error, ulps, tie ? "a tie, to even: " + way : way};
}

}  // namespace

Operand readOperand(const char* text)
{
    Operand x{Operand::Kind::special, text, 0, false, "", 0, {}};
    if (*text == '\0')
        usageError("an empty number:", text);
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* digits = text + 2;
        std::size_t count = std::strspn(digits, "0123456789abcdefABCDEF");
        if (count == 0 || count > 8 || digits[count] != '\0')
            usageError("not a bit pattern of 1 to 8 hexadecimal digits:", text);
        x.kind = Operand::Kind::bits;
        x.stored = std::bit_cast<float>(static_cast<std::uint32_t>(std::strtoul(digits, nullptr, 16)));
        return x;
    }
    bool negative = text[0] == '-';
    const char* body = text + (text[0] == '-' || text[0] == '+');
    if (equalsIgnoringCase(body, "inf") || equalsIgnoringCase(body, "infinity")) {
        x.stored = negative ? -INFINITY : INFINITY;
        return x;
    }
    if (equalsIgnoringCase(body, "nan")) {
        x.stored = std::copysign(NAN, negative ? -1.0f : 1.0f);
        return x;
    }
    if (std::strchr(body, '/'))
        return readFraction(x, negative, body);
    return readDecimal(x, negative, body);
}

Rounding roundingOf(Ratio exact, Exact rounded, bool tie, int ulpExponent)
{
    Exact error = times(rounded, exact.divisor) - exact.numerator;
    if (isZero(error))
        return describe(true, false, false, "", "");
    bool up = !isNegative(error);
    std::string sign = up ? "+" : "";
    return describe(false, up, tie, sign + digitsOf({error, exact.divisor}, 40),
                    sign + digitsOf({scaled(error, -ulpExponent), exact.divisor}, 12));
}

Rounding roundingOf(Ratio exact, float rounded)
{
    Exact error = times(exactSingle(rounded), exact.divisor) - exact.numerator;
    // Halfway when twice the exact value is the rounded value and the
    // single on the other side together.
    float other = std::nextafter(rounded, isNegative(error) ? INFINITY : -INFINITY);
    bool tie = !isZero(error) && std::isfinite(other)
               && times(exact.numerator, 2) == times(exactSingle(rounded) + exactSingle(other), exact.divisor);
    return roundingOf(exact, exactSingle(rounded), tie, ulpExponent(rounded));
}

bool holdsWide(const Operand& x)
{
    if (x.kind != Operand::Kind::decimal)
        return std::isfinite(x.stored);
    // From 10^-90 (below 2^-298) to 10^39 (above 2^128).
    int magnitude = static_cast<int>(x.digits.size()) + x.exponent - 1;
    return x.digits == "0" || (magnitude >= -90 && magnitude <= 38);
}

Exact wideOfDecimal(const Operand& x, bool& tie)
{
    tie = false;
    Decimal written = decimalOf(x);
    if (isZero(written))
        return {};
    // Within 1000 * 2^-384 below the number: its whole part digit by digit,
    // its fraction from the last digit up, a tenth at a time.
    std::string digits = written.digits;
    std::size_t places = written.exponent < 0 ? static_cast<std::size_t>(-written.exponent) : 0;
    digits.append(static_cast<std::size_t>(std::max(written.exponent, 0)), '0');
    digits.insert(0, places + 1 > digits.size() ? places + 1 - digits.size() : 0, '0');
    Exact whole{}, fraction{};
    for (std::size_t k = 0; k < digits.size() - places; ++k)
        whole = times(whole, 10) + exactDyadic(static_cast<std::uint64_t>(digits[k] - '0'), 0);
    for (std::size_t k = digits.size(); k-- > digits.size() - places;)
        fraction = cutQuotient(fraction + exactDyadic(static_cast<std::uint64_t>(digits[k] - '0'), 0), 10);
    bool ignored = false;
    Exact guess = roundedToBits({whole + fraction, 1}, 64, ignored);
    // The nearest 64-bit value is the guess or a neighbour: the one whose
    // distance to the digits is least, or, at equal distances, the even
    // one of two, which rounding their midpoint names.
    Decimal magnitude = written;
    magnitude.negative = false;
    int exponent = topExponent(guess);
    Exact unit = exactDyadic(1, exponent - 63);
    Exact below = guess == exactDyadic(1, exponent) ? scaled(unit, -1) : unit;
    Exact best = guess;
    Decimal bestDistance = difference(decimalFromText(decimal(guess)), magnitude);
    bestDistance.negative = false;
    for (Exact candidate : {guess - below, guess + unit}) {
        Decimal distance = difference(decimalFromText(decimal(candidate)), magnitude);
        distance.negative = false;
        int order = compareMagnitudes(distance, bestDistance);
        if (order == 0)
            best = roundedToBits({scaled(best + candidate, -1), 1}, 64, tie);
        if (order < 0) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return written.negative ? -best : best;
}

Rounding roundingOf(const Operand& x, Exact rounded, bool tie, int ulpExponent)
{
    if (x.kind == Operand::Kind::fraction)
        return roundingOf(x.fraction, rounded, tie, ulpExponent);
    if (x.kind != Operand::Kind::decimal)
        return describe(true, false, false, "", "");
    Decimal error = difference(decimalFromText(decimal(rounded)), decimalOf(x));
    if (isZero(error))
        return describe(true, false, false, "", "");
    std::string ulps = plain(timesPowerOfTwo(error, -ulpExponent));
    return describe(false, !error.negative, tie, plain(error), ulps.substr(0, 1) + cut(ulps.substr(1), 12));
}

bool isMidpoint(const Operand& x, Exact low, Exact high)
{
    if (x.kind == Operand::Kind::fraction)
        return times(x.fraction.numerator, 2) == times(low + high, x.fraction.divisor);
    if (x.kind == Operand::Kind::decimal)
        return isZero(difference(decimalFromText(decimal(scaled(low + high, -1))), decimalOf(x)));
    return false;
}

Rounding roundingOf(const Operand& x)
{
    Rounding rounding = roundingOf(x, exactSingle(x.stored), false, ulpExponent(x.stored));
    if (rounding.direction == "exact")
        return rounding;
    float other = std::nextafter(x.stored, rounding.direction == "up" ? -INFINITY : INFINITY);
    if (std::isfinite(other) && isMidpoint(x, exactSingle(x.stored), exactSingle(other)))
        rounding.direction = "a tie, to even: " + rounding.direction;
    return rounding;
}

std::string overflowText(float infinity)
{
    return infinity > 0 ? "up, to infinity: half an ulp or more past the largest single"
                        : "down, to -infinity: half an ulp or more past the lowest single";
}

std::string ulpsText(const std::string& ulps)
{
    return ulps + " ulp";
}

// Numbers read exactly: a decimal keeps its digits, so that its distance to
// the stored single is exact too; a fraction keeps its numerator and divisor.

#include "number.h"

#include "commands.h"
#include "show.h"

#include <algorithm>
#include <cctype>
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

float singleOf(const Exact& x)
{
    return singleValue(nearestIn(singleFormat, x));
}

namespace {

Operand readFraction(Operand x, bool negative, const char* text)
{
    std::uint32_t numerator = 0, divisor = 0;
    if (!readWhole(text, numerator) || *text++ != '/' || !readWhole(text, divisor) || *text != '\0')
        usageError("not a fraction p/q of whole numbers below 2^32:", x.text.c_str());
    if (divisor == 0)
        usageError("a fraction with a divisor of 0:", x.text.c_str());
    Exact quotient = exactDyadic(numerator, 0) / exactDyadic(divisor, 0);
    x.kind = Operand::Kind::fraction;
    x.value = negative ? -quotient : quotient;
    x.stored = nearestIn(*x.stored.format, x.value, negative);
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
        // Leading zeros add nothing to its size.
        while (*digits == '0' && digits + 1 < text)
            ++digits;
        if (text - digits > 6)
            exponent = 10 * longestDecimal;  // far out of range; refused below
        else
            exponent = std::strtol(digits, nullptr, 10);
        exponent = below ? -exponent : exponent;
    }
    if (*text != '\0')
        notANumber(x.text.c_str());
    std::string digits;
    for (const char* c = start; c < start + whole + places + (places ? 1 : 0); ++c)
        if (*c != '.' && (*c != '0' || !digits.empty()))
            digits += *c;
    // The power of ten of the last digit, 0.1 being 1 * 10^-1.
    long power = exponent - static_cast<long>(places);
    if (digits.size() > longestDecimal || (!digits.empty() && std::abs(power) > longestDecimal))
        usageError("over 1000 digits, or a power of ten past +/-1000:", x.text.c_str());
    x.kind = Operand::Kind::decimal;
    x.value = exactDecimal(negative, digits, digits.empty() ? 0 : static_cast<int>(power));
    const Format& format = *x.stored.format;
    x.stored = nearestIn(format, x.value, negative);
    // The C library's conversions round correctly too.
    char* end = nullptr;
    Stored library = x.stored;
    if (&format == &singleFormat)
        library = storedSingle(std::strtof(x.text.c_str(), &end));
    else if (&format == &doubleFormat)
        library = storedDouble(std::strtod(x.text.c_str(), &end));
    if ((end && *end != '\0') || library.bits != x.stored.bits)
        disagree("the C library read a decimal differently");
    return x;
}

}  // namespace

Operand readOperand(const char* text, const Format& format)
{
    Operand x{Operand::Kind::special, text, {&format, 0}, {}};
    if (*text == '\0')
        usageError("an empty number:", text);
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const char* digits = text + 2;
        std::size_t count = std::strspn(digits, "0123456789abcdefABCDEF");
        auto most = static_cast<std::size_t>(format.width / 4);
        if (count == 0 || count > most || digits[count] != '\0') {
            std::string what = "not a bit pattern of 1 to " + std::to_string(most) + " hexadecimal digits:";
            usageError(what.c_str(), text);
        }
        x.kind = Operand::Kind::bits;
        x.stored.bits = std::strtoull(digits, nullptr, 16);
        if (isFinite(x.stored))
            x.value = exactOf(x.stored);
        return x;
    }
    bool negative = text[0] == '-';
    const char* body = text + (text[0] == '-' || text[0] == '+');
    if (equalsIgnoringCase(body, "inf") || equalsIgnoringCase(body, "infinity")) {
        x.stored = infinity(format, negative);
        return x;
    }
    if (equalsIgnoringCase(body, "nan")) {
        // The quiet NaN with no payload.
        Stored inf = infinity(format, negative);
        x.stored = {&format, inf.bits | std::uint64_t{1} << (fractionBits(format) - 1)};
        return x;
    }
    if (std::strchr(body, '/'))
        return readFraction(x, negative, body);
    return readDecimal(x, negative, body);
}

bool holdsWide(const Operand& x)
{
    if (x.kind != Operand::Kind::decimal)
        return isFinite(x.stored);
    return isZero(x.value) || (compare(magnitudeOf(x.value), exactDecimal(false, "1", -90)) >= 0
                               && compare(magnitudeOf(x.value), exactDecimal(false, "1", 39)) < 0);
}

Rounding readingOf(const Operand& x)
{
    if (x.kind == Operand::Kind::bits || x.kind == Operand::Kind::special)
        return roundingIn(exactOf(x.stored), x.stored);
    return roundingIn(x.value, x.stored);
}

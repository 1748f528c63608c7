#include "show.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

std::string bitsOf(float x)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(std::bit_cast<std::uint32_t>(x)));
    return text;
}

std::string powerOfTwo(int exponent)
{
    return "2^" + std::to_string(exponent);
}

int ulpExponent(float x)
{
    // Subnormal singles share the spacing of the lowest binade.
    return (x == 0 ? -126 : std::max(binadeOf(x), -126)) - 23;
}

namespace {

// An error with at most this many significant digits is shown with all of
// them (0.1875, 0.28125): those are the errors a student can check by hand.
constexpr std::size_t exactDigits = 5;

// The significant digits of an unsigned decimal text: "0.0625" has "625".
std::string significantDigits(const std::string& text)
{
    std::string digits;
    for (char c : text) {
        if (c != '.' && (c != '0' || !digits.empty()))
            digits += c;
    }
    return digits;
}

// Whether a reader would take the decimal text (no sign, no trailing zeros)
// for an exact error: few digits, naming a multiple of a power of two, as
// m / 10^p is when 5^p divides m.
bool looksExact(const std::string& text)
{
    std::string digits = significantDigits(text);
    if (digits.size() > exactDigits)
        return false;
    std::size_t point = text.find('.');
    std::size_t places = point == std::string::npos ? 0 : text.size() - point - 1;
    std::uint64_t m = digits.empty() ? 0 : std::stoull(digits);
    for (; places > 0; --places) {
        if (m % 5)
            return false;
        m /= 5;
    }
    return true;
}

std::string withoutTrailingZeros(std::string text)
{
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

// A non-negative number of ulps: all its digits when they are few; else
// whole ulps from 1000 up, three significant digits in scientific form
// below a thousandth, and three significant digits between, with as many
// more as it takes below 1000 for the text not to pass for an exact value
// (0.49999988 is not shown as 0.5, which would be a tie).
std::string ulpsText(Exact ulps)
{
    std::string all = decimal(ulps);
    if (significantDigits(all).size() <= exactDigits)
        return all;
    // Below a thousandth, the digits that matter come after many zeros.
    if (all.compare(0, 5, "0.000") == 0)
        return scientific(ulps, 3);
    std::size_t point = all.find('.');
    std::size_t wholeDigits = point == std::string::npos ? all.size() : point;
    int places = 0;
    if (all[0] != '0')
        places = wholeDigits >= 3 ? 0 : 3 - static_cast<int>(wholeDigits);
    else
        places = static_cast<int>(all.find_first_not_of('0', point + 1) - point - 1) + 3;
    std::string text = withoutTrailingZeros(decimal(ulps, places));
    // Whole ulps from 1000 up are plainly rounded.
    while (wholeDigits < 4 && looksExact(text) && text != all)
        text = withoutTrailingZeros(decimal(ulps, ++places));
    return text;
}

}  // namespace

std::string inUlps(Exact error, float rounded)
{
    if (error == Exact{0, 0})
        return "exact";
    // The error in units of the last place, still exact: every number here
    // is below 2^27 ulps.
    Exact ulps = isNegative(error) ? -error : error;
    int exponent = ulpExponent(rounded);
    if (exponent > 0)
        disagree("a unit in the last place above 1");
    for (; exponent < 0; ++exponent)
        ulps = ulps + ulps;
    std::string text = isNegative(error) ? "-" : "+";
    text += ulpsText(ulps);
    text += " ulp";
    return text;
}

bool isTie(Exact exact, float rounded)
{
    Exact error = exactSingle(rounded) - exact;
    if (error == Exact{0, 0})
        return false;
    // The single on the other side of the exact value.
    float other = std::nextafter(rounded, isNegative(error) ? INFINITY : -INFINITY);
    return exactSingle(rounded) + exactSingle(other) == exact + exact;
}

std::string direction(Exact exact, float rounded)
{
    Exact error = exactSingle(rounded) - exact;
    if (error == Exact{0, 0})
        return "exact";
    bool up = !isNegative(error);
    if (isTie(exact, rounded))
        return up ? "tie, up to even" : "tie, down to even";
    return up ? "up" : "down";
}

void printRow(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    std::string line(text.data());
    line.erase(line.find_last_not_of(' ') + 1);
    std::puts(line.c_str());
}

void runQuietly(void (*section)())
{
    // main keeps descriptor 1 open, so `saved` is one.
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    int null = open("/dev/null", O_WRONLY);
    if (saved < 0 || null < 0)
        disagree("cannot set standard output aside");
    dup2(null, STDOUT_FILENO);
    close(null);
    section();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
}

namespace {

bool progressShown;

}  // namespace

void showProgressNow(long done, long total)
{
    // The terminal is asked once.
    static const bool terminal = isatty(STDERR_FILENO);
    static const auto start = std::chrono::steady_clock::now();
    if (!terminal || std::chrono::steady_clock::now() - start < std::chrono::seconds(1))
        return;
    std::fprintf(stderr, "\rfloatexplain: %ld%% of %ld steps", done * 100 / total, total);
    std::fflush(stderr);
    progressShown = true;
}

void endProgress()
{
    if (progressShown)
        std::fprintf(stderr, "\r%50s\r", "");
    progressShown = false;
}

void disagree(const char* what)
{
    std::fprintf(stderr, "floatexplain: internal error: %s\n", what);
    std::exit(3);
}

#include "show.h"

#include <algorithm>
#include <bit>
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

int binadeOf(float x)
{
    return std::ilogb(x);
}

int ulpExponent(float x)
{
    // Subnormal singles share the spacing of the lowest binade.
    return (x == 0 ? -126 : std::max(binadeOf(x), -126)) - 23;
}

std::string inUlps(Exact error, float rounded)
{
    double ulps = std::ldexp(toDouble(error), -ulpExponent(rounded));
    if (ulps == 0)
        return "exact";
    char text[32];
    std::snprintf(text, sizeof text, std::fabs(ulps) >= 1000 ? "%+.0f ulp" : "%+.3g ulp", ulps);
    return text;
}

std::string direction(Exact exact, float rounded)
{
    Exact error = exactSingle(rounded) - exact;
    if (error == Exact{0, 0})
        return "exact";
    bool up = !isNegative(error);
    // The single on the other side of the exact value.
    float other = std::nextafter(rounded, up ? -INFINITY : INFINITY);
    bool tie = exactSingle(rounded) + exactSingle(other) == exact + exact;
    if (tie)
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

void disagree(const char* what)
{
    std::fprintf(stderr, "floatexplain: internal error: %s\n", what);
    std::exit(3);
}

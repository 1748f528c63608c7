#include "show.h"

#include "format.h"

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

std::string binadeText(int exponent)
{
    char text[32];
    std::snprintf(text, sizeof text, "[2^%d, 2^%d)", exponent, exponent + 1);
    return text;
}

int ulpExponent(float x)
{
    return ulpAt(singleFormat, x == 0 ? minExponent(singleFormat) : binadeOf(x));
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

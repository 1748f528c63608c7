// floatexplain sum: every step of one of part1's harmonic sums, made by the
// sums' own code (traced), each rounding measured exactly.
//
// Two passes: the first finds what is notable (the first term absorbed, the
// last step that changes the sum), the second shows the chosen steps.

#include "arithmetic.h"
#include "commands.h"
#include "exact.h"
#include "hooks.h"
#include "show.h"
#include "traced.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

struct Request {
    int low = 2000, high = 10'000'000;  // precision3's longest pass
    bool decreasing = false;
    bool extended = false;
    int every = 0;  // 0: chosen from the length of the range
    bool summaryOnly = false;
    bool data = false;
};

// What the first pass finds.
struct Facts {
    long terms;
    int firstAbsorbed;  // 0: none
    int lastChange;     // 0: none
    long absorbed;
    long unlikeStrict;  // extended: steps that a strict step from the same sum would end elsewhere
    float sum;
    Exact exact;        // the exact sum, each term cut below 2^-64
};

Request request;
Facts facts;
bool printing;    // the second pass
float before;     // the stored sum before the step being traced
Exact exactSoFar;

constexpr int highest = 1 << 24;  // beyond it, i itself is not exact in single precision

// 1/i cut to a multiple of 2^-64: floor(2^64 / i), from 2^64 - 1 divided by
// i, which is one less where i divides 2^64.
Exact cutReciprocal(int i)
{
    if (i == 1)
        return exactDyadic(1, 0);
    auto divisor = static_cast<std::uint64_t>(i);
    bool dividesExactly = (divisor & (divisor - 1)) == 0;
    return exactDyadic(UINT64_MAX / divisor + (dividesExactly ? 1 : 0), -64);
}

void gather(int i, float sum)
{
    ++facts.terms;
    if (sum == before) {
        ++facts.absorbed;
        if (!facts.firstAbsorbed)
            facts.firstAbsorbed = i;
    } else {
        facts.lastChange = i;
    }
    if (request.extended && addReciprocal(Arithmetic::strictSingle, before, 1.0f, i) != sum)
        ++facts.unlikeStrict;
}

std::string binadeText(float x)
{
    int exponent = binadeOf(x);
    char text[32];
    std::snprintf(text, sizeof text, "[2^%d, 2^%d)", exponent, exponent + 1);
    return text;
}

// Why a step is worth showing, or "" if it is not.
std::string notes(int i, float sum)
{
    std::string text;
    auto add = [&text](const std::string& note) { text += (text.empty() ? "" : "; ") + note; };
    if (i == facts.firstAbsorbed)
        add("first term absorbed");
    if (i == facts.lastChange)
        add("last change to the sum");
    if (before == 0 || binadeOf(sum) != binadeOf(before))
        add("sum enters " + binadeText(sum));
    return text;
}

int firstI()
{
    return request.decreasing ? request.high : request.low;
}

int lastI()
{
    return request.decreasing ? request.low : request.high;
}

void showStrict(int i, float sum, const std::string& note)
{
    // The term and the addition as part1's strict step makes them.
    float term = 1.0f / static_cast<float>(i);
    if (before + term != sum)
        disagree("a strict step differs from the sums' own");
    Exact error = exactSingle(sum) - (exactSingle(before) + exactSingle(term));
    printRow("%9d  %s %e  %s %e  %-6s  %-13s  %s", i, bitsOf(term).c_str(), static_cast<double>(term),
             bitsOf(sum).c_str(), static_cast<double>(sum), powerOfTwo(ulpExponent(sum)).c_str(),
             sum == before ? "absorbed" : inUlps(error, sum).c_str(), note.c_str());
}

void showExtended(int i, float sum, const std::string& note)
{
    // The two roundings of precisionx's step: the term and the sum to 64
    // bits, then the sum to single precision.
    Extended term = extendedDivide(1.0f, i);
    Extended wide = extendedAdd(before, term);
    if (toSingle(wide) != sum)
        disagree("an extended step differs from the sums' own");
    Exact toWide = exactExtended(wide) - (exactSingle(before) + exactExtended(term));
    Exact toSingle = exactSingle(sum) - exactExtended(wide);
    printRow("%9d  %s  %s %e  %-6s  %-13s  %-13s  %s", i, scientific(exactExtended(term), 20).c_str(),
             bitsOf(sum).c_str(), static_cast<double>(sum), powerOfTwo(ulpExponent(sum)).c_str(),
             inUlps(toWide, sum).c_str(), sum == before ? "absorbed" : inUlps(toSingle, sum).c_str(), note.c_str());
}

void showData(int i, float sum)
{
    std::printf("%d\t%.9e\t%.13e\t%.6g\n", i, static_cast<double>(sum), toDouble(exactSoFar),
                std::ldexp(toDouble(exactSingle(sum) - exactSoFar), -ulpExponent(sum)));
}

void show(int i, float sum)
{
    std::string note = request.data ? "" : notes(i, sum);
    if (note.empty() && i != firstI() && i != lastI() && i % request.every != 0)
        return;
    if (request.data)
        showData(i, sum);
    else if (request.extended)
        showExtended(i, sum, note);
    else
        showStrict(i, sum, note);
}

float runPass()
{
    before = 0;
    exactSoFar = {0, 0};
    Arithmetic arithmetic = request.extended ? Arithmetic::extended : Arithmetic::strictSingle;
    return request.decreasing ? traced::sumDecreasing(arithmetic, request.low, request.high)
                              : traced::sumIncreasing(arithmetic, request.low, request.high);
}

void showHeading()
{
    std::printf("%s1/i for i = %d %s %d, %s\n", request.data ? "# " : "", firstI(),
                request.decreasing ? "down to" : "up to", lastI(),
                request.extended ? "each step with a 64-bit significand, stored in single precision"
                                 : "added in strict single precision");
    if (request.data) {
        std::printf("# i\tsum\texact sum\terror in ulps\n");
        return;
    }
    if (request.summaryOnly)
        return;
    if (request.every == 1)
        std::printf("every step:\n\n");
    else
        std::printf("the first and last steps, those where i is a multiple of %d, and the notable ones:\n\n",
                    request.every);
    if (request.extended)
        printRow("%9s  %-25s  %-21s  %-6s  %-13s  %-13s", "i", "term 1/i to 64 bits", "sum after the step", "ulp",
                 "sum to 64", "sum to single");
    else
        printRow("%9s  %-21s  %-21s  %-6s  %-13s", "i", "term 1/i as stored", "sum after the step", "ulp",
                 "rounding");
}

// The exact sum's terms are each cut below 2^-64, so it lies less than
// cut = terms * 2^-64 below the true sum. It is shown to the fewest decimal
// places whose rounding costs at most as much again, half a unit of the last
// place <= cut, so that it is off by less than 2 * cut.
void showExactSum()
{
    double bound = std::ldexp(static_cast<double>(facts.terms), -64) * 2;
    int places = static_cast<int>(std::ceil(-std::log10(bound)));
    // The bound, rounded up to two significant digits.
    int exponent = static_cast<int>(std::floor(std::log10(bound)));
    double mantissa = std::ceil(bound / std::pow(10.0, exponent) * 10) / 10;
    std::printf("exact sum: %s (error below %.1fe%d)\n", decimal(facts.exact, places).c_str(), mantissa, exponent);
}

void showSummary()
{
    auto iOrNone = [](int i) { return i ? "i = " + std::to_string(i) : std::string("none"); };
    if (!request.summaryOnly)
        std::printf("\n");
    std::printf("terms added: %ld\n", facts.terms);
    std::printf("first term absorbed: %s\n", iOrNone(facts.firstAbsorbed).c_str());
    std::printf("last step that changes the sum: %s\n", iOrNone(facts.lastChange).c_str());
    std::printf("terms absorbed: %ld\n", facts.absorbed);
    if (request.extended)
        std::printf("steps that strict single precision would end elsewhere: %ld\n", facts.unlikeStrict);
    std::printf("final sum: %s %e\n", bitsOf(facts.sum).c_str(), static_cast<double>(facts.sum));
    showExactSum();
    std::printf("error of the final sum: %s (ulp %s)\n", inUlps(exactSingle(facts.sum) - facts.exact, facts.sum).c_str(),
                powerOfTwo(ulpExponent(facts.sum)).c_str());
}

int defaultEvery()
{
    long terms = static_cast<long>(request.high) - request.low + 1;
    if (terms <= 1000)
        return 1;
    int every = 1;
    while (terms / every > 100)
        every *= 10;
    return every;
}

void parse(int argc, char** argv)
{
    for (int index = 0; index < argc; ++index) {
        const char* argument = argv[index];
        if (isOption(argument, "--from"))
            request.low = numberOption(argc, argv, index, "--from", 1, highest);
        else if (isOption(argument, "--to"))
            request.high = numberOption(argc, argv, index, "--to", 1, highest);
        else if (isOption(argument, "--every"))
            request.every = numberOption(argc, argv, index, "--every", 1, highest);
        else if (std::string(argument) == "--decreasing")
            request.decreasing = true;
        else if (std::string(argument) == "--extended")
            request.extended = true;
        else if (std::string(argument) == "--summary")
            request.summaryOnly = true;
        else if (std::string(argument) == "--data")
            request.data = true;
        else
            usageError(argument[0] == '-' ? "unknown option" : "unexpected argument", argument);
    }
    if (request.low > request.high)
        usageError("--from is above --to", nullptr);
    if (request.summaryOnly && request.data)
        usageError("--summary and --data do not go together", "--data");
    if (!request.every)
        request.every = defaultEvery();
}

}  // namespace

void traceTerm(int i, float sum)
{
    // The exact sum's division is most of a step's cost: made once for the
    // summary, and again only for --data, which shows the running sum.
    if (!printing || request.data)
        exactSoFar = exactSoFar + cutReciprocal(i);
    if (printing)
        show(i, sum);
    else
        gather(i, sum);
    before = sum;
}

int sumCommand(int argc, char** argv)
{
    parse(argc, argv);
    facts.sum = runPass();
    facts.exact = exactSoFar;
    showHeading();
    if (!request.summaryOnly) {
        printing = true;
        runPass();
    }
    if (!request.data)
        showSummary();
    return 0;
}

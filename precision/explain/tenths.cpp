// floatexplain tenths: part2's ten additions of the tenth, made by part2's
// own code (traced), each rounding measured exactly.

#include "arithmetic.h"
#include "commands.h"
#include "exact.h"
#include "flags.h"
#include "format.h"
#include "hooks.h"
#include "jsonview.h"
#include "rounding.h"
#include "show.h"
#include "traced.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool extended;
bool wide;  // the full table, past 80 columns
float tenthSeen;
std::vector<float> sums;  // after each addition

std::string tenthsText(int n)
{
    return n % 10 ? std::to_string(n / 10) + "." + std::to_string(n % 10) : std::to_string(n / 10);
}

void showRow(int n, float before, float sum)
{
    Exact exact = exactSingle(before) + exactSingle(tenthSeen);
    std::string toWide;
    if (extended) {
        // precisionx's step: the sum to 64 bits first, then to single.
        Extended sum64 = extendedAdd(before, toExtended(tenthSeen));
        if (toSingle(sum64) != sum)
            disagree("an extended addition differs from part2's own");
        toWide = roundingText(roundingTo64(exact, exactExtended(sum64), ulpExponent(sum)), Width::table);
    }
    // The single nearest n/10: where the sum would be if it stayed on
    // course for 1.
    float course = static_cast<float>(n) / 10.0f;
    std::string note = sum == course ? "the single nearest " + tenthsText(n)
                                     : "off course: the single nearest " + tenthsText(n) + " is " + bitsOf(course);
    Rounding rounding = roundingToSingle(exact, sum);
    std::string error = roundingText(rounding, Width::ulps);
    std::string way = roundingText(rounding, Width::direction);
    if (wide) {
        if (extended)
            toWide.resize(12, ' ');
        printRow("%2d  %s  %-29s  %s%s %e  %-12s  %-17s  %s", n, bitsOf(before).c_str(), decimal(exact).c_str(),
                 toWide.c_str(), bitsOf(sum).c_str(), static_cast<double>(sum), error.c_str(),
                 way.c_str(), note.c_str());
        return;
    }
    // Within 80 columns: the course, and the rounding to 64 bits, below.
    printRow("%2d  %-29s  %s  %-12s  %s", n, decimal(exact).c_str(), bitsOf(sum).c_str(), error.c_str(),
             way.c_str());
    std::printf("    %s%s\n", extended ? ("to 64 bits: " + toWide + "; ").c_str() : "", note.c_str());
}

// What if part2 had added in another format: ten additions of the
// format's nearest 0.1, each rounded by the machine where it has the
// format, else by the exact model. An exact value may be long (double's
// have some 55 digits): each has a line of its own.
void whatIfTenths(const Format& f)
{
    Stored tenth = nearestIn(f, exactDecimal(false, "1", -1));
    std::printf("ten additions of the tenth, what if added in %s precision:\n", f.name);
    std::printf("the tenth: %s\n  = %s\n\n", bitsText(tenth).c_str(), decimal(exactOf(tenth)).c_str());
    printRow("%2s  %-16s  %-12s  %s", "n", "rounded", "error", "direction");
    Stored sum{&f, 0};
    for (int n = 1; n <= 10; ++n) {
        Exact exact = exactOf(sum) + exactOf(tenth);
        sum = operateIn('+', sum, tenth);
        Rounding rounding = roundingIn(exact, sum);
        printRow("%2d  %-16s  %-12s  %s", n, bitsText(sum).c_str(), roundingText(rounding, Width::ulps).c_str(),
                 roundingText(rounding, Width::direction).c_str());
        Stored course = nearestIn(f, exactDecimal(false, std::to_string(n), -1));
        std::string nearest = std::string("the ") + f.name + " nearest " + tenthsText(n);
        std::printf("    sum + tenth = %s\n    %s\n", decimal(exact).c_str(),
                    course.bits == sum.bits ? nearest.c_str() : ("off course: " + nearest + " is " + bitsText(course)).c_str());
    }
    Exact one = exactDyadic(1, 0), off = exactOf(sum) - one;
    std::printf("\nthe sum: %s\n  = %s\n", bitsText(sum).c_str(), decimal(exactOf(sum)).c_str());
    if (isZero(off))
        std::printf("sum - 1: 0\n");
    else
        std::printf("sum - 1: %s\n  (%s of 1)\n", decimal(off).c_str(), errorText(off, ulpAt(f, 0)).c_str());
    std::printf("sum == 1: %s\n", isZero(off) ? "true" : "false");
    Exact ten = exactOf(tenth) * exactDyadic(10, 0);
    std::printf("10 * tenth, exactly:\n  %s\n  rounded once: %s\n", decimal(ten).c_str(),
                bitsText(nearestIn(f, ten)).c_str());
}

}  // namespace

void traceTenth(float tenth, float sum)
{
    tenthSeen = tenth;
    sums.push_back(sum);
}

int tenthsCommand(int argc, char** argv)
{
    const Format* format = &singleFormat;
    for (int code; (code = nextOption(argc, argv, tenthsOptions)) != -1;) {
        if (readJsonOption(code))
            continue;
        if (code == formatCode)
            format = &formatValue(optarg);
        else if (code == extendedCode)
            extended = true;
        else
            wide = true;
    }
    noMoreArguments(argc, argv);
    if (format != &singleFormat) {
        whatIfTenths(*format);
        return 0;
    }
    traced::settings = extended ? extendedSettings : strictSettings;
    runQuietly(traced::part2);
    if (sums.empty())
        disagree("part2 added nothing");
    if (jsonOutput) {
        jsonStrictOnly(extended);
        writeTenthsJson(tenthSeen, sums);
        return 0;
    }

    std::printf("part2's additions of the tenth %s = %s,\n%s\n\n", bitsOf(tenthSeen).c_str(),
                decimal(exactSingle(tenthSeen)).c_str(),
                extended ? "each with a 64-bit significand, stored in single precision" : "in strict single precision");
    if (wide)
        printRow("%2s  %-8s  %-29s  %s%-21s  %-12s  %-17s  %s", "n", "sum", "+ tenth, exactly",
                 extended ? "to 64 bits  " : "", "rounded to single", "error", "direction", "course for 1");
    else
        printRow("%2s  %-29s  %-8s  %-12s  %s", "n", "sum + tenth, exactly", "rounded", "error", "direction");
    float before = 0;
    for (std::size_t n = 0; n < sums.size(); ++n) {
        showRow(static_cast<int>(n + 1), before, sums[n]);
        before = sums[n];
    }

    float sum = sums.back();
    std::printf("\nthe sum: %s = %s\n", bitsOf(sum).c_str(), decimal(exactSingle(sum)).c_str());
    std::printf("sum - 1: %s (%s of 1)\n", decimal(exactSingle(sum) - exactSingle(1.0f)).c_str(),
                errorText(exactSingle(sum) - exactSingle(1.0f), ulpExponent(1.0f)).c_str());
    std::printf("sum == 1.0f: %s\n", sum == 1.0f ? "true" : "false");
    // Rounded once instead of at every step, ten tenths are 1.
    float once = tenthSeen * static_cast<float>(sums.size());
    std::printf("%zu * tenth, exactly: %s, rounded once: %s\n", sums.size(),
                decimal(exactProduct(tenthSeen, static_cast<float>(sums.size()))).c_str(), bitsOf(once).c_str());
    return 0;
}

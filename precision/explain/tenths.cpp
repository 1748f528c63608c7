// floatexplain tenths: part2's ten additions of the tenth, made by part2's
// own code (traced), each rounding measured exactly.

#include "arithmetic.h"
#include "commands.h"
#include "exact.h"
#include "flags.h"
#include "format.h"
#include "hooks.h"
#include "json_view.h"
#include "model.h"
#include "rounding.h"
#include "show.h"
#include "text.h"
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

enum OptionCode { extendedCode = 256, wideCode };

const option tenthsOptions[] = {
    {"extended", no_argument, nullptr, extendedCode},
    {"wide", no_argument, nullptr, wideCode},
    jsonOption,
    formatOption,
    helpOption,
    versionOption,
    {},
};

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
        if (code == formatOption.val)
            format = &formatValue(optarg);
        else if (code == extendedCode)
            extended = true;
        else
            wide = true;
    }
    noMoreArguments(argc, argv);
    if (format != &singleFormat) {
        if (extended || wide || jsonOutput)
            usageError("another --format shows its own table, not --extended, --wide or --json:", format->name);
        whatIfTenths(*format);
        return 0;
    }
    traced::settings = extended ? extendedSettings : strictSettings;
    runQuietly(traced::part2);
    if (sums.empty())
        disagree("part2 added nothing");
    if (jsonOutput)
        jsonStrictOnly(extended);
    TenthsModel model = tenthsModel(tenthSeen, sums, extended);
    if (jsonOutput)
        writeTenthsJson(model);
    else
        showTenths(model, wide);
    return 0;
}

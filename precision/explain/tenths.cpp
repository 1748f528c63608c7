// floatexplain tenths: part2's ten additions of the tenth, made by part2's
// own code (traced), each rounding measured exactly (model.cpp).

#include "arithmetic.h"
#include "commands.h"
#include "hooks.h"
#include "json_view.h"
#include "model.h"
#include "show.h"
#include "text.h"
#include "traced.h"

#include <vector>

namespace {

bool extended;
bool wide;  // the full table, past 80 columns
float tenthSeen;
std::vector<float> sums;  // after each addition

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
        showTenthsWhatIf(tenthsWhatIf(*format));
        return 0;
    }
    traced::settings = extended ? extendedSettings : strictSettings;
    runQuietly(traced::part2);
    if (sums.empty())
        disagree("part2 added nothing");
    TenthsModel model = tenthsModel(tenthSeen, sums, extended);
    if (jsonOutput)
        writeTenthsJson(model);
    else
        showTenths(model, wide);
    return 0;
}

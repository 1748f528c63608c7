// floatexplain distributive: part3's operations, as part3 itself made them
// (its own code, run with its lines thrown away, leaves every result in its
// program-wide variables), each rounding measured exactly.

#include "commands.h"
#include "json_view.h"
#include "model.h"
#include "precision.h"
#include "show.h"
#include "text.h"

// part3's program-wide variables.
extern float a, b, c, d, e, s, t;

namespace {

bool wide;  // the full table, past 80 columns

DistributiveStep step(const char* name, float x, char op, float y, const Exact& exact, float rounded)
{
    return {name, x, op, y, exact, rounded, roundingToSingle(exact, rounded)};
}

}  // namespace

int distributiveCommand(int argc, char** argv)
{
    for (int code; (code = nextOption(argc, argv, distributiveOptions)) != -1;)
        if (!readJsonOption(code))
            wide = true;
    noMoreArguments(argc, argv);
    runQuietly(part3);
    // After part3, d holds Line 1 and e Line 2; s and t hold a*10 and b*10,
    // which part3 made twice, the same way both times; c holds a + b, which
    // is also the t of Line 1.
    // part3's multiplier. Each operation below, made again in single
    // precision, must give what part3 stored, or this reading of it is wrong.
    const float ten = 10.0f;
    if (a + b != c || a * ten != s || b * ten != t || c * ten != d || s + t != e)
        disagree("part3's variables do not hold the operations expected of them");
    DistributiveModel model{a, b, {}, exactSingle(d) - exactSingle(e), d == e};
    model.steps = {
        step("a + b", a, '+', b, exactSingle(a) + exactSingle(b), c),
        step("a*10", a, '*', ten, exactProduct(a, ten), s),
        step("b*10", b, '*', ten, exactProduct(b, ten), t),
        step("Line1: (a+b)*10", c, '*', ten, exactProduct(c, ten), d),
        step("Line2: a*10+b*10", s, '+', t, exactSingle(s) + exactSingle(t), e),
    };
    if (jsonOutput)
        writeDistributiveJson(model);
    else
        showDistributive(model, wide);
    return 0;
}

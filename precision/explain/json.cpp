// floatexplain's --json: the records the text is written from (a value's
// fields in its format, its roundings, neighbours and flags; a sum's
// summary), as one JSON document. Exact values are strings, every digit: a decimal where it ends,
// else a fraction p/q in lowest terms.

#include "jsonview.h"

#include "commands.h"
#include "flags.h"
#include "json.h"
#include "show.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>

bool jsonOutput;

bool readJsonOption(int code)
{
    if (code != jsonCode)
        return false;
    requireJson("floatexplain");
    jsonOutput = true;
    setJsonLayout(optarg);
    return true;
}

void jsonStrictOnly(bool extended)
{
    if (extended)
        usageError("--json shows strict single precision: --extended is in the text alone", nullptr);
}

#ifdef COMPANION_JSON

namespace {

std::string exactString(const Exact& x)
{
    if (endsInDecimal(x))
        return decimal(x);
    // p/q with whole p and q: the factors of two below 1 join the divisor.
    Exact divisor = divisorOf(x);
    Exact numerator = x * divisor;
    int shift = numerator.exponent < 0 ? -numerator.exponent : 0;
    return decimal(scaled(numerator, shift)) + "/" + decimal(scaled(divisor, shift));
}

Json flagsJson(unsigned flags)
{
    Json names = Json::array();
    for (auto [flag, name] : {std::pair{flagInvalid, "invalid"}, {flagDivisionByZero, "divisionByZero"},
                              {flagOverflow, "overflow"}, {flagUnderflow, "underflow"}, {flagInexact, "inexact"}})
        if (flags & flag)
            names.push_back(name);
    return names;
}

Json powerJson(int power)
{
    return {{"power", power}, {"value", decimal(exactDyadic(1, power))}};
}

const char* directionOf(const Rounding& rounding)
{
    switch (rounding.way) {
    case Rounding::Way::up:
        return "up";
    case Rounding::Way::down:
        return "down";
    case Rounding::Way::none:
        break;
    }
    return "exact";
}

Json roundingJson(const Rounding& rounding)
{
    return {{"exact", exactString(rounding.exact)},
            {"direction", directionOf(rounding)},
            {"error", exactString(rounding.error)},
            {"errorUlps", exactString(rounding.ulps)},
            {"tie", rounding.tie}};
}

// A finite value past the format's largest, stored as an infinity: no
// error to count in ulps.
Json overflowJson(const Exact& exact, Stored infinity)
{
    return {{"exact", exactString(exact)},
            {"direction", signBit(infinity) ? "down" : "up"},
            {"error", nullptr},
            {"errorUlps", nullptr},
            {"tie", false}};
}

// An answer IEEE 754 gives without rounding (inf + 1, 1 / 0).
Json noRoundingJson(Stored x)
{
    return {{"exact", exactText(x)}, {"direction", "exact"}, {"error", "0"}, {"errorUlps", "0"}, {"tie", false}};
}

Json neighbourJson(Stored x, bool up)
{
    Stored next = up ? nextUp(x) : nextDown(x);
    if (isNan(x) || next.bits == x.bits)
        return nullptr;
    return {{"bits", bitsText(next)}, {"exact", exactText(next)}};
}

// The reals that round to x, nearest with ties to even: halfway to each
// neighbour, the halves included where x is the even one. A zero keeps the
// reals of its sign, and real zero itself goes to +0.
Json intervalJson(Stored x)
{
    if (isNan(x))
        return nullptr;
    const Format& f = *x.format;
    bool even = (x.bits & 1) == 0;
    Json low = nullptr, high = nullptr;
    bool lowIncluded = even, highIncluded = even;
    // Halfway past the largest value, where rounding gives an infinity.
    Stored top = largest(f, false);
    Exact beyond = exactOf(top) + exactDyadic(1, ulpExponent(top) - 1);
    bool negative = signBit(x);
    if (isInfinite(x)) {
        (negative ? high : low) = exactString(negative ? -beyond : beyond);
        lowIncluded = highIncluded = true;
    } else if (isZeroValue(x)) {
        Exact half = exactDyadic(1, ulpExponent(x) - 1);
        low = negative ? exactString(-half) : "0";
        high = negative ? "0" : exactString(half);
        highIncluded = !negative;
    } else {
        Stored below = nextDown(x), above = nextUp(x);
        Exact value = exactOf(x);
        low = exactString(isInfinite(below) ? -beyond : scaled(exactOf(below) + value, -1));
        high = exactString(isInfinite(above) ? beyond : scaled(value + exactOf(above), -1));
    }
    return {{"low", low}, {"high", high}, {"lowIncluded", lowIncluded}, {"highIncluded", highIncluded}};
}

// Each bit's place: an exponent bit's weight in the field, a fraction bit's
// place value 2^power (none for an infinity's or a NaN's).
Json placesJson(const Format& f, bool finite, int exponent)
{
    Json places = Json::array();
    places.push_back({{"bit", f.width - 1}, {"field", "sign"}});
    for (int k = exponentBits(f) - 1; k >= 0; --k)
        places.push_back(
            {{"bit", fractionBits(f) + k}, {"field", "exponent"}, {"weight", std::to_string(std::uint64_t{1} << k)}});
    for (int k = fractionBits(f) - 1; k >= 0; --k) {
        Json place = {{"bit", k}, {"field", "fraction"}};
        if (finite)
            place["power"] = exponent - (fractionBits(f) - k);
        places.push_back(place);
    }
    return places;
}

// A value taken apart in its format. `rounding` is how it came from its
// exact value.
Json valueJson(const Json& input, Stored x, const Json& rounding, unsigned flags)
{
    const Format& f = *x.format;
    std::uint64_t fraction = fractionField(x);
    std::uint64_t field = exponentField(x);
    bool finite = isFinite(x);
    int exponent = (field == 0 ? 1 : static_cast<int>(field)) - f.maxExponent;
    const char* kind = !finite ? (fraction ? "nan" : "infinity") : field ? "normal" : fraction ? "subnormal" : "zero";
    char fractionHex[24];
    std::snprintf(fractionHex, sizeof fractionHex, "%0*llx", (fractionBits(f) + 3) / 4,
                  static_cast<unsigned long long>(fraction));
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", asDouble(x));
    Json value;
    value["input"] = input;
    value["format"] = {{"name", f.name},
                       {"bits", f.width},
                       {"exponentBits", exponentBits(f)},
                       {"significandBits", f.precision},
                       {"bias", f.maxExponent}};
    value["bits"] = bitsText(x);
    value["sign"] = signBit(x) ? 1 : 0;
    value["exponentField"] = field;
    value["fractionField"] = fractionHex;
    value["class"] = kind;
    value["exponent"] = finite ? Json(exponent) : Json(nullptr);
    value["hiddenBit"] = finite ? Json(field ? 1 : 0) : Json(nullptr);
    value["hiddenPower"] = finite ? Json(exponent) : Json(nullptr);
    value["places"] = placesJson(f, finite, exponent);
    value["exact"] = exactText(x);
    value["printed"] = printed;
    value["ulp"] = finite ? powerJson(ulpExponent(x)) : Json(nullptr);
    value["below"] = neighbourJson(x, false);
    value["above"] = neighbourJson(x, true);
    value["interval"] = intervalJson(x);
    value["rounding"] = rounding;
    value["flags"] = flagsJson(flags);
    return value;
}

// A number as read: how its value as written rounded to the stored value.
Json operandJson(const Operand& x)
{
    bool written = x.kind == Operand::Kind::decimal || x.kind == Operand::Kind::fraction;
    Json rounding = nullptr;
    unsigned flags = 0;
    if (written && isInfinite(x.stored))
        rounding = overflowJson(x.value, x.stored);
    else if (isInfinite(x.stored))
        rounding = noRoundingJson(x.stored);  // taken as it is
    else if (isFinite(x.stored))
        rounding = roundingJson(readingOf(x));
    if (written)
        flags = roundingFlags(x.value, x.stored);
    return valueJson(x.text, x.stored, rounding, flags);
}

Json document(const char* command)
{
    return {{"tool", "floatexplain"}, {"version", 1}, {"command", command}};
}

Json singleJson(float x)
{
    return {{"bits", bitsOf(x)}, {"exact", exactText(x)}};
}

}  // namespace

void writeValueJson(const std::vector<Operand>& numbers)
{
    Json values = Json::array();
    for (const Operand& x : numbers)
        values.push_back(operandJson(x));
    Json out = document("value");
    out["values"] = values;
    writeJson(out);
}

void writeOpJson(char op, const Operand& a, const Operand& b, Stored result, unsigned raised, const Exact& exact,
                 bool machineFlags)
{
    bool special = isSpecial(op, a.stored, b.stored);
    Json rounding = nullptr;
    Json exactJson = nullptr;  // a NaN has no value
    if (special) {
        if (!isNan(result)) {
            rounding = noRoundingJson(result);
            exactJson = exactText(result);
        }
    } else {
        exactJson = exactString(exact);
        rounding = isInfinite(result) ? overflowJson(exact, result) : roundingJson(roundingIn(exact, result));
    }
    Json out = document("op");
    out["op"] = std::string(1, op);
    out["a"] = operandJson(a);
    out["b"] = operandJson(b);
    out["result"] = valueJson(nullptr, result, rounding, raised);
    out["exact"] = exactJson;
    out["flags"] = flagsJson(raised);
    out["flagsSource"] = machineFlags ? "machine" : "derived";
    if (const char* why = invalidCase(op, a.stored, b.stored))
        out["invalid"] = why;
    writeJson(out);
}

void writeTenthsJson(float tenth, const std::vector<float>& sums)
{
    Json additions = Json::array();
    float before = 0;
    for (std::size_t k = 0; k < sums.size(); ++k) {
        int n = static_cast<int>(k + 1);
        float sum = sums[k];
        Exact exact = exactSingle(before) + exactSingle(tenth);
        // The single nearest n/10: where the sum would be on course for 1.
        float course = static_cast<float>(n) / 10.0f;
        Json addition = {{"n", n}, {"before", bitsOf(before)}, {"sum", singleJson(sum)},
                         {"ulp", powerJson(ulpExponent(sum))}};
        addition["rounding"] = roundingJson(roundingToSingle(exact, sum));
        addition["course"] = bitsOf(course);
        addition["onCourse"] = sum == course;
        additions.push_back(addition);
        before = sum;
    }
    float sum = sums.back();
    Exact offOne = exactSingle(sum) - exactSingle(1.0f);
    // Rounded once instead of at every step.
    float once = tenth * static_cast<float>(sums.size());
    Json out = document("tenths");
    out["arithmetic"] = "strict";
    out["tenth"] = singleJson(tenth);
    out["additions"] = additions;
    out["sum"] = singleJson(sum);
    out["minusOne"] = {{"exact", exactString(offOne)}, {"ulps", exactString(scaled(offOne, -ulpExponent(1.0f)))}};
    out["equalsOne"] = sum == 1.0f;
    out["roundedOnce"] = {{"times", sums.size()},
                          {"exact", exactString(exactProduct(tenth, static_cast<float>(sums.size())))},
                          {"bits", bitsOf(once)}};
    writeJson(out);
}

void writeSumJson(const SumSummary& summary)
{
    auto iOrNull = [](int i) { return i ? Json(i) : Json(nullptr); };
    // The texts' errors in ulps, as numbers: "exact" is 0.
    auto ulps = [](const std::string& text) { return text == "exact" ? "0" : text.substr(0, text.find(' ')); };
    Json phases = Json::array();
    for (const SumPhase& phase : summary.phases)
        phases.push_back({{"binade", phase.binade},
                          {"ulp", {{"power", phase.ulpExponent}}},
                          {"terms", phase.terms},
                          {"firstI", phase.firstI},
                          {"steps", phase.steps},
                          {"errorAddedUlps", ulps(phase.errorAdded)}});
    Json out = document("sum");
    // As --from and --to give them, whatever the order.
    out["from"] = std::min(summary.first, summary.last);
    out["to"] = std::max(summary.first, summary.last);
    out["order"] = summary.decreasing ? "decreasing" : "increasing";
    out["arithmetic"] = summary.extended ? "extended" : "strict";
    out["terms"] = summary.terms;
    out["firstAbsorbed"] = iOrNull(summary.firstAbsorbed);
    out["lastChange"] = iOrNull(summary.lastChange);
    out["absorbed"] = summary.absorbed;
    if (summary.extended)
        out["unlikeStrict"] = summary.unlikeStrict;
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", static_cast<double>(summary.sum));
    out["sum"] = {{"bits", bitsOf(summary.sum)}, {"exact", exactText(summary.sum)}, {"printed", printed}};
    out["exactSum"] = {{"value", summary.exactSum}, {"errorBelow", summary.errorBound}};
    out["error"] = {{"ulps", ulps(summary.error)}, {"ulp", {{"power", summary.ulpExponent}}}};
    out["phases"] = phases;
    writeJson(out);
}

#else

// Never called: readJsonOption refused --json.
void writeValueJson(const std::vector<Operand>&) {}
void writeOpJson(char, const Operand&, const Operand&, Stored, unsigned, const Exact&, bool) {}
void writeTenthsJson(float, const std::vector<float>&) {}
void writeSumJson(const SumSummary&) {}

#endif

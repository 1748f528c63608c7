// floatexplain's --json: each command's model (a value's fields in its
// format, its roundings, neighbours and flags; a sum's summary) as one JSON
// document. Exact values are strings, every digit: a decimal where it ends,
// else a fraction p/q in lowest terms.

#include "json_view.h"

#include "commands.h"
#include "flags.h"
#include "json.h"
#include "show.h"

#include <algorithm>
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

#ifdef COMPANION_JSON

namespace {

Json exactJson(const std::optional<Exact>& x)
{
    return x ? Json(fractionText(*x)) : Json(nullptr);
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

Json powerJson(int power, const Exact& value)
{
    return {{"power", power}, {"value", decimal(value)}};
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

// A rounding; one to an infinity, past the format's largest value, has no
// error to count in ulps.
Json roundingJson(const Rounding& rounding)
{
    if (rounding.overflow)
        return {{"exact", fractionText(rounding.exact)},
                {"direction", directionOf(rounding)},
                {"error", nullptr},
                {"errorUlps", nullptr},
                {"tie", false}};
    return {{"exact", fractionText(rounding.exact)},
            {"direction", directionOf(rounding)},
            {"error", fractionText(rounding.error)},
            {"errorUlps", fractionText(rounding.ulps)},
            {"tie", rounding.tie}};
}

// An answer IEEE 754 gives without rounding (inf + 1, 1 / 0, an infinity
// read as it is); a NaN has none.
Json readingJson(const ValueModel& x)
{
    if (x.reading)
        return roundingJson(*x.reading);
    if (x.valueClass == ValueClass::nan)
        return nullptr;
    return {{"exact", exactText(x.stored)}, {"direction", "exact"}, {"error", "0"}, {"errorUlps", "0"}, {"tie", false}};
}

Json neighbourJson(const std::optional<Neighbour>& next)
{
    if (!next)
        return nullptr;
    return {{"bits", bitsText(next->value)}, {"exact", exactText(next->value)}};
}

Json intervalJson(const std::optional<Interval>& interval)
{
    if (!interval)
        return nullptr;
    return {{"low", exactJson(interval->low)},
            {"high", exactJson(interval->high)},
            {"lowIncluded", interval->lowIncluded},
            {"highIncluded", interval->highIncluded}};
}

Json placesJson(const std::vector<Place>& places)
{
    Json list = Json::array();
    for (const Place& place : places) {
        const char* field = place.field == Place::Field::sign       ? "sign"
                            : place.field == Place::Field::exponent ? "exponent"
                                                                    : "fraction";
        Json item = {{"bit", place.bit}, {"field", field}};
        if (place.weight)
            item["weight"] = std::to_string(*place.weight);
        if (place.power)
            item["power"] = *place.power;
        list.push_back(item);
    }
    return list;
}

const char* classText(ValueClass c)
{
    switch (c) {
    case ValueClass::zero:
        return "zero";
    case ValueClass::subnormal:
        return "subnormal";
    case ValueClass::normal:
        return "normal";
    case ValueClass::infinity:
        return "infinity";
    case ValueClass::nan:
        break;
    }
    return "nan";
}

Json storedJson(Stored x)
{
    return {{"bits", bitsText(x)}, {"exact", exactText(x)}};
}

// A value taken apart in its format.
Json valueJson(const ValueModel& x)
{
    const Format& f = *x.stored.format;
    bool finite = x.exponent.has_value();
    char fractionHex[24];
    std::snprintf(fractionHex, sizeof fractionHex, "%0*llx", (fractionBits(f) + 3) / 4,
                  static_cast<unsigned long long>(x.fractionField));
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", x.printed);
    Json value;
    value["input"] = x.input ? Json(*x.input) : Json(nullptr);
    value["format"] = {{"name", f.name},
                       {"bits", f.width},
                       {"exponentBits", exponentBits(f)},
                       {"significandBits", f.precision},
                       {"bias", f.maxExponent}};
    value["bits"] = bitsText(x.stored);
    value["sign"] = x.sign ? 1 : 0;
    value["exponentField"] = x.exponentField;
    value["fractionField"] = fractionHex;
    value["class"] = classText(x.valueClass);
    value["exponent"] = finite ? Json(*x.exponent) : Json(nullptr);
    value["hiddenBit"] = finite ? Json(x.exponentField ? 1 : 0) : Json(nullptr);
    value["hiddenPower"] = finite ? Json(*x.exponent) : Json(nullptr);
    value["places"] = placesJson(x.places);
    value["exact"] = exactText(x.stored);
    value["printed"] = printed;
    value["ulp"] = finite ? powerJson(*x.ulpExponent, *x.ulp) : Json(nullptr);
    value["below"] = neighbourJson(x.below);
    value["above"] = neighbourJson(x.above);
    value["interval"] = intervalJson(x.interval);
    value["rounding"] = readingJson(x);
    value["flags"] = flagsJson(x.flags);
    // --extended: as precisionx reads it, to a 64-bit significand and then
    // stored; a number outside that reading's reach is stored as it is.
    if (x.wide) {
        bool rounded = x.wide->kind == WideReading::Kind::rounded;
        value["extended"] = {{"wide", rounded ? Json(fractionText(x.wide->wide)) : Json(nullptr)},
                             {"toWide", rounded ? roundingJson(x.wide->rounding) : Json(nullptr)},
                             {"stored", storedJson(storedSingle(x.wide->stored))},
                             {"same", x.wide->same}};
    }
    return value;
}

Json document(const char* command)
{
    return {{"tool", "floatexplain"}, {"version", 1}, {"command", command}};
}

}  // namespace

void writeValueJson(const std::vector<ValueModel>& numbers)
{
    Json values = Json::array();
    for (const ValueModel& x : numbers)
        values.push_back(valueJson(x));
    Json out = document("value");
    out["values"] = values;
    writeJson(out);
}

void writeOpJson(const OpModel& m)
{
    Json out = document("op");
    out["op"] = std::string(1, m.op);
    out["a"] = valueJson(m.a);
    out["b"] = valueJson(m.b);
    out["result"] = valueJson(m.result);
    // A NaN has no value; a special result is exact.
    out["exact"] = m.exact                                   ? Json(fractionText(*m.exact))
                   : m.result.valueClass == ValueClass::nan ? Json(nullptr)
                                                             : Json(exactText(m.result.stored));
    out["flags"] = flagsJson(m.flags);
    out["flagsSource"] = m.flagsSource == FlagsSource::machine ? "machine" : "derived";
    if (m.invalid)
        out["invalid"] = m.invalid;
    // --extended: precisionx's result beside the strict one; an operation
    // that rounds goes to 64 bits first, then to single precision.
    if (m.extendedArithmetic) {
        Json extended = {{"result", storedJson(m.extended ? storedSingle(m.extended->stored) : m.result.stored)},
                         {"strict", storedJson(m.strict)},
                         {"same", m.extendedSame}};
        if (m.extended) {
            extended["wide"] = fractionText(m.extended->wide);
            extended["toWide"] = roundingJson(m.extended->toWide);
            extended["store"] = roundingJson(m.extended->store);
            extended["flags"] = flagsJson(m.extended->flags);
        }
        out["extended"] = extended;
    }
    writeJson(out);
}

void writeTenthsJson(const TenthsModel& m)
{
    Json additions = Json::array();
    for (const TenthAddition& a : m.additions) {
        Json addition = {{"n", a.n}, {"before", bitsText(a.before)}, {"sum", storedJson(a.sum)},
                         {"ulp", powerJson(a.ulpExponent, a.ulp)}};
        addition["rounding"] = roundingJson(a.rounding);
        addition["course"] = bitsText(a.course);
        addition["onCourse"] = a.onCourse;
        additions.push_back(addition);
    }
    Json out = document("tenths");
    out["arithmetic"] = m.extended ? "extended" : "strict";
    out["tenth"] = storedJson(m.tenth);
    out["additions"] = additions;
    out["sum"] = storedJson(m.sum);
    out["minusOne"] = {{"exact", fractionText(m.minusOne)}, {"ulps", fractionText(m.minusOneUlps)}};
    out["equalsOne"] = m.equalsOne;
    out["roundedOnce"] = {{"times", m.times}, {"exact", fractionText(m.product)}, {"bits", bitsText(m.once)}};
    writeJson(out);
}

void writeSumJson(const SumSummary& summary)
{
    auto iOrNull = [](int i) { return i ? Json(i) : Json(nullptr); };
    Json phases = Json::array();
    for (const SumPhase& phase : summary.phases)
        phases.push_back({{"binade", phase.binade},
                          {"ulp", {{"power", phase.ulpExponent}}},
                          {"terms", phase.terms},
                          {"firstI", phase.firstI},
                          {"steps", phase.steps},
                          {"errorAddedUlps", fractionText(phase.errorAddedUlps)}});
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
    std::snprintf(printed, sizeof printed, "%e", summary.printed);
    out["sum"] = {{"bits", bitsText(summary.sum)}, {"exact", exactText(summary.sum)}, {"printed", printed}};
    const ExactSum& exactSum = summary.exactSum;
    char bound[32];
    std::snprintf(bound, sizeof bound, "%d.%de%d", exactSum.boundDigit, exactSum.boundTenth, exactSum.boundExponent);
    out["exactSum"] = {{"value", decimal(exactSum.value, exactSum.places)}, {"errorBelow", bound}};
    out["error"] = {{"ulps", fractionText(summary.errorUlps)}, {"ulp", {{"power", summary.ulpExponent}}}};
    out["phases"] = phases;
    writeJson(out);
}

void writeDistributiveJson(const DistributiveModel& m)
{
    Json steps = Json::array();
    for (const DistributiveStep& step : m.steps)
        steps.push_back({{"name", step.name},
                         {"x", storedJson(storedSingle(step.x))},
                         {"op", std::string(1, step.op)},
                         {"y", storedJson(storedSingle(step.y))},
                         {"exact", fractionText(step.exact)},
                         {"result", storedJson(storedSingle(step.rounded))},
                         {"rounding", roundingJson(step.rounding)}});
    Json out = document("distributive");
    out["a"] = storedJson(storedSingle(m.a));
    out["b"] = storedJson(storedSingle(m.b));
    out["steps"] = steps;
    out["lineDifference"] = fractionText(m.lineDifference);
    out["sameLines"] = m.sameLines;
    writeJson(out);
}

#else

// Never called: readJsonOption refused --json.
void writeValueJson(const std::vector<ValueModel>&) {}
void writeOpJson(const OpModel&) {}
void writeTenthsJson(const TenthsModel&) {}
void writeSumJson(const SumSummary&) {}
void writeDistributiveJson(const DistributiveModel&) {}

#endif

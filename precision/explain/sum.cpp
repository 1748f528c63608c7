// floatexplain sum: every step of one of part1's harmonic sums, made by the
// sums' own code (traced), each rounding measured exactly.
//
// The traced sum runs once and its stored sums are kept. The facts (terms
// absorbed, the exact sum), the phases and the notable steps are found from
// that record, and the rows are shown from it.

#include "arithmetic.h"
#include "commands.h"
#include "exact.h"
#include "flags.h"
#include "format.h"
#include "hooks.h"
#include "json_view.h"
#include "rounding.h"
#include "show.h"
#include "text.h"
#include "traced.h"

#include <cmath>
#include <cstdint>
#include <algorithm>
#include <bit>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Request {
    int low = 2000, high = 10'000'000;  // precision3's longest pass
    bool decreasing = false;
    bool extended = false;
    int every = 0;  // 0: chosen from the length of the range
    bool summaryOnly = false;
    bool data = false;
    bool wide = false;  // the full table, past 80 columns
    // What if the programs had added in another format: the summary only.
    const Format* format = &singleFormat;
};

// A 128-bit count in two words. The sums below are added to at every step,
// so they are kept apart from Exact until they are shown.
struct Count {
    std::uint64_t high = 0, low = 0;
};

void add(Count& count, std::uint64_t high, std::uint64_t low)
{
    count.low += low;
    count.high += high + (count.low < low);
}

// The count's value when it counts units of 2^unitExponent.
Exact exactCount(Count count, int unitExponent)
{
    return exactDyadic(count.high, unitExponent + 64) + exactDyadic(count.low, unitExponent);
}

// The terms added so far, exactly. A single 1/i with i <= 2^24 is a
// multiple of 2^-47 below 1, and ten million of them stay far below 2^63
// units. A 64-bit term's lowest bit lies 63 places below its leading one,
// which is at most 24 places below 1: it is a multiple of 2^-87.
struct Terms {
    std::int64_t singles = 0;  // in units of 2^-47
    Count wide;                // in units of 2^-87
};

constexpr int wideUnit = -87;

Exact exactTerms(const Terms& terms)
{
    return exactDyadic(static_cast<std::uint64_t>(terms.singles), -47) + exactCount(terms.wide, wideUnit);
}

// How a term compares with the unit in the last place of the sum it joins,
// which decides what rounding can do with it.
enum class Size { wholeUnits, overHalf, halfOrLess };

// A phase: consecutive steps whose sums share a binade and whose terms are
// of one size against its ulp.
struct Phase {
    int binade;
    Size size;
    int firstI;
    long steps;
    float before;       // the stored sum before its first step
    float after;        // and after its last
    Terms termsBefore;  // the terms added before its first step
    Terms termsAfter;   // and up to its last (filled in once the run is gathered)
};

struct Facts {
    long terms = 0;
    int firstAbsorbed = 0;  // 0: none
    int lastChange = 0;     // 0: none
    long absorbed = 0;
    long unlikeStrict = 0;  // extended: steps that a strict step from the same sum would end elsewhere
    float sum = 0;
    Count exact;  // the exact sum, each term cut below 2^-64, in units of 2^-64
    std::vector<Phase> phases;
    std::map<long, std::string> notes;  // why a step is worth showing, by its place in the run
};

Request request;
// The stored sum after each step, as the traced sum made it.
const std::vector<float>& sums = tracedSums;
long steps;  // in the range

constexpr int highest = 1 << 24;  // beyond it, i itself is not exact in single precision

int iAt(long step)
{
    return static_cast<int>(request.decreasing ? request.high - step : request.low + step);
}

// Adds floor(2^64 / i): floor((2^64 - 1) / i), one more when i divides
// 2^64, that is, when i is a power of two.
void addCutReciprocal(Count& sum, int i)
{
    if (i == 1) {
        add(sum, 1, 0);
        return;
    }
    auto divisor = static_cast<std::uint64_t>(i);
    add(sum, 0, UINT64_MAX / divisor + ((divisor & (divisor - 1)) == 0));
}

// Adds floor(2^96 / i), for another format's what-if (double's ulp is finer
// than a cut at 2^-64 could tell): 2^96 / i is 2^32 (2^64 / i), and 2^64's
// remainder gives the low 32 bits.
void addFineReciprocal(Count& sum, int i)
{
    auto divisor = static_cast<std::uint64_t>(i);
    if (i == 1) {
        add(sum, std::uint64_t{1} << 32, 0);
        return;
    }
    // 2^64 = quotient * i + remainder
    std::uint64_t quotient = UINT64_MAX / divisor, remainder = UINT64_MAX % divisor + 1;
    if (remainder == divisor) {
        ++quotient;
        remainder = 0;
    }
    add(sum, quotient >> 32, quotient << 32 | (remainder << 32) / divisor);
}

// The 64-bit term 1/i as significand * 2^exponent, as exactExtended would
// give it, but without the library's frexp and ldexp, which the facts cannot
// afford at every step: 1/i lies in [2^e, 2^(e+1)) with
// e = -bit_width(i - 1), so scaling it by 2^(63 - e), exactly, leaves its
// 64-bit significand as a whole number.
SoftExtended wideTerm([[maybe_unused]] int i, Extended term)
{
#if EXTENDED_IN_HARDWARE
    int exponent = -static_cast<int>(std::bit_width(static_cast<unsigned>(i) - 1));
    Extended scaled = term * 0x1p63L * static_cast<Extended>(std::uint64_t{1} << -exponent);
    return {static_cast<std::uint64_t>(scaled), exponent - 63};
#else
    return term;
#endif
}

void addWideTerm(Count& wide, SoftExtended term)
{
    int shift = term.exponent - wideUnit;  // 0 to 24
    add(wide, shift ? term.significand >> (64 - shift) : 0, term.significand << shift);
}

// The sum's unit in the last place and half of it, kept from one step to
// the next while the sum stays in its binade.
struct Units {
    int binade = 0;
    int ulp = 0;  // its exponent
    float unit = 0, half = 0;
    float end = 0;  // where the binade ends: 0 before the first step
};

// How a term compares with the ulp of the sum it joins.
Size sizeOf(bool wholeUnits, bool overHalf)
{
    return wholeUnits ? Size::wholeUnits : overHalf ? Size::overHalf : Size::halfOrLess;
}

const char* sizeText(Size size)
{
    switch (size) {
    case Size::wholeUnits:
        return "1 ulp or more";
    case Size::overHalf:
        return "1/2 to 1 ulp";
    case Size::halfOrLess:
        return "1/2 ulp or less";
    }
    return "";
}

void addNote(Facts& facts, long step, const std::string& note)
{
    std::string& text = facts.notes[step];
    text += (text.empty() ? "" : "; ") + note;
}

// A new phase begins at `step`: its binade or its terms' size changed.
// Rare, so kept out of the loop over the steps.
[[gnu::noinline]] void startPhase(Facts& facts, long step, int binade, Size size, float before, float sum,
                                  const Terms& terms)
{
    if (facts.phases.empty() || facts.phases.back().binade != binade)
        addNote(facts, step, "sum enters " + binadeText(binade));
    else
        addNote(facts, step, std::string("terms now ") + sizeText(size));
    facts.phases.push_back({binade, size, iAt(step), 0, before, sum, terms, {}});
}

// Whether the step's term starts a phase: called with the terms before it.
inline void notePhase(Facts& facts, long step, int binade, Size size, float before, float sum, const Terms& terms)
{
    if (facts.phases.empty() || facts.phases.back().binade != binade || facts.phases.back().size != size)
        startPhase(facts, step, binade, size, before, sum, terms);
}

// One step of the record into the facts and the phases. The ten million
// steps of the default pass make this the loop to keep short: the rare
// events (a new phase, the first absorbed term) leave it.
void gather(Facts& facts, long step, float before, Terms& terms, Units& units)
{
    int i = iAt(step);
    float sum = sums[static_cast<std::size_t>(step)];
    if (sum != before)
        facts.lastChange = i;
    else if (++facts.absorbed == 1) {
        facts.firstAbsorbed = i;
        addNote(facts, step, "first term absorbed");
    }
    // The terms are positive, so the sum only grows: it leaves its binade
    // upwards, and rarely.
    if (!(sum < units.end)) {
        int binade = binadeOf(sum), exponent = ulpExponent(sum);
        units = {binade, exponent, std::ldexp(1.0f, exponent), std::ldexp(1.0f, exponent - 1),
                 std::ldexp(1.0f, binade + 1)};
    }
    int binade = units.binade;
    // The term as the step makes it, how it compares with the ulp of the
    // sum it joins, and then it joins the terms so far.
    if (request.extended) {
        // The term lies in [2^e, 2^(e+1)), and the ulp is a power of two.
        SoftExtended term = wideTerm(i, extendedDivide(1.0f, i));
        int e = term.exponent + 63;
        bool overHalf = e >= units.ulp || (e == units.ulp - 1 && term.significand != std::uint64_t{1} << 63);
        notePhase(facts, step, binade, sizeOf(e >= units.ulp, overHalf), before, sum, terms);
        addWideTerm(terms.wide, term);
        if (addReciprocal(Arithmetic::strictSingle, before, 1.0f, i) != sum)
            ++facts.unlikeStrict;
    } else {
        float term = 1.0f / static_cast<float>(i);
        notePhase(facts, step, binade, sizeOf(term >= units.unit, term > units.half), before, sum, terms);
        terms.singles += static_cast<std::int64_t>(static_cast<double>(term) * 0x1p47);
    }
    addCutReciprocal(facts.exact, i);
    ++facts.terms;

    Phase& phase = facts.phases.back();
    ++phase.steps;
    phase.after = sum;
}

Facts gatherFacts()
{
    Facts facts;
    float before = 0;
    Terms terms;
    Units units;
    for (long step = 0; step < steps; ++step) {
        showProgress(step, steps);
        gather(facts, step, before, terms, units);
        before = sums[static_cast<std::size_t>(step)];
    }
    for (std::size_t n = 0; n < facts.phases.size(); ++n)
        facts.phases[n].termsAfter = n + 1 < facts.phases.size() ? facts.phases[n + 1].termsBefore : terms;
    facts.sum = before;
    if (facts.lastChange)
        addNote(facts, request.decreasing ? request.high - facts.lastChange : facts.lastChange - request.low,
                "last change to the sum");
    return facts;
}

// A step's rounding to single: a term is absorbed where the sum stayed.
Rounding stepRounding(const Exact& exact, float before, float sum)
{
    Rounding rounding = roundingToSingle(exact, sum);
    rounding.absorbed = sum == before;
    return rounding;
}

// A step as part1's strict step or precisionx's extended one makes it,
// each held against the sums' own.
SumStep stepOf(int i, float before, float sum)
{
    SumStep step{};
    step.i = i;
    step.sum = sum;
    step.ulpExponent = ulpExponent(sum);
    if (!request.extended) {
        step.term = 1.0f / static_cast<float>(i);
        if (before + step.term != sum)
            disagree("a strict step differs from the sums' own");
        step.rounding = stepRounding(exactSingle(before) + exactSingle(step.term), before, sum);
        return step;
    }
    // The two roundings of precisionx's step: the term and the sum to 64
    // bits, then the sum to single precision.
    Extended term = extendedDivide(1.0f, i);
    Extended wide = extendedAdd(before, term);
    if (toSingle(wide) != sum)
        disagree("an extended step differs from the sums' own");
    step.wideTerm = exactExtended(term);
    step.toWide = roundingTo64(exactSingle(before) + step.wideTerm, exactExtended(wide), step.ulpExponent);
    step.rounding = stepRounding(exactExtended(wide), before, sum);
    return step;
}

// --data's row: the exact sum so far and the error against it, rounded to
// double for plotting.
SumDataRow dataRowOf(int i, float sum, Count cutSum)
{
    Exact exactSoFar = exactCount(cutSum, -64);
    return {i, sum, toDouble(exactSoFar), std::ldexp(toDouble(exactSingle(sum) - exactSoFar), -ulpExponent(sum))};
}

SumHeading headingOf()
{
    return {iAt(0), iAt(request.high - request.low), request.decreasing, request.extended, request.data};
}

// The first step whose i is a multiple of --every.
long firstMultiple()
{
    int every = request.every;
    return request.decreasing ? request.high % every : (every - request.low % every) % every;
}

void showRow(const Facts& facts, long step, const Count& exactSoFar)
{
    int i = iAt(step);
    float sum = sums[static_cast<std::size_t>(step)];
    float before = step == 0 ? 0 : sums[static_cast<std::size_t>(step - 1)];
    auto note = facts.notes.find(step);
    const std::string& text = note == facts.notes.end() ? std::string() : note->second;
    if (request.data)
        showDataRow(dataRowOf(i, sum, exactSoFar));
    else
        showStep(stepOf(i, before, sum), request.wide, text);
}

// The rows: the first and last steps, those whose i is a multiple of
// --every, and the noted ones (--data has no notes: its rows are evenly
// spaced, for plotting). Only the rows shown are visited, except by --data,
// whose exact sum so far takes every term.
void showRows(const Facts& facts)
{
    showSumHeading(headingOf());
    if (request.data)
        showDataHeading();
    else
        showTableHeading(request.every, request.extended, request.wide);
    long last = steps - 1;
    long multiple = firstMultiple();
    auto note = facts.notes.begin();
    Count exactSoFar;
    long summed = 0;  // steps in exactSoFar
    for (long step = 0;;) {
        if (request.data)
            for (; summed <= step; ++summed) {
                showProgress(summed, last + 1);
                addCutReciprocal(exactSoFar, iAt(summed));
            }
        else
            showProgress(step, last + 1);
        showRow(facts, step, exactSoFar);
        if (step == last)
            break;
        while (multiple <= step)
            multiple += request.every;
        long next = std::min(multiple, last);
        if (!request.data) {
            while (note != facts.notes.end() && note->first <= step)
                ++note;
            if (note != facts.notes.end())
                next = std::min(next, note->first);
        }
        step = next;
    }
}

// The exact sum's terms are each cut below 2^-64 (or 2^cut), so it lies
// less than cut = terms * 2^-64 below the true sum. It is shown to the
// fewest decimal places whose rounding costs at most as much again, half a
// unit of the last place <= cut, so that it is off by less than 2 * cut:
// that bound, rounded up to two digits, is the one shown.
ExactSum exactSumOf(const Count& exact, long terms, int cut)
{
    Exact bound = exactDyadic(static_cast<std::uint64_t>(terms), cut + 1);
    auto power = [](int exponent) { return exactDecimal(false, "1", exponent); };
    // The fewest places: the first p with 10^-p <= bound (a binary fraction
    // is never a power of ten, so 10^-p < bound).
    int places = 0;
    while (compare(power(-places), bound) > 0)
        ++places;
    while (compare(power(1 - places), bound) <= 0)
        --places;
    // The bound, rounded up to two significant digits: tenths from 1.0 to 10.0
    // of 10^exponent (9.97 rounded up is 10.0: one more power of ten).
    int exponent = -places;
    Exact tenths = bound * power(1 - exponent);
    int rounded = 10;
    while (compare(tenths, exactDyadic(static_cast<std::uint64_t>(rounded), 0)) > 0)
        ++rounded;
    if (rounded == 100) {
        rounded = 10;
        ++exponent;
    }
    return {roundedToPlaces(exactCount(exact, cut), places), places, rounded / 10, rounded % 10, exponent};
}

// The summary's facts, as the text and --json show them. `cut` is where
// each term of the exact sum was cut, as exactSumOf says.
SumSummary summaryOf(const Facts& facts, Stored sum, int cut)
{
    SumSummary summary{};
    summary.first = iAt(0);
    summary.last = iAt(steps - 1);
    summary.decreasing = request.decreasing;
    summary.extended = request.extended;
    summary.terms = facts.terms;
    summary.firstAbsorbed = facts.firstAbsorbed;
    summary.lastChange = facts.lastChange;
    summary.absorbed = facts.absorbed;
    summary.unlikeStrict = facts.unlikeStrict;
    summary.sum = sum;
    summary.printed = asDouble(sum);
    summary.exactSum = exactSumOf(facts.exact, facts.terms, cut);
    summary.ulpExponent = ulpExponent(sum);
    summary.error = exactOf(sum) - exactCount(facts.exact, cut);
    summary.errorUlps = scaled(summary.error, -summary.ulpExponent);
    for (const Phase& phase : facts.phases) {
        Exact moved = exactSingle(phase.after) - exactSingle(phase.before);
        Exact added = moved - (exactTerms(phase.termsAfter) - exactTerms(phase.termsBefore));
        int ulp = ulpExponent(phase.after);
        summary.phases.push_back(
            {phase.binade, ulp, sizeText(phase.size), phase.firstI, phase.steps, added, scaled(added, -ulp)});
    }
    return summary;
}

void showSummary(const SumSummary& summary)
{
    if (request.summaryOnly)
        showSumHeading(headingOf());
    else
        showBlankLine();
    showSumFacts(summary);
    showPhases(summary);
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

// The last i whose term the format could make as the programs make theirs,
// from an exact i: 2^24 in single (and in double, which needs no more),
// 2^11 in half, 2^8 in bfloat16.
int highestIn(const Format& f)
{
    return f.precision < 24 ? 1 << f.precision : highest;
}

// Another format's what-if: from 1 (bfloat16 ends at 256, before the
// programs' 2000), and double over the programs' own range.
void whatIfRange(const char* fromText, const char* toText)
{
    const Format& f = *request.format;
    request.summaryOnly = true;
    if (&f != &doubleFormat) {
        request.low = 1;
        request.high = highestIn(f);
    }
    if (fromText)
        request.low = numberValue("--from", fromText, 1, highestIn(f));
    if (toText)
        request.high = numberValue("--to", toText, 1, highestIn(f));
}

void parse(int argc, char** argv)
{
    bool lowGiven = false;
    const char *fromText = nullptr, *toText = nullptr;
    for (int code; (code = nextOption(argc, argv, sumOptions)) != -1;) {
        if (readJsonOption(code))
            continue;
        switch (code) {
        case formatCode:
            request.format = &formatValue(optarg);
            break;
        case fromCode:
            request.low = numberValue("--from", optarg, 1, highest);
            fromText = optarg;
            lowGiven = true;
            break;
        case toCode:
            request.high = numberValue("--to", optarg, 1, highest);
            toText = optarg;
            break;
        case everyCode:
            request.every = numberValue("--every", optarg, 1, highest);
            break;
        case decreasingCode:
            request.decreasing = true;
            break;
        case extendedCode:
            request.extended = true;
            break;
        case summaryCode:
            request.summaryOnly = true;
            break;
        case dataCode:
            request.data = true;
            break;
        case wideCode:
            request.wide = true;
            break;
        }
    }
    noMoreArguments(argc, argv);
    if (request.format != &singleFormat)
        whatIfRange(fromText, toText);
    if (request.low > request.high && lowGiven) {
        std::string what = "--from " + std::to_string(request.low) + " is above --to " + std::to_string(request.high);
        usageError(what.c_str(), nullptr);
    }
    if (request.low > request.high) {
        std::string example = "floatexplain sum --from 1 --to " + std::to_string(request.high);
        usageError("--to is below the first i, 2000 unless --from says otherwise,\nas in", example.c_str());
    }
    if (!request.every)
        request.every = defaultEvery();
}

}  // namespace

// What if the programs had added in another format: each term 1/i rounded
// once, each sum by the machine where it has the format, else by the exact
// model; only the summary's facts. In increasing order, once a term is
// absorbed every later, smaller one is too: the steps stop there, and the
// rest are counted.
static void whatIfSum()
{
    const Format& f = *request.format;
    Facts facts;
    Stored sum{&f, 0};
    bool absorbing = false;
    for (long step = 0; step < steps; ++step) {
        int i = iAt(step);
        addFineReciprocal(facts.exact, i);
        ++facts.terms;
        if (absorbing) {
            ++facts.absorbed;
            continue;
        }
        Stored term = &f == &doubleFormat ? storedDouble(1.0 / i) : nearestIn(f, exactDyadic(1, 0) / exactDyadic(static_cast<std::uint64_t>(i), 0));
        Stored next = operateIn('+', sum, term);
        if (next.bits != sum.bits) {
            facts.lastChange = i;
        } else if (++facts.absorbed == 1) {
            facts.firstAbsorbed = i;
            absorbing = !request.decreasing;
        }
        sum = next;
    }
    showWhatIfHeading(headingOf(), f);
    // Not extended, so no count of steps unlike strict ones.
    showSumFacts(summaryOf(facts, sum, -96));
}

int sumCommand(int argc, char** argv)
{
    parse(argc, argv);
    if (request.format != &singleFormat) {
        steps = static_cast<long>(request.high) - request.low + 1;
        whatIfSum();
        return 0;
    }
    steps = static_cast<long>(request.high) - request.low + 1;
    tracedSums.reserve(static_cast<std::size_t>(steps));
    Arithmetic arithmetic = request.extended ? Arithmetic::extended : Arithmetic::strictSingle;
    float sum = request.decreasing ? traced::sumDecreasing(arithmetic, request.low, request.high)
                                   : traced::sumIncreasing(arithmetic, request.low, request.high);
    if (static_cast<long>(sums.size()) != steps || sums.back() != sum)
        disagree("the traced sum did not report each of its steps");
    Facts facts = gatherFacts();
    if (!request.summaryOnly)
        showRows(facts);
    endProgress();
    if (jsonOutput)
        writeSumJson(summaryOf(facts, storedSingle(facts.sum), -64));
    else if (!request.data)
        showSummary(summaryOf(facts, storedSingle(facts.sum), -64));
    return 0;
}

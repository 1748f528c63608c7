#include "model.h"

#include "listings.h"
#include "traced.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>

namespace {

std::vector<std::string> sourceLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// The line of fact.cpp's other return, the one that makes no product: the
// hooks see only the product's line, so the source tells the base case's.
// None unless there is exactly one such line.
std::optional<int> baseReturnLine(const std::vector<std::string>& source, int productLine)
{
    std::optional<int> found;
    for (std::size_t k = 0; k < source.size(); ++k) {
        std::string_view text = source[k];
        text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
        if (text.starts_with("return") && static_cast<int>(k) + 1 != productLine) {
            if (found)
                return std::nullopt;
            found = static_cast<int>(k) + 1;
        }
    }
    return found;
}

// Whether a build's traced copy keeps its calls' frames where the hook can
// see them. Natively it always does: a call takes at least its return
// address on the stack. In WebAssembly the hook sees the module's own stack
// in linear memory, which a build may leave untouched: then the calls of
// fact(1) stand at one address whether they recursed or not.
bool framesVisible(int (*fact)(int))
{
    if (!framesInLinearMemory)
        return true;
    Trace probe;
    runTraced(fact, 1, 2, probe);
    return probe.calls.size() == 2 && probe.calls[0].frame != probe.calls[1].frame;
}

// Each call's depth: the frames above its own. A call whose frame lies at or
// above a frame still held has left that frame behind (stacks grow down).
// Where frames cannot be seen, the plain copy's calls nest as its returns
// show; of the optimised copy's nothing can be told.
void measureCalls(Build& b, const Trace& trace)
{
    std::vector<std::uintptr_t> held;
    std::set<std::uintptr_t> frames;
    for (std::size_t k = 0; k < trace.calls.size(); ++k) {
        const Call& call = trace.calls[k];
        Event event{true, call.n, {}, {}, {}, call.line, {}, {}};
        if (b.framesMeasured) {
            while (!held.empty() && held.back() <= call.frame)
                held.pop_back();
            held.push_back(call.frame);
            event.depth = static_cast<int>(held.size()) - 1;
            event.frame = call.frame;
            frames.insert(call.frame);
            if (k > 0) {
                auto distance = static_cast<std::ptrdiff_t>(trace.calls[k - 1].frame - call.frame);
                event.frameSize = distance;
                if (distance != 0)
                    b.distances.insert(distance);
            }
        } else if (b.seesProducts) {
            event.depth = static_cast<int>(k);
        }
        b.events.push_back(event);
        if (event.depth)
            b.deepest = std::max(b.deepest.value_or(0), *event.depth);
    }
    if (b.framesMeasured)
        b.frames = frames.size();
}

// The returns, innermost first: each product's operands are n and what the
// call below returned.
void measureReturns(Build& b, const Trace& trace, std::optional<int> baseLine)
{
    const std::vector<Call>& calls = trace.calls;
    const std::vector<Product>& products = trace.products;
    std::size_t last = calls.size() - 1;
    if (products.size() != last)
        internalError(std::to_string(calls.size()) + " calls but " + std::to_string(products.size()) + " products");
    int value = last == 0 ? b.result : products[0].right;
    b.events.push_back({false, calls[last].n, b.events[last].depth, {}, {}, baseLine, value, {}});
    b.wrapped = 0;
    for (std::size_t k = last; k-- > 0;) {
        const Product& p = products[last - 1 - k];
        if (p.n != calls[k].n || p.right != value)
            internalError("fact(" + std::to_string(calls[k].n) + ")'s product is not of its own n and result");
        long long exact = static_cast<long long>(p.n) * p.right;
        Multiplication m{p.n, p.right, exact, p.product, exact != p.product};
        *b.wrapped += m.wrapped;
        b.events.push_back({false, p.n, b.events[k].depth, {}, {}, p.line, p.product, m});
        value = p.product;
    }
    if (value != b.result)
        internalError("fact returned " + std::to_string(b.result) + ", its last product was " + std::to_string(value));
}

std::string frameNote(const Build& b)
{
    if (!framesInLinearMemory)
        return b.seesProducts ? "Each frame is measured at its call's entry: the stack pointer as fact calls "
                                "the hook, and the distance from the frame of the call before."
                              : "Each frame is measured at its call's entry, as in the plain build; the "
                                "products are not seen, as no hook follows the recursive call.";
    if (b.framesMeasured)
        return "Measured on the module's own stack in linear memory, where this build keeps each call's "
               "locals; the return address and the rest of each frame stay in the engine, out of reach.";
    return "The module's stack did not move between this build's calls: it keeps fact's values in the "
           "engine's own locals, and its frames, if any, stay in the engine, out of reach.";
}

Build run(const char* name, const char* title, const char* flags, const Listing& listing, bool seesProducts,
          int (*fact)(int), int n, std::optional<int> baseLine)
{
    Build b{name, title, flags, &listing, 0, 0, seesProducts, 0, 0, {}, false, {}, {}, {}, {}, ""};
    // The listing's marks, as the formatter that wrote it set them.
    for (const ListingRow& row : std::span(listing.rows, listing.size)) {
        std::string_view note = row.note;
        b.selfCalls += note == "calls itself";
        b.backBranches += note.starts_with("back to ");
    }
    b.framesMeasured = framesVisible(fact);
    std::size_t calls = static_cast<std::size_t>(n > 0 ? n : 0) + 1;
    Trace trace;
    b.result = runTraced(fact, n, calls, trace);
    if (trace.calls.empty() || trace.calls[0].n != n)
        internalError(std::string(title) + ": the trace saw no call of fact(" + std::to_string(n) + ")");
    b.calls = trace.calls.size();
    measureCalls(b, trace);
    if (seesProducts)
        measureReturns(b, trace, baseLine);
    else
        b.events.push_back({false, n, b.events[0].depth, {}, {}, {}, b.result, {}});
    b.frameNote = frameNote(b);
    return b;
}

}  // namespace

void internalError(const std::string& what)
{
    std::fprintf(stderr, "factexplain: internal error: %s\n", what.c_str());
    std::exit(3);
}

Explanation explainFact(int n)
{
    Explanation e{n, sourceLines(factSource), {}, {}};
    // fact(1) makes one product, which tells the line that makes them all.
    Trace probe;
    runTraced(traced::plain::fact, 1, 2, probe);
    std::optional<int> baseLine = baseReturnLine(e.source, probe.products.empty() ? 0 : probe.products[0].line);
    e.plain = run("plain", "Plain build", PLAIN_FLAGS, factListingPlain, true, traced::plain::fact, n, baseLine);
    e.opt = run("optimised", "Optimised build", OPT_FLAGS, factListingOpt, false, traced::opt::fact, n, baseLine);
    if (e.plain.result != e.opt.result)
        internalError("the builds return " + std::to_string(e.plain.result) + " and " +
                      std::to_string(e.opt.result));
    return e;
}

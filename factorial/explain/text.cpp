#include "views.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string called(int n)
{
    return "fact(" + std::to_string(n) + ") called";
}

std::string returns(const Event& e)
{
    std::string text = "fact(" + std::to_string(e.n) + ") returns ";
    if (!e.product)
        return text + std::to_string(e.value.value_or(0));
    text += std::to_string(e.product->n) + " * " + std::to_string(e.product->right) + " = " +
            std::to_string(e.product->product);
    return e.product->wrapped ? text + " (wrapped around)" : text;
}

std::string frameText(const Event& e)
{
    if (!e.frame)
        return "";
    std::string text = "frame " + address(*e.frame);
    if (!e.frameSize)
        return text;
    std::ptrdiff_t distance = *e.frameSize;
    if (distance == 0)
        return text + ", the same";
    return text + ", " + std::to_string(distance > 0 ? distance : -distance) +
           (distance > 0 ? " bytes below" : " bytes above");
}

// How a build's lines show depth: two columns a level down to `levels`;
// deeper, the indent stops there and the line says its depth in numbers,
// so that no line's indent ever understates it. A return stands at its
// call's indent. Frames stand in a column of their own.
struct Layout {
    int levels;
    int frameColumn;
};

std::string marker(int depth, int levels)
{
    return depth > levels ? "[depth " + std::to_string(depth) + "] " : "";
}

int indent(int depth, int levels)
{
    return 2 * std::min(depth, levels);
}

// The deepest levels that keep every line within the width, the frames
// no further left than they stand when the calls are shallow.
Layout layOut(const Build& b)
{
    constexpr int firstFrameColumn = 40;
    std::vector<int> depths, lefts, rights;
    for (const Event& e : b.events) {
        depths.push_back(e.depth.value_or(0));
        lefts.push_back(static_cast<int>((e.call ? called(e.n) : returns(e)).size()));
        rights.push_back(e.call ? static_cast<int>(frameText(e).size()) : 0);
    }
    int deepest = *std::max_element(depths.begin(), depths.end());
    std::vector<int> markers;  // each depth's marker, as shown past the levels
    for (int depth = 0; depth <= deepest; ++depth)
        markers.push_back(static_cast<int>(marker(depth, -1).size()));
    for (int levels = deepest; levels >= 0; --levels) {
        int column = firstFrameColumn;
        bool fits = true;
        for (std::size_t k = 0; k < depths.size(); ++k) {
            int d = depths[k];
            int left = indent(d, levels) + (d > levels ? markers[static_cast<std::size_t>(d)] : 0) + lefts[k];
            fits = fits && left <= textWidth;
            if (rights[k])
                column = std::max(column, left + 2);
        }
        for (std::size_t k = 0; k < depths.size(); ++k)
            fits = fits && column + rights[k] <= textWidth;
        if (fits || levels == 0)
            return {levels, column};
    }
    return {0, firstFrameColumn};
}

void printLine(const Layout& layout, std::optional<int> seen, const std::string& text, const std::string& right = "")
{
    int depth = seen.value_or(0);
    std::string line = std::string(static_cast<std::size_t>(indent(depth, layout.levels)), ' ') +
                       marker(depth, layout.levels) + text;
    if (!right.empty())
        line += std::string(static_cast<std::size_t>(layout.frameColumn) - line.size(), ' ') + right;
    std::printf("%s\n", line.c_str());
}

std::string plural(std::size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string bytesPerCall(const Build& b)
{
    std::string bytes = std::to_string(*b.distances.begin());
    if (b.distances.size() > 1)
        bytes += " to " + std::to_string(*b.distances.rbegin());
    return bytes + " bytes";
}

std::string summary(const Build& b)
{
    if (b.frames == 1u && b.calls > 1)
        return "All " + std::to_string(b.calls) + " calls ran in one frame: the compiler turned the recursion into a loop";
    std::string text = plural(b.calls, "call");
    if (b.frames)
        text += ", " + plural(*b.frames, "frame");
    if (b.deepest)
        text += ", deepest depth " + std::to_string(*b.deepest);
    if (!b.distances.empty())
        text += ", " + bytesPerCall(b) + " per call";
    if (!b.framesMeasured)
        text += "; their frames are not seen here";
    return text;
}

void printBuild(const Build& b)
{
    std::printf("%s (%s):\n", b.title, b.flags);
    Layout layout = layOut(b);
    for (const Event& e : b.events)
        printLine(layout, e.depth, e.call ? called(e.n) : returns(e), e.call ? frameText(e) : "");
    std::printf("%s\n", summary(b).c_str());
    if (b.wrapped > 0)
        std::printf("%s wrapped around: beyond 32 bits, only the low 32 are kept\n",
                    plural(static_cast<std::size_t>(*b.wrapped), "product").c_str());
    if (!b.seesProducts)
        std::fputs("factexplain watches only each call's entry here: a hook after the recursive\n"
                   "call would change the code it watches, so the products are not seen.\n",
                   stdout);
    // Natively the frames are whole, as the lines say; in WebAssembly only a
    // part of each is in sight, and the note says which.
    if (framesInLinearMemory)
        for (const std::string& line : wrapped(b.frameNote))
            std::printf("%s\n", line.c_str());
}

// One build's frames, for the closing line: "5 frames of 48 bytes".
std::string framesUsed(const Build& b)
{
    if (!b.frames)
        return "its frames not seen";
    std::string text = plural(*b.frames, "frame");
    if (!b.distances.empty())
        text += " of " + bytesPerCall(b);
    return text;
}

void printListing(const Listing& listing)
{
    for (std::size_t k = 0; k < listing.size; ++k)
        std::printf("%s\n", listing.rows[k].text);
}

}  // namespace

std::string address(std::uintptr_t frame)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIxPTR, frame);
    return text;
}

// The listings were made when factexplain was built, from the compiler's
// own assembly of fact.cpp with each build's options.
void printCode()
{
    std::printf("Plain build (%s):\n", PLAIN_FLAGS);
    printListing(factListingPlain);
    std::printf("\nOptimised build (%s):\n", OPT_FLAGS);
    printListing(factListingOpt);
}

void printText(const Explanation& e)
{
    printBuild(e.plain);
    std::putchar('\n');
    printBuild(e.opt);
    std::putchar('\n');
    std::printf("%s: plain, %s; optimised, %s.\n", plural(e.plain.calls, "call").c_str(),
                framesUsed(e.plain).c_str(), framesUsed(e.opt).c_str());
}

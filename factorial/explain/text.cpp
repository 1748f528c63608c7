#include "views.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>

namespace {

constexpr int width = 80;
constexpr int frameColumn = 40;  // where a call's frame is shown

std::string called(int n)
{
    return "fact(" + std::to_string(n) + ") called";
}

std::string returns(const Event& e)
{
    std::string text = "fact(" + std::to_string(e.n) + ") returns ";
    if (!e.product)
        return text + std::to_string(e.value);
    text += std::to_string(e.product->n) + " * " + std::to_string(e.product->right) + " = " +
            std::to_string(e.product->product);
    return e.wrapped ? text + " (wrapped around)" : text;
}

std::string address(std::uintptr_t frame)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIxPTR, frame);
    return text;
}

std::string frameText(const Event& e)
{
    if (!e.frame)
        return "";
    std::string text = "frame " + address(e.frame);
    if (!e.frameSize)
        return text;
    std::ptrdiff_t distance = *e.frameSize;
    if (distance == 0)
        return text + ", the same";
    return text + ", " + std::to_string(distance > 0 ? distance : -distance) +
           (distance > 0 ? " bytes below" : " bytes above");
}

// The deepest indentation a build's call lines leave room for.
int deepestIndent(const Build& b)
{
    int deepest = width;
    for (const Event& e : b.events)
        if (e.call)
            deepest = std::min(deepest, (e.frame ? frameColumn - 1 : width) - static_cast<int>(called(e.n).size()));
    return deepest;
}

// Indented by depth, two columns a level, as deep as the calls' lines leave
// room for (`deepest`: the indentation of the deepest that fits); a return
// line keeps its call's indentation unless it would pass the right margin.
void printIndented(int depth, int deepest, const std::string& text, const std::string& right = "")
{
    int indent = std::min({2 * std::max(depth, 0), deepest, width - static_cast<int>(text.size())});
    std::string line = std::string(static_cast<std::size_t>(std::max(0, indent)), ' ') + text;
    if (!right.empty())
        line += std::string(static_cast<std::size_t>(std::max(1, frameColumn - static_cast<int>(line.size()))), ' ') +
                right;
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

void printBuild(const Build& b)
{
    std::printf("%s (%s):\n", b.title, b.flags);
    int deepest = deepestIndent(b);
    for (const Event& e : b.events)
        printIndented(e.depth, deepest, e.call ? called(e.n) : returns(e), e.call ? frameText(e) : "");

    std::string summary = plural(b.calls, "call");
    if (b.framesMeasured)
        summary += ", " + plural(b.frames, "frame");
    if (b.deepest >= 0)
        summary += ", deepest depth " + std::to_string(b.deepest);
    if (!b.distances.empty())
        summary += ", " + bytesPerCall(b) + " per call";
    std::printf("%s\n", summary.c_str());
    if (b.wrapped > 0)
        std::printf("%s wrapped around: beyond 32 bits, only the low 32 are kept\n",
                    plural(static_cast<std::size_t>(b.wrapped), "product").c_str());
    if (!b.seesProducts)
        std::fputs("Its one hook is at each call's entry, as one after the recursive call would\n"
                   "change the code it watches: the products and inner returns go unseen.\n",
                   stdout);
}

// One build's frames, for the closing line: "5 frames of 48 bytes".
std::string framesUsed(const Build& b)
{
    std::string text = plural(b.frames, "frame");
    if (!b.distances.empty())
        text += " of " + bytesPerCall(b);
    return text;
}

}  // namespace

void printText(const Explanation& e)
{
    printBuild(e.plain);
    std::putchar('\n');
    printBuild(e.opt);
    std::putchar('\n');
    if (e.plain.framesMeasured && e.opt.framesMeasured)
        std::printf("%s: plain, %s; optimised, %s.\n", plural(e.plain.calls, "call").c_str(),
                    framesUsed(e.plain).c_str(), framesUsed(e.opt).c_str());
    else
        std::printf("%s in the plain build, %zu in the optimised one.\n"
                    "In WebAssembly, the calls' frames live on the engine's stack, out of the\n"
                    "program's reach: they cannot be measured here.\n",
                    plural(e.plain.calls, "call").c_str(), e.opt.calls);
}

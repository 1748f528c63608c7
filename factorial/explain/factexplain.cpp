// factexplain: fact's calls and returns as they happen, in the plain build
// and in the optimised one, with the stack each call takes. Both are
// factorial/fact.cpp itself, compiled once more with trace hooks and the
// flags of the programs' builds (traced.cpp); factexplain only watches them.

#include "characters.h"
#include "closeout.h"
#include "listings.h"
#include "options.h"
#include "trace.h"
#include "traced.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The largest N: the plain build then takes 1001 frames, a few hundred
// kilobytes of stack at most on any platform measured (see the manual page),
// far inside the smallest stack the programs run with.
constexpr int maxN = 1000;
constexpr int defaultN = 4;  // the programs' own argument

constexpr int internalFailure = 3;  // a self-check failed: factexplain is wrong

constexpr int width = 80;
constexpr int frameColumn = 40;  // where a call's frame is shown

const char usage[] =
    "Usage: factexplain [OPTION]... [N]\n"
    "Show fact(N) as prodshow and prodshow-opt run it: each call and return,\n"
    "indented by depth, with the multiplication each return makes and the frame\n"
    "each call runs in, in the plain build and then in the optimised one. N is a\n"
    "whole number, at most 1000, and 4 if not given.\n"
    "\n"
    "      --code     show fact's machine code in both builds instead\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "A frame is shown by the address at which it ends (fact's stack pointer as\n"
    "the trace sees the call) and its distance from the frame of the call before.\n"
    "Products beyond 32 bits wrap around, as in the programs. In WebAssembly the\n"
    "frames are out of sight, and only the calls and returns are shown.\n"
    "\n"
    "Examples:\n"
    "  factexplain          fact(4), call by call, in both builds\n"
    "  factexplain 13       the first product that wraps around\n"
    "  factexplain --code   the self-call and the loop, in machine code\n"
    "\n"
    "Exit status: 0 on success, 1 on a write error, 2 on a usage error,\n"
    "3 if a self-check fails (factexplain disagrees with itself).\n";

const char version[] =
    "factexplain (teaching programs) " PROJECT_VERSION "\n"
    "Copyright (c) 2026 The teaching programs authors.\n"
    "MIT License: free to use, change and share; there is NO WARRANTY.\n";

static_assert(maxN == 1000, "the usage text states the bound");

[[noreturn]] void badUsage(const std::string& what)
{
    usageError("factexplain", what);
}

[[noreturn]] void internalError(const std::string& what)
{
    std::fprintf(stderr, "factexplain: internal error: %s\n", what.c_str());
    std::exit(internalFailure);
}

// What the command line asks for.
struct Request {
    int n;
    bool code;
};

bool isNumber(const char* text)
{
    const char* digits = text + (*text == '-' || *text == '+');
    return *digits && std::strspn(digits, "0123456789") == std::strlen(digits);
}

int readN(const char* text)
{
    // Past 11 digits a number cannot fit; strtoll would still say so, but a
    // long run of zeros in front is a number all the same.
    const char* digits = text + (*text == '-' || *text == '+');
    digits += std::strspn(digits, "0");
    long long value = std::strlen(digits) > 11 ? (*text == '-' ? -1LL << 40 : 1LL << 40)
                                               : std::strtoll(text, nullptr, 10);
    if (!isNumber(text) || value < INT32_MIN || value > maxN)
        badUsage("N must be a whole number no greater than " + std::to_string(maxN) + ", not " + quoted(text));
    return static_cast<int>(value);
}

// GNU options, through the companions' reader; N may be negative, so a word
// like -3 is N, not an option.
Request readArguments(int argc, char** argv)
{
    constexpr int codeOption = 'c';
    static const option options[] = {
        {"code", no_argument, nullptr, codeOption}, helpOption, versionOption, {nullptr, 0, nullptr, 0}};
    const OptionSet set{"factexplain", options, usage, version, true, nullptr};
    Request request{defaultN, false};
    std::vector<char*> operands;
    for (int code; (code = readOption(argc, argv, set, operands)) != -1;)
        request.code = request.code || code == codeOption;
    if (operands.size() > 1)
        badUsage("one N only, not also " + quoted(operands[1]));
    if (!operands.empty()) {
        if (request.code)
            badUsage("--code shows fact's code, and takes no N");
        request.n = readN(operands[0]);
    }
    return request;
}

// One build's traced run.
struct Section {
    const char* title;
    const char* flags;
    Trace trace;
    int result;
    bool seesProducts;
    std::vector<int> depths;  // of each call
    std::size_t frames;       // distinct frames seen; 0 where none can be
    std::set<std::ptrdiff_t> distances;  // bytes per call, between frames that differ
    int deepest;  // the deepest indentation, as printIndented takes it
};

std::string called(int n)
{
    return "fact(" + std::to_string(n) + ") called";
}

std::string returns(int n)
{
    return "fact(" + std::to_string(n) + ") returns ";
}

bool framesSeen(const Section& section)
{
    return !section.trace.calls.empty() && section.trace.calls[0].frame != 0;
}

// Each call's depth: the frames above its own. A call whose frame lies at or
// above a frame still held has left that frame behind (stacks grow down).
// Where frames cannot be seen, the plain copy's calls nest as its returns
// show; of the optimised copy's nothing can be told.
void measure(Section& s)
{
    const std::vector<Call>& calls = s.trace.calls;
    std::vector<std::uintptr_t> held;
    std::set<std::uintptr_t> frames;
    for (std::size_t k = 0; k < calls.size(); ++k) {
        if (!calls[k].frame) {
            s.depths.push_back(s.seesProducts ? static_cast<int>(k) : 0);
            continue;
        }
        while (!held.empty() && held.back() <= calls[k].frame)
            held.pop_back();
        held.push_back(calls[k].frame);
        s.depths.push_back(static_cast<int>(held.size()) - 1);
        frames.insert(calls[k].frame);
        if (k > 0 && calls[k - 1].frame != calls[k].frame)
            s.distances.insert(static_cast<std::ptrdiff_t>(calls[k - 1].frame - calls[k].frame));
    }
    s.frames = frames.size();
    s.deepest = width;
    for (const Call& call : calls) {
        int room = call.frame ? frameColumn - 1 : width;
        s.deepest = std::min(s.deepest, room - static_cast<int>(called(call.n).size()));
    }
}

// Indented by depth, two columns a level, as deep as the calls' lines leave
// room for (`deepest`: the indentation of the deepest that fits); a return
// line keeps its call's indentation unless it would pass the right margin.
void printIndented(int depth, int deepest, const std::string& text, const std::string& right = "")
{
    int indent = std::min({2 * depth, deepest, width - static_cast<int>(text.size())});
    std::string line = std::string(static_cast<std::size_t>(std::max(0, indent)), ' ') + text;
    if (!right.empty())
        line += std::string(static_cast<std::size_t>(std::max(1, frameColumn - static_cast<int>(line.size()))), ' ') +
                right;
    std::printf("%s\n", line.c_str());
}

std::string address(std::uintptr_t frame)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIxPTR, frame);
    return text;
}

std::string frameText(const std::vector<Call>& calls, std::size_t k)
{
    if (!calls[k].frame)
        return "";
    std::string text = "frame " + address(calls[k].frame);
    if (k == 0)
        return text;
    auto distance = static_cast<std::ptrdiff_t>(calls[k - 1].frame - calls[k].frame);
    if (distance == 0)
        return text + ", the same";
    return text + ", " + std::to_string(distance > 0 ? distance : -distance) +
           (distance > 0 ? " bytes below" : " bytes above");
}

// The returns, innermost first: each product's operands are n and what the
// call below returned. Returns the number of products that wrapped around.
int printReturns(const Section& s)
{
    const std::vector<Call>& calls = s.trace.calls;
    const std::vector<Product>& products = s.trace.products;
    std::size_t last = calls.size() - 1;
    if (products.size() != last)
        internalError(std::to_string(calls.size()) + " calls but " + std::to_string(products.size()) + " products");
    int value = last == 0 ? s.result : products[0].right;
    printIndented(s.depths[last], s.deepest, returns(calls[last].n) + std::to_string(value));
    int wrapped = 0;
    for (std::size_t k = last; k-- > 0;) {
        const Product& p = products[last - 1 - k];
        if (p.n != calls[k].n || p.right != value)
            internalError("fact(" + std::to_string(calls[k].n) + ")'s product is not of its own n and result");
        bool wraps = static_cast<long long>(p.n) * p.right != p.product;
        wrapped += wraps;
        std::string product = std::to_string(p.n) + " * " + std::to_string(p.right) + " = " + std::to_string(p.product);
        printIndented(s.depths[k], s.deepest, returns(p.n) + product + (wraps ? " (wrapped around)" : ""));
        value = p.product;
    }
    if (value != s.result)
        internalError("fact returned " + std::to_string(s.result) + ", its last product was " + std::to_string(value));
    return wrapped;
}

std::string plural(std::size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string bytesPerCall(const Section& s)
{
    std::string bytes = std::to_string(*s.distances.begin());
    if (s.distances.size() > 1)
        bytes += " to " + std::to_string(*s.distances.rbegin());
    return bytes + " bytes";
}

void printSection(const Section& s)
{
    std::printf("%s (%s):\n", s.title, s.flags);
    const std::vector<Call>& calls = s.trace.calls;
    for (std::size_t k = 0; k < calls.size(); ++k)
        printIndented(s.depths[k], s.deepest, called(calls[k].n), frameText(calls, k));
    int wrapped = 0;
    if (s.seesProducts)
        wrapped = printReturns(s);
    else
        printIndented(s.depths[0], s.deepest, returns(calls[0].n) + std::to_string(s.result));

    std::string summary = plural(calls.size(), "call");
    if (framesSeen(s))
        summary += ", " + plural(s.frames, "frame");
    if (framesSeen(s) || s.seesProducts)
        summary += ", deepest depth " + std::to_string(*std::max_element(s.depths.begin(), s.depths.end()));
    if (!s.distances.empty())
        summary += ", " + bytesPerCall(s) + " per call";
    std::printf("%s\n", summary.c_str());
    if (wrapped)
        std::printf("%s wrapped around: beyond 32 bits, only the low 32 are kept\n",
                    plural(static_cast<std::size_t>(wrapped), "product").c_str());
    if (!s.seesProducts)
        std::fputs("Its one hook is at each call's entry, as one after the recursive call would\n"
                   "change the code it watches: the products and inner returns go unseen.\n",
                   stdout);
}

// One build's frames, for the closing line: "5 frames of 48 bytes".
std::string framesUsed(const Section& s)
{
    std::string text = plural(s.frames, "frame");
    if (!s.distances.empty())
        text += " of " + bytesPerCall(s);
    return text;
}

void explain(int n)
{
    std::size_t calls = static_cast<std::size_t>(n > 0 ? n : 0) + 1;
    Section plain{"Plain build", PLAIN_FLAGS, {}, 0, true, {}, 0, {}, 0};
    Section opt{"Optimised build", OPT_FLAGS, {}, 0, false, {}, 0, {}, 0};
    plain.result = runTraced(traced::plain::fact, n, calls, plain.trace);
    opt.result = runTraced(traced::opt::fact, n, calls, opt.trace);
    for (const Section* s : {&plain, &opt})
        if (s->trace.calls.empty() || s->trace.calls[0].n != n)
            internalError(std::string(s->title) + ": the trace saw no call of fact(" + std::to_string(n) + ")");
    if (plain.result != opt.result)
        internalError("the builds return " + std::to_string(plain.result) + " and " + std::to_string(opt.result));
    measure(plain);
    measure(opt);

    printSection(plain);
    std::putchar('\n');
    printSection(opt);
    std::putchar('\n');
    if (framesSeen(plain) && framesSeen(opt))
        std::printf("%s: plain, %s; optimised, %s.\n", plural(plain.trace.calls.size(), "call").c_str(),
                    framesUsed(plain).c_str(), framesUsed(opt).c_str());
    else
        std::printf("%s in the plain build, %zu in the optimised one.\n"
                    "In WebAssembly, the calls' frames live on the engine's stack, out of the\n"
                    "program's reach: they cannot be measured here.\n",
                    plural(plain.trace.calls.size(), "call").c_str(), opt.trace.calls.size());
}

// The listings were made when factexplain was built, from the compiler's
// own assembly of fact.cpp with each build's options.
void showCode()
{
    std::printf("Plain build (%s):\n%s\nOptimised build (%s):\n%s", PLAIN_FLAGS, factListingPlain, OPT_FLAGS,
                factListingOpt);
}

}  // namespace

int main(int argc, char** argv)
{
    std::atexit(closeStdout);
    Request request = readArguments(argc, argv);
    if (request.code)
        showCode();
    else
        explain(request.n);
    return 0;
}

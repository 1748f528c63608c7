// factexplain: fact's calls and returns as they happen, in the plain build
// and in the optimised one, with the stack each call takes. Both are
// factorial/fact.cpp itself, compiled once more with trace hooks and the
// flags of the programs' builds (traced.cpp); factexplain only watches them.

#include "characters.h"
#include "closeout.h"
#include "json.h"
#include "numbers.h"
#include "options.h"
#include "views.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int defaultN = 4;  // the programs' own argument

constexpr int codeCode = 'c';
constexpr int jsonCode = 'j';

// Each option once: getopt's table, the help's lines, --options-json.
const OptionSpec options[] = {
    {.name = "code", .code = codeCode, .help = "show fact's machine code in both builds instead"},
    {.name = "json",
     .code = jsonCode,
     .takes = Takes::optional,
     .placeholder = "LAYOUT",
     .values = jsonLayouts,
     .bare = "compact",
     .help = "write what the text shows as one JSON document instead,\n"
             "the code too: on one line (LAYOUT compact, the default) or\n"
             "indented (pretty)"},
};
const CommandSpec commands[] = {{"", options}};

// The document holds the listing already, as calcexplain's holds every view.
const Refusal refusals[] = {
    {.option = "json", .when = When::with, .other = "code", .message =
     "--json holds the whole explanation already: not with --code"},
    {.option = "code", .when = When::withOperand, .message = "--code shows fact's code, and takes no N"},
};
const ToolSpec tool{"factexplain", commands, refusals};

std::string usage()
{
    return "Usage: factexplain [OPTION]... [N]\n"
           "Show fact(N) as prodshow and prodshow-opt run it: each call and return,\n"
           "indented by depth, with the multiplication each return makes and the frame\n"
           "each call runs in, in the plain build and then in the optimised one. N is a\n"
           "whole number, at most 1000, and 4 if not given.\n"
           "\n" +
           optionLines(options, {17, true}) + optionLines(generalSpecs, {17, true}) +
           "\n"
           "A frame is shown by the address at which it ends (fact's stack pointer as\n"
           "the trace sees the call) and its distance from the frame of the call before.\n"
           "Products beyond 32 bits wrap around, as in the programs. In WebAssembly only\n"
           "the part of a frame on the module's own stack can be seen, and a note says so.\n"
           "\n"
           "Examples:\n"
           "  factexplain          fact(4), call by call, in both builds\n"
           "  factexplain 13       the first product that wraps around\n"
           "  factexplain --code   the self-call and the loop, in machine code\n"
           "  factexplain --json 5 fact(5) as a JSON document, for scripts\n"
           "\n"
           "Exit status: 0 on success, 1 on a write error, 2 on a usage error,\n"
           "3 if a self-check fails (factexplain disagrees with itself).\n";
}

const char version[] =
    "factexplain (teaching programs) " PROJECT_VERSION "\n"
    "Copyright (c) 2026 The teaching programs authors.\n"
    "MIT License: free to use, change and share; there is NO WARRANTY.\n";

static_assert(maxN == 1000, "the usage text states the bound");

[[noreturn]] void badUsage(const std::string& what)
{
    usageError("factexplain", what);
}

// What the command line asks for.
struct Request {
    int n;
    bool code;
    bool json;
};

int readN(const char* text)
{
    std::optional<long long> n = readWhole(text, INT32_MIN, maxN);
    if (!n)
        badUsage(!isWhole(text) ? "N must be a whole number, not " + quoted(text)
                 : text[0] == '-' ? "N must be at least " + std::to_string(INT32_MIN) + ", not " + quoted(text)
                                  : "N must be at most " + std::to_string(maxN) + ", not " + quoted(text));
    return static_cast<int>(*n);
}

// GNU options, through the companions' reader; N may be negative, so a word
// like -3 is N, not an option, but -x is an option, unknown.
Request readArguments(int argc, char** argv)
{
    const OptionSet set{&tool, &commands[0], usage, version, false, nullptr, true};
    Request request{defaultN, false, false};
    std::vector<char*> operands;
    for (int code; (code = readOption(argc, argv, set, operands)) != -1;) {
        request.code = request.code || code == codeCode;
        if (code == jsonCode) {
            requireJson("factexplain");
            request.json = true;
            setJsonLayout(optarg);
        }
    }
    if (operands.size() > 1)
        badUsage("one N only, not also " + quoted(operands[1]));
    if (!operands.empty())
        request.n = readN(operands[0]);
    return request;
}

}  // namespace

int main(int argc, char** argv)
{
    std::atexit(closeStdout);
    Request request = readArguments(argc, argv);
    if (request.json)
        printJson(explainFact(request.n));
    else if (request.code)
        printCode();
    else
        printText(explainFact(request.n));
    return 0;
}

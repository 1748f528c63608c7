// calcexplain's command line: --help, --version and the options, read by
// the companions' shared reader (options.h).

#include "usage.h"

#include "characters.h"
#include "json.h"
#include "options.h"

#include <cstring>
#include <string>

namespace {

const char usage[] =
    "Usage: calcexplain [OPTION]... [--] [LINE]...\n"
    "Explain how calcloop, calcminusrec and calcrec read each LINE (typed as if\n"
    "ended by a newline), or each line of standard input if no LINE is given:\n"
    "the line fully parenthesised as each grammar groups it, and its value, or\n"
    "where the grammar rejects it, what it found there and which rule refused it.\n"
    "\n"
    "      --steps    also list each grammar's arithmetic steps in order\n"
    "      --trace    also show each grammar's rules as they run: the look-ahead\n"
    "                 on entry and the value on return\n"
    "      --tree[=KIND]  also draw each grammar's tree, side by side: KIND is\n"
    "                 expr (operators over their operands, the default) or rules\n"
    "                 (a node per rule called, the characters it matched below)\n"
    "      --dot      write both kinds of tree in Graphviz's DOT language instead:\n"
    "                 one graph, the three grammars side by side for each LINE\n"
    "      --json     write everything as one JSON document instead: for each LINE\n"
    "                 and grammar the verdict, grouping, both trees and the trace\n"
    "                 (so not with --steps, --trace, --tree or --dot)\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "Options may stand anywhere before '--'; a LINE that begins with '-' goes\n"
    "after it.\n"
    "\n"
    "Examples:\n"
    "  calcexplain 10-3-2              how each grammar groups 10-3-2\n"
    "  calcexplain --tree 1+2+3        the three trees of 1+2+3, side by side\n"
    "  calcexplain --dot 10-3-2 | dot -Tsvg >trees.svg\n"
    "                                  the trees of 10-3-2 as a picture\n"
    "  calcexplain --json 10-3-2       the same explanation, for a program to read\n"
    "\n"
    "Exit status:\n"
    "  0  every line explained (a line a grammar rejects is not an error)\n"
    "  1  the output could not be written or the input could not be read\n"
    "  2  a usage error\n"
    "  3  an internal error: a self-check of calcexplain failed\n";

const char version[] =
    "calcexplain (teaching programs) " PROJECT_VERSION "\n"
    "Copyright (c) 2026 The teaching programs authors.\n"
    "MIT License: free to use, change and share; there is NO WARRANTY.\n";

std::string lineHint(const char* argument)
{
    return argument[1] == '-' ? "" : "A LINE that begins with '-' goes after '--'.";
}

}  // namespace

std::vector<char*> readOptions(int argc, char** argv, Settings& settings)
{
    enum { stepsOption = 256, traceOption, treeOption, dotOption, jsonOption };
    const option options[] = {
        {"steps", no_argument, nullptr, stepsOption},
        {"trace", no_argument, nullptr, traceOption},
        {"tree", optional_argument, nullptr, treeOption},
        {"dot", no_argument, nullptr, dotOption},
        {"json", no_argument, nullptr, jsonOption},
        helpOption,
        versionOption,
        {},
    };
    const OptionSet set{"calcexplain", options, usage, version, false, lineHint};
    std::vector<char*> lines;
    for (int c; (c = readOption(argc, argv, set, lines)) != -1;) {
        switch (c) {
        case stepsOption:
            settings.steps = true;
            break;
        case traceOption:
            settings.calls = true;
            break;
        case treeOption:
            if (!optarg || std::strcmp(optarg, "expr") == 0)
                settings.tree = true;
            else if (std::strcmp(optarg, "rules") == 0)
                settings.ruleTree = true;
            else
                usageError("calcexplain", "invalid argument " + quoted(optarg) +
                                              " for '--tree'\nValid arguments are 'expr' and 'rules'.");
            break;
        case dotOption:
            settings.dot = true;
            break;
        case jsonOption:
            settings.json = true;
            break;
        }
    }
    if (settings.json) {
        requireJson("calcexplain");
        // The document holds every view already; another would be lost.
        const char* other = settings.steps  ? "--steps"
                            : settings.calls ? "--trace"
                            : settings.tree || settings.ruleTree ? "--tree"
                            : settings.dot   ? "--dot"
                                             : nullptr;
        if (other)
            usageError("calcexplain", std::string("--json holds the whole explanation already: not with ") + other);
    }
    if (settings.dot && (settings.steps || settings.calls))
        usageError("calcexplain", std::string("--dot draws the trees and nothing else, not ") +
                                      (settings.steps ? "--steps" : "--trace"));
    for (char* line : lines)
        if (std::strchr(line, '\n'))
            usageError("calcexplain", "a LINE that holds a newline: " + quoted(line) +
                                          "\nGive each line as a LINE of its own.");
    return lines;
}


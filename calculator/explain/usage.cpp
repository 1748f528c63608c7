// calcexplain's command line: --help, --version and the options, read by
// the companions' shared reader (options.h).

#include "usage.h"

#include "characters.h"
#include "json.h"
#include "options.h"

#include <cstring>
#include <string>

namespace {

enum { stepsCode = 256, traceCode, treeCode, dotCode, jsonCode };

// Each option once: getopt's table, the help's lines, --options-json.
const OptionSpec options[] = {
    {.name = "steps", .code = stepsCode, .help = "also list each grammar's arithmetic steps in order"},
    {.name = "trace",
     .code = traceCode,
     .help = "also show each grammar's rules as they run: the look-ahead\n"
             "on entry and the value on return"},
    {.name = "tree",
     .code = treeCode,
     .takes = Takes::optional,
     .placeholder = "KIND",
     .values = {"expr", "rules"},
     .bare = "expr",
     .help = "also draw each grammar's tree, side by side: KIND is\n"
             "expr (operators over their operands, the default) or rules\n"
             "(a node per rule called, the characters it matched below)"},
    {.name = "dot",
     .code = dotCode,
     .help = "write both kinds of tree in Graphviz's DOT language instead:\n"
             "one graph, the three grammars side by side for each LINE"},
    {.name = "json",
     .code = jsonCode,
     .takes = Takes::optional,
     .placeholder = "LAYOUT",
     .values = jsonLayouts,
     .bare = "compact",
     .help = "write everything as one JSON document instead: for each\n"
             "LINE and grammar the verdict, grouping, both trees and the\n"
             "trace (so not with --steps, --trace, --tree or --dot): on one\n"
             "line (LAYOUT compact, the default) or indented (pretty)"},
};
const CommandSpec commands[] = {{"", options}};

// The document holds every view already; another would be lost. DOT is a
// language of its own, which the text views would break.
const Refusal refusals[] = {
    {.option = "json", .when = When::with, .other = "steps", .message =
     "--json holds the whole explanation already: not with --steps"},
    {.option = "json", .when = When::with, .other = "trace", .message =
     "--json holds the whole explanation already: not with --trace"},
    {.option = "json", .when = When::with, .other = "tree", .message =
     "--json holds the whole explanation already: not with --tree"},
    {.option = "json", .when = When::with, .other = "dot", .message =
     "--json holds the whole explanation already: not with --dot"},
    {.option = "dot", .when = When::with, .other = "steps", .message =
     "--dot draws the trees and nothing else, not --steps"},
    {.option = "dot", .when = When::with, .other = "trace", .message =
     "--dot draws the trees and nothing else, not --trace"},
};
const ToolSpec tool{"calcexplain", commands, refusals};

std::string usage()
{
    return "Usage: calcexplain [OPTION]... [--] [LINE]...\n"
           "Explain how calcloop, calcminusrec and calcrec read each LINE (typed as if\n"
           "ended by a newline), or each line of standard input if no LINE is given:\n"
           "the line fully parenthesised as each grammar groups it, and its value, or\n"
           "where the grammar rejects it, what it found there and which rule refused it.\n"
           "\n" +
           optionLines(options, {17, true}) + optionLines(generalSpecs, {17, true}) +
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
}

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
    const OptionSet set{&tool, &commands[0], usage, version, false, lineHint};
    std::vector<char*> lines;
    for (int c; (c = readOption(argc, argv, set, lines)) != -1;) {
        switch (c) {
        case stepsCode:
            settings.steps = true;
            break;
        case traceCode:
            settings.trace = true;
            break;
        case treeCode:
            (optarg && std::strcmp(optarg, "rules") == 0 ? settings.ruleTree : settings.tree) = true;
            break;
        case dotCode:
            settings.dot = true;
            break;
        case jsonCode:
            requireJson("calcexplain");
            settings.json = true;
            setJsonLayout(optarg);
            break;
        }
    }
    for (char* line : lines)
        if (std::strchr(line, '\n'))
            usageError("calcexplain", "a LINE that holds a newline: " + quoted(line) +
                                          "\nGive each line as a LINE of its own.");
    return lines;
}

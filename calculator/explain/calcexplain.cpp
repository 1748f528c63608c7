// calcexplain: one line through the three calculators' grammars, showing how
// each groups it, in what order it computes, and where it stops.
//
// Each grammar runs twice per line, each time in a process of its own
// (spawn.h): its own main reads the line from standard input and prints its
// own answer, and an error ends that process as it ends the program. The
// untraced copy is the program itself and gives the verdict; the traced copy
// shows how it was reached. The trace costs stack, so on a very deep line the
// traced copy may meet its depth guard first: the verdict is still the
// program's, and the explanation says where the trace stops. What the
// processes write is held in files in memory, not on disk.

#include "characters.h"
#include "closeout.h"
#include "echo.h"
#include "grammars.h"
#include "options.h"
#include "picture.h"
#include "run.h"
#include "spawn.h"
#include "trace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>
#include <unistd.h>

std::FILE* lineInput;

namespace {

// A grammar's main and look-ahead, in one of its two copies.
struct Copy {
    int (*main)();
    int* token;
};

struct Grammar {
    const char* name;
    Copy program;  // untraced, built as the program is
    Copy traced;
};

const Grammar grammars[] = {
    {"calcloop", {untraced::calcloop::main, &untraced::calcloop::token}, {calcloop::main, &calcloop::token}},
    {"calcminusrec", {untraced::calcminusrec::main, &untraced::calcminusrec::token},
     {calcminusrec::main, &calcminusrec::token}},
    {"calcrec", {untraced::calcrec::main, &untraced::calcrec::token}, {calcrec::main, &calcrec::token}},
};

constexpr int nameWidth = 14;  // "calcminusrec: "
constexpr int echoIndent = nameWidth + 2;

// Exit statuses, as --help and the manual page list them.
constexpr int failure = 1;        // output not written, input not read, no memory file
constexpr int internalFailure = 3;  // a self-check failed: calcexplain itself is wrong

const char* const tooDeep = "parse error: expression nested too deeply";

// How a deeper trace can be had: in WebAssembly the bound is fixed.
#ifdef __EMSCRIPTEN__
const char* const raiseTraceBound = "";
#else
const char* const raiseTraceBound = ": ulimit -s raises it";
#endif

bool showSteps;
bool showCalls;
bool showTree;      // the expression trees, drawn
bool showRuleTree;  // the trees of rule calls, drawn
bool showDot;       // both, in DOT, and nothing else
bool internalError;
int linesDrawn;  // with --dot, in the one graph

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

void selfCheckFailed(const std::string& what)
{
    std::fprintf(stderr, "calcexplain: internal error: %s\n", what.c_str());
    internalError = true;
}

// What one run of one copy of a grammar made of the line.
struct Answer {
    bool accepted;
    int value;
    std::string message;  // the program's own error line, without its newline
    long column;          // 1-based: the character at which it stopped
    // Traced runs only: where the rules stood when the run ended, and the
    // grouping, steps and trace, rewound, ready to read (nullptr: none).
    std::string innermostRule;
    std::size_t depth;
    std::FILE* grouping;  // then a line for each number that wrapped
    long groupingStart;   // in that file
    std::FILE* steps;
    std::FILE* calls;
    std::FILE* tree;
    std::FILE* rules;
};

bool operator==(const Answer& a, const Answer& b)
{
    if (a.accepted || b.accepted)
        return a.accepted == b.accepted && a.value == b.value;
    return a.message == b.message && a.column == b.column;
}

std::FILE* newMemoryFile(const char* name)
{
    std::FILE* file = memoryFile(name);
    if (!file)
        systemFailure("memory file");
    return file;
}

// After a run, in the grammar's process: how far it read and, when traced,
// where its rules stood and the grouping.
const Copy* running;
bool runningTraced;
std::FILE* resultOut;

void reportResult()
{
    // The program read up to and including the character it stopped at,
    // unless it met the end of the input, which lies one column further on.
    long consumed = std::ftell(stdin);
    std::fprintf(resultOut, "%ld\n", *running->token == EOF ? consumed + 1 : consumed);
    if (runningTraced) {
        endTrace();
        const char* rule = innermostRule();
        std::fprintf(resultOut, "%zu %s\n", innermostDepth(), rule ? rule : "-");
        writeGrouping(resultOut);
    }
    std::fflush(resultOut);
}

// Runs one copy of a grammar on `line` in a process of its own.
Answer run(int g, bool traced, std::string_view line)
{
    const Grammar& grammar = grammars[g];
    std::FILE* input = newMemoryFile("line");
    std::FILE* output = newMemoryFile("output");
    std::FILE* result = newMemoryFile("result");
    Answer answer{false, 0, {}, 0, {}, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr};
    if (traced) {
        answer.steps = showSteps ? newMemoryFile("steps") : nullptr;
        answer.calls = showCalls ? newMemoryFile("trace") : nullptr;
        answer.tree = showTree || showDot ? newMemoryFile("tree") : nullptr;
        answer.rules = showRuleTree || showDot ? newMemoryFile("rules") : nullptr;
    }
    std::fwrite(line.data(), 1, line.size(), input);
    std::fflush(input);
    std::rewind(input);

    int status = spawnRun(g, traced, {input, output, result, {answer.steps, answer.calls, answer.tree, answer.rules}});
    std::fclose(input);

    std::rewind(output);
    char text[256] = {};
    std::size_t length = std::fread(text, 1, sizeof text - 1, output);
    std::fclose(output);
    text[length] = '\0';
    if (char* newline = std::strchr(text, '\n'))
        *newline = '\0';

    if (status == 0 && std::sscanf(text, "The result is: %d", &answer.value) == 1) {
        answer.accepted = true;
    } else if (status == 1 && std::strncmp(text, "parse error", 11) == 0) {
        answer.message = text;
    } else {
        answer.message = status < 0 ? "crashed with signal " + std::to_string(-status)
                                    : "failed with exit status " + std::to_string(status);
        selfCheckFailed(std::string(grammar.name) + (traced ? ", traced, " : " ") + answer.message);
    }
    std::rewind(result);
    char rule[32] = {};
    if (std::fscanf(result, "%ld", &answer.column) != 1 ||
        (traced && std::fscanf(result, "%zu %31s", &answer.depth, rule) != 2))
        selfCheckFailed(std::string(grammar.name) + ": no account of where the run stopped");
    std::fgetc(result);  // the newline before the grouping
    answer.innermostRule = rule;
    answer.groupingStart = std::ftell(result);
    if (traced)
        answer.grouping = result;
    else
        std::fclose(result);
    for (std::FILE* file : {answer.steps, answer.calls, answer.tree, answer.rules})
        if (file)
            std::rewind(file);
    return answer;
}

void copy(std::FILE* from)
{
    static char buffer[1 << 16];  // not on the stack, which may be small
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0)
        std::fwrite(buffer, 1, n, stdout);
}

// The first line of a file, without its newline.
void copyLine(std::FILE* from)
{
    for (int c; (c = std::getc(from)) != EOF && c != '\n';)
        std::putchar(c);
}

// What the rule that refused the look-ahead was waiting for: each of these
// rules calls the error reporter at one place only (factor's match('(') is
// reached only on a '(').
const char* expectation(std::string_view rule)
{
    if (rule == "command")
        return "the end of the line";
    if (rule == "number")
        return "a digit";
    if (rule == "factor")
        return "')'";
    return nullptr;
}

// What one grammar made of one line: the program's verdict, explained by the
// traced run where it followed the program all the way.
struct Outcome {
    Answer program;
    Answer traced;
    bool traceCut;  // the traced run met its depth guard before the program's end
};

void showRefusal(std::string_view line, const Outcome& outcome)
{
    std::string found = nameFound(line, outcome.program.column);
    const char* expected = outcome.traceCut ? nullptr : expectation(outcome.traced.innermostRule);
    if (expected)
        std::printf("%*s%s expected %s, found %s\n", echoIndent, "", outcome.traced.innermostRule.c_str(),
                    expected, found.c_str());
    else
        std::printf("%*sfound %s\n", echoIndent, "", found.c_str());
}

void showOutcome(const Grammar& grammar, std::string_view line, const Outcome& outcome)
{
    const Answer& verdict = outcome.program;
    std::printf("%-*s", nameWidth, (std::string(grammar.name) + ":").c_str());
    if (verdict.accepted) {
        if (outcome.traceCut)
            std::fputs("...", stdout);
        else
            copyLine(outcome.traced.grouping);
        std::printf(" = %d\n", verdict.value);
    } else if (verdict.message.rfind("parse error", 0) == 0 && verdict.column > 0) {
        std::string_view detail = std::string_view(verdict.message).substr(std::strlen("parse error"));
        std::printf("parse error at column %ld%.*s\n", verdict.column, static_cast<int>(detail.size()), detail.data());
        echoLine(line, verdict.column, echoIndent);
        if (detail.empty())
            showRefusal(line, outcome);
    } else {
        std::printf("%s\n", verdict.message.c_str());
    }
    if (outcome.traceCut)
        std::printf("  the trace stops at depth %zu, column %ld%s\n", outcome.traced.depth,
                    outcome.traced.column, raiseTraceBound);
    if (outcome.traced.steps)
        copy(outcome.traced.steps);
    if (outcome.traced.calls)
        copy(outcome.traced.calls);
}

Outcome runBoth(int g, std::string_view line)
{
    const Grammar& grammar = grammars[g];
    Outcome outcome{run(g, false, line), run(g, true, line), false};
    if (!(outcome.traced == outcome.program)) {
        // Only the stack the trace takes may set the copies apart, and only
        // by stopping the traced one sooner.
        outcome.traceCut = outcome.traced.message == tooDeep &&
                           (outcome.program.accepted || outcome.traced.column < outcome.program.column);
        if (!outcome.traceCut)
            selfCheckFailed(std::string("the traced ") + grammar.name + " and the program disagree");
    }
    return outcome;
}

// Whether two groupings are the same.
bool sameGrouping(const Answer& a, const Answer& b)
{
    std::fseek(a.grouping, a.groupingStart, SEEK_SET);
    std::fseek(b.grouping, b.groupingStart, SEEK_SET);
    int c;
    while ((c = std::fgetc(a.grouping)) == std::fgetc(b.grouping))
        if (c == EOF)
            return true;
    return false;
}

// Equal values can hide different groupings (1+2+3 in calcrec and calcloop).
// Where a trace stopped short its grouping is unknown: then no claim.
bool groupDifferently(const Outcome (&outcomes)[3])
{
    for (const Outcome& o : outcomes)
        if (o.traceCut)
            return false;
    return !sameGrouping(outcomes[0].traced, outcomes[1].traced) ||
           !sameGrouping(outcomes[0].traced, outcomes[2].traced);
}

// The numbers typed beyond the range, as the grammar that read furthest
// found them.
void showSummary(const Outcome (&outcomes)[3])
{
    bool agree = true;
    for (const Outcome& o : outcomes)
        agree = agree && o.program.accepted == outcomes[0].program.accepted &&
                (!o.program.accepted || o.program.value == outcomes[0].program.value);
    if (!agree) {
        std::string summary = "The grammars disagree:";
        for (int g = 0; g < 3; ++g) {
            summary += g ? ", " : " ";
            summary += grammars[g].name;
            summary += ' ';
            summary += outcomes[g].program.accepted ? std::to_string(outcomes[g].program.value) : "rejects it";
        }
        std::printf("%s.\n", summary.c_str());
    } else if (outcomes[0].program.accepted && groupDifferently(outcomes)) {
        std::puts("The grammars agree on the value but group the line differently.");
    }
}

void showWrapped(const Outcome (&outcomes)[3])
{
    const Outcome* furthest = nullptr;
    for (const Outcome& o : outcomes)
        if (!furthest || o.traced.column > furthest->traced.column)
            furthest = &o;
    std::FILE* grouping = furthest->traced.grouping;
    std::fseek(grouping, furthest->traced.groupingStart, SEEK_SET);
    for (int c; (c = std::getc(grouping)) != EOF && c != '\n';) {
    }
    copy(grouping);
}

// The trees of one line: the model the drawings and DOT read, each tree
// read once.
std::vector<GrammarTrees> treesOf(const Outcome (&outcomes)[3])
{
    std::vector<GrammarTrees> trees;
    for (int g = 0; g < 3; ++g) {
        const Outcome& o = outcomes[g];
        GrammarTrees t{grammars[g].name, o.program.accepted, o.program.value, o.program.column, 0, {}, {}};
        if (o.traceCut)
            t.traceStop = o.traced.column;
        for (auto [file, picture] : {std::pair{o.traced.tree, &t.expression}, std::pair{o.traced.rules, &t.rules}}) {
            if (file) {
                std::rewind(file);
                *picture = readPicture(file);
            }
        }
        trees.push_back(std::move(t));
    }
    return trees;
}

void explain(std::string_view line)
{
    Outcome outcomes[3];
    for (int g = 0; g < 3; ++g) {
        outcomes[g] = runBoth(g, line);
        if (!showDot)
            showOutcome(grammars[g], line, outcomes[g]);
    }
    if (showDot) {
        if (linesDrawn++ == 0)
            beginDot(stdout);
        writeDotLine(stdout, linesDrawn, line, treesOf(outcomes));
    } else {
        showSummary(outcomes);
        showWrapped(outcomes);
        if (showTree || showRuleTree) {
            std::vector<GrammarTrees> trees = treesOf(outcomes);
            if (showTree)
                showTrees(trees, false);
            if (showRuleTree)
                showTrees(trees, true);
        }
    }
    // A line at a time, also into a pipe: the reader need not wait for the next.
    flushStdout();
    for (Outcome& o : outcomes)
        for (std::FILE* file : {o.traced.grouping, o.traced.steps, o.traced.calls, o.traced.tree, o.traced.rules})
            if (file)
                std::fclose(file);
}

int finish()
{
    if (linesDrawn)
        endDot(stdout);
    return internalError ? internalFailure : 0;
}

std::string lineHint(const char* argument)
{
    return argument[1] == '-' ? "" : "A LINE that begins with '-' goes after '--'.";
}

// The options, GNU style: anywhere before "--", which ends them. Returns the
// LINEs.
std::vector<char*> readOptions(int argc, char** argv)
{
    enum { stepsOption = 256, traceOption, treeOption, dotOption };
    const option options[] = {
        {"steps", no_argument, nullptr, stepsOption},
        {"trace", no_argument, nullptr, traceOption},
        {"tree", optional_argument, nullptr, treeOption},
        {"dot", no_argument, nullptr, dotOption},
        helpOption,
        versionOption,
        {},
    };
    const OptionSet set{"calcexplain", options, usage, version, false, lineHint};
    std::vector<char*> lines;
    for (int c; (c = readOption(argc, argv, set, lines)) != -1;) {
        switch (c) {
        case stepsOption:
            showSteps = true;
            break;
        case traceOption:
            showCalls = true;
            break;
        case treeOption:
            if (!optarg || std::strcmp(optarg, "expr") == 0)
                showTree = true;
            else if (std::strcmp(optarg, "rules") == 0)
                showRuleTree = true;
            else
                usageError("calcexplain", "invalid argument " + quoted(optarg) +
                                              " for '--tree'\nValid arguments are 'expr' and 'rules'.");
            break;
        case dotOption:
            showDot = true;
            break;
        }
    }
    if (showDot && (showSteps || showCalls))
        usageError("calcexplain", std::string("--dot draws the trees and nothing else, not ") +
                                      (showSteps ? "--steps" : "--trace"));
    for (char* line : lines)
        if (std::strchr(line, '\n'))
            usageError("calcexplain", "a LINE that holds a newline: " + quoted(line) +
                                          "\nGive each line as a LINE of its own.");
    return lines;
}

}  // namespace

[[noreturn]] void systemFailure(const char* what)
{
    std::fprintf(stderr, "calcexplain: %s: %s\n", what, std::strerror(errno));
    std::exit(failure);
}

[[noreturn]] void runGrammar(int grammar, bool traced, std::FILE* result, const TraceViews& views)
{
    running = traced ? &grammars[grammar].traced : &grammars[grammar].program;
    runningTraced = traced;
    resultOut = result;
    if (traced)
        startTrace(views);
    // Registered before the program's main registers closeStdout, so that
    // it runs after it, however the program ends.
    std::atexit(reportResult);
    std::exit(running->main());
}

namespace {

int calcexplain(int argc, char** argv)
{
    // Before any descriptor of calcexplain's own is opened.
    holdStdoutOpen();
    std::atexit(closeStdout);
    std::vector<char*> lines = readOptions(argc, argv);

    bool separate = false;
    auto next = [&separate](std::string_view line) {
        if (separate)
            std::putchar('\n');
        separate = true;
        explain(line);
    };
    if (!lines.empty()) {
        for (char* line : lines)
            next(std::string(line) + '\n');
        return finish();
    }
    // Read through a stream of our own: the grammars' processes get a
    // standard input whose buffer this process has never touched.
    int fd = dup(STDIN_FILENO);
    lineInput = fd < 0 ? nullptr : fdopen(fd, "r");
    if (!lineInput)
        systemFailure("standard input");
    if (isatty(fd))
        std::fputs("calcexplain: explaining each line typed, until the end of input (Ctrl-D)\n", stderr);
    char* line = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&line, &capacity, lineInput)) > 0)
        next(std::string_view(line, static_cast<std::size_t>(length)));
    std::free(line);
    if (std::ferror(lineInput))
        systemFailure("standard input");
    return finish();
}

}  // namespace

int main(int argc, char** argv)
{
    runCalcexplain(calcexplain, argc, argv);
}

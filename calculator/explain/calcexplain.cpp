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
//
// Here the copies are run and their answers gathered into one model per
// line, which the views show: text.h, picture.h, json_view.h.

#include "closeout.h"
#include "echo.h"
#include "grammars.h"
#include "json_view.h"
#include "picture.h"
#include "run.h"
#include "spawn.h"
#include "text.h"
#include "usage.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <unistd.h>

std::FILE* lineInput;

namespace {

// Exit statuses, as --help and the manual page list them.
constexpr int failure = 1;          // output not written, input not read, no memory file
constexpr int internalFailure = 3;  // a self-check failed: calcexplain itself is wrong

const char* const tooDeep = "parse error: expression nested too deeply";

Settings settings;
bool internalError;
int linesDrawn;  // with --dot, in the one graph

Outcome runBoth(int g, std::string_view line)
{
    Outcome outcome{run(g, false, line, settings), run(g, true, line, settings), false, {}};
    if (!(outcome.traced == outcome.program)) {
        // Only the stack the trace takes may set the copies apart, and only
        // by stopping the traced one sooner.
        outcome.traceCut = outcome.traced.message == tooDeep &&
                           (outcome.program.accepted || outcome.traced.column < outcome.program.column);
        if (!outcome.traceCut)
            selfCheckFailed(std::string("the traced ") + grammarNames[g] + " and the program disagree");
    }
    // The rule is known where the trace followed the program to its end.
    if (outcome.program.message == "parse error" && outcome.program.column > 0)
        outcome.refusal = refusal(line, outcome.program.column, outcome.traceCut ? "" : outcome.traced.innermostRule);
    return outcome;
}

// The trees of one line: the model the drawings and DOT read, each tree
// read once.
std::vector<GrammarTrees> treesOf(const Outcome (&outcomes)[3])
{
    std::vector<GrammarTrees> trees;
    for (int g = 0; g < 3; ++g) {
        const Outcome& o = outcomes[g];
        GrammarTrees t{grammarNames[g], o.program.accepted, o.program.value, o.program.column, 0, {}, {}};
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
        if (!settings.dot && !settings.json)
            showOutcome(g, line, outcomes[g]);
    }
    if (settings.json) {
        addJsonLine(line, outcomes);
    } else if (settings.dot) {
        if (linesDrawn++ == 0)
            beginDot(stdout);
        writeDotLine(stdout, linesDrawn, line, treesOf(outcomes));
    } else {
        showSummary(outcomes);
        showWrapped(outcomes);
        if (settings.tree || settings.ruleTree) {
            std::vector<GrammarTrees> trees = treesOf(outcomes);
            if (settings.tree)
                showTrees(trees, false);
            if (settings.ruleTree)
                showTrees(trees, true);
        }
    }
    // A line at a time, also into a pipe: the reader need not wait for the next.
    flushStdout();
    for (Outcome& o : outcomes)
        for (std::FILE* file :
             {o.traced.grouping, o.traced.steps, o.traced.calls, o.traced.tree, o.traced.rules, o.traced.model})
            if (file)
                std::fclose(file);
}

int finish()
{
    if (linesDrawn)
        endDot(stdout);
    if (settings.json)
        writeJsonDocument();
    return internalError ? internalFailure : 0;
}

}  // namespace

void selfCheckFailed(const std::string& what)
{
    std::fprintf(stderr, "calcexplain: internal error: %s\n", what.c_str());
    internalError = true;
}

[[noreturn]] void systemFailure(const char* what)
{
    std::fprintf(stderr, "calcexplain: %s: %s\n", what, std::strerror(errno));
    std::exit(failure);
}

namespace {

int calcexplain(int argc, char** argv)
{
    // Before any descriptor of calcexplain's own is opened.
    holdStdoutOpen();
    std::atexit(closeStdout);
    std::vector<char*> lines = readOptions(argc, argv, settings);

    bool separate = false;
    auto next = [&separate](std::string_view line) {
        if (separate && !settings.json)
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

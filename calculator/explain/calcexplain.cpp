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
        outcome.refusal = refusal(line, outcome.program.column,
                                  outcome.traceCut || outcome.traced.model.innermostRule < 0
                                      ? ""
                                      : ruleNames[outcome.traced.model.innermostRule]);
    return outcome;
}

// The trees of one line: what the drawings and DOT show.
std::vector<GrammarTrees> treesOf(const Explained& explained)
{
    std::vector<GrammarTrees> trees;
    for (int g = 0; g < 3; ++g) {
        const Outcome& o = explained.outcomes[g];
        trees.push_back({grammarNames[g], o.program.accepted, o.program.value, o.program.column,
                         o.traceCut ? o.traced.column : 0, expressionPicture(o.traced.model),
                         rulePicture(o.traced.model)});
    }
    return trees;
}

// The line's model: each grammar's outcome, and what they make of the line
// together.
void explainLine(std::string_view line, Explained& explained)
{
    explained.line = line;
    explained.text = line.substr(0, line.find('\n'));
    for (int g = 0; g < 3; ++g)
        explained.outcomes[g] = runBoth(g, line);
    const Outcome(&outcomes)[3] = explained.outcomes;
    explained.agree = grammarsAgree(outcomes);
    bool traced = !outcomes[0].traceCut && !outcomes[1].traceCut && !outcomes[2].traceCut;
    explained.groupedDifferently =
        explained.agree && outcomes[0].program.accepted && traced &&
        (!sameGrouping(outcomes[0].traced.model, outcomes[1].traced.model) ||
         !sameGrouping(outcomes[0].traced.model, outcomes[2].traced.model));
    explained.furthest = 0;
    for (int g = 1; g < 3; ++g)
        if (outcomes[g].traced.column > outcomes[explained.furthest].traced.column)
            explained.furthest = g;
}

void explain(std::string_view line)
{
    Explained explained{};
    explainLine(line, explained);
    if (settings.json) {
        writeJsonLine(explained);
    } else if (settings.dot) {
        if (linesDrawn++ == 0)
            beginDot(stdout);
        writeDotLine(stdout, linesDrawn, line, treesOf(explained));
    } else {
        for (int g = 0; g < 3; ++g)
            showOutcome(g, explained, settings);
        showSummary(explained);
        showWrapped(explained);
        if (settings.tree || settings.ruleTree) {
            std::vector<GrammarTrees> trees = treesOf(explained);
            if (settings.tree)
                showTrees(trees, false);
            if (settings.ruleTree)
                showTrees(trees, true);
        }
    }
    // A line at a time, also into a pipe: the reader need not wait for the next.
    flushStdout();
    for (Outcome& o : explained.outcomes)
        if (o.traced.model.file)
            std::fclose(o.traced.model.file);
}

int finish()
{
    if (linesDrawn)
        endDot(stdout);
    if (settings.json)
        endJsonDocument();
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

// A run in a fresh instance of calcexplain, made by spawn.js, which copies
// the line into the instance's file system and its files back out: the
// copy's own code runs in it as in a forked process.

#include "spawn.h"
#include "run.h"

#include <cstdio>
#include <cstdlib>
#include <emscripten.h>

// The files are the in-memory file system's own.
std::FILE* memoryFile(const char*)
{
    return std::tmpfile();
}

// spawn.js; each file is a descriptor of this instance, or -1 for none.
extern "C" int calcexplainSpawn(int grammar, int traced, int input, int output, int result, int steps,
                                int calls, int tree, int rules, int model);

int spawnRun(int grammar, bool traced, const RunFiles& files)
{
    auto fd = [](std::FILE* file) { return file ? fileno(file) : -1; };
    std::fflush(files.input);
    return calcexplainSpawn(grammar, traced, fd(files.input), fd(files.output), fd(files.result),
                            fd(files.views.steps), fd(files.views.calls), fd(files.views.tree),
                            fd(files.views.rules), fd(files.views.model));
}

// The engine's stack, which the rules' calls run on, is the same in every
// instance.
void runCalcexplain(int (*body)(int, char**), int argc, char** argv)
{
    std::exit(body(argc, argv));
}

namespace {

// Where the fresh instance keeps a run's files, for spawn.js to copy.
std::FILE* runFile(const char* path, bool wanted)
{
    if (!wanted)
        return nullptr;
    std::FILE* file = std::fopen(path, "w+");
    if (!file)
        systemFailure(path);
    return file;
}

}  // namespace

// Called by spawn.js in the fresh instance, with the line in /tmp/input;
// `views` has a bit for each view wanted: steps 1, calls 2, tree 4, rules 8,
// model 16.
extern "C" EMSCRIPTEN_KEEPALIVE void calcexplainRunGrammar(int grammar, int traced, int views)
{
    if (!std::freopen("/tmp/input", "r", stdin))
        systemFailure("/tmp/input");
    std::FILE* result = runFile("/tmp/result", true);
    TraceViews files{runFile("/tmp/steps", views & 1), runFile("/tmp/calls", views & 2),
                     runFile("/tmp/tree", views & 4), runFile("/tmp/rules", views & 8),
                     runFile("/tmp/model", views & 16)};
    runGrammar(grammar, traced != 0, result, files);
}

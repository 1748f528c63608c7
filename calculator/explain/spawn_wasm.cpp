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
extern "C" int calcexplainSpawn(int grammar, int traced, int input, int output, int result, int model, int events,
                                int ruleTree);

int spawnRun(int grammar, bool traced, const RunFiles& files)
{
    auto fd = [](std::FILE* file) { return file ? fileno(file) : -1; };
    std::fflush(files.input);
    return calcexplainSpawn(grammar, traced, fd(files.input), fd(files.output), fd(files.result),
                            fd(files.recording.file), static_cast<int>(files.recording.events),
                            files.recording.ruleTree);
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
// `model` whether a model is recorded, `events` which events (EventsKept),
// `ruleTree` whether the tree of rule calls is.
extern "C" EMSCRIPTEN_KEEPALIVE void calcexplainRunGrammar(int grammar, int traced, int model, int events,
                                                           int ruleTree)
{
    if (!std::freopen("/tmp/input", "r", stdin))
        systemFailure("/tmp/input");
    std::FILE* result = runFile("/tmp/result", true);
    Recording recording{runFile("/tmp/model", model != 0), static_cast<EventsKept>(events), ruleTree != 0};
    runGrammar(grammar, traced != 0, result, recording);
}

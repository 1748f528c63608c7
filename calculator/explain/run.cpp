// Both sides of a run of one copy of a grammar. In the copy's process the
// program's own main runs on the line; as it exits, reportResult writes how
// far it read and, when traced, the rest of the model. Back in calcexplain,
// the program's output line, that report and the model make the Answer.

#include "run.h"

#include "grammars.h"
#include "spawn.h"
#include "trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const char* const tooDeep = "parse error: expression nested too deeply";

namespace {

// In WebAssembly the bound is fixed.
#ifdef __EMSCRIPTEN__
const char* const raiseTraceBound = "";
#else
const char* const raiseTraceBound = ": ulimit -s raises it";
#endif

// A grammar's main and look-ahead, in one of its two copies.
struct Copy {
    int (*main)();
    int* token;
};

struct Grammar {
    Copy program;  // untraced, built as the program is
    Copy traced;
};

const Grammar grammars[] = {
    {{untraced::calcloop::main, &untraced::calcloop::token}, {calcloop::main, &calcloop::token}},
    {{untraced::calcminusrec::main, &untraced::calcminusrec::token}, {calcminusrec::main, &calcminusrec::token}},
    {{untraced::calcrec::main, &untraced::calcrec::token}, {calcrec::main, &calcrec::token}},
};

std::FILE* newMemoryFile(const char* name)
{
    std::FILE* file = memoryFile(name);
    if (!file)
        systemFailure("memory file");
    return file;
}

// After a run, in the grammar's process: how far it read and, when traced,
// the model's tail.
const Copy* running;
bool runningTraced;
std::FILE* resultOut;

void reportResult()
{
    // The program read up to and including the character it stopped at,
    // unless it met the end of the input, which lies one column further on.
    long consumed = std::ftell(stdin);
    std::fprintf(resultOut, "%ld\n", *running->token == EOF ? consumed + 1 : consumed);
    std::fflush(resultOut);
    if (runningTraced)
        endTrace();
}

}  // namespace

bool operator==(const Answer& a, const Answer& b)
{
    if (a.accepted || b.accepted)
        return a.accepted == b.accepted && a.value == b.value;
    return a.message == b.message && a.column == b.column;
}

std::string traceStopNote(const Outcome& outcome)
{
    return "the trace stops at depth " + std::to_string(outcome.traced.model.innermostDepth) + ", column " +
           std::to_string(outcome.traced.column) + raiseTraceBound;
}

bool grammarsAgree(const Outcome (&outcomes)[3])
{
    bool agree = true;
    for (const Outcome& o : outcomes)
        agree = agree && o.program.accepted == outcomes[0].program.accepted &&
                (!o.program.accepted || o.program.value == outcomes[0].program.value);
    return agree;
}

// The nodes lie in the order computed, each subtree's after its operands':
// the same operators and numbers in the same order are the same trees.
bool sameGrouping(const Model& a, const Model& b)
{
    if (a.nodes.size() != b.nodes.size() || a.roots.size() != b.roots.size())
        return false;
    for (std::size_t i = 0; i < a.nodes.size(); ++i) {
        const ExprNode& x = a.nodes[i];
        const ExprNode& y = b.nodes[i];
        if (x.op != y.op || (!x.op && std::strcmp(digitsOf(a, x), digitsOf(b, y)) != 0))
            return false;
    }
    return true;
}

Answer run(int g, bool traced, std::string_view line, const Settings& settings)
{
    std::FILE* input = newMemoryFile("line");
    std::FILE* output = newMemoryFile("output");
    std::FILE* result = newMemoryFile("result");
    Answer answer{false, 0, {}, false, {}, 0, {}};
    Recording recording{nullptr, EventsKept::none, false};
    if (traced) {
        recording.file = newMemoryFile("model");
        recording.events = settings.trace ? EventsKept::all : settings.json ? EventsKept::first : EventsKept::none;
        recording.ruleTree = settings.ruleTree || settings.dot || settings.json;
    }
    std::fwrite(line.data(), 1, line.size(), input);
    std::fflush(input);
    std::rewind(input);

    int status = spawnRun(g, traced, {input, output, result, recording});
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
        answer.parseError = true;
        answer.detail = text + 11;
    } else {
        answer.message = status < 0 ? "crashed with signal " + std::to_string(-status)
                                    : "failed with exit status " + std::to_string(status);
        selfCheckFailed(std::string(grammarNames[g]) + (traced ? ", traced, " : " ") + answer.message);
    }
    std::rewind(result);
    bool reported = std::fscanf(result, "%ld", &answer.column) == 1;
    std::fclose(result);
    answer.model.innermostRule = -1;
    if (traced && !readModel(recording.file, answer.model))
        reported = false;
    if (!reported)
        selfCheckFailed(std::string(grammarNames[g]) + ": no account of where the run stopped");
    return answer;
}

[[noreturn]] void runGrammar(int grammar, bool traced, std::FILE* result, const Recording& recording)
{
    running = traced ? &grammars[grammar].traced : &grammars[grammar].program;
    runningTraced = traced;
    resultOut = result;
    if (traced)
        startTrace(recording);
    // Registered before the program's main registers closeStdout, so that
    // it runs after it, however the program ends.
    std::atexit(reportResult);
    std::exit(running->main());
}

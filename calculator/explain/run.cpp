// Both sides of a run of one copy of a grammar. In the copy's process the
// program's own main runs on the line; as it exits, reportResult writes how
// far it read and, when traced, where its rules stood and the grouping. Back
// in calcexplain, the program's output line and that report make the Answer.

#include "run.h"

#include "grammars.h"
#include "spawn.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// In WebAssembly the bound is fixed.
#ifdef __EMSCRIPTEN__
const char* const raiseTraceBound = "";
#else
const char* const raiseTraceBound = ": ulimit -s raises it";
#endif

namespace {

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

}  // namespace

bool operator==(const Answer& a, const Answer& b)
{
    if (a.accepted || b.accepted)
        return a.accepted == b.accepted && a.value == b.value;
    return a.message == b.message && a.column == b.column;
}

bool grammarsAgree(const Outcome (&outcomes)[3])
{
    bool agree = true;
    for (const Outcome& o : outcomes)
        agree = agree && o.program.accepted == outcomes[0].program.accepted &&
                (!o.program.accepted || o.program.value == outcomes[0].program.value);
    return agree;
}

Answer run(int g, bool traced, std::string_view line, const Settings& settings)
{
    std::FILE* input = newMemoryFile("line");
    std::FILE* output = newMemoryFile("output");
    std::FILE* result = newMemoryFile("result");
    Answer answer{false, 0, {}, 0, {}, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr};
    if (traced) {
        answer.steps = settings.steps ? newMemoryFile("steps") : nullptr;
        answer.calls = settings.calls ? newMemoryFile("trace") : nullptr;
        answer.tree = settings.tree || settings.dot ? newMemoryFile("tree") : nullptr;
        answer.rules = settings.ruleTree || settings.dot ? newMemoryFile("rules") : nullptr;
        answer.model = settings.json ? newMemoryFile("model") : nullptr;
    }
    std::fwrite(line.data(), 1, line.size(), input);
    std::fflush(input);
    std::rewind(input);

    int status = spawnRun(g, traced, {input, output, result, {answer.steps, answer.calls, answer.tree, answer.rules, answer.model}});
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
        selfCheckFailed(std::string(grammarNames[g]) + (traced ? ", traced, " : " ") + answer.message);
    }
    std::rewind(result);
    char rule[32] = {};
    if (std::fscanf(result, "%ld", &answer.column) != 1 ||
        (traced && std::fscanf(result, "%zu %31s", &answer.depth, rule) != 2))
        selfCheckFailed(std::string(grammarNames[g]) + ": no account of where the run stopped");
    std::fgetc(result);  // the newline before the grouping
    answer.innermostRule = rule;
    answer.groupingStart = std::ftell(result);
    if (traced)
        answer.grouping = result;
    else
        std::fclose(result);
    for (std::FILE* file : {answer.steps, answer.calls, answer.tree, answer.rules, answer.model})
        if (file)
            std::rewind(file);
    return answer;
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

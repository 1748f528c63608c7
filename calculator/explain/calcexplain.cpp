// calcexplain: one line through the three calculators' grammars, showing how
// each groups it, in what order it computes, and where it stops.
//
// Each grammar runs in a process of its own, forked for the line: its own
// main reads the line from standard input and prints its own answer, and an
// error ends that process as it ends the program. The trace hooks write what
// they saw to temporary files, which this process reads once the run is over.

#include "closeout.h"
#include "grammars.h"
#include "trace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdio_ext.h>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Grammar {
    const char* name;
    int (*main)();
    int* token;
};

const Grammar grammars[] = {
    {"calcloop", calcloop::main, &calcloop::token},
    {"calcminusrec", calcminusrec::main, &calcminusrec::token},
    {"calcrec", calcrec::main, &calcrec::token},
};

constexpr int nameWidth = 14;  // "calcminusrec: "

bool showSteps;
bool showCalls;
bool internalError;  // a grammar's run failed in a way no program should
std::FILE* lineInput;  // standard input, when the lines come from there

const char usage[] =
    "Usage: calcexplain [--steps] [--trace] [--] [LINE]...\n"
    "Explain how calcloop, calcminusrec and calcrec read each LINE (typed as if\n"
    "ended by a newline), or each line of standard input if no LINE is given:\n"
    "the line fully parenthesised as each grammar groups it, and its value, or\n"
    "where the grammar rejects it.\n"
    "\n"
    "  --steps   also list each grammar's arithmetic steps in the order it does them\n"
    "  --trace   also show each grammar's rules as they run: the look-ahead on entry\n"
    "            and the value on return\n"
    "  --help    show this help and exit\n"
    "\n"
    "Exit status: 0 (a line that a grammar rejects is not an error), 1 on a write\n"
    "error, 2 on a usage error.\n";

// What one grammar made of one line.
struct Outcome {
    bool accepted;
    int value;
    std::string message;  // the program's own error line, without its newline
    long column;          // 1-based: the character at which it stopped
    std::FILE* grouping;  // the fully parenthesised line, when accepted
    std::FILE* steps;
    std::FILE* calls;
};

// After a run, in the grammar's process: how far it read, and the grouping.
const Grammar* running;
std::FILE* resultOut;

void reportResult()
{
    // The program read up to and including the character it stopped at,
    // unless it met the end of the input, which lies one column further on.
    long consumed = std::ftell(stdin);
    std::fprintf(resultOut, "%ld\n", *running->token == EOF ? consumed + 1 : consumed);
    writeGrouping(resultOut);
    std::fflush(resultOut);
}

std::FILE* scratch()
{
    std::FILE* file = std::tmpfile();
    if (!file) {
        std::perror("calcexplain: temporary file");
        std::exit(1);
    }
    return file;
}

// Runs one grammar's program on `line` in a forked process. The files are
// rewound, ready to read.
Outcome run(const Grammar& grammar, std::string_view line)
{
    std::FILE* input = scratch();
    std::FILE* output = scratch();
    std::FILE* result = scratch();
    Outcome outcome{false, 0, {}, 0, result, showSteps ? scratch() : nullptr, showCalls ? scratch() : nullptr};
    std::fwrite(line.data(), 1, line.size(), input);
    std::fflush(input);
    std::rewind(input);
    std::fflush(stdout);  // or the process would write what is buffered once more

    pid_t pid = fork();
    if (pid < 0) {
        std::perror("calcexplain: fork");
        std::exit(1);
    }
    if (pid == 0) {
        dup2(fileno(input), STDIN_FILENO);
        dup2(fileno(output), STDOUT_FILENO);
        // The program's standard output starts afresh: nothing of this
        // process's output, and none of its errors.
        __fpurge(stdout);
        std::clearerr(stdout);
        // Nor may it touch the lines still to come: at exit, a stream with
        // input read ahead seeks its file back, and that file's offset is
        // shared with this process.
        if (lineInput)
            __fpurge(lineInput);
        running = &grammar;
        resultOut = result;
        startTrace(outcome.steps, outcome.calls);
        // Registered before the program's main registers closeStdout, so
        // that it runs after it, however the program ends.
        std::atexit(reportResult);
        std::exit(grammar.main());
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::fclose(input);

    std::rewind(output);
    char text[256] = {};
    std::size_t length = std::fread(text, 1, sizeof text - 1, output);
    std::fclose(output);
    text[length] = '\0';
    if (char* newline = std::strchr(text, '\n'))
        *newline = '\0';
    for (std::FILE* file : {outcome.grouping, outcome.steps, outcome.calls})
        if (file)
            std::rewind(file);

    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::sscanf(text, "The result is: %d", &outcome.value) == 1) {
        outcome.accepted = true;
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 1 && std::strncmp(text, "parse error", 11) == 0) {
        outcome.message = text;
    } else {
        internalError = true;
        outcome.message = WIFSIGNALED(status) ? "crashed with signal " + std::to_string(WTERMSIG(status))
                                              : "failed with exit status " + std::to_string(WEXITSTATUS(status));
    }
    if (std::fscanf(result, "%ld", &outcome.column) == 1)
        std::fgetc(result);  // the newline after the column
    return outcome;
}

void copy(std::FILE* from)
{
    static char buffer[1 << 16];  // not on the stack, which may be small
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0)
        std::fwrite(buffer, 1, n, stdout);
}

// The line under the summary with a caret under column `column`: at most a
// window of it when it is long, each byte shown as one character.
void showColumn(std::string_view line, long column)
{
    std::size_t end = line.find('\n');
    std::string_view text = line.substr(0, end);
    constexpr std::size_t window = 60;
    auto at = static_cast<std::size_t>(column - 1);
    std::size_t from = at > window / 2 ? at - window / 2 : 0;
    std::size_t to = std::min(text.size(), from + window);
    std::printf("%*s", nameWidth + 2, "");
    if (from > 0)
        std::fputs("...", stdout);
    for (std::size_t i = from; i < to; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        std::putchar(c == '\t' ? ' ' : c >= ' ' && c < 0x7f ? c : '?');
    }
    if (to < text.size())
        std::fputs("...", stdout);
    std::printf("\n%*s%*s^\n", nameWidth + 2, "", static_cast<int>(at - from + (from > 0 ? 3 : 0)), "");
}

void showOutcome(const Grammar& grammar, std::string_view line, const Outcome& outcome)
{
    std::printf("%-*s", nameWidth, (std::string(grammar.name) + ":").c_str());
    if (outcome.accepted) {
        copy(outcome.grouping);
        std::printf(" = %d\n", outcome.value);
    } else if (outcome.message.rfind("parse error", 0) == 0 && outcome.column > 0) {
        std::string_view detail = std::string_view(outcome.message).substr(std::strlen("parse error"));
        std::printf("parse error at column %ld%.*s\n", outcome.column, static_cast<int>(detail.size()), detail.data());
        showColumn(line, outcome.column);
    } else {
        std::printf("%s\n", outcome.message.c_str());
    }
    if (outcome.steps)
        copy(outcome.steps);
    if (outcome.calls)
        copy(outcome.calls);
}

void describe(std::string& out, const Outcome& outcome)
{
    out += outcome.accepted ? std::to_string(outcome.value) : "rejects it";
}

void explain(std::string_view line)
{
    Outcome outcomes[3];
    for (int g = 0; g < 3; ++g) {
        outcomes[g] = run(grammars[g], line);
        showOutcome(grammars[g], line, outcomes[g]);
    }
    bool agree = true;
    for (const Outcome& o : outcomes)
        agree = agree && o.accepted == outcomes[0].accepted && (!o.accepted || o.value == outcomes[0].value);
    if (!agree) {
        std::string summary = "The grammars disagree:";
        for (int g = 0; g < 3; ++g) {
            summary += g ? ", " : " ";
            summary += grammars[g].name;
            summary += ' ';
            describe(summary, outcomes[g]);
        }
        std::printf("%s.\n", summary.c_str());
    }
    for (Outcome& o : outcomes)
        for (std::FILE* file : {o.grouping, o.steps, o.calls})
            if (file)
                std::fclose(file);
}

[[noreturn]] void usageError(const char* what, const char* argument)
{
    std::fprintf(stderr, "calcexplain: %s '%s'\nTry 'calcexplain --help'.\n", what, argument);
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    // Before the temporary files are opened.
    holdStdoutOpen();
    std::atexit(closeStdout);
    int first = 1;
    for (; first < argc && argv[first][0] == '-' && argv[first][1] == '-'; ++first) {
        std::string_view option = argv[first];
        if (option == "--") {
            ++first;
            break;
        }
        if (option == "--steps")
            showSteps = true;
        else if (option == "--trace")
            showCalls = true;
        else if (option == "--help") {
            std::fputs(usage, stdout);
            return 0;
        } else
            usageError("unknown option", argv[first]);
    }

    bool separate = false;
    auto next = [&separate](std::string_view line) {
        if (separate)
            std::putchar('\n');
        separate = true;
        explain(line);
    };
    if (first < argc) {
        for (int i = first; i < argc; ++i)
            next(std::string(argv[i]) + '\n');
    } else {
        // Read through a stream of our own: the grammars' processes get a
        // standard input whose buffer this process has never touched.
        lineInput = fdopen(dup(STDIN_FILENO), "r");
        char* line = nullptr;
        std::size_t capacity = 0;
        ssize_t length;
        while (lineInput && (length = getline(&line, &capacity, lineInput)) > 0)
            next(std::string_view(line, static_cast<std::size_t>(length)));
        std::free(line);
    }
    return internalError ? 1 : 0;
}

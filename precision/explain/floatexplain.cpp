// floatexplain: how the precision programs' single-precision arithmetic
// rounds, step by step and exactly. The steps are made by the programs' own
// sections and arithmetic; floatexplain only measures them.

#include "closeout.h"
#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

const char usage[] =
    "Usage: floatexplain COMMAND [OPTION]...\n"
    "Show how precision3, precision2 and precisionx round, step by step and exactly.\n"
    "\n"
    "Commands:\n"
    "  sum            each step of a harmonic sum of part 1: the term 1/i as stored,\n"
    "                 the sum after it, its unit in the last place (ulp) and the\n"
    "                 step's rounding error in ulps; then a summary\n"
    "  tenths         the ten additions of the tenth of part 2, each rounding exactly\n"
    "  distributive   the operations of part 3, each rounding exactly\n"
    "\n"
    "Options of sum:\n"
    "  --from L       the first i (default 2000)\n"
    "  --to H         the last i (default 10000000; at most 16777216, 2^24)\n"
    "  --decreasing   add from H down to L, as the decreasing passes do\n"
    "  --extended     as precisionx: each step with a 64-bit significand, stored in\n"
    "                 single precision; the two roundings are shown apart\n"
    "  --every N      show the steps where i is a multiple of N, besides the first,\n"
    "                 the last and the notable ones (default: every step of a range\n"
    "                 of at most 1000, else about 100 of them)\n"
    "  --summary      show the summary only\n"
    "  --data         tab-separated columns, for plotting: i, the sum, the exact\n"
    "                 sum and the sum's error in ulps\n"
    "Options of tenths:\n"
    "  --extended     as precisionx adds them\n"
    "\n"
    "  --help         show this help and exit\n"
    "\n"
    "Exit status: 0, 1 on a write error, 2 on a usage error.\n";

}  // namespace

void usageError(const char* what, const char* argument)
{
    if (argument)
        std::fprintf(stderr, "floatexplain: %s '%s'\n", what, argument);
    else
        std::fprintf(stderr, "floatexplain: %s\n", what);
    std::fprintf(stderr, "Try 'floatexplain --help'.\n");
    std::exit(2);
}

bool isOption(const char* argument, const char* name)
{
    std::size_t length = std::strlen(name);
    return std::strncmp(argument, name, length) == 0 && (argument[length] == '\0' || argument[length] == '=');
}

int numberOption(int argc, char** argv, int& index, const char* name, long low, long high)
{
    const char* text = argv[index] + std::strlen(name);
    if (*text == '=') {
        ++text;
    } else {
        if (index + 1 >= argc)
            usageError("missing value for", name);
        text = argv[++index];
    }
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < low || value > high) {
        char what[96];
        std::snprintf(what, sizeof what, "%s takes a whole number from %ld to %ld, not", name, low, high);
        usageError(what, text);
    }
    return static_cast<int>(value);
}

int main(int argc, char** argv)
{
    // Before part2 and part3 are run with their output set aside.
    holdStdoutOpen();
    std::atexit(closeStdout);
    if (argc < 2)
        usageError("missing command", nullptr);
    std::string_view command = argv[1];
    if (command == "--help") {
        std::fputs(usage, stdout);
        return 0;
    }
    for (int index = 2; index < argc; ++index) {
        if (std::string_view(argv[index]) == "--help") {
            std::fputs(usage, stdout);
            return 0;
        }
    }
    if (command == "sum")
        return sumCommand(argc - 2, argv + 2);
    if (command == "tenths")
        return tenthsCommand(argc - 2, argv + 2);
    if (command == "distributive")
        return distributiveCommand(argc - 2, argv + 2);
    if (command == "value")
        return valueCommand(argc - 2, argv + 2);
    if (command == "op")
        return opCommand(argc - 2, argv + 2);
    usageError(command[0] == '-' ? "unknown option" : "unknown command", argv[1]);
}

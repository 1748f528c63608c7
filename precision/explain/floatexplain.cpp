// floatexplain: how the precision programs' single-precision arithmetic
// rounds, step by step and exactly. The steps are made by the programs' own
// sections and arithmetic; floatexplain only measures them.

#include "closeout.h"
#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char usage[] =
    "Usage: floatexplain COMMAND [OPTION]...\n"
    "Show how precision3, precision2 and precisionx round, step by step and exactly.\n"
    "\n"
    "Commands:\n"
    "  sum            each step of a harmonic sum of part 1: the term 1/i as stored,\n"
    "                 the sum after it, its unit in the last place (ulp) and the\n"
    "                 step's rounding error in ulps; then a summary, with the\n"
    "                 phases of each binade the sum crosses\n"
    "  tenths         the ten additions of the tenth of part 2, each rounding exactly\n"
    "  distributive   the operations of part 3, each rounding exactly\n"
    "  value X...     each number as single precision stores it: its bits, exact\n"
    "                 value, rounding, ulp and neighbours; X is a decimal (0.1,\n"
    "                 1e-45, -0.0), a fraction p/q, a bit pattern 0x3dcccccd, inf\n"
    "                 or nan\n"
    "  op A OP B      one operation (+, -, * or /) on two singles: the exact\n"
    "                 result, the single it rounds to, the error and its direction\n"
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
    "  --wide         the full table, wider than 80 columns: the term's bits (to\n"
    "                 64 bits with --extended) and the notes beside each step\n"
    "Options of tenths:\n"
    "  --extended     as precisionx adds them\n"
    "  --wide         the full table, wider than 80 columns\n"
    "Options of distributive:\n"
    "  --wide         the full table, wider than 80 columns\n"
    "Options of value and op:\n"
    "  --extended     also as precisionx: to a 64-bit significand, then stored\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Examples:\n"
    "  floatexplain sum --summary            where precision3's longest sum stalls\n"
    "  floatexplain value 0.1 1/3 16777217   three numbers as a single stores them\n"
    "  floatexplain op 0.1 '*' 10            one rounding that lands on exactly 1\n"
    "\n"
    "Exit status: 0 on success, 1 on a write error, 2 on a usage error,\n"
    "3 if a self-check fails (floatexplain disagrees with the programs).\n";

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const option* options;
};

// The commands, in the order --help lists them.
const Command commands[] = {
    {"sum", sumCommand, sumOptions},
    {"tenths", tenthsCommand, tenthsOptions},
    {"distributive", distributiveCommand, distributiveOptions},
    {"value", valueCommand, valueOptions},
    {"op", opCommand, opOptions},
};

[[noreturn]] void showHelp()
{
    std::fputs(usage, stdout);
    std::exit(0);
}

[[noreturn]] void showVersion()
{
    std::printf("floatexplain (teaching programs) %s\n", PROJECT_VERSION);
    std::exit(0);
}

bool hasOption(const option* options, const std::string& name)
{
    for (; options->name; ++options) {
        if (name == options->name && options->val != helpOption.val && options->val != versionOption.val)
            return true;
    }
    return false;
}

// The commands that have the option `--name`: "sum, tenths and op", or "".
std::string owners(const std::string& name)
{
    std::vector<std::string> names;
    for (const Command& command : commands) {
        if (hasOption(command.options, name))
            names.push_back(command.name);
    }
    std::string text;
    for (std::size_t n = 0; n < names.size(); ++n)
        text += (n == 0 ? "" : n + 1 == names.size() ? " and " : ", ") + names[n];
    return text;
}

// The option's name from "--name=value" or "--name".
std::string optionName(const char* argument)
{
    std::string name = argument;
    name.erase(0, name.find_first_not_of('-'));
    return name.substr(0, name.find('='));
}

// An option before the command.
[[noreturn]] void misplacedBeforeCommand(const char* argument)
{
    std::string name = optionName(argument);
    std::string commandsWithIt = owners(name);
    if (commandsWithIt.empty())
        usageError("unknown option", argument);
    std::string what = "--" + name + " is an option of " + commandsWithIt + ": give it after the command, as in";
    std::string example = "floatexplain " + commandsWithIt.substr(0, commandsWithIt.find_first_of(", ")) + " " + argument;
    usageError(what.c_str(), example.c_str());
}

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

int nextOption(int argc, char** argv, const option* options)
{
    opterr = 0;  // the messages are floatexplain's own
    int code = getopt_long(argc, argv, ":h", options, nullptr);
    if (code == 'h')
        showHelp();
    if (code == versionOption.val)
        showVersion();
    if (code == ':') {
        std::string what = "--" + optionName(argv[optind - 1]) + " needs a value, as in";
        std::string example = "--" + optionName(argv[optind - 1]) + "=5";
        usageError(what.c_str(), example.c_str());
    }
    if (code == '?') {
        // A short option is named by optopt: its argument may hold more.
        if (optopt) {
            const char shortOption[] = {'-', static_cast<char>(optopt), '\0'};
            usageError("unknown option", shortOption);
        }
        const char* argument = argv[optind - 1];
        std::string commandsWithIt = owners(optionName(argument));
        if (commandsWithIt.empty())
            usageError("unknown option", argument);
        std::string what = "--" + optionName(argument) + " is an option of " + commandsWithIt + ", not of " + argv[0];
        usageError(what.c_str(), nullptr);
    }
    return code;
}

int numberOption(const char* command, const char* argument, const option* options)
{
    std::string text = argument;
    if (text == "-h")
        showHelp();
    if (text.rfind("--", 0) != 0)
        return 0;
    for (; options->name; ++options) {
        if (text == std::string("--") + options->name) {
            if (options->val == helpOption.val)
                showHelp();
            if (options->val == versionOption.val)
                showVersion();
            return options->val;
        }
    }
    std::string commandsWithIt = owners(optionName(argument));
    if (commandsWithIt.empty())
        usageError("unknown option", argument);
    std::string what = "--" + optionName(argument) + " is an option of " + commandsWithIt + ", not of " + command;
    usageError(what.c_str(), nullptr);
}

void noMoreArguments(int argc, char** argv)
{
    if (optind < argc)
        usageError("unexpected argument", argv[optind]);
}

int numberValue(const char* name, const char* text, long low, long high)
{
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
    std::string first = argv[1];
    if (first == "-h" || first == "--help")
        showHelp();
    if (first == "--version")
        showVersion();
    for (const Command& command : commands) {
        if (first == command.name)
            return command.run(argc - 1, argv + 1);
    }
    if (first[0] == '-')
        misplacedBeforeCommand(argv[1]);
    usageError("unknown command", argv[1]);
}

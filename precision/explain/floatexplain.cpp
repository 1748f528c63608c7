// floatexplain: how the precision programs' single-precision arithmetic
// rounds, step by step and exactly. The steps are made by the programs' own
// sections and arithmetic; floatexplain only measures them.

#include "characters.h"
#include "closeout.h"
#include "commands.h"
#include "numbers.h"
#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

const char usage[] =
    "Usage: floatexplain [--json] COMMAND [OPTION]...\n"
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
    "  -f, --format=F what if the programs had added in half, bfloat16 or double:\n"
    "                 the summary, each term 1/i rounded once; i from 1 to 2048 in\n"
    "                 half, 256 in bfloat16, as in single in double\n"
    "Options of tenths:\n"
    "  --extended     as precisionx adds them\n"
    "  --wide         the full table, wider than 80 columns\n"
    "  -f, --format=F what if part 2 had added the tenth in half, bfloat16 or double\n"
    "Options of distributive:\n"
    "  --wide         the full table, wider than 80 columns\n"
    "Options of value and op:\n"
    "  --extended     also as precisionx: to a 64-bit significand, then stored\n"
    "  -f, --format=F the format the numbers are stored in: half (16 bits),\n"
    "                 bfloat16 (16 bits, single's range), single (32 bits, the\n"
    "                 programs' own and the default) or double (64 bits)\n"
    "Option of value, op, tenths and sum (with --summary), also before the command:\n"
    "  --json         the same facts as one JSON document, every exact value in\n"
    "                 full (docs/schemas/floatexplain.schema.json)\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Examples:\n"
    "  floatexplain sum --summary            where precision3's longest sum stalls\n"
    "  floatexplain value 0.1 1/3 16777217   three numbers as a single stores them\n"
    "  floatexplain op 0.1 '*' 10            one rounding that lands on exactly 1\n"
    "  floatexplain sum -f half              where the harmonic sum stalls in half\n"
    "  floatexplain value -f half 65520      past the largest half: infinity\n"
    "  floatexplain value -f bfloat16 0.1    0.1 with 8 significant bits\n"
    "  floatexplain op -f double 0.1 + 0.2   why 0.1 + 0.2 is not 0.3 in double\n"
    "\n"
    "Exit status: 0 on success, 1 on a write error, 2 on a usage error,\n"
    "3 if a self-check fails (floatexplain disagrees with the programs).\n";

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const option* options;
    bool json;  // whether it writes --json
};

// The commands, in the order --help lists them.
const Command commands[] = {
    {"sum", sumCommand, sumOptions, true},
    {"tenths", tenthsCommand, tenthsOptions, true},
    {"distributive", distributiveCommand, distributiveOptions, false},
    {"value", valueCommand, valueOptions, true},
    {"op", opCommand, opOptions, true},
};

const char version[] = "floatexplain (teaching programs) " PROJECT_VERSION "\n";

const char* commandRead;  // the command whose options are read, once known

// The one option that `--name` names in some command's table, in full or
// by a prefix: "" if none does, or more than one.
std::string fullName(const std::string& name)
{
    std::vector<const char*> names;
    for (const Command& command : commands) {
        for (const option* o = command.options; o->name; ++o)
            if (o->val != helpOption.val && o->val != versionOption.val)
                names.push_back(o->name);
    }
    std::vector<std::size_t> found = namedBy(names, name);
    return found.size() == 1 ? names[found[0]] : "";
}

// The commands that have the option `--name`: "sum, tenths and op".
std::string owners(const std::string& name)
{
    std::vector<std::string> names;
    for (const Command& command : commands) {
        for (const option* o = command.options; o->name; ++o)
            if (name == o->name)
                names.push_back(command.name);
    }
    std::string text;
    for (std::size_t n = 0; n < names.size(); ++n)
        text += (n == 0 ? "" : n + 1 == names.size() ? " and " : ", ") + names[n];
    return text;
}

// Where an unknown option belongs, if some command has it.
std::string placeHint(const char* argument)
{
    std::string name = argument;
    if (name.rfind("--", 0) != 0)
        return "";
    name = fullName(name.substr(2, name.find('=') - 2));
    if (name.empty())
        return "";
    std::string commandsWithIt = owners(name);
    std::string where = "--" + name + " is an option of " + commandsWithIt;
    if (commandRead)
        return where + ", not of " + commandRead + ".";
    std::string example = commandsWithIt.substr(0, commandsWithIt.find_first_of(", ")) + " " + argument;
    return where + ".\nGive it after the command, as in " + quoted("floatexplain " + example) + ".";
}

std::vector<char*> operandsRead;

int readCommandOption(int argc, char** argv, const option* options, bool signedOperands,
                      std::vector<char*>& operands)
{
    commandRead = argv[0];
    bool format = false;
    for (const option* o = options; o->name; ++o)
        format = format || o->val == formatOption.val;
    const OptionSet set{"floatexplain", options, usage, version, signedOperands, placeHint, false, format ? "f:" : ""};
    return readOption(argc, argv, set, operands);
}

}  // namespace

void usageError(const char* what, const char* argument)
{
    ::usageError("floatexplain", argument ? std::string(what) + " " + quoted(argument) : what);
}

int nextOption(int argc, char** argv, const option* options)
{
    return readCommandOption(argc, argv, options, false, operandsRead);
}

int nextNumberOption(int argc, char** argv, const option* options, std::vector<char*>& numbers)
{
    return readCommandOption(argc, argv, options, true, numbers);
}

void noMoreArguments(int, char**)
{
    if (!operandsRead.empty())
        usageError("unexpected argument", operandsRead.front());
}

int numberValue(const char* name, const char* text, long low, long high)
{
    std::optional<long long> value = readWhole(text, low, high);
    if (!value) {
        char what[96];
        std::snprintf(what, sizeof what, "%s takes a whole number, %ld to %ld:", name, low, high);
        usageError(what, text);
    }
    return static_cast<int>(*value);
}

const Format& formatValue(const char* text)
{
    const Format* format = formatNamed(text);
    if (!format)
        usageError("--format is half, bfloat16, single or double, not", text);
    return *format;
}

const Format& readNumberOptions(int argc, char** argv, const option* options, std::vector<char*>& numbers,
                                bool& extended)
{
    const Format* format = &singleFormat;
    for (int code; (code = nextNumberOption(argc, argv, options, numbers)) != -1;) {
        if (readJsonOption(code))
            continue;
        if (code == formatOption.val)
            format = &formatValue(optarg);
        else
            extended = true;
    }
    if (extended && format != &singleFormat)
        usageError("--extended is precisionx's arithmetic, which stores in single precision:\nnot with --format",
                   format->name);
    return *format;
}

int main(int argc, char** argv)
{
    // Before part2 and part3 are run with their output set aside.
    holdStdoutOpen();
    std::atexit(closeStdout);
    // Before the command only --help, -h, --version, --json and "--" may
    // stand: read one argument at a time, up to the command.
    const option topOptions[] = {helpOption, versionOption, jsonOption, {}};
    const OptionSet top{"floatexplain", topOptions, usage, version, false, placeHint};
    std::vector<char*> rest;
    while (optind < argc && rest.empty()) {
        int code = readOption(optind + 1, argv, top, rest);
        if (code != -1)
            readJsonOption(code);  // the only option left
        else if (rest.empty())
            break;  // after "--"
    }
    int first = optind - static_cast<int>(rest.size());
    if (first >= argc)
        usageError("missing command", nullptr);
    optind = 1;  // the command's options are read from its own name on
    for (const Command& command : commands) {
        if (std::strcmp(argv[first], command.name) != 0)
            continue;
        if (jsonOutput && !command.json)
            usageError("--json is not an option of", command.name);
        return command.run(argc - first, argv + first);
    }
    usageError("unknown command", argv[first]);
}

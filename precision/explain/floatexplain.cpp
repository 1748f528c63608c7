// floatexplain: how the precision programs' single-precision arithmetic
// rounds, step by step and exactly. The steps are made by the programs' own
// sections and arithmetic; floatexplain only measures them.

#include "characters.h"
#include "closeout.h"
#include "json.h"
#include "commands.h"
#include "numbers.h"
#include "options.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Each option once, per command: getopt's tables, the help's lines,
// --options-json. --json is the same wherever it stands.
constexpr OptionSpec jsonSpec{
    .name = "json",
    .code = jsonCode,
    .takes = Takes::optional,
    .placeholder = "LAYOUT",
    .values = jsonLayouts,
    .bare = "compact",
    .help = "the same facts as one JSON document, every exact value\n"
            "in full (docs/schemas/floatexplain.schema.json): on one line\n"
            "(LAYOUT compact, the default) or indented (pretty)"};
constexpr OptionSpec formatSpec{.name = "format",
                                .code = formatCode,
                                .letter = 'f',
                                .takes = Takes::required,
                                .placeholder = "F",
                                .values = {"half", "bfloat16", "single", "double"},
                                .badValue = "--format is half, bfloat16, single or double, not"};
constexpr OptionSpec wideSpec{.name = "wide", .code = wideCode, .help = "the full table, wider than 80 columns"};

const OptionSpec sumList[] = {
    {.name = "from", .code = fromCode, .takes = Takes::required, .placeholder = "L",
     .help = "the first i (default 2000)"},
    {.name = "to", .code = toCode, .takes = Takes::required, .placeholder = "H",
     .help = "the last i (default 10000000; at most 16777216, 2^24)"},
    {.name = "decreasing", .code = decreasingCode, .help = "add from H down to L, as the decreasing passes do"},
    {.name = "extended",
     .code = extendedCode,
     .help = "as precisionx: each step with a 64-bit significand, stored in\n"
             "single precision; the two roundings are shown apart"},
    {.name = "every",
     .code = everyCode,
     .takes = Takes::required,
     .placeholder = "N",
     .help = "show the steps where i is a multiple of N, besides the first,\n"
             "the last and the notable ones (default: every step of a range\n"
             "of at most 1000, else about 100 of them)"},
    {.name = "summary", .code = summaryCode, .help = "show the summary only"},
    {.name = "data",
     .code = dataCode,
     .help = "tab-separated columns, for plotting: i, the sum, the exact\n"
             "sum and the sum's error in ulps"},
    {.name = "wide",
     .code = wideCode,
     .help = "the full table, wider than 80 columns: the term's bits (to\n"
             "64 bits with --extended) and the notes beside each step"},
    {.name = formatSpec.name, .code = formatSpec.code, .letter = formatSpec.letter, .takes = formatSpec.takes,
     .placeholder = formatSpec.placeholder, .values = formatSpec.values, .badValue = formatSpec.badValue,
     .help = "what if the programs had added in half, bfloat16 or double:\n"
             "the summary, each term 1/i rounded once; i from 1 to 2048 in\n"
             "half, 256 in bfloat16, as in single in double"},
    jsonSpec,
};
const OptionSpec tenthsList[] = {
    {.name = "extended", .code = extendedCode, .help = "as precisionx adds them"},
    wideSpec,
    {.name = formatSpec.name, .code = formatSpec.code, .letter = formatSpec.letter, .takes = formatSpec.takes,
     .placeholder = formatSpec.placeholder, .values = formatSpec.values, .badValue = formatSpec.badValue,
     .help = "what if part 2 had added the tenth in half, bfloat16 or double"},
    jsonSpec,
};
const OptionSpec distributiveList[] = {wideSpec, jsonSpec};
const OptionSpec numberList[] = {
    {.name = "extended", .code = extendedCode, .help = "also as precisionx: to a 64-bit significand, then stored"},
    {.name = formatSpec.name, .code = formatSpec.code, .letter = formatSpec.letter, .takes = formatSpec.takes,
     .placeholder = formatSpec.placeholder, .values = formatSpec.values, .badValue = formatSpec.badValue,
     .help = "the format the numbers are stored in: half (16 bits),\n"
             "bfloat16 (16 bits, single's range), single (32 bits, the\n"
             "programs' own and the default) or double (64 bits)"},
    jsonSpec,
};

// The commands, in the order --help lists them.
const CommandSpec commandSpecs[] = {
    {"sum", sumList}, {"tenths", tenthsList}, {"distributive", distributiveList},
    {"value", numberList}, {"op", numberList},
};
const OptionSpec beforeList[] = {jsonSpec};
const CommandSpec beforeCommand{"", beforeList};

// The same pair says the same in every command that takes both. Another
// --format is a what-if in sum and tenths, a summary or a table of its own;
// precisionx's extended arithmetic stores in single precision only.
constexpr std::array<const char*, 4> otherFormats{"half", "bfloat16", "double"};
const Refusal refusals[] = {
    {.option = "extended", .when = When::with, .other = "format", .values = otherFormats,
     .message = "--extended is precisionx's arithmetic, which stores in single\nprecision: not with --format"},
    {.option = "json", .when = When::with, .other = "format", .values = otherFormats,
     .commands = {"sum", "tenths"}, .message = "another --format shows its own what-if, not --json:"},
    {.option = "wide", .when = When::with, .other = "format", .values = otherFormats,
     .commands = {"sum", "tenths"}, .message = "another --format shows its own what-if, not --wide:"},
    {.option = "every", .when = When::with, .other = "format", .values = otherFormats,
     .commands = {"sum"}, .message = "another --format shows its own what-if, not --every:"},
    {.option = "data", .when = When::with, .other = "format", .values = otherFormats,
     .commands = {"sum"}, .message = "another --format shows its own what-if, not --data:"},
    {.option = "summary", .when = When::with, .other = "data",
     .message = "--summary shows no steps, --data only steps: give one of them"},
    {.option = "every", .when = When::with, .other = "summary",
     .message = "--every chooses the steps shown, --summary none: give one of them"},
    {.option = "json", .when = When::without, .other = "summary", .commands = {"sum"},
     .message = "sum's --json is its summary: give --summary too"},
};
const ToolSpec tool{"floatexplain", commandSpecs, refusals, &beforeCommand};

// The options of `command` but --json, which --help lists once for all.
std::string commandLines(const CommandSpec& command)
{
    std::vector<OptionSpec> options;
    for (const OptionSpec& described : command.options)
        if (described.code != jsonCode)
            options.push_back(described);
    return optionLines(options, {17, false});
}

std::string usage()
{
    return "Usage: floatexplain [--json] COMMAND [OPTION]...\n"
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
           "Options of sum:\n" +
           commandLines(commandSpecs[0]) + "Options of tenths:\n" + commandLines(commandSpecs[1]) +
           "Options of distributive:\n" + commandLines(commandSpecs[2]) + "Options of value and op:\n" +
           commandLines(commandSpecs[3]) +
           "Option of every command (sum with --summary), also before the command:\n" +
           optionLines(beforeList, {17, false}) + "\n" + optionLines(generalSpecs, {17, false}) +
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
}

// What runs each command, in commandSpecs' order.
int (*const runners[])(int argc, char** argv) = {sumCommand, tenthsCommand, distributiveCommand, valueCommand,
                                                 opCommand};

const char version[] = "floatexplain (teaching programs) " PROJECT_VERSION "\n";

const char* commandRead;  // the command whose options are read, once known

// The one option that `--name` names in some command's table, in full or
// by a prefix: "" if none does, or more than one.
std::string fullName(const std::string& name)
{
    std::vector<const char*> names;
    for (const CommandSpec& command : commandSpecs)
        for (const OptionSpec& described : command.options)
            names.push_back(described.name);
    std::vector<std::size_t> found = namedBy(names, name);
    return found.size() == 1 ? names[found[0]] : "";
}

// The commands that have the option `--name`: "sum, tenths and op".
std::string owners(const std::string& name)
{
    std::vector<std::string> names;
    for (const CommandSpec& command : commandSpecs) {
        for (const OptionSpec& described : command.options)
            if (name == described.name)
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
    return where + ".\nGive it after the command, as in " + ::quoted("floatexplain " + example) + ".";
}

std::vector<char*> operandsRead;

int readCommandOption(int argc, char** argv, const CommandSpec& command, bool signedOperands,
                      std::vector<char*>& operands)
{
    commandRead = argv[0];
    const OptionSet set{&tool, &command, usage, version, signedOperands, placeHint};
    return readOption(argc, argv, set, operands);
}

}  // namespace

const CommandSpec& sumOptions = commandSpecs[0];
const CommandSpec& tenthsOptions = commandSpecs[1];
const CommandSpec& distributiveOptions = commandSpecs[2];
const CommandSpec& valueOptions = commandSpecs[3];
const CommandSpec& opOptions = commandSpecs[4];

void usageError(const char* what, const char* argument)
{
    ::usageError("floatexplain", argument ? std::string(what) + " " + quoted(argument) : what);
}

int nextOption(int argc, char** argv, const CommandSpec& command)
{
    return readCommandOption(argc, argv, command, false, operandsRead);
}

int nextNumberOption(int argc, char** argv, const CommandSpec& command, std::vector<char*>& numbers)
{
    return readCommandOption(argc, argv, command, true, numbers);
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
    if (!format)  // the reader took only a format's name
        usageError("--format is half, bfloat16, single or double, not", text);
    return *format;
}

const Format& readNumberOptions(int argc, char** argv, const CommandSpec& command, std::vector<char*>& numbers,
                                bool& extended)
{
    const Format* format = &singleFormat;
    for (int code; (code = nextNumberOption(argc, argv, command, numbers)) != -1;) {
        if (readJsonOption(code))
            continue;
        if (code == formatCode)
            format = &formatValue(optarg);
        else
            extended = true;
    }
    return *format;
}

int main(int argc, char** argv)
{
    // Before part2 and part3 are run with their output set aside.
    holdStdoutOpen();
    std::atexit(closeStdout);
    // Before the command only --help, -h, --version, --json and "--" may
    // stand: read one argument at a time, up to the command.
    const OptionSet top{&tool, &beforeCommand, usage, version, false, placeHint};
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
    for (std::size_t n = 0; n < std::size(commandSpecs); ++n) {
        const CommandSpec& command = commandSpecs[n];
        if (std::strcmp(argv[first], command.name) != 0)
            continue;
        bool json = false;
        for (const OptionSpec& described : command.options)
            json = json || described.code == jsonCode;
        if (jsonOutput && !json)
            usageError("--json is not an option of", command.name);
        return runners[n](argc - first, argv + first);
    }
    usageError("unknown command", argv[first]);
}

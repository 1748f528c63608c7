#pragma once

// floatexplain's commands and the option handling they share. Each command
// takes the arguments from its own name on (argv[0] is the command) and
// reads its options with nextOption, from its part of floatexplain.cpp's
// table of options, which also says where a misplaced option belongs.

#include "format.h"
#include "options.h"

#include <vector>

int sumCommand(int argc, char** argv);
int tenthsCommand(int argc, char** argv);
int distributiveCommand(int argc, char** argv);
int valueCommand(int argc, char** argv);
int opCommand(int argc, char** argv);

// Each command's options (floatexplain.cpp holds the table of them all), and
// the codes nextOption returns for them.
extern const CommandSpec& sumOptions;
extern const CommandSpec& tenthsOptions;
extern const CommandSpec& distributiveOptions;
extern const CommandSpec& valueOptions;
extern const CommandSpec& opOptions;
enum OptionCode {
    fromCode = 256,
    toCode,
    everyCode,
    decreasingCode,
    extendedCode,
    summaryCode,
    dataCode,
    wideCode,
    formatCode = 'f',
    jsonCode = 'j',
};

// --json, before the command or among the options of value, op, sum and
// tenths: the model as one JSON document in place of the text (json_view.h).
extern bool jsonOutput;
// Whether `code` is --json's; if so, --json is on, in the layout asked for
// (or refused: no library).
bool readJsonOption(int code);

// The next option of the command argv[0], as getopt_long gives it, options
// and arguments in any order until `--`; -1 after the last, once the
// refusals have been checked (options.h). An option the command does not
// have is a usage error that names the command it belongs to, if any.
int nextOption(int argc, char** argv, const CommandSpec& command);
// value's and op's numbers may begin with '-' (-0.1, and op's '-'), so there
// only -h and an argument that begins with "--" are options; the others are
// appended to `numbers`.
int nextNumberOption(int argc, char** argv, const CommandSpec& command, std::vector<char*>& numbers);
// After nextOption's last option: a usage error for any argument left.
void noMoreArguments(int argc, char** argv);

// "floatexplain: WHAT 'ARGUMENT'" (the argument quoted, if not null), the
// "Try" line, and status 2.
[[noreturn]] void usageError(const char* what, const char* argument);
// The value of an option that takes one (`--every 5` or `--every=5`), as an
// integer from low to high.
int numberValue(const char* name, const char* text, long low, long high);

// --format=half|bfloat16|single|double (or -f, or a prefix): value's and
// op's, and sum's and tenths' what-ifs. The format it names, or a usage
// error.
const Format& formatValue(const char* text);

// value's and op's options (their tables hold --extended, --format, --json):
// the format asked for, with `extended` set by --extended, which stores in
// single precision only; their numbers are appended to `numbers`.
const Format& readNumberOptions(int argc, char** argv, const CommandSpec& command, std::vector<char*>& numbers,
                                bool& extended);

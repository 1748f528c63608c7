#pragma once

// floatexplain's commands and the option handling they share. Each command
// takes the arguments from its own name on (argv[0] is the command), reads
// its options with nextOption and lists them in its table of options, which
// floatexplain.cpp also reads to say where a misplaced option belongs.

#include "format.h"
#include "options.h"

#include <vector>

int sumCommand(int argc, char** argv);
int tenthsCommand(int argc, char** argv);
int distributiveCommand(int argc, char** argv);
int valueCommand(int argc, char** argv);
int opCommand(int argc, char** argv);

extern const option sumOptions[];
extern const option tenthsOptions[];
extern const option distributiveOptions[];
extern const option valueOptions[];
extern const option opOptions[];

// --json, before the command or among the options of value, op, sum and
// tenths: the model as one JSON document in place of the text (json_view.h).
inline constexpr option jsonOption = {"json", no_argument, nullptr, 'j'};
extern bool jsonOutput;
// Whether `code` is --json's; if so, --json is on (or refused: no library).
bool readJsonOption(int code);

// The next option of the command argv[0], as getopt_long gives it, options
// and arguments in any order until `--`; -1 after the last (options.h).
// An option the command does not have is a usage error that names the
// command it belongs to, if any.
int nextOption(int argc, char** argv, const option* options);
// value's and op's numbers may begin with '-' (-0.1, and op's '-'), so there
// only -h and an argument that begins with "--" are options; the others are
// appended to `numbers`.
int nextNumberOption(int argc, char** argv, const option* options, std::vector<char*>& numbers);
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
constexpr option formatOption = {"format", required_argument, nullptr, 'f'};
const Format& formatValue(const char* text);

// value's and op's options (their tables hold --extended, --format, --json):
// the format asked for, with `extended` set by --extended, which stores in
// single precision only; their numbers are appended to `numbers`.
const Format& readNumberOptions(int argc, char** argv, const option* options, std::vector<char*>& numbers,
                                bool& extended);

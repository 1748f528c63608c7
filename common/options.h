#pragma once

// The companions' option reader: GNU long options through glibc's
// getopt_long, read the same way and refused in the same words everywhere.
//
//   const option options[] = {{"steps", no_argument, nullptr, stepsCode},
//                             helpOption, versionOption, {}};
//   const OptionSet set{"calcexplain", options, usage, version, false, nullptr};
//   std::vector<char*> lines;
//   for (int code; (code = readOption(argc, argv, set, lines)) != -1;)
//       ... code, and optarg for an option that takes a value ...
//
// Options may stand anywhere before "--", which ends them; a long option may
// be shortened to any prefix that names it alone (--st for --steps). A value
// follows '=' or, if the option requires one, comes as the next argument.
// Operands keep their order. --help, -h and --version are answered here (on
// standard output, status 0). A usage error is said on standard error,
// followed by "Try 'PROGRAM --help' for more information.", and ends the
// process with status 2.

#include <getopt.h>
#include <string>
#include <string_view>
#include <vector>

// Every table of options ends with these two and an empty entry.
constexpr option helpOption = {"help", no_argument, nullptr, 'h'};
constexpr option versionOption = {"version", no_argument, nullptr, 'V'};

struct OptionSet {
    const char* program;    // as the messages name it
    const option* options;  // getopt_long's table
    const char* help;       // what --help and -h print
    const char* version;    // what --version prints
    // Whether an argument such as -1 or -0.1 is an operand: then only -h and
    // arguments that begin with "--" are options.
    bool signedOperands;
    // A line more for an unknown option (argv's text), or "": where it
    // belongs, or how an operand that begins with '-' is given. May be null.
    std::string (*hint)(const char* argument);
    // Where signedOperands is false: whether an argument of '-' and a digit
    // (-3, or -3x, to be refused as a number) is an operand, not an option.
    bool negativeNumbers = false;
    // getopt's letters of the short options besides -h ("f:" for -f VALUE),
    // options even where operands may begin with '-'.
    const char* shortOptions = "";
};

// Which of `names` the text `typed` names, as a long option is named: the
// one it spells in full, else every one it begins (more than one is
// ambiguous, unless they are one name listed twice). Their places in
// `names`.
std::vector<std::size_t> namedBy(const std::vector<const char*>& names, std::string_view typed);

// The code of the next option, as the table gives it (optarg holds its
// value), or -1 after the last. Reads argv[1] to argv[argc - 1]; every
// argument that is not an option is appended to `operands`, in order.
int readOption(int argc, char** argv, const OptionSet& set, std::vector<char*>& operands);

// "PROGRAM: MESSAGE", the "Try" line, and status 2. Quote what the user
// typed with quoted() (characters.h).
[[noreturn]] void usageError(const char* program, const std::string& message);

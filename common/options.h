#pragma once

// The companions' options as data, and the reader that follows it. A tool
// states each option once (OptionSpec), the commands that take it, and the
// combinations it refuses (Refusal); from that one table come getopt_long's
// table, the option lines of --help, the refusals' messages and the
// --options-json export (docs/schemas/options.schema.json).
//
//   const OptionSpec options[] = {{.name = "steps", .code = stepsCode,
//                                  .help = "also list each step"}, ...};
//   const CommandSpec commands[] = {{"", options}};
//   const ToolSpec tool{"calcexplain", commands, refusals};
//   const OptionSet set{&tool, &commands[0], help, version, false, nullptr};
//   std::vector<char*> lines;
//   for (int code; (code = readOption(argc, argv, set, lines)) != -1;)
//       ... code, and optarg for an option that takes a value ...
//
// Options may stand anywhere before "--", which ends them; a long option may
// be shortened to any prefix that names it alone (--st for --steps), and so
// may a listed value (--format=bf). A value follows '=' or, if the option
// requires one, comes as the next argument. Operands keep their order.
// --help, -h, --version and --options-json are answered here (on standard
// output, status 0). A usage error is said on standard error, followed by
// "Try 'PROGRAM --help' for more information.", and ends the process with
// status 2. The refusals are checked after the last option, before the
// caller does any work.

#include <array>
#include <getopt.h>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class Takes { none, required, optional };

struct OptionSpec {
    const char* name;  // the long name, without "--"
    // What readOption returns for it: its letter where it has one, else a
    // code from 256 up, one per option of a tool.
    int code;
    char letter = 0;  // the short option, or 0
    Takes takes = Takes::none;
    const char* placeholder = nullptr;  // the value's name in --help: F, KIND
    // Where the values are a list: they, in the order --help names them
    // (optarg is then always one of them, in full).
    std::array<const char*, 4> values{};
    const char* bare = nullptr;  // Takes::optional: the value meant by none
    // A value not listed is refused with these words and the value quoted;
    // where null, with GNU's "invalid argument" and the list.
    const char* badValue = nullptr;
    const char* help = "";  // what --help says of it, its lines joined by '\n'
};

// The options every companion answers the same way, anywhere: --options-json
// writes the table (writeOptionsJson).
constexpr OptionSpec helpSpec{.name = "help", .code = 'h', .letter = 'h', .help = "show this help and exit"};
constexpr OptionSpec versionSpec{.name = "version", .code = 'V', .help = "show the version and exit"};
constexpr OptionSpec optionsJsonSpec{
    .name = "options-json", .code = 'O', .help = "write these options as one JSON document and exit"};
constexpr OptionSpec generalSpecs[] = {helpSpec, versionSpec, optionsJsonSpec};

struct CommandSpec {
    const char* name;  // "" for a tool without commands
    std::span<const OptionSpec> options;
};

enum class When { with, without, withOperand };

// A combination refused: `option` with (or without) `other`, or with an
// operand. Where `values` are listed, only with one of them as other's value,
// and the message is followed by the value, quoted.
struct Refusal {
    const char* option;  // long names, without "--"
    When when;
    const char* other = nullptr;
    std::array<const char*, 4> values{};
    // Where it holds; none listed: in every command that takes its options.
    std::array<const char*, 5> commands{};
    const char* message = "";
};

struct ToolSpec {
    const char* program;
    std::span<const CommandSpec> commands;
    std::span<const Refusal> refusals;  // checked in this order: the first that holds is said
    // Options that may also stand before the command (and are then read
    // with beforeCommand as the command).
    const CommandSpec* beforeCommand = nullptr;
};

struct OptionSet {
    const ToolSpec* tool;
    const CommandSpec* command;  // whose options are read
    std::string (*help)();       // what --help and -h print
    const char* version;         // what --version prints
    // Whether an argument such as -1 or -0.1 is an operand: then only -h, a
    // letter of the command's options and arguments that begin with "--"
    // are options.
    bool signedOperands;
    // A line more for an unknown option (argv's text), or "": where it
    // belongs, or how an operand that begins with '-' is given. May be null.
    std::string (*hint)(const char* argument);
    // Where signedOperands is false: whether an argument of '-' and a digit
    // (-3, or -3x, to be refused as a number) is an operand, not an option.
    bool negativeNumbers = false;
};

// How --help lays the options out: the description starts at `column`
// (its later lines too), or two spaces after a longer name; with
// `letterColumn`, an option without a letter is indented as if it had one.
struct HelpLayout {
    std::size_t column;
    bool letterColumn;
};

// The option lines of --help for `options`, in their order.
std::string optionLines(std::span<const OptionSpec> options, HelpLayout layout);

// Which of `names` the text `typed` names, as a long option is named: the
// one it spells in full, else every one it begins (more than one is
// ambiguous, unless they are one name listed twice). Their places in
// `names`.
std::vector<std::size_t> namedBy(const std::vector<const char*>& names, std::string_view typed);

// The code of the next option, as the table gives it (optarg holds its
// value), or -1 after the last, once the refusals have been checked. Reads
// argv[1] to argv[argc - 1]; every argument that is not an option is
// appended to `operands`, in order.
int readOption(int argc, char** argv, const OptionSet& set, std::vector<char*>& operands);

// The tool's table as one JSON document, on one line, on standard output.
void writeOptionsJson(const ToolSpec& tool);

// "PROGRAM: MESSAGE", the "Try" line, and status 2. Quote what the user
// typed with quoted() (characters.h).
[[noreturn]] void usageError(const char* program, const std::string& message);

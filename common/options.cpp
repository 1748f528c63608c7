#include "options.h"

#include "characters.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

void usageError(const char* program, const std::string& message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program, message.c_str(), program);
    std::exit(2);
}

namespace {

// The options given so far, each with its value as listed (or as typed,
// where the values are not listed; "" for none), in order.
std::vector<std::pair<std::string, std::string>> given;

// getopt_long's table for a command: its options, then the general ones,
// then the empty entry. Made again when another command is read.
const CommandSpec* tableOf = nullptr;
std::vector<option> table;
std::vector<const OptionSpec*> descriptions;  // what each entry of `table` is
std::string letters;                   // getopt's letters, after "+:"

void makeTable(const CommandSpec* command)
{
    if (tableOf == command)
        return;
    tableOf = command;
    table.clear();
    descriptions.clear();
    letters.clear();
    auto add = [](const OptionSpec& described) {
        static const int kinds[] = {no_argument, required_argument, optional_argument};
        table.push_back({described.name, kinds[static_cast<int>(described.takes)], nullptr, described.code});
        descriptions.push_back(&described);
        if (described.letter)
            letters += std::string(1, described.letter) + (described.takes == Takes::required   ? ":"
                                                      : described.takes == Takes::optional ? "::"
                                                                                      : "");
    };
    for (const OptionSpec& described : command->options)
        add(described);
    for (const OptionSpec& described : generalSpecs)
        add(described);
    table.push_back({});
}

bool isOption(const char* argument, const OptionSet& set)
{
    if (argument[0] != '-' || argument[1] == '\0')
        return false;
    if (set.negativeNumbers && argument[1] >= '0' && argument[1] <= '9')
        return false;
    bool letter = argument[1] != ':' && std::strchr(letters.c_str(), argument[1]);
    return !set.signedOperands || argument[1] == '-' || std::strcmp(argument, "-h") == 0 || letter;
}

// The options a long option as typed names: the one it names in full, or
// every one whose name it begins, as getopt_long matches them.
std::vector<const option*> named(std::string_view typed)
{
    std::vector<const char*> names;
    for (const option* o = table.data(); o->name; ++o)
        names.push_back(o->name);
    std::vector<const option*> found;
    for (std::size_t n : namedBy(names, typed))
        found.push_back(table.data() + n);
    return found;
}

// Why getopt_long refused `argument` (reporting ':' or '?'), in the words
// of the GNU tools. `code` and optopt are as it left them.
[[noreturn]] void refuse(const OptionSet& set, const char* argument, int code)
{
    std::string message;
    bool unknown = false;  // rather than misused
    std::string_view text = argument;
    if (text.starts_with("--")) {
        std::string_view typed = text.substr(2, text.find('=') - 2);
        std::vector<const option*> options = named(typed);
        std::string name = options.size() == 1 ? quoted(std::string("--") + options[0]->name) : "";
        if (code == ':') {
            message = "option " + name + " needs a value";
        } else if (options.size() == 1 && typed.size() + 2 < text.size()) {
            message = "option " + name + " takes no argument";
        } else if (options.size() > 1) {
            message = "option " + quoted(text.substr(0, typed.size() + 2)) + " is ambiguous; possibilities:";
            std::sort(options.begin(), options.end(),
                      [](const option* a, const option* b) { return std::strcmp(a->name, b->name) < 0; });
            for (const option* o : options)
                message += " " + quoted(std::string("--") + o->name);
        } else {
            message = "unrecognized option " + quoted(text);
            unknown = true;
        }
    } else {
        message = "invalid option -- " + quoted(std::string(1, static_cast<char>(optopt)));
        unknown = true;
    }
    std::string more = unknown && set.hint ? set.hint(argument) : "";
    usageError(set.tool->program, more.empty() ? message : message + "\n" + more);
}

std::vector<const char*> listed(const std::array<const char*, 4>& values)
{
    std::vector<const char*> list;
    for (const char* value : values)
        if (value)
            list.push_back(value);
    return list;
}

// "'a', 'b' and 'c'", or with `last` for "and".
std::string listText(const std::vector<const char*>& items, const char* last, bool quote)
{
    std::string text;
    for (std::size_t n = 0; n < items.size(); ++n) {
        text += n == 0 ? "" : n + 1 == items.size() ? std::string(" ") + last + " " : ", ";
        text += quote ? quoted(items[n]) : items[n];
    }
    return text;
}

// The value given to `described` (optarg), checked against its list: optarg is
// left pointing at the value it names, in full. What the refusals compare.
std::string takeValue(const OptionSet& set, const OptionSpec& described)
{
    std::vector<const char*> values = listed(described.values);
    if (!optarg)
        return described.bare ? described.bare : "";
    if (values.empty())
        return optarg;
    std::vector<std::size_t> found = namedBy(values, optarg);
    if (found.size() == 1) {
        optarg = const_cast<char*>(values[found[0]]);
        return optarg;
    }
    if (described.badValue)
        usageError(set.tool->program, std::string(described.badValue) + " " + quoted(optarg));
    usageError(set.tool->program, std::string(found.empty() ? "invalid" : "ambiguous") + " argument " +
                                      quoted(optarg) + " for " + quoted(std::string("--") + described.name) +
                                      "\nValid arguments are " + listText(values, "and", true) + ".");
}

const std::string* valueGiven(const char* name)
{
    const std::string* value = nullptr;
    for (const auto& [option, text] : given)
        if (option == name)
            value = &text;
    return value;
}

// Whether `name` was given so far (by any readOption of this process).
bool optionGiven(const char* name)
{
    return valueGiven(name) != nullptr;
}

bool holdsIn(const Refusal& refusal, const char* command)
{
    bool all = true;
    for (const char* name : refusal.commands)
        if (name) {
            all = false;
            if (std::strcmp(name, command) == 0)
                return true;
        }
    return all;
}

// The first refusal of the tool that the options given and the operands
// make, said as a usage error.
void checkRefusals(const OptionSet& set, std::size_t operands)
{
    bool ofTool = false;
    for (const CommandSpec& command : set.tool->commands)
        ofTool = ofTool || &command == set.command;
    if (!ofTool)
        return;  // the options before floatexplain's command: its own come
    for (const Refusal& refusal : set.tool->refusals) {
        if (!holdsIn(refusal, set.command->name) || !optionGiven(refusal.option))
            continue;
        const std::string* other = refusal.other ? valueGiven(refusal.other) : nullptr;
        std::vector<const char*> values = listed(refusal.values);
        bool valueRefused = values.empty();
        for (const char* value : values)
            valueRefused = valueRefused || (other && *other == value);
        bool holds = refusal.when == When::withOperand ? operands > 0
                     : refusal.when == When::without   ? !other
                                                       : other && valueRefused;
        if (!holds)
            continue;
        std::string message = refusal.message;
        if (!values.empty()) {
            message += ' ';
            message += quoted(*other);
        }
        usageError(set.tool->program, message);
    }
}

}  // namespace

std::vector<std::size_t> namedBy(const std::vector<const char*>& names, std::string_view typed)
{
    std::vector<std::size_t> found;
    for (std::size_t n = 0; n < names.size(); ++n) {
        std::string_view name = names[n];
        if (name == typed)
            return {n};
        bool again = false;
        for (std::size_t k : found)
            again = again || name == names[k];
        if (name.starts_with(typed) && !again)
            found.push_back(n);
    }
    return found;
}

int readOption(int argc, char** argv, const OptionSet& set, std::vector<char*>& operands)
{
    opterr = 0;  // the messages are the program's own, naming it as it is named
    makeTable(set.command);
    while (optind < argc) {
        char* argument = argv[optind];
        if (std::strcmp(argument, "--") == 0) {
            operands.insert(operands.end(), argv + optind + 1, argv + argc);
            optind = argc;
            break;
        }
        if (!isOption(argument, set)) {
            operands.push_back(argument);
            ++optind;
            continue;
        }
        // '+': getopt_long reads only the option at optind (and its value);
        // the loop above takes the operands between options.
        std::string shortOptions = "+:" + letters;
        int entry = -1;
        int code = getopt_long(argc, argv, shortOptions.c_str(), table.data(), &entry);
        if (code == '?' || code == ':')
            refuse(set, argument, code);
        if (code == -1) {
            operands.push_back(argument);  // not an option after all
            ++optind;
            continue;
        }
        if (entry < 0)  // a letter: getopt_long says no entry
            for (std::size_t n = 0; n < descriptions.size(); ++n)
                if (descriptions[n]->letter == code)
                    entry = static_cast<int>(n);
        const OptionSpec& described = *descriptions[static_cast<std::size_t>(entry)];
        if (code == helpSpec.code) {
            std::fputs(set.help().c_str(), stdout);
            std::exit(0);
        }
        if (code == versionSpec.code) {
            std::fputs(set.version, stdout);
            std::exit(0);
        }
        if (code == optionsJsonSpec.code) {
            writeOptionsJson(*set.tool);
            std::exit(0);
        }
        given.emplace_back(described.name, takeValue(set, described));
        return code;
    }
    checkRefusals(set, operands.size());
    return -1;
}

std::string optionLines(std::span<const OptionSpec> options, HelpLayout layout)
{
    std::string text;
    for (const OptionSpec& described : options) {
        std::string left = described.letter ? std::string("  -") + described.letter + ", " : layout.letterColumn ? "      " : "  ";
        left += std::string("--") + described.name;
        if (described.takes == Takes::required)
            left += std::string(" ") + described.placeholder;
        else if (described.takes == Takes::optional)
            left += std::string("[=") + described.placeholder + "]";
        left += left.size() < layout.column ? std::string(layout.column - left.size(), ' ') : "  ";
        std::string_view help = described.help;
        for (std::size_t at = 0; at < help.size();) {
            std::size_t end = std::min(help.find('\n', at), help.size());
            text += (at == 0 ? left : std::string(layout.column, ' ')) + std::string(help.substr(at, end - at)) + "\n";
            at = end + 1;
        }
    }
    return text;
}

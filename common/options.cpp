#include "options.h"

#include "characters.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

void usageError(const char* program, const std::string& message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program, message.c_str(), program);
    std::exit(2);
}

namespace {

bool isOption(const char* argument, const OptionSet& set)
{
    if (argument[0] != '-' || argument[1] == '\0')
        return false;
    if (set.negativeNumbers && argument[1] >= '0' && argument[1] <= '9')
        return false;
    bool letter = argument[1] != ':' && std::strchr(set.shortOptions, argument[1]);
    return !set.signedOperands || argument[1] == '-' || std::strcmp(argument, "-h") == 0 || letter;
}

// The options a long option as typed names: the one it names in full, or
// every one whose name it begins, as getopt_long matches them.
std::vector<const option*> named(const option* options, std::string_view typed)
{
    std::vector<const char*> names;
    for (const option* o = options; o->name; ++o)
        names.push_back(o->name);
    std::vector<const option*> found;
    for (std::size_t n : namedBy(names, typed))
        found.push_back(options + n);
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
        std::vector<const option*> options = named(set.options, typed);
        std::string name = options.size() == 1 ? quoted(std::string("--") + options[0]->name) : "";
        if (code == ':') {
            message = "option " + name + " needs a value";
        } else if (options.size() == 1 && typed.size() + 2 < text.size()) {
            message = "option " + name + " takes no argument";
        } else if (options.size() > 1) {
            message = "option " + quoted(text.substr(0, typed.size() + 2)) + " is ambiguous; possibilities:";
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
    usageError(set.program, more.empty() ? message : message + "\n" + more);
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
        std::string letters = std::string("+:h") + set.shortOptions;
        int code = getopt_long(argc, argv, letters.c_str(), set.options, nullptr);
        if (code == '?' || code == ':')
            refuse(set, argument, code);
        if (code == helpOption.val || code == versionOption.val) {
            std::fputs(code == helpOption.val ? set.help : set.version, stdout);
            std::exit(0);
        }
        if (code != -1)
            return code;
        operands.push_back(argument);  // not an option after all
        ++optind;
    }
    return -1;
}

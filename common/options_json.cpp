// --options-json: the table of options.h as one JSON document, written by
// hand, so that it needs no JSON library and the bare build has it too. Its
// shape: docs/schemas/options.schema.json.

#include "options.h"

#include "characters.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string jsonText(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
            out += code;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string orNull(const char* text)
{
    return text ? jsonText(text) : "null";
}

std::string optionName(const char* name)
{
    return jsonText(std::string("--") + name);
}

// `item` appended to the items of a JSON array or object being written.
void add(std::string& items, const std::string& item)
{
    if (!items.empty())
        items += ',';
    items += item;
}

std::string optionJson(const OptionSpec& described)
{
    static const char* const kinds[] = {"none", "required", "optional"};
    std::string values;
    for (const char* value : described.values)
        if (value)
            add(values, jsonText(value));
    std::string help;
    std::string_view lines = described.help;
    for (std::size_t at = 0; at < lines.size();) {
        std::size_t end = std::min(lines.find('\n', at), lines.size());
        add(help, jsonText(lines.substr(at, end - at)));
        at = end + 1;
    }
    std::string out;
    add(out, "{\"name\":" + optionName(described.name));
    add(out, "\"letter\":" + (described.letter ? jsonText(std::string(1, '-') + described.letter) : std::string("null")));
    add(out, std::string("\"value\":\"") + kinds[static_cast<int>(described.takes)] + "\"");
    add(out, "\"placeholder\":" + orNull(described.placeholder));
    add(out, "\"values\":[" + values + "]");
    add(out, "\"bare\":" + orNull(described.bare));
    add(out, "\"help\":[" + help + "]}");
    return out;
}

std::string optionsJson(std::span<const OptionSpec> options)
{
    std::string items;
    for (const OptionSpec& described : options)
        add(items, optionJson(described));
    return "[" + items + "]";
}

bool takes(const CommandSpec& command, const char* option)
{
    return std::any_of(command.options.begin(), command.options.end(),
                       [&](const OptionSpec& described) { return std::strcmp(described.name, option) == 0; });
}

// One rule for each value it refuses, in the commands it names or else in
// every one that takes its options, its message as it is said.
std::string refusalsJson(const ToolSpec& tool)
{
    static const char* const whens[] = {"with", "without", "operand"};
    std::string rules;
    for (const Refusal& refusal : tool.refusals) {
        bool all = std::none_of(refusal.commands.begin(), refusal.commands.end(), [](const char* name) { return name; });
        std::string commands;
        for (const CommandSpec& command : tool.commands) {
            bool listed = all && takes(command, refusal.option) && (!refusal.other || takes(command, refusal.other));
            for (const char* name : refusal.commands)
                listed = listed || (name && std::strcmp(name, command.name) == 0);
            if (listed)
                add(commands, jsonText(command.name));
        }
        std::string head;
        add(head, "{\"commands\":[" + commands + "]");
        add(head, "\"option\":" + optionName(refusal.option));
        add(head, std::string("\"when\":\"") + whens[static_cast<int>(refusal.when)] + "\"");
        add(head, "\"other\":" + (refusal.other ? optionName(refusal.other) : std::string("null")));
        bool some = false;
        for (const char* value : refusal.values) {
            if (!value)
                continue;
            some = true;
            std::string message = refusal.message;
            message += ' ';
            message += quoted(value);
            add(rules, head + ",\"value\":" + jsonText(value) + ",\"message\":" + jsonText(message) + "}");
        }
        if (!some)
            add(rules, head + ",\"value\":null,\"message\":" + jsonText(refusal.message) + "}");
    }
    return "[" + rules + "]";
}

}  // namespace

void writeOptionsJson(const ToolSpec& tool)
{
    std::string commands;
    for (const CommandSpec& command : tool.commands)
        add(commands, "{\"name\":" + jsonText(command.name) + ",\"options\":" + optionsJson(command.options) + "}");
    std::string before;
    if (tool.beforeCommand)
        for (const OptionSpec& described : tool.beforeCommand->options)
            add(before, optionName(described.name));
    std::string document;
    add(document, "{\"tool\":" + jsonText(tool.program));
    add(document, "\"version\":1");
    add(document, "\"general\":" + optionsJson(generalSpecs));
    add(document, "\"beforeCommand\":[" + before + "]");
    add(document, "\"commands\":[" + commands + "]");
    add(document, "\"refusals\":" + refusalsJson(tool) + "}\n");
    std::fwrite(document.data(), 1, document.size(), stdout);
}

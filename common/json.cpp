#include "json.h"

#include "characters.h"
#include "options.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

bool jsonPretty = false;

void setJsonLayout(const char* layout)
{
    jsonPretty = layout && std::string(layout) == "pretty";
}

#ifdef COMPANION_JSON
void writeJson(const Json& document) {
    const std::string text = document.dump(jsonPretty ? 2 : -1, ' ', false, Json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}
#endif

void requireJson(const char* program) {
    if (!jsonBuilt)
        usageError(program, "--json is not in this build:\nit was built without nlohmann-json3-dev");
}

namespace {

std::vector<char> closers;     // of each object and array open, innermost last
std::vector<bool> hasMembers;  // whether each has a member or element yet
bool keyWritten;               // a key waits for its value

void newLine(std::size_t depth)
{
    std::fprintf(stdout, "\n%*s", static_cast<int>(2 * depth), "");
}

void beginValue()
{
    if (keyWritten) {
        keyWritten = false;
    } else if (!hasMembers.empty()) {
        if (hasMembers.back())
            std::fputc(',', stdout);
        hasMembers.back() = true;
        if (jsonPretty)
            newLine(hasMembers.size());
    }
}

void writeQuoted(std::string_view text)
{
    std::fputc('"', stdout);
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t codePoint = 0;
        if (c == '"' || c == '\\') {
            std::fputc('\\', stdout);
            std::fputc(c, stdout);
        } else if (c < 0x20) {
            const char* named = c == '\n' ? "\\n" : c == '\t' ? "\\t" : c == '\r' ? "\\r" : c == '\b' ? "\\b"
                              : c == '\f' ? "\\f" : nullptr;
            if (named)
                std::fputs(named, stdout);
            else
                std::fprintf(stdout, "\\u%04x", c);
        } else if (c < 0x80) {
            std::fputc(c, stdout);
        } else if (std::size_t length = decodeUtf8(text, i, codePoint)) {
            std::fwrite(text.data() + i, 1, length, stdout);
            i += length - 1;
        } else {
            std::fputs("\xef\xbf\xbd", stdout);
        }
    }
    std::fputc('"', stdout);
}

}  // namespace

void jsonOpen(char bracket)
{
    beginValue();
    std::fputc(bracket, stdout);
    closers.push_back(bracket == '{' ? '}' : ']');
    hasMembers.push_back(false);
}

void jsonClose()
{
    if (jsonPretty && hasMembers.back())
        newLine(hasMembers.size() - 1);
    std::fputc(closers.back(), stdout);
    closers.pop_back();
    hasMembers.pop_back();
}

void jsonKey(std::string_view key)
{
    beginValue();
    writeQuoted(key);
    std::fputs(jsonPretty ? ": " : ":", stdout);
    keyWritten = true;
}

void jsonString(std::string_view text)
{
    beginValue();
    writeQuoted(text);
}

void jsonNumber(long long number)
{
    beginValue();
    std::fprintf(stdout, "%lld", number);
}

void jsonBool(bool value)
{
    beginValue();
    std::fputs(value ? "true" : "false", stdout);
}

void jsonNull()
{
    beginValue();
    std::fputs("null", stdout);
}

// The line under a parse error, and what was found at its column. The
// calculators read bytes; a student types characters, so a UTF-8 sequence is
// shown and counted as the one character it is, and anything invisible is
// named rather than left as a '?' to puzzle over.

#include "echo.h"

#include "characters.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// One column of the echoed line: how many bytes it stands for, and how it
// shows.
struct Cell {
    std::size_t length;
    std::string_view shown;
};

Cell cellAt(std::string_view text, std::size_t at)
{
    if (std::size_t length = showableLength(text, at))
        return {length, text.substr(at, length)};
    if (text[at] == '\t')  // one column, as the caret counts it
        return {1, " "};
    std::uint32_t codePoint = 0;
    std::size_t length = decodeUtf8(text, at, codePoint);
    return {length > 0 ? length : 1, "?"};
}

// What the rule that refused the look-ahead was waiting for: each of these
// rules calls the error reporter at one place only (factor's match('(') is
// reached only on a '(').
const char* expectation(std::string_view rule)
{
    if (rule == "command")
        return "the end of the line";
    if (rule == "number")
        return "a digit";
    if (rule == "factor")
        return "')'";
    return nullptr;
}

}  // namespace

void echoLine(std::string_view line, long column, int indent)
{
    std::string_view text = line.substr(0, line.find('\n'));
    // The caret's column, counted in characters; the line is walked rather
    // than held as columns, as it may be millions of characters long.
    auto stop = static_cast<std::size_t>(column - 1);
    std::size_t at = 0;
    for (std::size_t offset = 0; offset < std::min(stop, text.size()); offset += cellAt(text, offset).length)
        ++at;
    // With "..." on either side, under the 16 columns of indent, it fits in 80.
    constexpr std::size_t window = 58;
    std::size_t from = at > window / 2 ? at - window / 2 : 0;
    std::printf("%*s%s", indent, "", from > 0 ? "..." : "");
    std::size_t offset = 0;
    for (std::size_t i = 0; offset < text.size() && i < from + window; ++i) {
        Cell cell = cellAt(text, offset);
        if (i >= from)
            std::fwrite(cell.shown.data(), 1, cell.shown.size(), stdout);
        offset += cell.length;
    }
    std::printf("%s\n", offset < text.size() ? "..." : "");
    std::printf("%*s^\n", static_cast<int>(static_cast<std::size_t>(indent) + at - from + (from > 0 ? 3 : 0)), "");
}

std::string nameFound(std::string_view line, long column)
{
    auto at = static_cast<std::size_t>(column - 1);
    if (at >= line.size())
        return "the end of the input";
    if (line[at] == '\n')
        return "the end of the line";
    std::size_t length = 0;
    return characterName(line, at, length);
}

std::string refusal(std::string_view line, long column, std::string_view rule)
{
    std::string found = "found " + nameFound(line, column);
    const char* expected = expectation(rule);
    return expected ? std::string(rule) + " expected " + expected + ", " + found : found;
}

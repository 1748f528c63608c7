// The line under a parse error, and what was found at its column. The
// calculators read bytes; a student types characters, so a UTF-8 sequence is
// shown and counted as the one character it is, and anything invisible is
// named rather than left as a '?' to puzzle over.

#include "echo.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence of two to four bytes at
// `text[at]`, and its code point; 0 if there is none (ASCII, a stray
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t decodeUtf8(std::string_view text, std::size_t at, std::uint32_t& codePoint)
{
    auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead >= 0xf0 && lead < 0xf5 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
    if (length == 0 || lead >= 0xf5 || at + length > text.size())
        return 0;
    codePoint = lead & (0x7fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xc0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (next & 0x3fu);
    }
    constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    bool surrogate = codePoint >= 0xd800 && codePoint < 0xe000;
    return codePoint < smallest[length] || surrogate || codePoint > 0x10ffff ? 0 : length;
}

// One column of the echoed line: how many bytes it stands for, and how it
// shows.
struct Cell {
    std::size_t length;
    std::string_view shown;
};

Cell cellAt(std::string_view text, std::size_t at)
{
    auto c = static_cast<unsigned char>(text[at]);
    std::uint32_t codePoint = 0;
    std::size_t length = decodeUtf8(text, at, codePoint);
    if (length > 0 && codePoint >= 0xa0)  // C1 controls show nothing
        return {length, text.substr(at, length)};
    if (c == '\t')  // one column, as the caret counts it
        return {1, " "};
    if (c >= ' ' && c < 0x7f)
        return {1, text.substr(at, 1)};
    return {length > 0 ? length : 1, "?"};
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
    constexpr std::size_t window = 60;
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
    auto c = static_cast<unsigned char>(line[at]);
    char text[40];
    std::uint32_t codePoint = 0;
    std::size_t length = decodeUtf8(line, at, codePoint);
    if (c == '\n')
        return "the end of the line";
    if (c == '\r')
        return "a carriage return";
    if (c == '\0')
        return "a NUL byte";
    if (c == '\'' || c == '\\')  // escaped as --trace shows a look-ahead
        std::snprintf(text, sizeof text, "'\\%c'", c);
    else if (c > ' ' && c < 0x7f)
        std::snprintf(text, sizeof text, "'%c'", c);
    else if (length > 0 && codePoint >= 0xa0)
        std::snprintf(text, sizeof text, "'%.*s' U+%04X", static_cast<int>(length), line.data() + at,
                      static_cast<unsigned>(codePoint));
    else if (length > 0 || c < 0x80)
        std::snprintf(text, sizeof text, "control code U+%04X", static_cast<unsigned>(length ? codePoint : c));
    else
        std::snprintf(text, sizeof text, "byte 0x%02X, not UTF-8", static_cast<unsigned>(c));
    return text;
}

#include "characters.h"

#include <cstdio>

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

std::size_t showableLength(std::string_view text, std::size_t at)
{
    auto c = static_cast<unsigned char>(text[at]);
    if (c >= ' ' && c < 0x7f)
        return 1;
    std::uint32_t codePoint = 0;
    std::size_t length = decodeUtf8(text, at, codePoint);
    return length > 0 && codePoint >= 0xa0 ? length : 0;  // C1 controls show nothing
}

namespace {

// A character that cannot be shown, by its code: U+001B, or a byte that is
// not UTF-8, 0x80. Sets `length` to the bytes it takes.
std::string code(std::string_view text, std::size_t at, std::size_t& length)
{
    auto c = static_cast<unsigned char>(text[at]);
    std::uint32_t codePoint = c;
    length = decodeUtf8(text, at, codePoint);
    char name[16];
    if (length > 0 || c < 0x80)
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
    else
        std::snprintf(name, sizeof name, "0x%02X", static_cast<unsigned>(c));
    length = length > 0 ? length : 1;
    return name;
}

}  // namespace

std::string characterName(std::string_view text, std::size_t at, std::size_t& length)
{
    auto c = static_cast<unsigned char>(text[at]);
    length = showableLength(text, at);
    if (c == '\'' || c == '\\')  // escaped as --trace shows a look-ahead
        return std::string("'\\") + static_cast<char>(c) + "'";
    if (c == ' ')
        return "a space";
    if (length == 1)
        return std::string("'") + static_cast<char>(c) + "'";
    if (length > 1) {
        // Appended, not added to a literal, which GCC 12 mistakes for
        // overlapping copies.
        std::string name = "'";
        name.append(text.substr(at, length)).append("' ").append(code(text, at, length));
        return name;
    }
    if (c == '\r') {
        length = 1;
        return "a carriage return";
    }
    if (c == '\0') {
        length = 1;
        return "a NUL byte";
    }
    std::string name = code(text, at, length);
    return name[0] == 'U' ? "control code " + name : "byte " + name + ", not UTF-8";
}

std::string quoted(std::string_view text)
{
    std::string shown = "'";
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = showableLength(text, at);
        if (length > 0)
            shown += text.substr(at, length);
        else
            shown.append("<").append(code(text, at, length)).append(">");
        at += length;
    }
    return shown + "'";
}

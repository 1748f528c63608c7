#pragma once

// How the companions show text a user typed: character by character, as
// UTF-8, and anything that cannot be shown as itself (a control code, a byte
// that is not UTF-8) named, so that a message never sends a terminal a raw
// escape sequence nor leaves a '?' to puzzle over.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The length of the well-formed UTF-8 sequence of two to four bytes at
// `text[at]`, and its code point; 0 if there is none (ASCII, a stray
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t decodeUtf8(std::string_view text, std::size_t at, std::uint32_t& codePoint);

// The bytes of the character at `text[at]` when it can be shown as itself
// (printable ASCII, a printable UTF-8 character), else 0.
std::size_t showableLength(std::string_view text, std::size_t at);

// The character at `text[at]` by name: "'-'", "'\\''", "'×' U+00D7",
// "a carriage return", "a NUL byte", "control code U+000B",
// "byte 0x80, not UTF-8". Sets `length` to the bytes it takes.
std::string characterName(std::string_view text, std::size_t at, std::size_t& length);

// Text quoted for a message: 'text', each character that cannot be shown as
// itself written as its code in angle brackets: '<U+001B>[2J', '5<0x80>'.
std::string quoted(std::string_view text);

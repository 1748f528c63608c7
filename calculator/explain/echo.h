#pragma once

// How calcexplain shows a line under a parse error: the line itself, a
// caret under the column where a grammar stopped, and the name of what it
// found there.

#include <string>
#include <string_view>

// Writes the line (up to its newline) indented by `indent`, at most a window
// of it when it is long, and under it a caret under 1-based byte column
// `column` (one past the end: the end of the input). A UTF-8 character takes
// one column; a byte that cannot be shown as itself is shown as '?'.
void echoLine(std::string_view line, long column, int indent);

// What stands at 1-based byte column `column` of `line`, for a message:
// "'-'", "'×' U+00D7", "a carriage return", "the end of the input" ...
std::string nameFound(std::string_view line, long column);

// What a parse error found, for the line under the caret: the rule that
// refused the look-ahead at `column` (as its run ended inside it) and what it
// expected there, "command expected the end of the line, found '-'"; only
// "found ..." where the rule is unknown ("") or waits for more than one thing.
std::string refusal(std::string_view line, long column, std::string_view rule);

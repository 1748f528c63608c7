// The text's layout: where a sentence of the model breaks to fit the
// text's width. It cuts the views' own words, and reads nothing back.

#include "views.h"

#include <algorithm>
#include <string>
#include <vector>

std::vector<std::string> wrapped(const std::string& text)
{
    std::vector<std::string> lines{""};
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = std::min(text.find(' ', at), text.size());
        std::string word = text.substr(at, end - at);
        if (!lines.back().empty() && lines.back().size() + 1 + word.size() > static_cast<std::size_t>(textWidth))
            lines.emplace_back();
        lines.back() += (lines.back().empty() ? "" : " ") + word;
        at = end + 1;
    }
    return lines;
}

// A value laid out as fields, one to a line, within 80 columns.

#include "number.h"

#include "show.h"

#include <cstdio>

namespace {

constexpr int textWidth = 65;  // beside the label's 15 columns, within 80

}  // namespace

void printField(const char* label, const std::string& text)
{
    std::string name = std::string(label) + ":";
    std::string rest = text;
    do {
        std::size_t length = rest.size();
        std::size_t next = length;
        if (length > textWidth) {
            std::size_t blank = rest.rfind(' ', textWidth);
            // A blank early in the line would leave most of it empty.
            length = blank == std::string::npos || blank < textWidth / 2 ? textWidth : blank;
            next = length + (blank == length);
        }
        std::printf("  %-13s%s\n", name.c_str(), rest.substr(0, length).c_str());
        rest.erase(0, next);
        name.clear();
    } while (!rest.empty());
}

std::string exactText(Stored x)
{
    if (!isFinite(x))
        return isNan(x) ? "nan" : signBit(x) ? "-inf" : "inf";
    if (isZeroValue(x))
        return signBit(x) ? "-0" : "0";
    return decimal(exactOf(x));
}

std::string exactText(float x)
{
    return exactText(storedSingle(x));
}

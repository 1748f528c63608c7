// factexplain's text view: the sentences it wraps (WebAssembly's frame
// notes) fill the 80 columns and never pass them.

#include "views.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::string text;
    std::vector<std::string> lines;
};

const std::string a40(40, 'a');
const std::string b39(39, 'b');
const std::string b40(40, 'b');

const Case cases[] = {
    {"", {""}},
    {"one two", {"one two"}},
    // 40 + 1 + 39 = 80 columns: one line, full.
    {a40 + " " + b39, {a40 + " " + b39}},
    // 81: the last word moves down.
    {a40 + " " + b40, {a40, b40}},
    {a40 + " " + b39 + " c", {a40 + " " + b39, "c"}},
    // A word longer than the line stands alone; it cannot be broken.
    {"x " + std::string(81, 'w') + " y", {"x", std::string(81, 'w'), "y"}},
};

TEST(FactexplainText, WrapsWithinEightyColumns)
{
    for (const Case& c : cases)
        EXPECT_EQ(wrapped(c.text), c.lines) << '"' << c.text << '"';
}

}  // namespace

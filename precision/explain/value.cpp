// floatexplain value: a number the student picks, as single precision (or
// another format) stores it, taken apart exactly.

#include "commands.h"
#include "json_view.h"
#include "model.h"
#include "text.h"

#include <vector>

namespace {

bool extended;

}  // namespace

int valueCommand(int argc, char** argv)
{
    std::vector<char*> texts;
    const Format* format = &readNumberOptions(argc, argv, valueOptions, texts, extended);
    std::vector<Operand> numbers;
    for (char* text : texts)
        numbers.push_back(readOperand(text, *format));
    if (numbers.empty())
        usageError("value takes one number or more", nullptr);
    std::vector<ValueModel> values;
    for (const Operand& x : numbers)
        values.push_back(valueModel(x, extended));
    if (jsonOutput) {
        writeValueJson(values);
        return 0;
    }
    showValues(values);
    return 0;
}

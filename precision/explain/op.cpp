// floatexplain op: one operation on two singles (or two values of another
// format), made by the machine's own arithmetic (built as the programs
// are) where it has the format, its rounding measured exactly, and the
// exception flags it raised (model.cpp).

#include "commands.h"
#include "json_view.h"
#include "model.h"
#include "text.h"

#include <string>
#include <vector>

int opCommand(int argc, char** argv)
{
    bool extended = false;
    std::vector<char*> operands;
    const Format* format = &readNumberOptions(argc, argv, opOptions, operands, extended);
    if (operands.size() != 3)
        usageError(operands.size() < 3 ? "op takes A OP B: a missing operand or operator" : "op takes A OP B, not more:",
                   operands.size() > 3 ? operands[3] : nullptr);
    std::string operation = operands[1];
    if (operation.size() != 1 || operation.find_first_of("+-*/") != 0)
        usageError("op's operator is +, -, * or /, not", operands[1]);
    Operand a = readOperand(operands[0], *format);
    Operand b = readOperand(operands[2], *format);
    char op = operation[0];
    OpModel model = opModel(op, a, b, extended);
    if (jsonOutput)
        writeOpJson(model);
    else
        showOp(model);
    return 0;
}

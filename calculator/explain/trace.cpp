// The trace is built from events alone: a rule begins and ends, a digit is
// read, an operator is applied. Syntax-directed evaluation makes that enough:
// an operator is applied right after its right operand is complete, and a
// rule's value is the last value computed within it (by an operator, or by
// the last rule it called). The rule that reads digits is a number.
//
// One model, the expression tree, is built from them as the rules run; the
// grouping and the steps are views of it. The rule calls are written as
// they happen.

#include "trace.h"

#include <cinttypes>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

struct Activation {
    const char* rule;
    int lookahead;
    int value;
    bool hasValue;
    bool readDigits;  // a number: its own arithmetic accumulates digits
};

// A node of the expression tree: a number, or an operator and its left
// operand. Nodes are kept in the order their values were computed, so the
// steps are the operator nodes in order, and an operator's right operand,
// complete just before it was applied, is the node just before it.
struct Node {
    int value;
    std::uint32_t left;
    char op;  // '+', '-' or '*'; 0 for a number
};

std::FILE* stepsOut;
std::FILE* callsOut;
std::vector<Activation> active;
std::vector<Node> nodes;
// The subtrees complete but not yet joined by an operator, left to right:
// an operator joins the last two.
std::vector<std::uint32_t> operands;

// An entry line is held back until the next event: if that is the same
// rule's exit, the two are written as one line.
bool entryPending;

bool inNumber()
{
    return !active.empty() && active.back().readDigits;
}

// Deep nesting would indent without bound; past 16 levels the depth is
// written as a number instead, so that even a step between two of the
// longest operands, "[depth N] (-2147483648)*(-2147483648) = 0", fits in 80
// columns.
void indent(std::size_t depth)
{
    constexpr std::size_t widest = 16;
    std::fprintf(callsOut, "%*s", static_cast<int>(2 * (depth < widest ? depth : widest) + 2), "");
    if (depth >= widest)
        std::fprintf(callsOut, "[depth %zu] ", depth);
}

void writeLookahead(int c)
{
    if (c == EOF)
        std::fputs("EOF", callsOut);
    else if (c == '\n')
        std::fputs("'\\n'", callsOut);
    else if (c == '\'' || c == '\\')
        std::fprintf(callsOut, "'\\%c'", c);
    else if (c > ' ' && c < 0x7f)
        std::fprintf(callsOut, "'%c'", c);
    else
        std::fprintf(callsOut, "'\\x%02x'", static_cast<unsigned>(c));
}

void writeEntry(std::size_t depth, const Activation& a)
{
    indent(depth);
    std::fprintf(callsOut, "%s ", a.rule);
    writeLookahead(a.lookahead);
}

void flushEntry()
{
    if (entryPending) {
        writeEntry(active.size() - 1, active.back());
        std::fputc('\n', callsOut);
        entryPending = false;
    }
}

// An operand in a step: negative ones in parentheses, so 5-(-3) reads right.
void writeOperand(std::FILE* out, int value)
{
    if (value < 0)
        std::fprintf(out, "(%d)", value);
    else
        std::fprintf(out, "%d", value);
}

void writeStep(std::FILE* out, char op, int left, int right, int result)
{
    writeOperand(out, left);
    std::fputc(op, out);
    writeOperand(out, right);
    std::fprintf(out, " = %d\n", result);
}

void setValue(int value)
{
    if (!active.empty()) {
        active.back().value = value;
        active.back().hasValue = true;
    }
}

}  // namespace

void startTrace(std::FILE* steps, std::FILE* calls)
{
    stepsOut = steps;
    callsOut = calls;
}

RuleTrace::RuleTrace(const char* rule, int lookahead)
{
    if (callsOut)
        flushEntry();
    active.push_back({rule, lookahead, 0, false, false});
    entryPending = callsOut != nullptr;
}

RuleTrace::~RuleTrace()
{
    Activation done = active.back();
    if (callsOut) {
        if (entryPending) {
            writeEntry(active.size() - 1, done);
            entryPending = false;
        } else {
            indent(active.size() - 1);
            std::fputs(done.rule, callsOut);
        }
        if (done.hasValue)
            std::fprintf(callsOut, " = %d", done.value);
        std::fputc('\n', callsOut);
    }
    active.pop_back();
    if (!done.hasValue)
        return;
    setValue(done.value);
    if (done.readDigits) {
        operands.push_back(static_cast<std::uint32_t>(nodes.size()));
        nodes.push_back({done.value, 0, 0});
    }
}

void traceDigit(int value)
{
    // digit is no rule of its own: the rule that called it reads a number.
    if (!active.empty())
        active.back().readDigits = true;
    setValue(value);
}

int traceStep(char op, int left, int right, int result)
{
    setValue(result);
    if (inNumber())  // accumulating the digits of one number is not a step
        return result;
    if (operands.size() >= 2) {
        operands.pop_back();  // the right operand: the last node
        std::uint32_t leftTree = operands.back();
        operands.back() = static_cast<std::uint32_t>(nodes.size());
        nodes.push_back({result, leftTree, op});
    }
    if (callsOut) {
        flushEntry();
        indent(active.size());
        writeStep(callsOut, op, left, right, result);
    }
    return result;
}

// The steps: the operator nodes in the order they were computed.
void writeSteps(std::FILE* out)
{
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].op) {
            std::fputs("  ", out);
            writeStep(out, nodes[i].op, nodes[nodes[i].left].value, nodes[i - 1].value, nodes[i].value);
        }
}

void endTrace()
{
    if (callsOut)
        flushEntry();
    if (stepsOut)
        writeSteps(stepsOut);
}

// The tree under `root` fully parenthesised, walked with a list of its own:
// the tree may be as deep as the line is long, too deep to recurse on the
// stack that was just too small for the rules.
void writeTree(std::FILE* out, std::uint32_t root)
{
    std::vector<std::pair<std::uint32_t, int>> walk{{root, 0}};  // node, and how much of it is written
    while (!walk.empty()) {
        auto [index, stage] = walk.back();
        const Node& n = nodes[index];
        if (!n.op) {
            std::fprintf(out, "%d", n.value);
            walk.pop_back();
        } else if (stage == 0) {
            std::fputc('(', out);
            walk.back().second = 1;
            walk.push_back({n.left, 0});
        } else if (stage == 1) {
            std::fputc(n.op, out);
            walk.back().second = 2;
            walk.push_back({index - 1, 0});
        } else {
            std::fputc(')', out);
            walk.pop_back();
        }
    }
}

void writeGrouping(std::FILE* out)
{
    for (std::uint32_t root : operands)
        writeTree(out, root);
}

const char* innermostRule()
{
    return active.empty() ? nullptr : active.back().rule;
}

std::size_t innermostDepth()
{
    return active.empty() ? 0 : active.size() - 1;
}

// The trace is built from events alone: a rule begins and ends, a digit is
// read, an operator is applied. Syntax-directed evaluation makes that enough:
// an operator is applied right after its right operand is complete, and a
// rule's value is the last value computed within it (by an operator, or by
// the last rule it called).

#include "trace.h"

#include <cinttypes>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Activation {
    const char* rule;
    int lookahead;
    int value;
    bool hasValue;
};

// The grouping, kept compactly: the line's numbers in order, each with the
// parentheses that open before it and close after it, and the operator that
// follows it. A subtree is a run of consecutive numbers.
struct Number {
    int value;
    std::uint32_t opens;
    std::uint32_t closes;
    char operatorAfter;
};

struct Subtree {
    std::size_t first, last;
};

std::FILE* stepsOut;
std::FILE* callsOut;
std::vector<Activation> active;
std::vector<Number> numbers;
std::vector<Subtree> operands;

// An entry line is held back until the next event: if that is the same
// rule's exit, the two are written as one line.
bool entryPending;

bool inNumber()
{
    return !active.empty() && std::strcmp(active.back().rule, "number") == 0;
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
    active.push_back({rule, lookahead, 0, false});
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
    if (std::strcmp(done.rule, "number") == 0) {
        operands.push_back({numbers.size(), numbers.size()});
        numbers.push_back({done.value, 0, 0, 0});
    }
}

void traceDigit(int value)
{
    setValue(value);
}

int traceStep(char op, int left, int right, int result)
{
    setValue(result);
    if (inNumber())  // accumulating the digits of one number is not a step
        return result;
    if (operands.size() >= 2) {
        Subtree rightTree = operands.back();
        operands.pop_back();
        Subtree& leftTree = operands.back();
        numbers[leftTree.first].opens++;
        numbers[rightTree.last].closes++;
        numbers[leftTree.last].operatorAfter = op;
        leftTree.last = rightTree.last;
    }
    if (stepsOut) {
        std::fputs("  ", stepsOut);
        writeStep(stepsOut, op, left, right, result);
    }
    if (callsOut) {
        flushEntry();
        indent(active.size());
        writeStep(callsOut, op, left, right, result);
    }
    return result;
}

void endTrace()
{
    if (callsOut)
        flushEntry();
}

void writeGrouping(std::FILE* out)
{
    for (const Number& n : numbers) {
        for (std::uint32_t i = 0; i < n.opens; ++i)
            std::fputc('(', out);
        std::fprintf(out, "%d", n.value);
        for (std::uint32_t i = 0; i < n.closes; ++i)
            std::fputc(')', out);
        if (n.operatorAfter)
            std::fputc(n.operatorAfter, out);
    }
}

const char* innermostRule()
{
    return active.empty() ? nullptr : active.back().rule;
}

std::size_t innermostDepth()
{
    return active.empty() ? 0 : active.size() - 1;
}

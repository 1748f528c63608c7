#pragma once

// The trace hooks as calcexplain defines them, and what they gather while one
// grammar runs one line: the grouping, the arithmetic steps in order and the
// call tree of the rules. They run in the process that runs that grammar.

#include <cstdio>

// Where the steps and the rule trace are written as they happen (nullptr:
// not asked for). The grouping is kept until the run ends.
void startTrace(std::FILE* steps, std::FILE* calls);

// The whole line fully parenthesised as the rules grouped it.
void writeGrouping(std::FILE* out);

// TRACE_RULE: one on the stack of every rule that runs, from its first
// statement until it returns.
struct RuleTrace {
    RuleTrace(const char* rule, int lookahead);
    ~RuleTrace();
    RuleTrace(const RuleTrace&) = delete;
    RuleTrace& operator=(const RuleTrace&) = delete;
};

// TRACE_DIGIT: the value of one digit.
void traceDigit(int value);

// Every wrapAdd, wrapSub and wrapMul of the rules passes its operands and
// its result through here.
int traceStep(char op, int left, int right, int result);

#pragma once

// The trace hooks as calcexplain defines them, and what they gather while one
// grammar runs one line: one model, the expression tree and the tree of rule
// calls, of which the grouping, the steps, the drawings and the rule trace
// are views. They run in the process that runs that grammar.

#include <cstddef>
#include <cstdio>

// Where each view goes (nullptr: not asked for). The rule trace is written
// as the rules run, the others when the run ends.
struct TraceViews {
    std::FILE* steps;
    std::FILE* calls;
    std::FILE* tree;   // the expression tree, as a picture (picture.h)
    std::FILE* rules;  // the tree of rule calls, as a picture
    std::FILE* model;  // the events and both trees, for --json (model.h)
};
void startTrace(const TraceViews& views);

// Called as the run ends, however it ends: writes the views, and the entry
// of the rule that was running if it is still held back (an error ends the
// process inside that rule).
void endTrace();

// The whole line fully parenthesised as the rules grouped it, the numbers as
// typed (on a line they rejected, the subtrees complete when they stopped,
// one after another), then a newline and a line for each number typed
// beyond the range that wrapped to another value.
void writeGrouping(std::FILE* out);

// Where the rules stood when the run ended: after an error, which ends the
// process without returning, the rule that refused the look-ahead and its
// depth (counted as --trace counts it, the first rule at depth 0).
const char* innermostRule();  // nullptr once every rule has returned
std::size_t innermostDepth();

// TRACE_RULE: one on the stack of every rule that runs, from its first
// statement until it returns. `lookahead` is the grammar's token.
struct RuleTrace {
    RuleTrace(const char* rule, const int* lookahead);
    ~RuleTrace();
    RuleTrace(const RuleTrace&) = delete;
    RuleTrace& operator=(const RuleTrace&) = delete;
};

// TRACE_DIGIT: the value of one digit.
void traceDigit(int value);

// Every wrapAdd, wrapSub and wrapMul of the rules passes its operands and
// its result through here.
int traceStep(char op, int left, int right, int result);

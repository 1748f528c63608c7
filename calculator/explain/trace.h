#pragma once

// The trace hooks as calcexplain defines them: they run in the process that
// runs one grammar on one line, and record what they see as one model
// (model.h), of which every view is made in calcexplain. They only record:
// the rules run as they would without them.

#include "model.h"

void startTrace(const Recording& recording);

// Called as the run ends, however it ends: completes the model where the
// rules stood (an error ends the process inside a rule) and writes its tail.
void endTrace();

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

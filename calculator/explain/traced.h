#pragma once

// Included first by each traced grammar (traced_loop.cpp and the others),
// which compile a calculator's own sources once more inside a namespace of
// their own, so that three grammars, each with its token, expr and main, fit
// in one program.

#include "sources.h"
#include "trace.h"

#define TRACE_RULE() RuleTrace ruleTrace(__func__, &token)
#define TRACE_DIGIT(value) traceDigit(value)

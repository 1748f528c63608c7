#pragma once

// Included first by each traced grammar (traced_loop.cpp and the others),
// which compile a calculator's own sources once more inside a namespace of
// their own, so that three grammars, each with its token, expr and main, fit
// in one program. Every header those sources include is included here
// first, outside the namespace; inside it they are then skipped.

#include "closeout.h"
#include "trace.h"
#include "wrap.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <sys/resource.h>

#define TRACE_RULE() RuleTrace ruleTrace(__func__, token)
#define TRACE_DIGIT(value) traceDigit(value)

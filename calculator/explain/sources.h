#pragma once

// Every header the calculators' sources include, other than their own
// calc.h and depth.h. calcexplain compiles those sources once more inside a
// namespace of its own per grammar (traced.h, untraced.cpp); these headers
// are included here first, outside the namespace, and inside it are then
// skipped, so the standard library stays where it belongs.

#include "closeout.h"
#include "wrap.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <sys/resource.h>

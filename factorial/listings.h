#pragma once

// fact's machine code in the plain and the optimised build, as listings to
// read: each block of instructions under the source line it came from, the
// self-call and the loop's back branch marked. Made when the suite is built,
// from the compiler's assembly of fact.cpp with each build's own options.
extern const char factListingPlain[];
extern const char factListingOpt[];

// fact.cpp itself, as the listings' source lines number it.
extern const char factSource[];

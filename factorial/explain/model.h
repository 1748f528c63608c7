#pragma once

// What factexplain shows, computed once: each build's calls and returns as
// its traced copy of fact ran them, with the depths, frames and products
// measured. The text view and the --json view both print this model.

#include "listings.h"
#include "trace.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The largest N: the plain build then takes 1001 frames, a few hundred
// kilobytes of stack at most on any platform measured (see the manual page),
// far inside the smallest stack the programs run with.
constexpr int maxN = 1000;

// A multiplication a return made: n * right, exact, and as the 32 bits of
// the program's int keep it.
struct Multiplication {
    int n;
    int right;
    long long exact;
    int product;
    bool wrapped;  // the exact product did not fit in 32 bits
};

// A call, or a return as the build lets it be seen. Whatever a build does
// not let be seen is std::nullopt.
struct Event {
    bool call;
    int n;
    std::optional<int> depth;                 // the frames above this call's
    std::optional<std::uintptr_t> frame;      // a call's frame, as its entry hook saw it
    std::optional<std::ptrdiff_t> frameSize;  // bytes below the previous call's frame
    std::optional<int> line;                  // the fact.cpp line it happened at
    std::optional<int> value;                 // a return's value
    std::optional<Multiplication> product;    // the multiplication a return made
};

struct Build {
    const char* name;   // "plain" or "optimised"
    const char* title;  // as the text heads it
    const char* flags;
    const Listing* listing;  // fact's machine code in this build
    int selfCalls;           // its instructions that call fact itself
    int backBranches;        // its branches back to an earlier instruction (a loop)
    bool seesProducts;       // the copy has a hook after the recursive call
    int result;
    std::size_t calls;
    std::vector<Event> events;
    bool framesMeasured;
    std::optional<std::size_t> frames;   // distinct frames, where measured
    std::optional<int> deepest;          // the greatest depth
    std::set<std::ptrdiff_t> distances;  // bytes per call, between frames that differ
    std::optional<int> wrapped;          // products that wrapped
    std::string frameNote;  // one sentence: what is and is not measured here
};

struct Explanation {
    int n;
    std::vector<std::string> source;  // fact.cpp, line k at [k - 1]
    Build plain;
    Build opt;
};

// Runs both traced copies on n and measures them; a self-check that fails
// ends factexplain with an internal error.
Explanation explainFact(int n);

[[noreturn]] void internalError(const std::string& what);

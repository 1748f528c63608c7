#pragma once

// What factexplain shows, computed once: each build's calls and returns as
// its traced copy of fact ran them, with the depths, frames and products
// measured. The text view and the --json view both print this model.

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

// A call, or a return as the build lets it be seen.
struct Event {
    bool call;
    int n;
    int depth;                // the frames above this call's; -1 where unseen
    std::uintptr_t frame;     // a call's frame, as its entry hook saw it; 0 if unseen
    std::optional<std::ptrdiff_t> frameSize;  // bytes below the previous call's frame
    int line;                 // the fact.cpp line it happened at; 0 if unseen
    int value;                // a return's value
    std::optional<Product> product;  // the multiplication a return made
    bool wrapped;             // that product lost bits beyond 32
};

struct Build {
    const char* name;   // "plain" or "optimised"
    const char* title;  // as the text heads it
    const char* flags;
    const char* listing;  // the --code listing
    bool seesProducts;    // the copy has a hook after the recursive call
    int result;
    std::size_t calls;
    std::vector<Event> events;
    bool framesMeasured;
    std::size_t frames;  // distinct frames, where measured
    int deepest;         // the greatest depth, -1 where unseen
    std::set<std::ptrdiff_t> distances;  // bytes per call, between frames that differ
    int wrapped;         // products that wrapped; -1 where unseen
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

// The listing's instructions, each with the fact.cpp line it came from
// (0 if from no line of fact.cpp), for the --json view.
struct Instruction {
    std::string text;
    int line;
    std::string source;  // "wrap.h:23" where another file's line made it
    std::string label;   // the label it stands under, if first below one
    std::string note;    // "calls itself", "back to .L4"
};
std::vector<Instruction> readListing(const char* listing);

[[noreturn]] void internalError(const std::string& what);

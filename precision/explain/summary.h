#pragma once

// The summary of a harmonic sum, as `sum` finds it: what its text and its
// --json both show.

#include <string>
#include <vector>

// Consecutive steps whose sums share a binade and whose terms are of one
// size against its ulp.
struct SumPhase {
    int binade;
    int ulpExponent;
    const char* terms;  // "1 ulp or more", "1/2 to 1 ulp", "1/2 ulp or less"
    int firstI;
    long steps;
    std::string errorAdded;  // in ulps, as errorText writes it
};

struct SumSummary {
    int first, last;  // i of the first and the last step
    bool decreasing, extended;
    long terms;
    int firstAbsorbed;  // 0: none
    int lastChange;     // 0: none
    long absorbed;
    long unlikeStrict;  // extended: steps a strict step from the same sum would end elsewhere
    float sum;
    // The exact sum to the decimal places its bound allows, and the bound.
    std::string exactSum, errorBound;
    std::string error;  // of the final sum, in ulps, as errorText writes it
    int ulpExponent;
    std::vector<SumPhase> phases;
};

#pragma once

// What the precision sections' trace hooks call in floatexplain.

#include <vector>

// The stored sum after each step of a traced harmonic sum, in order. The
// hook is inline, so that ten million steps cost a store each, not a call.
inline std::vector<float> tracedSums;

inline void traceTerm(int, float sum)
{
    tracedSums.push_back(sum);
}

// Called after each addition of the tenth with the stored sum.
void traceTenth(float tenth, float sum);

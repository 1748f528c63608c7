#pragma once

// The sections' own sources compiled once more with the trace hooks defined,
// inside namespace traced (traced_harmonic.cpp, traced_part2.cpp).

#include "precision.h"

namespace traced {

float sumIncreasing(Arithmetic arithmetic, int low, int high);
float sumDecreasing(Arithmetic arithmetic, int low, int high);

// part2 reads its program's settings; here they can be chosen.
extern Settings settings;
void part2();

}  // namespace traced

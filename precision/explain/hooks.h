#pragma once

// What the precision sections' trace hooks call in floatexplain.

// Called after each step of a harmonic sum with the stored sum.
void traceTerm(int i, float sum);
// Called after each addition of the tenth with the stored sum.
void traceTenth(float tenth, float sum);

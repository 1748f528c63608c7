#pragma once

// Included inside a traced grammar's namespace: the programs' own wrapping
// arithmetic, each step reported. Name lookup inside the namespace finds
// these before the global ones, so the rules call them unchanged.

inline int wrapAdd(int a, int b) { return traceStep('+', a, b, ::wrapAdd(a, b)); }
inline int wrapSub(int a, int b) { return traceStep('-', a, b, ::wrapSub(a, b)); }
inline int wrapMul(int a, int b) { return traceStep('*', a, b, ::wrapMul(a, b)); }

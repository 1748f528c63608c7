#pragma once

// The guard that keeps deep nesting off the end of the stack (depth.cpp).

void startDepthGuard();  // called once, before the first rule
void checkDepth();       // called on every level of nesting; reports an error at the bound

#pragma once

// The two traced copies of fact (traced.cpp): with the plain build's flags
// and with the optimised build's.
namespace traced::plain {
int fact(int n);
}
namespace traced::opt {
int fact(int n);
}

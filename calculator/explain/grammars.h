#pragma once

// The three calculators as calcexplain holds them, each in its namespace
// (traced_loop.cpp, traced_minusrec.cpp, traced_rec.cpp): the programs' own
// main and look-ahead.

namespace calcloop {
int main();
extern int token;
}  // namespace calcloop

namespace calcminusrec {
int main();
extern int token;
}  // namespace calcminusrec

namespace calcrec {
int main();
extern int token;
}  // namespace calcrec

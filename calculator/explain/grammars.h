#pragma once

// The three calculators as calcexplain holds them, each twice: traced, in
// namespace calcloop (traced_loop.cpp, and the others alike), and untraced,
// exactly as the program is built, in namespace untraced::calcloop
// (untraced.cpp). Of each: the program's own main and look-ahead.

#define DECLARE_GRAMMAR(name) \
    namespace name {          \
    int main();               \
    extern int token;         \
    }

DECLARE_GRAMMAR(calcloop)
DECLARE_GRAMMAR(calcminusrec)
DECLARE_GRAMMAR(calcrec)
DECLARE_GRAMMAR(untraced::calcloop)
DECLARE_GRAMMAR(untraced::calcminusrec)
DECLARE_GRAMMAR(untraced::calcrec)

#undef DECLARE_GRAMMAR

// Their names, in the order calcexplain shows them; an index into this is
// what "grammar g" means throughout.
constexpr const char* grammarNames[] = {"calcloop", "calcminusrec", "calcrec"};

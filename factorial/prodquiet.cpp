// Computes 4! with the recursive fact and prints nothing: a program to
// study in a debugger or in its assembly.

#include "closeout.h"
#include "fact.h"

#include <cstdlib>

int main()
{
    std::atexit(closeStdout);
    [[maybe_unused]] int f = fact(4);
    return 0;
}

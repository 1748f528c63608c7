// Prints 4! as computed by the recursive fact.

#include "closeout.h"
#include "fact.h"

#include <cstdio>
#include <cstdlib>

int main()
{
    std::atexit(closeStdout);
    int f = fact(4);
    std::printf(" fact is  %d\n", f);
    return 0;
}

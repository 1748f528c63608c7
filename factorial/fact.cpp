#include "fact.h"

#include "wrap.h"

int fact(int n)
{
    // Stopping at every n <= 0, not only at 0, keeps a negative argument
    // from recursing until the stack runs out.
    if (n <= 0)
        return 1;
    return wrapMul(n, fact(n - 1));
}

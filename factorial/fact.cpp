#include "fact.h"

#include "wrap.h"

int fact(int n)
{
    TRACE_CALL(n);
    // Stopping at every n <= 0, not only 0, keeps a negative n from recursing.
    if (n <= 0)
        return 1;
    return wrapMul(n, fact(n - 1));
}

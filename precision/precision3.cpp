// precision3: all three sections, strictly in single precision.

#include "closeout.h"
#include "precision.h"

#include <cstdlib>

const Settings settings = strictSettings;

int main()
{
    std::atexit(closeStdout);
    part1();
    part2();
    part3();
    return 0;
}

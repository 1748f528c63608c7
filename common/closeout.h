#pragma once

// Registered with atexit by every program's main. It closes standard output,
// and if anything written to it was lost (a full disk, a closed pipe,
// /dev/full) it says "write error" on standard error and ends the process
// with status 1 instead of reporting success.
void closeStdout();

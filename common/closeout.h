#pragma once

// Registered with atexit by every program's main. If anything written to
// standard output was lost (a full disk, a closed pipe, /dev/full), it says
// "write error" on standard error and ends the process with status 1 instead
// of reporting success.
void closeStdout();

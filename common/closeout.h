#pragma once

// Registered with atexit by every program's main. It closes standard output,
// and if anything written to it was lost (a full disk, a closed pipe,
// /dev/full) it says "PROGRAM: write error: REASON" on standard error, as
// other command-line tools do, and ends the process with status 1 instead of
// reporting success.
void closeStdout();

// Writes out what standard output holds, for a program that shows its work
// as it goes (into a pipe too). A failure is reported by closeStdout, with
// its reason, when the program ends.
void flushStdout();

// For the companions, which open descriptors of their own: if standard
// output was closed before the program started, a descriptor opened later
// would take its place and swallow the output. This puts a read-only one
// there, so that every write fails instead, as it does in the programs.
void holdStdoutOpen();

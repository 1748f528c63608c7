#include "closeout.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdio_ext.h>
#include <unistd.h>

// Why the last flush of standard output failed (0: none failed): once a
// failed flush has discarded what it could not write, the close has nothing
// left to fail on, and this is the only reason left to report.
static int flushError;

void flushStdout()
{
    if (std::fflush(stdout) != 0 && flushError == 0)
        flushError = errno;
}

void closeStdout()
{
    // Once closed, the stream is gone: a second call (a second registration,
    // or one a forked process inherited) has nothing left to check.
    static bool closed = false;
    if (closed)
        return;
    closed = true;
    // fclose writes what is still buffered, then closes; an error can show at
    // either. The error flag reports a write that failed earlier.
    bool failedEarlier = std::ferror(stdout) != 0;
    bool pending = __fpending(stdout) != 0;
    errno = 0;
    bool closeFailed = std::fclose(stdout) != 0;
    int reason = closeFailed ? errno : flushError;
    // A standard output closed before the program started (prog >&-) fails
    // the close with EBADF; if nothing was written, nothing was lost.
    bool lost = failedEarlier || (closeFailed && (pending || reason != EBADF));
    if (!lost)
        return;
    // A write that failed earlier outside flushStdout, with nothing left
    // pending, has left no reason to report.
    if (reason)
        std::fprintf(stderr, "%s: write error: %s\n", program_invocation_short_name, std::strerror(reason));
    else
        std::fprintf(stderr, "%s: write error\n", program_invocation_short_name);
    // Calling exit from an atexit handler is undefined; _Exit ends at once.
    std::_Exit(1);
}

void holdStdoutOpen()
{
    while (fcntl(STDOUT_FILENO, F_GETFD) < 0 && open("/dev/null", O_RDONLY) >= 0) {
    }
}

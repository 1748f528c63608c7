// A run in a forked process: its standard input and output are the run's
// memory files, and whatever this process holds in its buffers is not its.

#include "spawn.h"

#include "closeout.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdio_ext.h>
#include <sys/mman.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// A line's explanation needs no file system.
std::FILE* memoryFile(const char* name)
{
    int fd = memfd_create(name, MFD_CLOEXEC);
    return fd < 0 ? nullptr : fdopen(fd, "w+");
}

int spawnRun(int grammar, bool traced, const RunFiles& files)
{
    flushStdout();  // or the process would write what is buffered once more
    pid_t pid = fork();
    if (pid < 0)
        systemFailure("fork");
    if (pid == 0) {
        dup2(fileno(files.input), STDIN_FILENO);
        dup2(fileno(files.output), STDOUT_FILENO);
        // The program's standard output starts afresh: nothing of this
        // process's output, and none of its errors.
        __fpurge(stdout);
        std::clearerr(stdout);
        // Nor may it touch the lines still to come: at exit, a stream with
        // input read ahead seeks its file back, and that file's offset is
        // shared with this process.
        if (lineInput)
            __fpurge(lineInput);
        runGrammar(grammar, traced, files.result, files.views);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

// A run in a forked process: its standard input and output are the run's
// memory files, and whatever this process holds in its buffers is not its.

#include "spawn.h"
#include "run.h"

#include "closeout.h"

#include <cerrno>
#include <csignal>
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
    // SIGCHLD ignored, as it may be inherited, would have the kernel reap the
    // copy itself, and waitpid find no child to wait for.
    std::signal(SIGCHLD, SIG_DFL);
    pid_t pid = fork();
    if (pid < 0)
        systemFailure("fork");
    if (pid == 0) {
        if (dup2(fileno(files.input), STDIN_FILENO) < 0 || dup2(fileno(files.output), STDOUT_FILENO) < 0) {
            std::perror("calcexplain: dup2");
            _exit(spawnFailure);
        }
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
    pid_t waited;
    while ((waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (waited < 0)
        systemFailure("waitpid");
    if (WIFEXITED(status) && WEXITSTATUS(status) == spawnFailure)
        std::exit(1);  // the copy has said why
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

// A run in a forked process: its standard input and output are the run's
// memory files, and whatever this process holds in its buffers is not its.

#include "spawn.h"
#include "run.h"

#include "closeout.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <stdio_ext.h>
#include <sys/resource.h>
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

namespace {

// The copy's end, once its own exit handlers have run. What is left belongs
// to calcexplain (its closeStdout, the libraries' destructors) and, in the
// sanitizer build, a leak check that cannot see the stack of the thread the
// copy was forked from (runCalcexplain).
void endCopy(int status, void*)
{
    std::fflush(nullptr);
    _exit(status);
}

struct Start {
    int (*body)(int, char**);
    int argc;
    char** argv;
};

void* start(void* arguments)
{
    const Start& s = *static_cast<Start*>(arguments);
    std::exit(s.body(s.argc, s.argv));
}

// Whether glibc can tell where the main thread's stack ends, as the depth
// guard asks it (depth.cpp).
bool mainStackKnown()
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return false;
    void* end = nullptr;
    std::size_t size = 0;
    bool known = pthread_attr_getstack(&attributes, &end, &size) == 0;
    pthread_attr_destroy(&attributes);
    int here = 0;
    return known && reinterpret_cast<std::uintptr_t>(&here) > reinterpret_cast<std::uintptr_t>(end);
}

}  // namespace

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
        on_exit(endCopy, nullptr);  // before runGrammar's handlers, so run after them
        runGrammar(grammar, traced, files.result, files.recording);
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

// A copy is forked from wherever calcexplain stands on its stack, and only
// what lies below is left to it: on the main thread, under a small limit, too
// little for the copy's own exit. So calcexplain runs on a stack of its own,
// the limit and a mebibyte more. A copy's depth guard then finds the whole
// limit below it, as the program does at its start (depth.cpp), and its exit
// still has room beyond the guard's floor, whatever the limit.
//
// Where glibc cannot tell where the main thread's stack ends (a static
// program under qemu-user), the program's guard takes a share of the limit
// instead; the copies must meet that guard too, so they are forked from the
// main thread, where the program runs.
void runCalcexplain(int (*body)(int, char**), int argc, char** argv)
{
    if (!mainStackKnown())
        std::exit(body(argc, argv));
    std::size_t limit = std::size_t{8} << 20;  // for an unlimited stack, as the guard takes it
    rlimit stack{};
    if (getrlimit(RLIMIT_STACK, &stack) == 0 && stack.rlim_cur != RLIM_INFINITY)
        limit = static_cast<std::size_t>(std::min<rlim_t>(stack.rlim_cur, rlim_t{256} << 20));
    Start arguments{body, argc, argv};
    pthread_attr_t attributes;
    pthread_t thread;
    int error = pthread_attr_init(&attributes);
    if (error == 0)
        error = pthread_attr_setstacksize(&attributes, limit + (std::size_t{1} << 20));
    if (error == 0)
        error = pthread_create(&thread, &attributes, start, &arguments);
    if (error == 0)
        error = pthread_join(thread, nullptr);  // does not return: the thread ends the process
    errno = error;
    systemFailure("a stack of its own");
}

// peakrss <program> [args...]: runs the program and prints its peak resident
// memory in KiB on standard error. A tool for the benchmarks: a process
// forked from a large parent (Python, say) starts with the parent's pages
// counted in its peak, so the measuring parent must itself be small.

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: peakrss <program> [args...]\n", stderr);
        return 2;
    }
    pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0) {
        std::perror("peakrss");
        return 2;
    }
    std::fprintf(stderr, "peak resident %ld KiB\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

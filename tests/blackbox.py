"""Runs the suite's programs as black boxes and tallies the checks.

The programs are found in the directory given by --bin, or in PROGRAM_BIN
when that is set (so that the same tests can run against the programs of an
installed package). PROGRAM_EMULATOR, when set, is a command line put in
front of every program (for example an emulator that runs a cross-compiled
build)."""

import argparse
import ctypes
import os
import resource
import shlex
import subprocess
import sys
from dataclasses import dataclass


@dataclass
class Run:
    stdout: bytes
    stderr: bytes
    status: int  # exit status, or minus the signal number that killed it


def arguments(extra=None):
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="directory holding the programs")
    if extra:
        extra(parser)
    args = parser.parse_args()
    args.bin = os.environ.get("PROGRAM_BIN") or args.bin
    return args


def slow():
    """Whether the programs run slowly here: under an emulator, the
    sanitizers or without optimisation (PROGRAM_SPEED=slow). The tests then
    draw fewer generated cases and leave the longest runs to the optimised
    native builds, and say so."""
    return os.environ.get("PROGRAM_SPEED") == "slow" or bool(os.environ.get("PROGRAM_EMULATOR"))


def fewer(count, slow_count, what):
    """count generated cases, or slow_count where the programs run slowly."""
    if not slow():
        return count
    print(f"the programs run slowly here: {slow_count} {what} instead of {count}")
    return slow_count


def not_run(what, reason):
    """Says what a script leaves out here, and why: never silently."""
    print(f"not run: {what} ({reason})")


# As run's stdout: the program starts with its standard output closed.
CLOSED = "closed"


def signed32(n):
    """n wrapped to a 32-bit two's-complement integer."""
    n %= 1 << 32
    return n - (1 << 32) if n >= 1 << 31 else n


ADDR_NO_RANDOMIZE = 0x0040000  # <sys/personality.h>


def command_line(bin_dir, program, arguments=()):
    """The command that runs program, through the emulator if there is one."""
    return shlex.split(os.environ.get("PROGRAM_EMULATOR", "")) + [os.path.join(bin_dir, program), *arguments]


def run(bin_dir, program, stdin=b"", *, arguments=(), stdout=subprocess.PIPE, stack_limit=None, timeout=60,
        hold_input_open=True, fixed_stack_start=False, environment=None):
    """Runs program with its arguments and stdin as its standard input.

    If stdin holds a newline, the pipe stays open while the program runs
    (unless hold_input_open is false, for a program that reads to the end): a
    program that reads past the point where it should stop waits for more
    input and fails by timeout instead of passing. stdin may also be an open
    file, which the program then reads directly, as from `< file`. With
    fixed_stack_start, the kernel places the stack where it would without
    address randomisation, the same on every run (as `setarch -R` does).
    environment, if given, replaces the program's environment."""
    from_file = hasattr(stdin, "fileno")
    command = command_line(bin_dir, program, arguments)

    def prepare_child():
        if stack_limit is not None:
            hard = resource.getrlimit(resource.RLIMIT_STACK)[1]
            if stack_limit == resource.RLIM_INFINITY:
                hard = resource.RLIM_INFINITY
            resource.setrlimit(resource.RLIMIT_STACK, (stack_limit, hard))
        if stdout is CLOSED:
            os.close(1)
        if fixed_stack_start:
            personality = ctypes.CDLL(None, use_errno=True).personality
            current = personality(0xFFFFFFFF)  # asks, changing nothing
            if current < 0 or personality(current | ADDR_NO_RANDOMIZE) < 0:
                raise OSError(ctypes.get_errno(), "personality(ADDR_NO_RANDOMIZE)")

    proc = subprocess.Popen(command, stdin=stdin if from_file else subprocess.PIPE,
                            stdout=subprocess.DEVNULL if stdout is CLOSED else stdout,
                            stderr=subprocess.PIPE, preexec_fn=prepare_child, env=environment)
    try:
        if from_file:
            out, err = proc.communicate(timeout=timeout)
        elif hold_input_open and b"\n" in stdin:
            # The programs' output is small enough for the pipe buffers, so
            # waiting before reading cannot deadlock.
            try:
                proc.stdin.write(stdin)
                proc.stdin.flush()
            except BrokenPipeError:
                pass  # it stopped reading early, as it may
            proc.wait(timeout=timeout)
            out = proc.stdout.read() if proc.stdout else b""
            err = proc.stderr.read()
        else:
            out, err = proc.communicate(stdin, timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        return Run(b"", b"timed out: still waiting for input or still running", -9)
    finally:
        for stream in (proc.stdin, proc.stdout, proc.stderr):
            if stream:
                try:
                    stream.close()
                except BrokenPipeError:
                    pass  # input left in the buffer, which the program did not read
    return Run(out or b"", err or b"", proc.returncode)


class Tally:
    """Counts checks; prints each failure and a closing 'N passed, N failed' line."""

    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, label, ok, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL {label}" + (f"\n     {detail}" if detail else ""))
        return ok

    def expect_run(self, label, got, stdout, status, stderr=b""):
        """Checks exact stdout bytes, exit status and stderr bytes."""
        want = Run(stdout, stderr, status)
        return self.check(label, got == want, f"want {want}\n     got  {got}")

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        sys.exit(1 if self.failed else 0)

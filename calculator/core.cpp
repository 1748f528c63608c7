// The part every calculator shares: the scanner, the rules for numbers and
// factors, the driver, and the guard that keeps deep nesting off the end of
// the stack. The grammar modules add expr and the operator rules below it.

#include "calc.h"

#include "closeout.h"
#include "wrap.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

int token;

void getToken()
{
    // Blanks and tabs are skipped everywhere, even between the digits of a number.
    do
        token = std::getchar();
    while (token == '\t' || token == ' ');
}

void match(char expected)
{
    if (token == static_cast<signed char>(expected))
        getToken();
    else
        error();
}

// The one error reporter: a line that begins "parse error", then status 1.
// exit flushes standard output, so the line is not lost.
void error(const char* detail)
{
    if (detail)
        std::printf("parse error: %s\n", detail);
    else
        std::puts("parse error");
    std::exit(1);
}

// Nesting depth is bounded by the stack itself, not by a count of levels:
// the guard compares how far the stack has grown since parse began with a
// budget taken from the process's stack limit, so the bound follows that
// limit (ulimit -s) and the frame sizes of whatever build this is.
static std::uintptr_t stackBase;
static std::uintptr_t stackBudget;

// Where the stack is now: the address of a local variable. (The compilers'
// frame-address builtin does not move with the depth on SPARC.) Kept out of
// line and out of AddressSanitizer's reach, which may move instrumented
// locals to a "fake stack" on the heap.
[[gnu::noinline, gnu::no_sanitize_address]] static std::uintptr_t stackPosition()
{
    volatile char marker = 0;
    auto here = reinterpret_cast<std::uintptr_t>(&marker);  // a number, never dereferenced
    return here;
}

static void setStackBudget()
{
    std::uintptr_t limit = 8u << 20;  // what to assume if the limit is unlimited or unknown
    rlimit rl{};
    if (getrlimit(RLIMIT_STACK, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
        limit = static_cast<std::uintptr_t>(rl.rlim_cur);
    // A quarter of the limit may hold the program's arguments and environment;
    // 64 KiB stay free for the library calls (getchar, printf, exit) made from
    // the deepest frame.
    std::uintptr_t reserve = limit / 4 + (64u << 10);
    stackBudget = limit > reserve ? limit - reserve : 0;
    stackBase = stackPosition();
}

// Every level of nesting, by a parenthesis or by a right-recursive rule,
// passes through factor before it goes deeper, so this one check in factor
// bounds them all. The stack grows downwards on every target we build for.
static void checkDepth()
{
    if (stackBase - stackPosition() > stackBudget)
        error("expression nested too deeply");
}

// digit -> '0' | '1' | ... | '9'
int digit()
{
    if (!std::isdigit(token))
        error();
    int value = token - '0';
    match(static_cast<char>(token));
    return value;
}

// number -> digit { digit }
int number()
{
    int value = digit();
    while (std::isdigit(token))
        value = wrapAdd(wrapMul(value, 10), digit());
    return value;
}

// factor -> '(' expr ')' | number
int factor()
{
    checkDepth();
    if (token != '(')
        return number();
    match('(');
    int value = expr();
    match(')');
    return value;
}

// command -> expr newline
void command()
{
    int value = expr();
    if (token != '\n')
        error();
    std::printf("The result is: %d\n", value);
}

void parse()
{
    setStackBudget();
    getToken();
    command();
}

int main()
{
    std::atexit(closeStdout);
    parse();
    return 0;
}

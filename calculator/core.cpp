// The part every calculator shares: the scanner, the rules for numbers and
// factors, and the driver. The grammar modules add expr and the operator
// rules below it; depth.cpp keeps deep nesting off the end of the stack.

// calcexplain compiles this file again inside a namespace, with every header
// it includes already included outside (explain/CMakeLists.txt lists them).
#include "calc.h"

#include "closeout.h"
#include "depth.h"
#include "wrap.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

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

// digit -> '0' | '1' | ... | '9'
int digit()
{
    if (!std::isdigit(token))
        error();
    int value = token - '0';
    TRACE_DIGIT(value);
    match(static_cast<char>(token));
    return value;
}

// number -> digit { digit }
int number()
{
    TRACE_RULE();
    int value = digit();
    while (std::isdigit(token))
        value = wrapAdd(wrapMul(value, 10), digit());
    return value;
}

// factor -> '(' expr ')' | number
int factor()
{
    TRACE_RULE();
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
    TRACE_RULE();
    int value = expr();
    if (token != '\n')
        error();
    std::printf("The result is: %d\n", value);
}

void parse()
{
    startDepthGuard();
    getToken();
    command();
}

int main()
{
    std::atexit(closeStdout);
    parse();
    return 0;
}

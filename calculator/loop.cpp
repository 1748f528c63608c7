// calcloop's grammar: every operator rule is a loop, so '+', '-' and '*' all
// associate to the left. '*' binds tightest, then '-', then '+'.

#include "calc.h"

#include "wrap.h"

// expr is entered first; the rules below it are declared so they read top-down.
static int minus();
static int term();

// expr -> minus { '+' minus }
int expr()
{
    TRACE_RULE();
    int value = minus();
    while (token == '+') {
        match('+');
        value = wrapAdd(value, minus());
    }
    return value;
}

// minus -> term { '-' term }
static int minus()
{
    TRACE_RULE();
    int value = term();
    while (token == '-') {
        match('-');
        value = wrapSub(value, term());
    }
    return value;
}

// term -> factor { '*' factor }
static int term()
{
    TRACE_RULE();
    int value = factor();
    while (token == '*') {
        match('*');
        value = wrapMul(value, factor());
    }
    return value;
}

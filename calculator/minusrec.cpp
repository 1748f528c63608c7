// calcminusrec's grammar: as calcloop's, but minus calls itself for its right
// operand, so subtraction associates to the right: 10-3-2 is 10-(3-2).

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

// minus -> term [ '-' minus ]
static int minus()
{
    TRACE_RULE();
    int value = term();
    if (token == '-') {
        match('-');
        value = wrapSub(value, minus());
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

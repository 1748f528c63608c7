// calcrec's grammar: expr and term call themselves for their right operand,
// so '+' and '*' associate to the right. There is no minus rule: a '-' is
// rejected wherever it stands.

#include "calc.h"

#include "wrap.h"

// expr is entered first; term is declared so the rules read top-down.
static int term();

// expr -> term [ '+' expr ]
int expr()
{
    TRACE_RULE();
    int value = term();
    if (token == '+') {
        match('+');
        value = wrapAdd(value, expr());
    }
    return value;
}

// term -> factor [ '*' term ]
static int term()
{
    TRACE_RULE();
    int value = factor();
    if (token == '*') {
        match('*');
        value = wrapMul(value, term());
    }
    return value;
}

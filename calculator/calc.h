#pragma once

// The calculators' shared core (core.cpp) and the rule each grammar module
// supplies. Every rule is entered with token holding the first character of
// its phrase and returns with token holding the first character after it.

// Trace hooks, at most one per rule. Here they compile to nothing;
// calcexplain defines them before it compiles these same rules, to watch
// them run.
#ifndef TRACE_RULE
#define TRACE_RULE() ((void)0)         // a rule begins
#define TRACE_DIGIT(value) ((void)0)   // digit has read the value of one digit
#endif

extern int token;  // look-ahead: last character read that is not a tab or blank, or EOF

void getToken();
void match(char expected);
[[noreturn]] void error(const char* detail = nullptr);

int digit();
int number();
int factor();
void command();
void parse();

// Defined once per grammar: loop.cpp, minusrec.cpp, rec.cpp.
int expr();

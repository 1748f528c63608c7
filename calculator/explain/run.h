#pragma once

// The exchange between calcexplain and a copy of a grammar it runs (spawn.h):
// the copy's side reports where the run stopped into the result file; the
// parent's side reads that, and the program's own output line, back as an
// Answer.

#include "model.h"
#include "usage.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// What one run of one copy of a grammar made of the line.
struct Answer {
    bool accepted;
    int value;
    std::string message;  // the program's own error line, without its newline
    bool parseError;      // the message is "parse error", and detail what follows it
    std::string detail;
    long column;          // 1-based: the character at which it stopped
    // Traced runs only: what the trace recorded (model.h), its file open
    // for the events.
    Model model;
};

// The same verdict: the same value, or the same error at the same column.
bool operator==(const Answer& a, const Answer& b);

// What one grammar made of one line: the program's verdict, explained by the
// traced run where it followed the program all the way.
struct Outcome {
    Answer program;
    Answer traced;
    bool traceCut;  // the traced run met its depth guard before the program's end
    // Where the program rejected the line: what the rule that refused the
    // look-ahead expected and what it found ("command expected the end of
    // the line, found '-'"), or only what it found; else empty.
    std::string refusal;
};

// One line explained: what each grammar made of it, and what they make of
// it together. The views format this and nothing else.
struct Explained {
    std::string_view line;  // with its newline, if it has one
    std::string_view text;  // without it
    Outcome outcomes[3];
    bool agree;  // the same value, or all reject the line
    // Equal values can hide different groupings (1+2+3 in calcrec and
    // calcloop); where a trace stopped short its grouping is unknown, and
    // then this is false.
    bool groupedDifferently;
    int furthest;  // the grammar whose trace read furthest, as it first did
};

// The programs' message for a line nested beyond their depth guard.
extern const char* const tooDeep;

// Where a trace stopped short of the program: "the trace stops at depth
// D, column C", and how a deeper trace can be had (": ulimit -s raises it",
// or nothing where no limit raises it).
std::string traceStopNote(const Outcome& outcome);

// Whether the grammars agree: the same value, or all reject the line.
bool grammarsAgree(const Outcome (&outcomes)[3]);

// Whether two traced runs grouped the line the same way.
bool sameGrouping(const Model& a, const Model& b);

// The parent's side: runs one copy of grammar `g` on `line` in a process of
// its own, the traced copy recording what the views `settings` asks for
// need.
Answer run(int g, bool traced, std::string_view line, const Settings& settings);

// The copy's side of a run: with its standard input and output already the
// run's, it runs the copy's main and reports where it stopped into `result`.
[[noreturn]] void runGrammar(int grammar, bool traced, std::FILE* result, const Recording& recording);

// "calcexplain: WHAT: REASON" from errno, and status 1.
[[noreturn]] void systemFailure(const char* what);

// "calcexplain: internal error: WHAT" on standard error; calcexplain then
// ends with status 3.
void selfCheckFailed(const std::string& what);

// Standard input, when the lines come from there; else nullptr.
extern std::FILE* lineInput;

#pragma once

// The model of one traced run as --json shows it: every event of the trace,
// the tree of rule calls and the expression tree. The grammar's process
// writes it (trace.cpp) as flat lines, with no nesting to recurse on, since
// it may be writing it with the stack all but used up; calcexplain reads it
// back and nests it (json_view.cpp).
//
// The file: the events in order, one a line,
//   enter RULE COLUMN DEPTH          match CHAR COLUMN DEPTH
//   return RULE COLUMN DEPTH [VALUE] compute OP LEFT RIGHT RESULT DEPTH
//   error RULE COLUMN DEPTH
// (COLUMN: of the look-ahead at that moment; DEPTH: of the rule, the first
// at 0), then "events KEPT TOTAL"; then "calls N" and N lines
//   PARENT RULE FROM TO STOPPED [VALUE]
// (PARENT an index, or -1), or "calls -" if there were more than
// largestPicture or they nested deeper than deepestModelTree; then "nodes N" and N lines, in the order computed,
//   n VALUE WRAPPED DIGITS           o OP LEFT VALUE
// (an operator's right operand is the node just before it), or "nodes -"
// beyond the same bounds;
// then "roots K" and the K complete subtrees' indices, left to right.

#include <cstddef>

// The events kept of one run: enough for any line worth stepping through,
// and a document that stays small whatever the line.
constexpr std::size_t largestModelTrace = 10000;

// The trees kept have at most largestPicture nodes and at most this many
// levels: nesting them into the document, and writing it, recurses once or
// twice a level, on a stack that may be as small as the stack limit.
constexpr std::size_t deepestModelTree = 100;

// One rule call in the tree of calls.
struct Call {
    long parent;
    const char* rule;
    long from;  // the look-ahead's column on entry
    long to;    // on return, or where the run stopped inside it
    int value;
    bool hasValue;
    bool stopped;
};

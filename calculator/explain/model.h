#pragma once

// The model of one traced run: every event of the trace, the tree of rule
// calls and the expression tree, recorded by the trace hooks (trace.cpp) in
// the grammar's process and read back by calcexplain, whose views only
// format it: the summary, --steps, --trace, --tree, --dot and --json.
//
// The model file: the events, one record each, written as they happen, so
// that millions of them need not be held; then, when the run ends, the
// trees and where the rules stood; then where that tail begins. The records
// are the structs below as they lie in memory: the grammar's process is
// this same program. The trees are written flat, without recursion, since
// the run may end with its stack all but used up.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A tree is drawn, or nested into --json, only up to this many nodes.
constexpr std::size_t largestPicture = 300;

// The events --json keeps of one run: enough for any line worth stepping
// through, and a document that stays small whatever the line. --trace shows
// every one.
constexpr std::size_t largestModelTrace = 10000;

constexpr long noParent = -1;

// The rules of the three grammars, as the model numbers them.
constexpr const char* ruleNames[] = {"command", "expr", "minus", "term", "factor", "number"};

enum class EventKind : unsigned char { enter, match, compute, leave, error };

struct Event {
    EventKind kind;
    unsigned char rule;  // enter, leave, error: an index into ruleNames
    char symbol;         // match: the character; compute: the operator
    bool hasValue;       // leave: whether the rule returned a value
    int lookahead;       // enter: the look-ahead, a character or EOF
    long column;         // of the look-ahead then (not of a compute)
    std::size_t depth;   // of the rule, the first at 0
    int left;            // compute: the operands and the result; leave:
    int right;           // the value in `result`
    int result;
};

// Which events a run keeps: --trace shows every one, --json the first
// largestModelTrace; all are counted.
enum class EventsKept : int { none, first, all };

// What a traced run records beyond the expression tree, which it always
// records, and where.
struct Recording {
    std::FILE* file;
    EventsKept events;
    bool ruleTree;  // the tree of rule calls: for --tree=rules, --dot, --json
};

// A node of the tree of rule calls: a rule called, or, below it, what it
// matched: the characters, a digit (the character under it), and '?' where
// the rules stopped.
struct RuleNode {
    long parent;  // an index, or noParent
    char kind;    // 'r' a rule, 'c' a character, 'd' a digit, '?' the stop
    unsigned char rule;
    char character;  // 'c'
    bool hasValue;
    bool stopped;    // an error ended the rule
    long from;       // the look-ahead's column on entry
    long to;         // on return, or where the run stopped inside it
    int value;
};

// A node of the expression tree: a number, or an operator and its left
// operand. Nodes are kept in the order their values were computed, so the
// steps are the operator nodes in order, and an operator's right operand,
// complete just before it was applied, is the node just before it.
struct ExprNode {
    int value;
    std::uint32_t left;  // a number: where its digits start in `digits`
    char op;             // '+', '-' or '*'; 0 for a number
    bool wrapped;        // a number typed beyond the range: its value wrapped
};

// Where a run ended and what it built, as read back by calcexplain.
struct Model {
    std::FILE* file;  // the events are read from here as a view walks them
    std::size_t eventsKept;
    std::size_t eventsTotal;
    // Where the rules stood when the run ended: after an error, which ends
    // the process without returning, the rule that refused the look-ahead.
    int innermostRule;  // -1 once every rule has returned
    std::size_t innermostDepth;
    // The tree of rule calls, parents first, if recorded and no larger than
    // largestPicture nodes.
    bool rulesKept;
    std::vector<RuleNode> rules;
    // The expression tree, whole, however large; `roots` the subtrees
    // complete, left to right (one, on an accepted line). On a line the
    // rules rejected, `pending` the operators matched but not yet applied,
    // outermost first, and `unfinished` whether one waits for an operand.
    std::vector<ExprNode> nodes;
    std::string digits;  // every number's as typed, each ended by '\0'
    std::vector<std::uint32_t> roots;
    std::vector<char> pending;
    bool unfinished;
    // Whether the expression tree as drawn (pending operators and a '?'
    // where an operand is missing included) has at most largestPicture nodes.
    bool expressionKept;
};

// The grammar's side: the tail, after the events.
void writeModelTail(std::FILE* out, const Model& model);

// calcexplain's side: false if the file holds no whole model.
bool readModel(std::FILE* in, Model& model);

// The events kept, in order: rewindEvents, then nextEvent for index 0, 1,
// 2 ... until false.
void rewindEvents(const Model& model);
bool nextEvent(const Model& model, std::size_t index, Event& event);

// A number's digits as typed.
inline const char* digitsOf(const Model& model, const ExprNode& n)
{
    return model.digits.c_str() + n.left;
}

// The grouping of a traced run: its subtrees fully parenthesised, one after
// another, the numbers as typed, given to `visit` token by token: "(", a
// number's digits, an operator, ")". Walked with a list of its own: the
// tree may be as deep as the line is long.
template <typename Visit>
void visitGrouping(const Model& model, Visit visit)
{
    for (std::uint32_t root : model.roots) {
        std::vector<std::pair<std::uint32_t, int>> walk{{root, 0}};  // node, and how much of it is visited
        while (!walk.empty()) {
            auto [index, stage] = walk.back();
            const ExprNode& n = model.nodes[index];
            if (!n.op) {
                visit(std::string_view(digitsOf(model, n)));
                walk.pop_back();
            } else if (stage == 0) {
                visit(std::string_view("("));
                walk.back().second = 1;
                walk.push_back({n.left, 0});
            } else if (stage == 1) {
                visit(std::string_view(&n.op, 1));
                walk.back().second = 2;
                walk.push_back({index - 1, 0});
            } else {
                visit(std::string_view(")"));
                walk.pop_back();
            }
        }
    }
}

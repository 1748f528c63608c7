// The model is built from events alone: a rule begins and ends, a digit is
// read, an operator is applied. Syntax-directed evaluation makes that enough:
// an operator is applied right after its right operand is complete, and a
// rule's value is the last value computed within it (by an operator, or by
// the last rule it called). The rule that reads digits is a number.
//
// Two trees are built as the rules run. The expression tree is always kept:
// its nodes take a fixed few bytes per character of the line, and the
// grouping and the steps are views of it. The tree of rule calls is kept
// only when asked for, and only up to the size worth drawing. The rule calls
// are also written as they happen (--trace), so a line too long to hold as a
// tree of calls can still be traced.

#include "trace.h"

#include "model.h"
#include "picture.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t none = UINT32_MAX;

struct Activation {
    const char* rule;
    int lookahead;  // on entry
    int value;
    bool hasValue;
    bool readDigits;  // a number: its own arithmetic accumulates digits
    // The look-ahead when its last called rule returned: the operator it
    // then matched, if it calls another rule for the right operand.
    int afterCall;
    char pendingOp;  // that operator, until it is applied
    // For the tree of rule calls: its node there, and where the input
    // stood at its last event, to see the characters it matched.
    std::uint32_t ruleNode;
    long position;
    int seen;          // the look-ahead then
    bool digitMatched;  // the last character matched was a digit, drawn already
    std::uint32_t callNode;  // its node in the model's tree of calls
};

// A node of the expression tree: a number, or an operator and its left
// operand. Nodes are kept in the order their values were computed, so the
// steps are the operator nodes in order, and an operator's right operand,
// complete just before it was applied, is the node just before it.
struct Node {
    int value;
    std::uint32_t left;  // a number: where its digits start in `typed`
    char op;             // '+', '-' or '*'; 0 for a number
};

struct RuleNode {
    long parent;
    std::string label;
};

TraceViews views;
const int* lookahead;  // the grammar's token
std::vector<Activation> active;
std::vector<Node> nodes;
// The digits of every number as typed, each number's ended by a '\0'.
std::string typed;
std::uint32_t numberStart;  // of the number being read
// The subtrees complete but not yet joined by an operator, left to right:
// an operator joins the last two.
std::vector<std::uint32_t> operands;
std::vector<RuleNode> ruleNodes;
bool rulesTooLarge;

// For --json: the events, written as they happen up to a bound and counted
// beyond it, and the tree of calls, kept up to the size worth drawing.
std::size_t events;
std::vector<Call> calls;
bool callsTooLarge;

// An entry line is held back until the next event: if that is the same
// rule's exit, the two are written as one line.
bool entryPending;

bool inNumber()
{
    return !active.empty() && active.back().readDigits;
}

bool keepingRules()
{
    return views.rules && !rulesTooLarge;
}

std::uint32_t addRuleNode(std::uint32_t parent, std::string label)
{
    if (!keepingRules() || (parent == none && !ruleNodes.empty()))
        return none;
    if (ruleNodes.size() == largestPicture) {
        rulesTooLarge = true;
        ruleNodes = {};
        return none;
    }
    ruleNodes.push_back({parent == none ? noParent : static_cast<long>(parent), std::move(label)});
    return static_cast<std::uint32_t>(ruleNodes.size() - 1);
}

bool recording()
{
    return views.model != nullptr;
}

// Whether the characters each rule matches are followed.
bool followingInput()
{
    return keepingRules() || (recording() && events < largestModelTrace);
}

// The column of the look-ahead, 1-based; the end of the input lies one
// past the last character read.
long lookaheadColumn()
{
    long consumed = std::ftell(stdin);
    return lookahead && *lookahead == EOF ? consumed + 1 : consumed;
}

// Whether the next event of the model is to be written (model.h gives the
// form): every event is counted, the first ones written as they happen.
bool recordingEvent()
{
    return recording() && events++ < largestModelTrace;
}

// How a character is labelled in the tree of rule calls.
std::string characterLabel(int c)
{
    if (c == '\n')
        return "\\n";
    if (c > ' ' && c < 0x7f)
        return std::string(1, static_cast<char>(c));
    return "?";
}

// Each event in a rule first adds the character the rule matched since its
// last event, if it matched one: match consumes one token, and the input
// has moved on.
void noteMatched(Activation& a)
{
    if (!followingInput())
        return;
    long position = std::ftell(stdin);
    if (position != a.position) {
        if (!a.digitMatched && a.ruleNode != none)
            addRuleNode(a.ruleNode, characterLabel(a.seen));
        // Only what a rule expected is matched: a digit, an operator or a
        // parenthesis, never a character that would need quoting.
        if (recordingEvent())
            std::fprintf(views.model, "match %c %ld %zu\n", a.seen, a.position, active.size() - 1);
        a.digitMatched = false;
        a.position = position;
    }
    a.seen = *lookahead;
}

// Deep nesting would indent without bound; past 16 levels the depth is
// written as a number instead, so that even a step between two of the
// longest operands, "[depth N] (-2147483648)*(-2147483648) = 0", fits in 80
// columns.
void indent(std::size_t depth)
{
    constexpr std::size_t widest = 16;
    std::fprintf(views.calls, "%*s", static_cast<int>(2 * (depth < widest ? depth : widest) + 2), "");
    if (depth >= widest)
        std::fprintf(views.calls, "[depth %zu] ", depth);
}

void writeLookahead(int c)
{
    std::FILE* out = views.calls;
    if (c == EOF)
        std::fputs("EOF", out);
    else if (c == '\n')
        std::fputs("'\\n'", out);
    else if (c == '\'' || c == '\\')
        std::fprintf(out, "'\\%c'", c);
    else if (c > ' ' && c < 0x7f)
        std::fprintf(out, "'%c'", c);
    else
        std::fprintf(out, "'\\x%02x'", static_cast<unsigned>(c));
}

void writeEntry(std::size_t depth, const Activation& a)
{
    indent(depth);
    std::fprintf(views.calls, "%s ", a.rule);
    writeLookahead(a.lookahead);
}

void flushEntry()
{
    if (entryPending) {
        writeEntry(active.size() - 1, active.back());
        std::fputc('\n', views.calls);
        entryPending = false;
    }
}

// An operand in a step: negative ones in parentheses, so 5-(-3) reads right.
void writeOperand(std::FILE* out, int value)
{
    if (value < 0)
        std::fprintf(out, "(%d)", value);
    else
        std::fprintf(out, "%d", value);
}

void writeStep(std::FILE* out, char op, int left, int right, int result)
{
    writeOperand(out, left);
    std::fputc(op, out);
    writeOperand(out, right);
    std::fprintf(out, " = %d\n", result);
}

void setValue(int value)
{
    if (!active.empty()) {
        active.back().value = value;
        active.back().hasValue = true;
    }
}

const char* digitsOf(const Node& n)
{
    return typed.c_str() + n.left;
}

// The steps: the operator nodes in the order they were computed.
void writeSteps(std::FILE* out)
{
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].op) {
            std::fputs("  ", out);
            writeStep(out, nodes[i].op, nodes[nodes[i].left].value, nodes[i - 1].value, nodes[i].value);
        }
}

// The subtree under `root` as picture nodes, parents first. Walked with a
// list of its own: the tree may be as deep as the line is long, too deep to
// recurse on the stack that was just too small for the rules.
void writeSubtree(std::FILE* out, std::uint32_t root, long parent, long& count)
{
    std::vector<std::pair<std::uint32_t, long>> walk{{root, parent}};
    while (!walk.empty()) {
        auto [index, above] = walk.back();
        walk.pop_back();
        const Node& n = nodes[index];
        long self = count++;
        writePictureNode(out, above, n.op ? std::string_view(&n.op, 1) : std::string_view(digitsOf(n)));
        if (n.op) {
            walk.push_back({index - 1, self});  // the right operand, drawn second
            walk.push_back({n.left, self});
        }
    }
}

// The expression tree as a picture. On a line the rules rejected, it is as
// far as they had built it: each operator matched but not yet applied joins
// its left operand to what follows it, and a '?' stands where the rules
// stopped.
void writeExpressionPicture(std::FILE* out)
{
    std::vector<char> pending;
    for (const Activation& a : active)
        if (a.pendingOp)
            pending.push_back(a.pendingOp);
    std::size_t joined = pending.size() + 1;  // the operands the pending operators join
    bool stopped = operands.size() < joined;
    std::size_t size = nodes.size() + pending.size() + (stopped ? 1 : 0);
    if (size > largestPicture) {
        writePictureSize(out, largestPicture + 1);
        return;
    }
    writePictureSize(out, size);
    long count = 0;
    std::size_t next = 0;
    // Operands left over ahead of the pending operators (none, as these
    // grammars build their trees) stand as trees of their own.
    for (; next + joined < operands.size(); ++next)
        writeSubtree(out, operands[next], noParent, count);
    long parent = noParent;
    for (char op : pending) {
        long self = count++;
        writePictureNode(out, parent, std::string_view(&op, 1));
        if (next < operands.size())
            writeSubtree(out, operands[next++], self, count);
        parent = self;
    }
    if (next < operands.size())
        writeSubtree(out, operands[next], parent, count);
    else
        writePictureNode(out, parent, "?");
}

void writeRulePicture(std::FILE* out)
{
    if (rulesTooLarge) {
        writePictureSize(out, largestPicture + 1);
        return;
    }
    // Where the rules stopped, below the rule that refused the look-ahead.
    if (!active.empty() && active.back().ruleNode != none) {
        noteMatched(active.back());
        addRuleNode(active.back().ruleNode, "?");
    }
    writePictureSize(out, ruleNodes.size());
    for (const RuleNode& n : ruleNodes)
        writePictureNode(out, n.parent, n.label);
}

}  // namespace

void startTrace(const TraceViews& chosen)
{
    views = chosen;
}

RuleTrace::RuleTrace(const char* rule, const int* token)
{
    lookahead = token;
    if (views.calls)
        flushEntry();
    std::uint32_t parentNode = none;
    if (!active.empty()) {
        Activation& caller = active.back();
        noteMatched(caller);
        if (caller.hasValue && !caller.readDigits)
            caller.pendingOp = static_cast<char>(caller.afterCall);
        parentNode = caller.ruleNode;
    }
    std::uint32_t self = addRuleNode(parentNode, rule);
    std::uint32_t call = none;
    if (recording() && !callsTooLarge) {
        callsTooLarge = calls.size() == largestPicture || active.size() == deepestModelTree;
        if (!callsTooLarge) {
            long parent = active.empty() ? noParent : static_cast<long>(active.back().callNode);
            calls.push_back({parent, rule, lookaheadColumn(), 0, 0, false, false});
            call = static_cast<std::uint32_t>(calls.size() - 1);
        }
    }
    active.push_back({rule, *token, 0, false, false, 0, 0, self, followingInput() ? std::ftell(stdin) : 0, *token,
                      false, call});
    entryPending = views.calls != nullptr;
    if (recordingEvent())
        std::fprintf(views.model, "enter %s %ld %zu\n", rule, lookaheadColumn(), active.size() - 1);
}

RuleTrace::~RuleTrace()
{
    noteMatched(active.back());
    Activation done = active.back();
    if (views.calls) {
        std::FILE* out = views.calls;
        if (entryPending) {
            writeEntry(active.size() - 1, done);
            entryPending = false;
        } else {
            indent(active.size() - 1);
            std::fputs(done.rule, out);
        }
        if (done.hasValue)
            std::fprintf(out, " = %d", done.value);
        std::fputc('\n', out);
    }
    if (done.callNode != none)
        calls[done.callNode] = {calls[done.callNode].parent, done.rule, calls[done.callNode].from, lookaheadColumn(),
                                done.value, done.hasValue, false};
    if (recordingEvent()) {
        std::fprintf(views.model, "return %s %ld %zu", done.rule, lookaheadColumn(), active.size() - 1);
        if (done.hasValue)
            std::fprintf(views.model, " %d", done.value);
        std::fputc('\n', views.model);
    }
    active.pop_back();
    if (!active.empty()) {
        Activation& caller = active.back();
        caller.afterCall = *lookahead;
        caller.seen = *lookahead;
        if (followingInput())
            caller.position = std::ftell(stdin);
    }
    if (!done.hasValue)
        return;
    setValue(done.value);
    if (done.readDigits) {
        operands.push_back(static_cast<std::uint32_t>(nodes.size()));
        nodes.push_back({done.value, numberStart, 0});
        typed.push_back('\0');
    }
}

void traceDigit(int value)
{
    // digit is no rule of its own: the rule that called it reads a number.
    if (!active.empty()) {
        Activation& a = active.back();
        noteMatched(a);
        if (!a.readDigits)
            numberStart = static_cast<std::uint32_t>(typed.size());
        a.readDigits = true;
        if (a.ruleNode != none) {
            std::uint32_t digitNode = addRuleNode(a.ruleNode, "digit");
            if (digitNode != none)
                addRuleNode(digitNode, characterLabel(*lookahead));
            a.digitMatched = true;
        }
    }
    typed.push_back(static_cast<char>('0' + value));
    setValue(value);
}

int traceStep(char op, int left, int right, int result)
{
    setValue(result);
    if (inNumber())  // accumulating the digits of one number is not a step
        return result;
    if (!active.empty())
        active.back().pendingOp = 0;  // applied
    if (operands.size() >= 2) {
        operands.pop_back();  // the right operand: the last node
        std::uint32_t leftTree = operands.back();
        operands.back() = static_cast<std::uint32_t>(nodes.size());
        nodes.push_back({result, leftTree, op});
    }
    if (views.calls) {
        flushEntry();
        indent(active.size());
        writeStep(views.calls, op, left, right, result);
    }
    if (recordingEvent())
        std::fprintf(views.model, "compute %c %d %d %d %zu\n", op, left, right, result,
                     active.empty() ? 0 : active.size() - 1);
    return result;
}

namespace {

// The tree under `root` fully parenthesised, walked with a list of its own
// (see writeSubtree).
void writeTree(std::FILE* out, std::uint32_t root)
{
    std::vector<std::pair<std::uint32_t, int>> walk{{root, 0}};  // node, and how much of it is written
    while (!walk.empty()) {
        auto [index, stage] = walk.back();
        const Node& n = nodes[index];
        if (!n.op) {
            std::fputs(digitsOf(n), out);
            walk.pop_back();
        } else if (stage == 0) {
            std::fputc('(', out);
            walk.back().second = 1;
            walk.push_back({n.left, 0});
        } else if (stage == 1) {
            std::fputc(n.op, out);
            walk.back().second = 2;
            walk.push_back({index - 1, 0});
        } else {
            std::fputc(')', out);
            walk.pop_back();
        }
    }
}

// Whether a number's value is not what its digits say: it wrapped around.
bool wrapped(const Node& n)
{
    const char* digits = digitsOf(n);
    while (digits[0] == '0' && digits[1] != '\0')
        ++digits;
    return std::to_string(n.value) != digits;
}

// The numbers that wrapped, the first few of them by name, the others
// counted; each number once, however often it is typed.
void writeWrapped(std::FILE* out)
{
    constexpr std::size_t named = 3;
    std::set<std::string_view> seen;
    for (const Node& n : nodes) {
        if (n.op || !wrapped(n) || !seen.insert(digitsOf(n)).second || seen.size() > named)
            continue;
        std::string digits = digitsOf(n);
        // A window of a number too long for a line: its last digits decide.
        if (digits.size() > 40)
            digits = "..." + digits.substr(digits.size() - 37);
        std::fprintf(out, "  %s wraps around to %d\n", digits.c_str(), n.value);
    }
    std::size_t more = seen.size() > named ? seen.size() - named : 0;
    if (more == 1)
        std::fputs("  and 1 more number wraps around\n", out);
    else if (more)
        std::fprintf(out, "  and %zu more numbers wrap around\n", more);
}

// The model for --json (model.h). Where the run ended inside rules, an
// error ended it there: each is marked stopped where the look-ahead stood.
void writeModel(std::FILE* out)
{
    long column = lookaheadColumn();
    if (!active.empty()) {
        noteMatched(active.back());
        if (recordingEvent())
            std::fprintf(out, "error %s %ld %zu\n", active.back().rule, column, active.size() - 1);
        for (const Activation& a : active)
            if (a.callNode != none)
                calls[a.callNode] = {calls[a.callNode].parent, a.rule, calls[a.callNode].from, column, 0, false,
                                     true};
    }
    std::fprintf(out, "events %zu %zu\n", std::min(events, largestModelTrace), events);
    if (callsTooLarge) {
        std::fputs("calls -\n", out);
    } else {
        std::fprintf(out, "calls %zu\n", calls.size());
        for (const Call& c : calls) {
            std::fprintf(out, "%ld %s %ld %ld %d", c.parent, c.rule, c.from, c.to, c.stopped);
            if (c.hasValue)
                std::fprintf(out, " %d", c.value);
            std::fputc('\n', out);
        }
    }
    // Each node's level, from its operands': they come before it.
    std::vector<std::size_t> levels;
    std::size_t deepest = 0;
    for (std::size_t i = 0; i < nodes.size() && nodes.size() <= largestPicture; ++i) {
        levels.push_back(nodes[i].op ? 1 + std::max(levels[nodes[i].left], levels[i - 1]) : 1);
        deepest = std::max(deepest, levels.back());
    }
    bool keepNodes = nodes.size() <= largestPicture && deepest <= deepestModelTree;
    if (!keepNodes) {
        std::fputs("nodes -\n", out);
    } else {
        std::fprintf(out, "nodes %zu\n", nodes.size());
        for (const Node& n : nodes) {
            if (n.op)
                std::fprintf(out, "o %c %" PRIu32 " %d\n", n.op, n.left, n.value);
            else
                std::fprintf(out, "n %d %d %s\n", n.value, wrapped(n), digitsOf(n));
        }
    }
    std::fprintf(out, "roots %zu", keepNodes ? operands.size() : 0);
    for (std::size_t i = 0; keepNodes && i < operands.size(); ++i)
        std::fprintf(out, " %" PRIu32, operands[i]);
    std::fputc('\n', out);
}

}  // namespace

void endTrace()
{
    if (views.calls)
        flushEntry();
    if (views.steps)
        writeSteps(views.steps);
    if (views.tree)
        writeExpressionPicture(views.tree);
    if (views.rules)
        writeRulePicture(views.rules);
    if (views.model)
        writeModel(views.model);
}

void writeGrouping(std::FILE* out)
{
    for (std::uint32_t root : operands)
        writeTree(out, root);
    std::fputc('\n', out);
    writeWrapped(out);
}

const char* innermostRule()
{
    return active.empty() ? nullptr : active.back().rule;
}

std::size_t innermostDepth()
{
    return active.empty() ? 0 : active.size() - 1;
}

// The model is built from events alone: a rule begins and ends, a digit is
// read, an operator is applied. Syntax-directed evaluation makes that enough:
// an operator is applied right after its right operand is complete, and a
// rule's value is the last value computed within it (by an operator, or by
// the last rule it called). The rule that reads digits is a number.
//
// The expression tree is always kept: its nodes take a fixed few bytes per
// character of the line. The tree of rule calls is kept only when asked
// for, and only up to the size worth drawing. The events are written to the
// model file as they happen, so that a line too long to hold them can still
// be traced.

#include "trace.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t none = UINT32_MAX;

struct Activation {
    unsigned char rule;
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
    int seen;           // the look-ahead then
    bool digitMatched;  // the last character matched was a digit, drawn already
};

Recording recording;
std::size_t eventLimit;
const int* lookahead;  // the grammar's token
std::vector<Activation> active;
Model model;
std::uint32_t numberStart;  // of the number being read
bool rulesTooLarge;

unsigned char ruleIndex(const char* name)
{
    for (unsigned char i = 0; i < std::size(ruleNames); ++i)
        if (std::strcmp(ruleNames[i], name) == 0)
            return i;
    return 0;
}

bool inNumber()
{
    return !active.empty() && active.back().readDigits;
}

bool keepingRules()
{
    return recording.ruleTree && !rulesTooLarge;
}

std::uint32_t addRuleNode(std::uint32_t parent, RuleNode node)
{
    if (!keepingRules() || (parent == none && !model.rules.empty()))
        return none;
    if (model.rules.size() == largestPicture) {
        rulesTooLarge = true;
        model.rules = {};
        return none;
    }
    node.parent = parent == none ? noParent : static_cast<long>(parent);
    model.rules.push_back(node);
    return static_cast<std::uint32_t>(model.rules.size() - 1);
}

RuleNode leaf(char kind, int c)
{
    return {noParent, kind, 0, static_cast<char>(c), false, false, 0, 0, 0};
}

// Whether the next event is kept: every event is counted, the first ones
// written as they happen.
bool keepingEvent()
{
    return model.eventsTotal++ < eventLimit;
}

void record(const Event& event)
{
    std::fwrite(&event, sizeof event, 1, recording.file);
}

// Whether the characters each rule matches are followed.
bool followingInput()
{
    return keepingRules() || model.eventsTotal < eventLimit;
}

// The column of the look-ahead, 1-based; the end of the input lies one
// past the last character read.
long lookaheadColumn()
{
    long consumed = std::ftell(stdin);
    return lookahead && *lookahead == EOF ? consumed + 1 : consumed;
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
            addRuleNode(a.ruleNode, leaf('c', a.seen));
        // Only what a rule expected is matched: a digit, an operator or a
        // parenthesis, never a character that would need quoting.
        if (keepingEvent())
            record({EventKind::match, 0, static_cast<char>(a.seen), false, 0, a.position, active.size() - 1, 0, 0, 0});
        a.digitMatched = false;
        a.position = position;
    }
    a.seen = *lookahead;
}

void setValue(int value)
{
    if (!active.empty()) {
        active.back().value = value;
        active.back().hasValue = true;
    }
}

// Whether a number's value is not what its digits say: it wrapped around.
bool wrapped(std::uint32_t start, int value)
{
    const char* digits = model.digits.c_str() + start;
    while (digits[0] == '0' && digits[1] != '\0')
        ++digits;
    return std::to_string(value) != digits;
}

}  // namespace

void startTrace(const Recording& chosen)
{
    recording = chosen;
    eventLimit = !recording.file                        ? 0
                 : recording.events == EventsKept::all   ? SIZE_MAX
                 : recording.events == EventsKept::first ? largestModelTrace
                                                         : 0;
    model.innermostRule = -1;
}

RuleTrace::RuleTrace(const char* name, const int* token)
{
    lookahead = token;
    unsigned char rule = ruleIndex(name);
    std::uint32_t parentNode = none;
    if (!active.empty()) {
        Activation& caller = active.back();
        noteMatched(caller);
        if (caller.hasValue && !caller.readDigits)
            caller.pendingOp = static_cast<char>(caller.afterCall);
        parentNode = caller.ruleNode;
    }
    std::uint32_t self = none;
    if (keepingRules())
        self = addRuleNode(parentNode, {noParent, 'r', rule, 0, false, false, lookaheadColumn(), 0, 0});
    active.push_back(
        {rule, *token, 0, false, false, 0, 0, self, followingInput() ? std::ftell(stdin) : 0, *token, false});
    if (keepingEvent())
        record({EventKind::enter, rule, 0, false, *token, lookaheadColumn(), active.size() - 1, 0, 0, 0});
}

RuleTrace::~RuleTrace()
{
    noteMatched(active.back());
    Activation done = active.back();
    if (done.ruleNode != none && keepingRules()) {
        RuleNode& node = model.rules[done.ruleNode];
        node.to = lookaheadColumn();
        node.value = done.value;
        node.hasValue = done.hasValue;
    }
    if (keepingEvent())
        record({EventKind::leave, done.rule, 0, done.hasValue, 0, lookaheadColumn(), active.size() - 1, 0, 0,
                done.hasValue ? done.value : 0});
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
        model.roots.push_back(static_cast<std::uint32_t>(model.nodes.size()));
        model.nodes.push_back({done.value, numberStart, 0, wrapped(numberStart, done.value)});
        model.digits.push_back('\0');
    }
}

void traceDigit(int value)
{
    // digit is no rule of its own: the rule that called it reads a number.
    if (!active.empty()) {
        Activation& a = active.back();
        noteMatched(a);
        if (!a.readDigits)
            numberStart = static_cast<std::uint32_t>(model.digits.size());
        a.readDigits = true;
        if (a.ruleNode != none) {
            std::uint32_t digitNode = addRuleNode(a.ruleNode, leaf('d', 0));
            if (digitNode != none)
                addRuleNode(digitNode, leaf('c', *lookahead));
            a.digitMatched = true;
        }
    }
    model.digits.push_back(static_cast<char>('0' + value));
    setValue(value);
}

int traceStep(char op, int left, int right, int result)
{
    setValue(result);
    if (inNumber())  // accumulating the digits of one number is not a step
        return result;
    if (!active.empty())
        active.back().pendingOp = 0;  // applied
    std::vector<std::uint32_t>& operands = model.roots;
    if (operands.size() >= 2) {
        operands.pop_back();  // the right operand: the last node
        std::uint32_t leftTree = operands.back();
        operands.back() = static_cast<std::uint32_t>(model.nodes.size());
        model.nodes.push_back({result, leftTree, op, false});
    }
    if (keepingEvent())
        record({EventKind::compute, 0, op, false, 0, 0, active.empty() ? 0 : active.size() - 1, left, right, result});
    return result;
}

void endTrace()
{
    // Where the run ended inside rules, an error ended it there: each is
    // marked stopped where the look-ahead stood, a '?' below the innermost.
    long column = lookaheadColumn();
    if (!active.empty()) {
        Activation& innermost = active.back();
        noteMatched(innermost);
        if (innermost.ruleNode != none)
            addRuleNode(innermost.ruleNode, leaf('?', '?'));
        if (keepingEvent())
            record({EventKind::error, innermost.rule, 0, false, 0, column, active.size() - 1, 0, 0, 0});
        model.innermostRule = innermost.rule;
        model.innermostDepth = active.size() - 1;
    }
    for (const Activation& a : active) {
        if (a.ruleNode != none && keepingRules()) {
            RuleNode& node = model.rules[a.ruleNode];
            node.to = column;
            node.value = 0;
            node.hasValue = false;
            node.stopped = true;
        }
        if (a.pendingOp)
            model.pending.push_back(a.pendingOp);
    }
    model.eventsKept = std::min(model.eventsTotal, eventLimit);
    model.rulesKept = keepingRules();
    // The operands the pending operators join: one short, where the rules
    // stopped before the last of them.
    model.unfinished = model.roots.size() < model.pending.size() + 1;
    model.expressionKept = model.nodes.size() + model.pending.size() + (model.unfinished ? 1 : 0) <= largestPicture;
    if (recording.file)
        writeModelTail(recording.file, model);
}

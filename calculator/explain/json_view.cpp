// The JSON view: each line's model written as soon as the line is done, so
// that a document of any number of lines is never held whole. The trees
// are nested with lists of their own, not by recursion, on calcexplain's
// stack.

#include "json_view.h"

#include "grammars.h"
#include "json.h"
#include "model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

bool documentOpen;

void openDocument()
{
    if (documentOpen)
        return;
    documentOpen = true;
    jsonOpen('{');
    jsonKey("tool");
    jsonString("calcexplain");
    jsonKey("version");
    jsonNumber(1);
    jsonKey("lines");
    jsonOpen('[');
}

void member(std::string_view key, std::string_view text)
{
    jsonKey(key);
    jsonString(text);
}

void member(std::string_view key, long long number)
{
    jsonKey(key);
    jsonNumber(number);
}

// The expression tree under `root`: a number, or an operator over its two
// operands.
void writeExpression(const Model& model, std::uint32_t root)
{
    std::vector<std::pair<std::uint32_t, int>> walk{{root, 0}};  // node, and how much of it is written
    while (!walk.empty()) {
        auto [index, stage] = walk.back();
        const ExprNode& n = model.nodes[index];
        if (!n.op) {
            jsonOpen('{');
            member("number", digitsOf(model, n));
            member("value", n.value);
            if (n.wrapped) {
                jsonKey("wrapped");
                jsonBool(true);
            }
            jsonClose();
            walk.pop_back();
        } else if (stage == 0) {
            jsonOpen('{');
            member("op", std::string_view(&n.op, 1));
            member("value", n.value);
            jsonKey("left");
            walk.back().second = 1;
            walk.push_back({n.left, 0});
        } else if (stage == 1) {
            jsonKey("right");
            walk.back().second = 2;
            walk.push_back({index - 1, 0});
        } else {
            jsonClose();
            walk.pop_back();
        }
    }
}

// The tree of rule calls: the rules alone, without the characters they
// matched.
void writeRules(const Model& model)
{
    const std::vector<RuleNode>& nodes = model.rules;
    if (!model.rulesKept || nodes.empty()) {
        jsonNull();
        return;
    }
    std::vector<std::vector<std::size_t>> children(nodes.size());
    for (std::size_t i = 1; i < nodes.size(); ++i)
        if (nodes[i].kind == 'r' && nodes[i].parent >= 0 && static_cast<std::size_t>(nodes[i].parent) < i)
            children[static_cast<std::size_t>(nodes[i].parent)].push_back(i);
    std::vector<std::pair<std::size_t, std::size_t>> walk{{0, 0}};  // node, and its children written
    while (!walk.empty()) {
        auto [index, written] = walk.back();
        const RuleNode& n = nodes[index];
        if (written == 0) {
            jsonOpen('{');
            member("rule", ruleNames[n.rule]);
            member("from", n.from);
            member("to", n.to);
            if (n.hasValue)
                member("value", n.value);
            if (n.stopped) {
                jsonKey("stopped");
                jsonBool(true);
            }
            jsonKey("children");
            jsonOpen('[');
        }
        if (written < children[index].size()) {
            walk.back().second = written + 1;
            walk.push_back({children[index][written], 0});
        } else {
            jsonClose();
            jsonClose();
            walk.pop_back();
        }
    }
}

void writeEvents(const Outcome& outcome)
{
    const Model& model = outcome.traced.model;
    jsonOpen('[');
    Event e{};
    rewindEvents(model);
    for (std::size_t i = 0; nextEvent(model, i, e); ++i) {
        jsonOpen('{');
        switch (e.kind) {
        case EventKind::enter:
        case EventKind::leave:
        case EventKind::error:
            member("event", e.kind == EventKind::enter ? "enter" : e.kind == EventKind::leave ? "return" : "error");
            member("rule", ruleNames[e.rule]);
            member("column", e.column);
            member("depth", static_cast<long long>(e.depth));
            if (e.kind == EventKind::leave && e.hasValue)
                member("value", e.result);
            if (e.kind == EventKind::error)
                member("message", outcome.traced.message == tooDeep ? "expression nested too deeply"
                                                                     : std::string_view(outcome.refusal));
            break;
        case EventKind::match:
            member("event", "match");
            member("char", std::string_view(&e.symbol, 1));
            member("column", e.column);
            member("depth", static_cast<long long>(e.depth));
            break;
        case EventKind::compute:
            member("event", "compute");
            member("op", std::string_view(&e.symbol, 1));
            member("left", e.left);
            member("right", e.right);
            member("result", e.result);
            member("depth", static_cast<long long>(e.depth));
            break;
        }
        jsonClose();
    }
    jsonClose();
}

void writeGrammar(int g, const Outcome& outcome)
{
    const Answer& verdict = outcome.program;
    const Model& model = outcome.traced.model;
    jsonOpen('{');
    member("grammar", grammarNames[g]);
    if (verdict.accepted) {
        member("verdict", "value");
        member("value", verdict.value);
    } else {
        bool deep = verdict.message == tooDeep;
        member("verdict", deep ? "too deep" : "parse error");
        member("column", verdict.column);
        if (!deep)
            member("message", outcome.refusal.empty() ? verdict.message : outcome.refusal);
    }
    std::string grouping;
    if (outcome.traceCut)
        grouping = "...";
    else
        visitGrouping(model, [&grouping](std::string_view token) { grouping += token; });
    member("grouping", grouping);

    bool whole = verdict.accepted && !outcome.traceCut && model.expressionKept && model.roots.size() == 1;
    jsonKey("tree");
    if (whole)
        writeExpression(model, model.roots[0]);
    else
        jsonNull();
    jsonKey("subtrees");
    jsonOpen('[');
    if (!whole && model.expressionKept)
        for (std::uint32_t root : model.roots)
            writeExpression(model, root);
    jsonClose();
    jsonKey("rules");
    writeRules(model);
    jsonKey("events");
    writeEvents(outcome);

    // What the document leaves out, and why: never silently.
    std::string note;
    auto say = [&note](const std::string& what) { note += (note.empty() ? "" : "; ") + what; };
    if (outcome.traceCut)
        say(traceStopNote(outcome));
    if (model.eventsKept < model.eventsTotal)
        say("only the first " + std::to_string(model.eventsKept) + " of its " + std::to_string(model.eventsTotal) +
            " events are kept");
    if (!model.expressionKept || !model.rulesKept)
        say("a tree of more than " + std::to_string(largestPicture) + " nodes is left out");
    jsonKey("traceComplete");
    jsonBool(!outcome.traceCut && model.eventsKept == model.eventsTotal);
    if (!note.empty())
        member("traceNote", note + ".");
    jsonClose();
}

}  // namespace

void writeJsonLine(const Explained& explained)
{
    openDocument();
    jsonOpen('{');
    member("line", explained.text);
    jsonKey("agree");
    jsonBool(explained.agree);
    jsonKey("grammars");
    jsonOpen('[');
    for (int g = 0; g < 3; ++g)
        writeGrammar(g, explained.outcomes[g]);
    jsonClose();
    jsonClose();
}

void endJsonDocument()
{
    openDocument();
    jsonClose();
    jsonClose();
    std::putchar('\n');
}

// The JSON view: the program's verdict (the untraced copy's), the grouping,
// and the model the traced copy wrote (model.h), nested here, where the
// stack is calcexplain's own.

#include "json_view.h"

#include "grammars.h"
#include "json.h"
#include "model.h"
#include "picture.h"

#ifdef COMPANION_JSON

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

Json document = {{"tool", "calcexplain"}, {"version", 1}, {"lines", Json::array()}};

// One line of a file, without its newline; false at its end.
bool readLine(std::FILE* in, std::string& text)
{
    text.clear();
    int c;
    while ((c = std::getc(in)) != EOF && c != '\n')
        text += static_cast<char>(c);
    return c != EOF || !text.empty();
}

struct Model {
    Json events = Json::array();
    std::size_t kept = 0;
    std::size_t total = 0;
    Json rules;     // null when there were too many calls to keep
    Json nodes = Json::array();
    bool nodesKept = false;
    std::vector<std::size_t> roots;
};

Json readEvent(const std::string& text)
{
    char rule[32] = {};
    char c = 0;
    long column = 0;
    std::size_t depth = 0;
    int left = 0, right = 0, result = 0, value = 0;
    if (std::sscanf(text.c_str(), "enter %31s %ld %zu", rule, &column, &depth) == 3)
        return {{"event", "enter"}, {"rule", rule}, {"column", column}, {"depth", depth}};
    if (std::sscanf(text.c_str(), "match %c %ld %zu", &c, &column, &depth) == 3)
        return {{"event", "match"}, {"char", std::string(1, c)}, {"column", column}, {"depth", depth}};
    if (std::sscanf(text.c_str(), "compute %c %d %d %d %zu", &c, &left, &right, &result, &depth) == 5)
        return {{"event", "compute"}, {"op", std::string(1, c)}, {"left", left},   {"right", right},
                {"result", result},   {"depth", depth}};
    if (int n = std::sscanf(text.c_str(), "return %31s %ld %zu %d", rule, &column, &depth, &value); n >= 3) {
        Json event = {{"event", "return"}, {"rule", rule}, {"column", column}, {"depth", depth}};
        if (n == 4)
            event["value"] = value;
        return event;
    }
    if (std::sscanf(text.c_str(), "error %31s %ld %zu", rule, &column, &depth) == 3)
        return {{"event", "error"}, {"rule", rule}, {"column", column}, {"depth", depth}};
    return nullptr;
}

// The tree of calls: parents come before their children, so each node is
// complete once those after it are placed, and is moved into its parent.
Json readCalls(std::FILE* in, std::size_t count)
{
    std::vector<Json> calls;
    std::vector<long> parents;
    std::string text;
    for (std::size_t i = 0; i < count && readLine(in, text); ++i) {
        long parent = 0, from = 0, to = 0;
        int stopped = 0, value = 0;
        char rule[32] = {};
        int n = std::sscanf(text.c_str(), "%ld %31s %ld %ld %d %d", &parent, rule, &from, &to, &stopped, &value);
        Json call = {{"rule", rule}, {"from", from}, {"to", to}};
        if (n == 6)
            call["value"] = value;
        if (stopped)
            call["stopped"] = true;
        call["children"] = Json::array();
        calls.push_back(std::move(call));
        parents.push_back(parent);
    }
    if (calls.empty())
        return nullptr;
    for (std::size_t i = calls.size() - 1; i > 0; --i) {
        auto parent = static_cast<std::size_t>(parents[i]);
        if (parents[i] >= 0 && parent < i) {
            Json& children = calls[parent]["children"];
            children.insert(children.begin(), std::move(calls[i]));
        }
    }
    return std::move(calls[0]);
}

// The expression tree's nodes, each moved into the operator that joins it.
void readNodes(std::FILE* in, std::size_t count, Model& model)
{
    std::string text;
    for (std::size_t i = 0; i < count && readLine(in, text); ++i) {
        char op = 0;
        std::size_t left = 0;
        int value = 0, wrapped = 0, digitsAt = 0;
        if (std::sscanf(text.c_str(), "n %d %d %n", &value, &wrapped, &digitsAt) == 2 && digitsAt > 0) {
            Json number = {{"number", text.substr(static_cast<std::size_t>(digitsAt))}, {"value", value}};
            if (wrapped)
                number["wrapped"] = true;
            model.nodes.push_back(std::move(number));
        } else if (std::sscanf(text.c_str(), "o %c %zu %d", &op, &left, &value) == 3 && left < i && i > 0) {
            model.nodes.push_back({{"op", std::string(1, op)},
                                   {"value", value},
                                   {"left", std::move(model.nodes[left])},
                                   {"right", std::move(model.nodes[i - 1])}});
        } else {
            model.nodes.push_back(nullptr);
        }
    }
}

Model readModel(std::FILE* in)
{
    Model model;
    std::string text;
    while (readLine(in, text) && std::sscanf(text.c_str(), "events %zu %zu", &model.kept, &model.total) != 2)
        model.events.push_back(readEvent(text));
    std::size_t count = 0;
    if (readLine(in, text) && std::sscanf(text.c_str(), "calls %zu", &count) == 1)
        model.rules = readCalls(in, count);
    if (readLine(in, text) && std::sscanf(text.c_str(), "nodes %zu", &count) == 1) {
        model.nodesKept = true;
        readNodes(in, count, model);
    }
    if (std::fscanf(in, "roots %zu", &count) == 1)
        for (std::size_t i = 0, root = 0; i < count && std::fscanf(in, "%zu", &root) == 1; ++i)
            if (root < model.nodes.size())
                model.roots.push_back(root);
    return model;
}

std::string groupingOf(const Answer& traced)
{
    std::string grouping;
    std::fseek(traced.grouping, traced.groupingStart, SEEK_SET);
    readLine(traced.grouping, grouping);
    return grouping;
}

const char* const tooDeep = "parse error: expression nested too deeply";

Json grammarJson(int g, const Outcome& outcome)
{
    const Answer& verdict = outcome.program;
    Json grammar = {{"grammar", grammarNames[g]}};
    if (verdict.accepted) {
        grammar["verdict"] = "value";
        grammar["value"] = verdict.value;
    } else {
        bool deep = verdict.message == tooDeep;
        grammar["verdict"] = deep ? "too deep" : "parse error";
        grammar["column"] = verdict.column;
        if (!deep)
            grammar["message"] = outcome.refusal.empty() ? verdict.message : outcome.refusal;
    }
    grammar["grouping"] = outcome.traceCut ? "..." : groupingOf(outcome.traced);

    std::rewind(outcome.traced.model);
    Model model = readModel(outcome.traced.model);
    bool whole = verdict.accepted && !outcome.traceCut && model.roots.size() == 1;
    grammar["tree"] = whole ? std::move(model.nodes[model.roots[0]]) : Json(nullptr);
    grammar["subtrees"] = Json::array();
    if (!whole)
        for (std::size_t root : model.roots)
            grammar["subtrees"].push_back(std::move(model.nodes[root]));
    grammar["rules"] = std::move(model.rules);
    Json& events = model.events;
    if (!events.empty() && events.back()["event"] == "error")
        events.back()["message"] = outcome.traced.message == tooDeep ? "expression nested too deeply"
                                                                     : outcome.refusal;
    grammar["events"] = std::move(events);

    // What the document leaves out, and why: never silently.
    std::string note;
    auto say = [&note](const std::string& what) { note += (note.empty() ? "" : "; ") + what; };
    if (outcome.traceCut)
        say("the trace stops at depth " + std::to_string(outcome.traced.depth) + ", column " +
            std::to_string(outcome.traced.column) + ", where the traced copy met its depth guard before the program" +
            raiseTraceBound);
    if (model.kept < model.total)
        say("only the first " + std::to_string(model.kept) + " of its " + std::to_string(model.total) +
            " events are kept");
    if (!model.nodesKept || grammar["rules"].is_null())
        say("a tree of more than " + std::to_string(largestPicture) + " nodes or " +
            std::to_string(deepestModelTree) + " levels is left out");
    grammar["traceComplete"] = !outcome.traceCut && model.kept == model.total;
    if (!note.empty())
        grammar["traceNote"] = note + ".";
    return grammar;
}

}  // namespace

void addJsonLine(std::string_view line, const Outcome (&outcomes)[3])
{
    Json explained = {{"line", line.substr(0, line.find('\n'))}, {"agree", grammarsAgree(outcomes)}};
    explained["grammars"] = Json::array();
    for (int g = 0; g < 3; ++g)
        explained["grammars"].push_back(grammarJson(g, outcomes[g]));
    document["lines"].push_back(std::move(explained));
}

void writeJsonDocument()
{
    writeJson(document);
}

#else

// Without the JSON library --json is refused before any line is read.
void addJsonLine(std::string_view, const Outcome (&)[3]) {}
void writeJsonDocument() {}

#endif

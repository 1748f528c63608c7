// The text views of an explanation: each formats the line's model
// (run.h, model.h), the verdict and the column the program's, the rest the
// traced copy's.

#include "text.h"

#include "echo.h"
#include "grammars.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

constexpr std::size_t screenWidth = 80;
constexpr int nameWidth = 14;  // "calcminusrec: "
constexpr int echoIndent = nameWidth + 2;

void write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The grouping, then " = VALUE". A grouping too long for its line goes on
// under its start, as the last line of a disagreement does: broken between
// two tokens, and inside a number only where it is longer than a line,
// which then fills the line it starts on.
void showGrouping(const Model& model, int value)
{
    constexpr std::size_t room = screenWidth - nameWidth;
    std::size_t column = nameWidth;
    auto newLine = [&column] {
        std::printf("\n%*s", nameWidth, "");
        column = nameWidth;
    };
    visitGrouping(model, [&](std::string_view token) {
        if (column > nameWidth && column + token.size() > screenWidth && token.size() <= room)
            newLine();
        while (column + token.size() > screenWidth) {
            write(token.substr(0, screenWidth - column));
            token.remove_prefix(screenWidth - column);
            newLine();
        }
        write(token);
        column += token.size();
    });
    std::string result = "= " + std::to_string(value);
    if (column + 1 + result.size() > screenWidth)
        newLine();
    else
        std::putchar(' ');
    std::printf("%s\n", result.c_str());
}

// An operand in a step: negative ones in parentheses, so 5-(-3) reads right.
void writeOperand(int value)
{
    if (value < 0)
        std::printf("(%d)", value);
    else
        std::printf("%d", value);
}

void writeStep(char op, int left, int right, int result)
{
    writeOperand(left);
    std::putchar(op);
    writeOperand(right);
    std::printf(" = %d\n", result);
}

// --steps: the operator nodes in the order they were computed.
void showSteps(const Model& model)
{
    const std::vector<ExprNode>& nodes = model.nodes;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].op) {
            std::fputs("  ", stdout);
            writeStep(nodes[i].op, nodes[nodes[i].left].value, nodes[i - 1].value, nodes[i].value);
        }
}

// Deep nesting would indent without bound; past 16 levels the depth is
// written as a number instead, so that even a step between two of the
// longest operands, "[depth N] (-2147483648)*(-2147483648) = 0", fits in 80
// columns.
void indent(std::size_t depth)
{
    constexpr std::size_t widest = 16;
    std::printf("%*s", static_cast<int>(2 * (depth < widest ? depth : widest) + 2), "");
    if (depth >= widest)
        std::printf("[depth %zu] ", depth);
}

void writeLookahead(int c)
{
    if (c == EOF)
        std::fputs("EOF", stdout);
    else if (c == '\n')
        std::fputs("'\\n'", stdout);
    else if (c == '\'' || c == '\\')
        std::printf("'\\%c'", c);
    else if (c > ' ' && c < 0x7f)
        std::printf("'%c'", c);
    else
        std::printf("'\\x%02x'", static_cast<unsigned>(c));
}

void writeEntry(const Event& entry)
{
    indent(entry.depth);
    std::printf("%s ", ruleNames[entry.rule]);
    writeLookahead(entry.lookahead);
}

// --trace: the rules as they run, each entered with its look-ahead and
// left with its value, the steps among them one level in. A rule that
// returns with no other rule or step in between is shown on one line.
void showRuleTrace(const Model& model)
{
    Event event{};
    Event entry{};
    bool entryHeld = false;
    auto release = [&] {
        if (entryHeld) {
            writeEntry(entry);
            std::putchar('\n');
            entryHeld = false;
        }
    };
    rewindEvents(model);
    for (std::size_t i = 0; nextEvent(model, i, event); ++i) {
        if (event.kind == EventKind::enter) {
            release();
            entry = event;
            entryHeld = true;
        } else if (event.kind == EventKind::leave) {
            if (entryHeld) {
                writeEntry(entry);
                entryHeld = false;
            } else {
                indent(event.depth);
                std::fputs(ruleNames[event.rule], stdout);
            }
            if (event.hasValue)
                std::printf(" = %d", event.result);
            std::putchar('\n');
        } else if (event.kind == EventKind::compute) {
            release();
            indent(event.depth + 1);
            writeStep(event.symbol, event.left, event.right, event.result);
        }
    }
    release();
}

}  // namespace

void showOutcome(int g, const Explained& explained, const Settings& settings)
{
    const Outcome& outcome = explained.outcomes[g];
    const Answer& verdict = outcome.program;
    std::printf("%-*s", nameWidth, (std::string(grammarNames[g]) + ":").c_str());
    if (verdict.accepted) {
        if (outcome.traceCut)
            std::printf("... = %d\n", verdict.value);
        else
            showGrouping(outcome.traced.model, verdict.value);
    } else if (verdict.parseError && verdict.column > 0) {
        const std::string& detail = verdict.detail;
        std::printf("parse error at column %ld%.*s\n", verdict.column, static_cast<int>(detail.size()), detail.data());
        echoLine(explained.line, verdict.column, echoIndent);
        if (detail.empty())
            std::printf("%*s%s\n", echoIndent, "", outcome.refusal.c_str());
    } else {
        std::printf("%s\n", verdict.message.c_str());
    }
    if (outcome.traceCut)
        std::printf("  %s\n", traceStopNote(outcome).c_str());
    if (settings.steps)
        showSteps(outcome.traced.model);
    if (settings.trace)
        showRuleTrace(outcome.traced.model);
}

void showSummary(const Explained& explained)
{
    const Outcome(&outcomes)[3] = explained.outcomes;
    if (!explained.agree) {
        // Three values of up to 11 characters do not fit on one line: the
        // line then breaks after a grammar, and goes on under the first.
        const std::string head = "The grammars disagree: ";
        std::string summary = head;
        std::size_t lineStart = 0;
        for (int g = 0; g < 3; ++g) {
            std::string part = grammarNames[g];
            part += ' ';
            part += outcomes[g].program.accepted ? std::to_string(outcomes[g].program.value) : "rejects it";
            part += g < 2 ? "," : ".";
            if (g > 0 && summary.size() - lineStart + 1 + part.size() > screenWidth) {
                lineStart = summary.size() + 1;
                summary += '\n' + std::string(head.size(), ' ');
            } else if (g > 0) {
                summary += ' ';
            }
            summary += part;
        }
        std::puts(summary.c_str());
    } else if (explained.groupedDifferently) {
        std::puts("The grammars agree on the value but group the line differently.");
    }
}

// The numbers typed beyond the range, as the grammar that read furthest
// found them: the first few by name, the others counted; each number once,
// however often it is typed.
void showWrapped(const Explained& explained)
{
    constexpr std::size_t named = 3;
    const Model& model = explained.outcomes[explained.furthest].traced.model;
    std::set<std::string_view> seen;
    for (const ExprNode& n : model.nodes) {
        if (n.op || !n.wrapped || !seen.insert(digitsOf(model, n)).second || seen.size() > named)
            continue;
        std::string digits = digitsOf(model, n);
        // A window of a number too long for a line: its last digits decide.
        if (digits.size() > 40)
            digits = "..." + digits.substr(digits.size() - 37);
        std::printf("  %s wraps around to %d\n", digits.c_str(), n.value);
    }
    std::size_t more = seen.size() > named ? seen.size() - named : 0;
    if (more == 1)
        std::fputs("  and 1 more number wraps around\n", stdout);
    else if (more)
        std::printf("  and %zu more numbers wrap around\n", more);
}

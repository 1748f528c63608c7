// The text views of an explanation. Everything here was computed before:
// the grouping, steps and trace are the traced copy's files, copied as they
// are; the verdict and the column are the program's.

#include "text.h"

#include "echo.h"
#include "grammars.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t screenWidth = 80;
constexpr int nameWidth = 14;  // "calcminusrec: "
constexpr int echoIndent = nameWidth + 2;

void copy(std::FILE* from)
{
    static char buffer[1 << 16];  // not on the stack, which may be small
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0)
        std::fwrite(buffer, 1, n, stdout);
}

// The grouping, then " = VALUE". A grouping too long for the line shows as
// a window, its start and its end, as a long line is echoed (echo.h); the
// file may hold millions of characters, so only those are read.
void showGrouping(const Answer& traced, int value)
{
    std::string shown = " = " + std::to_string(value);
    std::size_t room = screenWidth - nameWidth - shown.size();
    std::string start;
    std::size_t length = 0;
    std::fseek(traced.grouping, traced.groupingStart, SEEK_SET);
    for (int c; (c = std::getc(traced.grouping)) != EOF && c != '\n'; ++length)
        if (length < room)
            start += static_cast<char>(c);
    if (length > room) {
        std::size_t head = (room - 3) / 2;
        std::size_t tail = room - 3 - head;
        start.resize(head);
        start += "...";
        std::fseek(traced.grouping, traced.groupingStart + static_cast<long>(length - tail), SEEK_SET);
        for (std::size_t i = 0; i < tail; ++i)
            start += static_cast<char>(std::getc(traced.grouping));
    }
    std::fputs((start + shown).c_str(), stdout);
    std::putchar('\n');
}

}  // namespace

void showOutcome(int g, std::string_view line, const Outcome& outcome)
{
    const Answer& verdict = outcome.program;
    std::printf("%-*s", nameWidth, (std::string(grammarNames[g]) + ":").c_str());
    if (verdict.accepted) {
        if (outcome.traceCut)
            std::printf("... = %d\n", verdict.value);
        else
            showGrouping(outcome.traced, verdict.value);
    } else if (verdict.message.rfind("parse error", 0) == 0 && verdict.column > 0) {
        std::string_view detail = std::string_view(verdict.message).substr(std::strlen("parse error"));
        std::printf("parse error at column %ld%.*s\n", verdict.column, static_cast<int>(detail.size()), detail.data());
        echoLine(line, verdict.column, echoIndent);
        if (detail.empty())
            std::printf("%*s%s\n", echoIndent, "", outcome.refusal.c_str());
    } else {
        std::printf("%s\n", verdict.message.c_str());
    }
    if (outcome.traceCut)
        std::printf("  the trace stops at depth %zu, column %ld%s\n", outcome.traced.depth,
                    outcome.traced.column, raiseTraceBound);
    if (outcome.traced.steps)
        copy(outcome.traced.steps);
    if (outcome.traced.calls)
        copy(outcome.traced.calls);
}

namespace {

// Whether two groupings are the same.
bool sameGrouping(const Answer& a, const Answer& b)
{
    std::fseek(a.grouping, a.groupingStart, SEEK_SET);
    std::fseek(b.grouping, b.groupingStart, SEEK_SET);
    int c;
    while ((c = std::fgetc(a.grouping)) == std::fgetc(b.grouping))
        if (c == EOF)
            return true;
    return false;
}

// Equal values can hide different groupings (1+2+3 in calcrec and calcloop).
// Where a trace stopped short its grouping is unknown: then no claim.
bool groupDifferently(const Outcome (&outcomes)[3])
{
    for (const Outcome& o : outcomes)
        if (o.traceCut)
            return false;
    return !sameGrouping(outcomes[0].traced, outcomes[1].traced) ||
           !sameGrouping(outcomes[0].traced, outcomes[2].traced);
}

}  // namespace

void showSummary(const Outcome (&outcomes)[3])
{
    if (!grammarsAgree(outcomes)) {
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
    } else if (outcomes[0].program.accepted && groupDifferently(outcomes)) {
        std::puts("The grammars agree on the value but group the line differently.");
    }
}

// The numbers typed beyond the range, as the grammar that read furthest
// found them.
void showWrapped(const Outcome (&outcomes)[3])
{
    const Outcome* furthest = nullptr;
    for (const Outcome& o : outcomes)
        if (!furthest || o.traced.column > furthest->traced.column)
            furthest = &o;
    std::FILE* grouping = furthest->traced.grouping;
    std::fseek(grouping, furthest->traced.groupingStart, SEEK_SET);
    for (int c; (c = std::getc(grouping)) != EOF && c != '\n';) {
    }
    copy(grouping);
}


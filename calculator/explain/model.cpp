// The model file's tail, written and read back (model.h).

#include "model.h"

namespace {

struct Tail {
    std::size_t eventsKept;
    std::size_t eventsTotal;
    int innermostRule;
    std::size_t innermostDepth;
    bool rulesKept;
    bool unfinished;
    bool expressionKept;
    std::size_t rules;
    std::size_t nodes;
    std::size_t digits;
    std::size_t roots;
    std::size_t pending;
};

template <typename T>
void writeAll(std::FILE* out, const T* data, std::size_t count)
{
    if (count)
        std::fwrite(data, sizeof(T), count, out);
}

template <typename Container>
bool readAll(std::FILE* in, Container& into, std::size_t count)
{
    into.resize(count);
    return count == 0 || std::fread(into.data(), sizeof(into[0]), count, in) == count;
}

}  // namespace

void writeModelTail(std::FILE* out, const Model& model)
{
    long start = std::ftell(out);
    Tail tail{model.eventsKept,    model.eventsTotal,    model.innermostRule, model.innermostDepth,
              model.rulesKept,     model.unfinished,     model.expressionKept, model.rules.size(),
              model.nodes.size(), model.digits.size(), model.roots.size(),  model.pending.size()};
    writeAll(out, &tail, 1);
    writeAll(out, model.rules.data(), model.rules.size());
    writeAll(out, model.nodes.data(), model.nodes.size());
    writeAll(out, model.digits.data(), model.digits.size());
    writeAll(out, model.roots.data(), model.roots.size());
    writeAll(out, model.pending.data(), model.pending.size());
    writeAll(out, &start, 1);
}

bool readModel(std::FILE* in, Model& model)
{
    model.file = in;
    long start = -1;
    long end = std::fseek(in, -static_cast<long>(sizeof start), SEEK_END) == 0 ? std::ftell(in) : -1;
    Tail tail{};
    if (end < 0 || std::fread(&start, sizeof start, 1, in) != 1 || start < 0 || start > end ||
        std::fseek(in, start, SEEK_SET) != 0 || std::fread(&tail, sizeof tail, 1, in) != 1 ||
        tail.eventsKept * sizeof(Event) > static_cast<std::size_t>(start))
        return false;
    model.eventsKept = tail.eventsKept;
    model.eventsTotal = tail.eventsTotal;
    model.innermostRule = tail.innermostRule;
    model.innermostDepth = tail.innermostDepth;
    model.rulesKept = tail.rulesKept;
    model.unfinished = tail.unfinished;
    model.expressionKept = tail.expressionKept;
    // Each count is no larger than what is left of the file.
    auto remaining = static_cast<std::size_t>(end - start);
    if (tail.rules > remaining || tail.nodes > remaining || tail.digits > remaining || tail.roots > remaining ||
        tail.pending > remaining)
        return false;
    return readAll(in, model.rules, tail.rules) && readAll(in, model.nodes, tail.nodes) &&
           readAll(in, model.digits, tail.digits) && readAll(in, model.roots, tail.roots) &&
           readAll(in, model.pending, tail.pending);
}

void rewindEvents(const Model& model)
{
    if (model.file)
        std::rewind(model.file);
}

bool nextEvent(const Model& model, std::size_t index, Event& event)
{
    if (!model.file || index >= model.eventsKept)
        return false;
    return std::fread(&event, sizeof event, 1, model.file) == 1;
}

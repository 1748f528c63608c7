// factexplain --json: the model as one document (its shape is
// docs/schemas/factexplain.schema.json). Written only where the build has
// the JSON library; without it, --json is refused before anything runs.

#include "views.h"

#ifdef COMPANION_JSON
#include "json.h"

#include <cinttypes>
#include <cstdio>

namespace {

Json orNull(int value, bool known)
{
    return known ? Json(value) : Json(nullptr);
}

std::string address(std::uintptr_t frame)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIxPTR, frame);
    return text;
}

Json event(const Event& e)
{
    Json j;
    j["event"] = e.call ? "call" : "return";
    j["n"] = e.n;
    j["depth"] = orNull(e.depth, e.depth >= 0);
    if (e.call) {
        j["frame"] = e.frame ? Json(address(e.frame)) : Json(nullptr);
        if (e.frameSize)
            j["frameSize"] = *e.frameSize;
    } else {
        j["value"] = e.value;
        if (e.product) {
            // The exact product, before wrapping: a string, as it may pass 2^53.
            long long exact = static_cast<long long>(e.product->n) * e.product->right;
            j["product"] = {{"n", e.product->n},
                            {"right", e.product->right},
                            {"exact", std::to_string(exact)},
                            {"wrapped", e.wrapped}};
        } else {
            j["product"] = nullptr;
        }
    }
    j["line"] = orNull(e.line, e.line > 0);
    return j;
}

Json listing(const char* text)
{
    Json instructions = Json::array();
    for (const Instruction& i : readListing(text)) {
        // The listing is the compiler's assembly, before any address is given.
        Json j = {{"address", nullptr}, {"text", i.text}, {"line", orNull(i.line, i.line > 0)}};
        if (!i.source.empty())
            j["source"] = i.source;
        if (!i.label.empty())
            j["label"] = i.label;
        if (!i.note.empty())
            j["note"] = i.note;
        instructions.push_back(j);
    }
    return instructions;
}

Json build(const Build& b)
{
    Json j;
    j["build"] = b.name;
    j["flags"] = b.flags;
    j["result"] = b.result;
    j["wrapped"] = b.wrapped >= 0 ? Json(b.wrapped > 0) : Json(nullptr);
    j["calls"] = b.calls;
    j["frames"] = b.framesMeasured ? Json(b.frames) : Json(nullptr);
    j["framesMeasured"] = b.framesMeasured;
    j["deepest"] = orNull(b.deepest, b.deepest >= 0);
    j["frameNote"] = b.frameNote;
    Json events = Json::array();
    for (const Event& e : b.events)
        events.push_back(event(e));
    j["events"] = events;
    j["listing"] = listing(b.listing);
    return j;
}

}  // namespace

void printJson(const Explanation& e)
{
    Json document;
    document["tool"] = "factexplain";
    document["version"] = 1;
    document["n"] = e.n;
    document["source"] = {{"file", "fact.cpp"}, {"lines", e.source}};
    document["builds"] = {build(e.plain), build(e.opt)};
    writeJson(document);
}
#else
void printJson(const Explanation&) {}
#endif

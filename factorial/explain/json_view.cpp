// factexplain --json: the model as one document (its shape is
// docs/schemas/factexplain.schema.json). Written only where the build has
// the JSON library; without it, --json is refused before anything runs.

#include "views.h"

#ifdef COMPANION_JSON
#include "json.h"

#include <optional>
#include <string>
#include <string_view>

namespace {

template <typename T>
Json orNull(const std::optional<T>& value)
{
    return value ? Json(*value) : Json(nullptr);
}

Json event(const Event& e)
{
    Json j;
    j["event"] = e.call ? "call" : "return";
    j["n"] = e.n;
    j["depth"] = orNull(e.depth);
    if (e.call) {
        j["frame"] = e.frame ? Json(address(*e.frame)) : Json(nullptr);
        if (e.frameSize)
            j["frameSize"] = *e.frameSize;
    } else {
        j["value"] = orNull(e.value);
        if (e.product) {
            // The exact product as a string, as it may pass 2^53.
            j["product"] = {{"n", e.product->n},
                            {"right", e.product->right},
                            {"exact", std::to_string(e.product->exact)},
                            {"wrapped", e.product->wrapped}};
        } else {
            j["product"] = nullptr;
        }
    }
    j["line"] = orNull(e.line);
    return j;
}

// The listing's instructions: a line of fact.cpp as "line", another file's
// as "source".
Json listing(const Listing& rows)
{
    Json instructions = Json::array();
    for (std::size_t k = 0; k < rows.size; ++k) {
        const ListingRow& row = rows.rows[k];
        if (row.kind != RowKind::instruction)
            continue;
        std::string_view file = row.file;
        bool ours = file == "fact.cpp";
        // The listing is the compiler's assembly, before any address is given.
        Json j = {{"address", nullptr}, {"text", row.code}, {"line", ours ? Json(row.line) : Json(nullptr)}};
        if (!ours && !file.empty())
            j["source"] = std::string(file) + ":" + std::to_string(row.line);
        if (*row.label)
            j["label"] = row.label;
        if (*row.note)
            j["note"] = row.note;
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
    j["wrapped"] = b.wrapped ? Json(*b.wrapped > 0) : Json(nullptr);
    j["calls"] = b.calls;
    j["frames"] = orNull(b.frames);
    j["framesMeasured"] = b.framesMeasured;
    j["deepest"] = orNull(b.deepest);
    j["frameNote"] = b.frameNote;
    Json events = Json::array();
    for (const Event& e : b.events)
        events.push_back(event(e));
    j["events"] = events;
    j["listing"] = listing(*b.listing);
    j["selfCalls"] = b.selfCalls;
    j["backBranches"] = b.backBranches;
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

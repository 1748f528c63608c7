#include "json.h"

#include "options.h"

#include <cstdio>
#include <string>

bool jsonPretty = false;

void setJsonLayout(const char* layout)
{
    jsonPretty = layout && std::string(layout) == "pretty";
}

#ifdef COMPANION_JSON
void writeJson(const Json& document) {
    const std::string text = document.dump(jsonPretty ? 2 : -1, ' ', false, Json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}
#endif

void requireJson(const char* program) {
    if (!jsonBuilt)
        usageError(program, "--json is not in this build:\nit was built without nlohmann-json3-dev");
}

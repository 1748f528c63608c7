#include "json.h"

#include "options.h"

#include <cstdio>
#include <string>

#ifdef COMPANION_JSON
void writeJson(const Json& document) {
    const std::string text = document.dump(2, ' ', false, Json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}
#endif

void requireJson(const char* program) {
    if (!jsonBuilt)
        usageError(program, "--json is not in this build: it was built without nlohmann-json3-dev");
}

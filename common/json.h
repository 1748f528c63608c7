#pragma once

// The companions' --json: the model a companion computed, as one JSON
// document on standard output, for the page and for scripts. It is written
// with nlohmann's JSON library where the build has it (COMPANION_JSON);
// keys keep the order they are set in, so a document reads as the text does.

#include <array>
#include <string_view>

#ifdef COMPANION_JSON
#include <nlohmann/json.hpp>
using Json = nlohmann::ordered_json;

// writeJson: the document on standard output, on one line, or with two
// spaces an indent where jsonPretty is set (--json=pretty), and a newline
// after it. Text that is not UTF-8 is written with U+FFFD in its
// place rather than refused.
void writeJson(const Json& document);
#endif

// --json[=LAYOUT], in every companion: compact, the default, writes the
// document on one line; pretty, for people, one member a line. setJsonLayout
// takes the option's value (optarg, null for none) into jsonPretty.
inline constexpr std::array<const char*, 4> jsonLayouts{"compact", "pretty"};
extern bool jsonPretty;
void setJsonLayout(const char* layout);

// A document too large to hold, written as it is made, on standard output,
// piece by piece, compact unless jsonPretty. Open and close each object and
// array, name each member with jsonKey before its value; the commas come by
// themselves. jsonString writes text that is not UTF-8 with U+FFFD in its
// place, as writeJson does.
void jsonOpen(char bracket);  // '{' or '['
void jsonClose();             // the innermost one open
void jsonKey(std::string_view key);
void jsonString(std::string_view text);
void jsonNumber(long long number);
void jsonBool(bool value);
void jsonNull();

// jsonBuilt: whether this build can write --json. requireJson ends a build
// without it with a usage error that says why.
constexpr bool jsonBuilt =
#ifdef COMPANION_JSON
    true;
#else
    false;
#endif
void requireJson(const char* program);

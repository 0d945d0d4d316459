// The little JSON the tool speaks: one flat object per line, whose values are
// null, true, false, numbers (kept as written) and strings.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pelmora::bdd {

struct JsonScalar {
    enum class Kind { Null, Boolean, Number, String } kind = Kind::Null;
    std::string text;  // the number as written, or the string's content
    bool boolean = false;
};

using JsonObject = std::vector<std::pair<std::string, JsonScalar>>;

// Parses one line holding one object; throws std::runtime_error (Spanish) on anything else.
JsonObject parseJsonObject(const std::string& line);

// Parses a whole text as one scalar; false when it is not one.
bool parseJsonScalar(const std::string& text, JsonScalar& out);

// A string as a JSON string literal, quotes and escapes included.
std::string jsonString(const std::string& utf8);

}  // namespace pelmora::bdd

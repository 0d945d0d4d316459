// Field values as JSON, the way `dump` writes them and `insert`, `update` read
// them: null as null, yes/no as true/false, numbers bare, dates
// "YYYY-MM-DD HH:MM:SS", bytes as hex, everything else as a string.
#pragma once

#include <string>

#include "db/engine/Schema.h"
#include "tools/pelmora-bdd/Json.h"

namespace pelmora::bdd {

std::string valueToJson(const engine::Value& value);

// The value a JSON scalar gives a column (bytes columns take hex strings); the
// engine converts it to the column's type when it is written.
engine::Value jsonToValue(const JsonScalar& json, const engine::Column& column);

// A VALUE of the command line: a JSON scalar (5, true, null, "text"), or else
// the text as it stands.
engine::Value argumentToValue(const std::string& text, const engine::Column& column);

}  // namespace pelmora::bdd

// Columns as the tool writes them on the command line and in `schema`:
// COL:TYPE[:SIZE][:allowzerolength][:required][:autonumber], TYPE one of the engine's types
// by its English name (boolean, long, text...).
#pragma once

#include <string>

#include "db/engine/Schema.h"

namespace pelmora::bdd {

// Throws ErrorUso when the text is not a column of a known type.
engine::Column parseColumnText(const std::string& text);

// The column in the same form, default value left out.
std::string formatColumnText(const engine::Column& column);

}  // namespace pelmora::bdd

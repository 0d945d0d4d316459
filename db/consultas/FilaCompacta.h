// A few values of a record kept compactly in memory: one text holding, for each
// value, its type code and its content, so that an index of a large table keeps
// what its lookups read at a small cost per record.
#pragma once

#include <string>
#include <string_view>

#include "db/engine/Cursor.h"
#include "db/engine/Value.h"

namespace pelmora {

// Appends `valor` to `fila`.
void AnadeValor(std::string& fila, const engine::Value& valor);

// The values appended to `fila`, in order, exactly as they were.
engine::Row LeeValores(std::string_view fila);

}  // namespace pelmora

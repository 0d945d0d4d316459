// A few values of a row kept compactly in memory: one text holding, for each value,
// its type code and its content, so that a lookup over a large table keeps what its
// callers read at a small cost per row.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/engine/Cursor.h"
#include "db/engine/Value.h"

namespace pelmora::engine {

// Appends `value` to `packed`.
void appendPacked(std::string& packed, const Value& value);

// The values appended to `packed`, in order, exactly as they were: all of them, or
// the first `count` where more follow.
Row unpackRow(std::string_view packed, size_t count = SIZE_MAX);

}  // namespace pelmora::engine

// What a table is made of: its columns in order, with the properties the
// program reads and sets (size, AllowZeroLength, Required, DefaultValue).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/engine/Value.h"

namespace pelmora::engine {

struct Column {
    std::string name;
    Type type = Type::Text;
    int size = 0;  // text: characters (0 = the largest, 255); others: the engine's own
    bool allowZeroLength = false;
    bool required = false;
    bool autoNumber = false;
    std::optional<Value> defaultValue;
};

struct TableSchema {
    std::string name;
    std::vector<Column> columns;

    // Index of a column by name, case-insensitively; -1 when missing.
    int find(const std::string& column) const;
};

}  // namespace pelmora::engine

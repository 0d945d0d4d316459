#include "db/engine/Schema.h"

#include "db/engine/Text.h"

namespace pelmora::engine {

int TableSchema::find(const std::string& column) const {
    const std::string wanted = upperCase(column);
    for (size_t i = 0; i < columns.size(); ++i)
        if (upperCase(columns[i].name) == wanted) return static_cast<int>(i);
    return -1;
}

}  // namespace pelmora::engine

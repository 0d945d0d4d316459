#include "db/engine/Schema.h"

#include "db/engine/Text.h"

namespace pelmora::engine {

int TableSchema::find(const std::string& column) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (sameName(columns[i].name, column)) return static_cast<int>(i);
    return -1;
}

}  // namespace pelmora::engine

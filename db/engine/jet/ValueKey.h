// The sort key of a row from its values, before it is written (the checks of
// unique indexes and relationships) and when its entries are added or removed:
// the same bytes that rowKey gives for the row once it is stored (IndexKey.h).
#pragma once

#include <string>
#include <vector>

#include "db/engine/Value.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

// Appends the key of one column's value (already fitted to the column's type).
void appendValueKey(const ColumnDef& column, const Format& format, bool ascending,
                    const Value& value, std::string& out);

// The key of a row (values in the table's column order) for an index; false
// when every key column is Null.
bool valueKey(const TableDefinition& table, const RealIndex& index, const Format& format,
              const std::vector<Value>& row, std::string& key);

}  // namespace pelmora::engine::jet

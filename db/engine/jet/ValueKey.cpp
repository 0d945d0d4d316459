#include "db/engine/jet/ValueKey.h"

#include "db/engine/Error.h"
#include "db/engine/jet/FixedValue.h"
#include "db/engine/jet/IndexKey.h"

namespace pelmora::engine::jet {

void appendValueKey(const ColumnDef& c, const Format& format, bool ascending, const Value& v,
                    std::string& out) {
    if (c.isText() && !v.isNull()) {
        out += ascending ? '\x7F' : '\x80';
        appendTextKey(c, format, ascending, v.rawText(), out);
        return;
    }
    const bool truth = c.type == ColumnType::Boolean && !v.isNull() && v.rawInt() != 0;
    const std::string stored = v.isNull() || c.type == ColumnType::Boolean ? "" : storedBytes(c, v);
    appendKeyColumn(c, format, ascending, v.isNull(), truth, stored, out);
}

bool valueKey(const TableDefinition& table, const RealIndex& index, const Format& format,
              const std::vector<Value>& row, std::string& key) {
    key.clear();
    bool anyValue = false;
    for (const IndexColumn& ic : index.columns) {
        const ColumnDef& c = table.columns[ic.column];
        const Value& v = row.at(static_cast<size_t>(ic.column));
        anyValue = anyValue || c.type == ColumnType::Boolean || !v.isNull();
        appendValueKey(c, format, ic.ascending, v, key);
    }
    return anyValue;
}

}  // namespace pelmora::engine::jet

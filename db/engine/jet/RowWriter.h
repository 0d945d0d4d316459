// Writing a table's rows in place in the file: insert and update, each one
// operation that checks everything first and then writes its pages at once
// (PageWriter). Values come in the table's column order, already fitted to their
// columns (ColumnValue.h). The table definition's row count and autonumber are
// kept; long values go where they fit (LongValueWriter.h). An updated row stays
// where it is when it still fits its page; otherwise its data moves to another
// page and its slot keeps a 4-byte pointer to it (flag kRowMoved), the moved data
// being marked deleted so that scans see the row once, at its slot.
#pragma once

#include <map>
#include <vector>

#include "db/engine/Value.h"
#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/JetFile.h"

namespace pelmora::engine::jet {

class RowWriter {
public:
    using Values = std::vector<Value>;

    explicit RowWriter(JetFile& file) : file_(file) {}

    // Appends a row; Null autonumber columns take the next number. Returns its slot.
    RowPointer insert(const JetTable& table, Values values);
    // Rewrites the row at `slot` (a place a scan gave) with `values`.
    void update(const JetTable& table, RowPointer slot, const Values& values);

private:
    JetFile& file_;
    std::map<uint32_t, uint32_t> longValuePages_;  // by table: its last long-value page
};

}  // namespace pelmora::engine::jet

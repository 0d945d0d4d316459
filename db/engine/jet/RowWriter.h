// Writing a table's rows in place in the file: insert and update, each one
// operation that checks everything first (the indexes' rules too: IndexWriter)
// and then writes its pages at once (PageWriter), the row's index entries
// included. Values come in the table's column order, already fitted to their
// columns (ColumnValue.h). The table definition's row count and autonumber are
// kept; long values go where they fit (LongValueWriter.h). An updated row stays
// where it is when it still fits its page; otherwise its data moves to another
// page and its slot keeps a 4-byte pointer to it (flag kRowMoved), the moved data
// being marked deleted so that scans see the row once, at its slot.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "db/engine/Value.h"
#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/IndexWriter.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/PageWriter.h"
#include "db/engine/jet/TablePages.h"
#include "db/engine/jet/WriterIndexStore.h"

namespace pelmora::engine::jet {

class RowWriter {
  public:
    using Values = std::vector<Value>;

    explicit RowWriter(JetFile& file) : file_(file) {}

    // Appends a row; Null autonumber columns take the next number. Returns its slot.
    RowPointer insert(const JetTable& table, Values values);
    // The same within an operation of pages() that the caller commits (or discards).
    RowPointer add(const JetTable& table, Values values);
    // Rewrites the row at `slot` (a place a scan gave) with `values`.
    void update(const JetTable& table, RowPointer slot, const Values& values);
    // The same within an operation of pages() that the caller commits (or discards).
    void change(const JetTable& table, RowPointer slot, const Values& values);
    // Rewrites one column of the row at `slot`, the others as stored.
    void updateColumn(const JetTable& table, RowPointer slot, size_t column, const Value& value);

    // The page writer of this file's write operations, and the index upkeep that
    // shares it (both made anew when the file's pages may have changed under
    // them); for the writers of table definitions.
    PageWriter& pages();
    IndexWriter& indexes();

  private:
    struct Current;
    Current current(const TableDefinition& t, RowPointer slot);
    void replace(const JetTable& table, RowPointer slot, const Current& before,
                 const Values& values);
    bool setBitInPlace(const JetTable& table, RowPointer slot, size_t column, const Value& value);
    void placeUpdate(const TableDefinition& t, RowPointer slot, const Current& current,
                     const Values& values);
    // Runs `operation` on pages() in a write group (its own, or the caller's), then
    // commits its pages, or forgets them if it throws.
    void inOneOperation(const std::function<void()>& operation);

    JetFile& file_;
    std::unique_ptr<PageWriter> pages_;
    std::unique_ptr<WriterIndexStore> store_;
    std::unique_ptr<IndexWriter> indexes_;
    std::map<uint32_t, TablePlaces> places_;  // by table's first page
    uint64_t generation_ = 0;                 // of the file's pages the writers above were made for
};

}  // namespace pelmora::engine::jet

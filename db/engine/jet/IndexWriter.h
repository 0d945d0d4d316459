// Keeps every index of a table exact while its rows are written, and enforces
// the rules the indexes and relationships carry. The row writer calls it around
// each row it writes, with the row's values in the table's column order (fitted
// to their columns, autonumbers filled in):
//   1. before writing anything, checkInsert() or checkUpdate(): throws Error (a
//      Spanish message naming the file, table, index or column) when the row
//      would duplicate the key of a unique index or primary key, leave Null in a
//      primary key, a required index or a Required column, put empty text in a
//      column that does not allow it, refer through an enforced relationship to
//      a row that does not exist (or change a key that other rows refer to), or
//      when one of its keys cannot be written (a text sort order the encoder does
//      not know, a key too long for an index page). Nothing is written.
//   2. once the row is in place, inserted() or updated(): the entries are added
//      (and an updated row's old ones removed, for the indexes whose columns
//      changed) and the index pages are handed to the store, in the same
//      operation as the row. `place` is the row's slot: an updated row keeps it
//      even when its data moves to another page.
// Index pages stay decoded between operations; a page the store no longer holds
// as it was left (an operation not committed) is read again.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/engine/Value.h"
#include "db/engine/jet/IndexTree.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/Relationships.h"

namespace pelmora::engine::jet {

class IndexWriter {
  public:
    using Values = std::vector<Value>;

    IndexWriter(JetFile& file, IndexPageStore& store) : file_(file), store_(store) {}

    void checkInsert(const JetTable& table, const Values& row);
    void checkUpdate(const JetTable& table, RowPointer place, const Values& before,
                     const Values& after);

    void inserted(const JetTable& table, RowPointer place, const Values& row);
    void updated(const JetTable& table, RowPointer place, const Values& before,
                 const Values& after);

    // Whether an index or an enforced relationship holds the column: a change of
    // it then goes through the checks above.
    bool holds(const JetTable& table, size_t column);

    // Forgets what was read: after the table definitions or relationships change.
    void forget();

  private:
    IndexTree& tree(const JetTable& table, size_t real);
    void checkColumns(const JetTable& table, const Values& row, const Values* before);
    void checkIndexes(const JetTable& table, const Values& row, const Values* before,
                      RowPointer place);
    void checkReferences(const JetTable& table, const Values& row, const Values* before);
    void checkReferrers(const JetTable& table, const Values& before, const Values& after);
    bool rowsWithKey(const JetTable& table, const std::vector<std::string>& columns,
                     const JetTable& from, const std::vector<std::string>& fromColumns,
                     const Values& fromRow);
    const std::vector<Relationship>& relationships();
    std::string indexName(const TableDefinition& table, size_t real) const;

    JetFile& file_;
    IndexPageStore& store_;
    std::map<std::pair<uint32_t, size_t>, std::unique_ptr<IndexTree>> trees_;
    std::optional<std::vector<Relationship>> relationships_;
};

}  // namespace pelmora::engine::jet

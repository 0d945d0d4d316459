// In-memory indexes that spare a scan per lookup: the rowids of a table by the
// value of one column, built in one pass when the column is looked up by
// equality a second time. A lookup then yields a few candidate rows (every row
// that can match, possibly more), and SQLite still applies every condition to
// them. Rows written through this connection are re-read into the table's
// indexes; a commit by another connection drops them all.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/engine/Backend.h"
#include "db/engine/sqlite/Connection.h"

namespace pelmora::engine::sqlite {

class KeyIndexes {
  public:
    explicit KeyIndexes(Connection& connection) : connection_(connection) {}

    // The rows whose column can equal `literal` (already in the column's compared
    // form), or nullopt when no index serves the lookup.
    std::optional<std::vector<RowId>> candidates(const TableSchema& table, const Column& column,
                                                 const Value& literal);
    // Brings the table's indexes up to date with a row just inserted or updated.
    void rowWritten(const TableSchema& table, RowId id);

  private:
    struct Index {
        std::string column;
        bool text = false;
        double scale = 1;  // stored numbers are divided by it (currency in ten-thousandths)
        std::unordered_map<std::string, std::vector<RowId>> rows;  // by key
        std::unordered_map<RowId, std::string> keys;               // by row
        void add(RowId id, std::string key);
        void remove(RowId id);
    };
    void dropIfChangedElsewhere();
    Index build(const TableSchema& table, const Column& column);

    Connection& connection_;
    int64_t dataVersion_ = -1;
    std::map<std::pair<std::string, std::string>, Index> indexes_;  // by upper table, column
    std::map<std::pair<std::string, std::string>, int> lookups_;
};

}  // namespace pelmora::engine::sqlite

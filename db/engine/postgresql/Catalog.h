// The tables of the connection's current schema as the engine sees them: their
// columns in order, names matched case-insensitively, and how each table keeps
// its stored order. A table this engine makes has a hidden ordinal column that
// every append fills in increasing order: rows read in that order, and the
// ordinal locates a row. A table made by other tools is read in the order of
// its primary key (a one-column integer key also locates its rows, so they can
// be edited); without a primary key, in the server's own order, read-only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/engine/Schema.h"
#include "db/engine/postgresql/Connection.h"

namespace pelmora::engine::postgresql {

// The hidden ordinal column, never shown among the table's columns.
inline constexpr const char* kOrdinal = "_pelmora_orden";

struct TableEntry {
    TableSchema schema;
    std::string locator;      // the quoted column that locates a row; empty: none
    std::string storedOrder;  // the ORDER BY list of the stored order
};

class Catalog {
  public:
    explicit Catalog(Connection& connection) : connection_(connection) {}

    std::vector<std::string> tableNames();
    // The table, by name in any letter case; throws Error when it does not exist.
    // The entry stays valid after the catalog is read again.
    std::shared_ptr<const TableEntry> entry(const std::string& table);
    // Read again at the next use (after a schema change, or at a write group).
    void invalidate() { loaded_ = false; }

  private:
    void load();

    Connection& connection_;
    bool loaded_ = false;
    std::vector<std::shared_ptr<TableEntry>> tables_;  // in the order the tables were made
    std::map<std::string, size_t> byName_;             // upper-cased name -> index
};

}  // namespace pelmora::engine::postgresql

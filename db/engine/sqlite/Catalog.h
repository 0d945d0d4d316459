// The tables of an SQLite file and their schemas, read from SQLite's own
// catalog and kept until the file's schema changes (schema_version), with the
// statements that read and write one whole row of each.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/engine/Schema.h"
#include "db/engine/sqlite/Connection.h"

namespace pelmora::engine::sqlite {

// One table as the catalog knows it.
struct CatalogEntry {
    TableSchema schema;
    std::string sql;        // the CREATE TABLE statement SQLite keeps
    std::string readRow;    // SELECT of every column by locator (one parameter)
    std::string updateRow;  // UPDATE of every column (one parameter each), then the locator
    std::vector<std::string> updateColumn;  // UPDATE of each column, then the locator
};

class Catalog {
  public:
    explicit Catalog(Connection& connection) : connection_(connection) {}

    // User tables in creation order (SQLite's internal tables left out).
    const std::vector<std::string>& tableNames();
    // The table's schema, its name matched case-insensitively (accented letters
    // too); throws Error naming the table and the file when there is none.
    const TableSchema& schema(const std::string& table);
    // Everything known of the table; throws as schema() does.
    const CatalogEntry& entry(const std::string& table);
    // Forgets everything read; the next call reads the catalog again.
    void invalidate() { version_ = -1; }
    // While held (inside a transaction, where no other connection can change the
    // schema), what was read is trusted without asking SQLite for its version.
    void hold(bool held) { held_ = held; }

  private:
    void refresh();
    CatalogEntry load(const std::string& name);

    Connection& connection_;
    int64_t version_ = -1;
    bool held_ = false;
    std::vector<std::string> names_;
    std::map<std::string, CatalogEntry> tables_;                  // by upper-cased name
    std::unordered_map<std::string, const CatalogEntry*> given_;  // by the name as asked for
};

}  // namespace pelmora::engine::sqlite

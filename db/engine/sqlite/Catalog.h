// The tables of an SQLite file and their schemas, read from SQLite's own
// catalog and kept until the file's schema changes (schema_version).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "db/engine/Schema.h"
#include "db/engine/sqlite/Connection.h"

namespace pelmora::engine::sqlite {

class Catalog {
  public:
    explicit Catalog(Connection& connection) : connection_(connection) {}

    // User tables in creation order (SQLite's internal tables left out).
    const std::vector<std::string>& tableNames();
    // The table's schema, its name matched case-insensitively (accented letters
    // too); throws Error naming the table and the file when there is none.
    const TableSchema& schema(const std::string& table);
    // The CREATE TABLE statement SQLite keeps for the table.
    const std::string& createStatement(const std::string& table);
    // Forgets everything read; the next call reads the catalog again.
    void invalidate() { version_ = -1; }

  private:
    struct Entry {
        TableSchema schema;
        std::string sql;
    };
    void refresh();
    Entry& entry(const std::string& table);
    Entry load(const std::string& name);

    Connection& connection_;
    int64_t version_ = -1;
    std::vector<std::string> names_;
    std::map<std::string, Entry> tables_;  // by upper-cased name
};

}  // namespace pelmora::engine::sqlite

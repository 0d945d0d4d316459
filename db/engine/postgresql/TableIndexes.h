// A table's indexes on a PostgreSQL server: the statements that make a new
// table's indexes, under names unique in the schema (the server's index names are
// shared by all its tables and cut at 63 bytes, so each index's own name is kept
// in its comment), and the indexes read back from the server's catalog.
#pragma once

#include <string>
#include <vector>

#include "db/engine/Schema.h"
#include "db/engine/postgresql/Connection.h"

namespace pelmora::engine::postgresql {

// The name the index of `table` is stored under: "<table>.<index>", cut at a
// character's end to the server's 63 bytes, with a number added when the schema
// already has something of that name.
std::string storedIndexName(Connection& connection, const std::string& table,
                            const std::string& index, const std::string& doing);

// The statements that make the index, stored as `stored`, on `table`.
std::string createIndex(const std::string& table, const Index& index, const std::string& stored);

// Every index of the table (by its exact name), the primary key flagged; the
// hidden ordinal's own index, and an index on an expression or on some rows only
// (WHERE), are left out.
std::vector<Index> readIndexes(Connection& connection, const std::string& table,
                               const std::string& doing);

}  // namespace pelmora::engine::postgresql

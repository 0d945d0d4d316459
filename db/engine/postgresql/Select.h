// A query as one SELECT on the server: conditions and order compared as the
// engine compares (texts through its upper-casing, byte by byte; numbers by
// value), literals sent as parameters, rows in stored order or the query's.
// The result is read whole, so the connection is free for writes meanwhile.
#pragma once

#include <memory>

#include "db/engine/Cursor.h"
#include "db/engine/Query.h"
#include "db/engine/postgresql/Catalog.h"

namespace pelmora::engine::postgresql {

std::unique_ptr<Cursor> select(Connection& connection, const TableEntry& table, const Query& query);

// The table's columns, quoted and comma-separated.
std::string columnList(const TableSchema& table);

}  // namespace pelmora::engine::postgresql

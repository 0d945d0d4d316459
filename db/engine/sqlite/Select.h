// A parsed query run on an SQLite table: the SELECT built from it (values bound,
// texts compared with the engine's collation, narrowed by a key index when one
// serves) and the cursor that streams its rows.
#pragma once

#include <memory>

#include "db/engine/Backend.h"
#include "db/engine/sqlite/Connection.h"
#include "db/engine/sqlite/KeyIndex.h"

namespace pelmora::engine::sqlite {

// The name under which SQLite's row locator is read: rowid, unless a column has
// taken that name.
std::string rowidName(const TableSchema& table);

// "col1", "col2"...: every column of the table, in order.
std::string columnList(const TableSchema& table);

std::unique_ptr<Cursor> openCursor(std::shared_ptr<Connection> connection, const TableSchema& table,
                                   const Query& query, KeyIndexes& indexes);

}  // namespace pelmora::engine::sqlite

// A table's indexes in an SQLite file: how a new table's indexes are written
// (the primary key in CREATE TABLE, the others one CREATE INDEX each), and the
// indexes read back from SQLite's catalog. Index names are shared by the whole
// file in SQLite, so each index is stored as "<table>.<index>".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/engine/Schema.h"
#include "db/engine/sqlite/Catalog.h"
#include "db/engine/sqlite/Connection.h"

namespace pelmora::engine::sqlite {

// A new table's indexes as SQLite takes them.
struct NewIndexes {
    std::optional<Index> primaryKey;  // declared in CREATE TABLE, named by CONSTRAINT
    std::vector<Index> separate;      // made after the table
    // The given primary key's columns but the rowid: SQLite's own key lets them
    // hold Null, a table-level CHECK does not (and leaves them not required).
    std::vector<std::string> refuseNull;
};

// A long autonumber is the table's rowid, which SQLite always makes its primary
// key (ascending): a primary key given on other columns cannot be a second one,
// so it is made a unique index (its columns still refusing Null), and the
// autonumber's key is named "PrimaryKey" (with a number when an index given has
// that name).
NewIndexes planIndexes(const TableSchema& table, const std::vector<Index>& indexes);

// The column's declared type in the new table. A column that is the whole
// primary key by itself must not be declared exactly INTEGER unless it is the
// autonumber: SQLite would make it the rowid.
std::string declaredIn(const NewIndexes& plan, const Column& column);

// The clauses of CREATE TABLE after its columns, each starting with ", ".
std::string keyClauses(const NewIndexes& plan);

// The CREATE [UNIQUE] INDEX statement of one index of `table`.
std::string createIndex(const std::string& table, const Index& index);

// Every index of the table, the primary key flagged; an index on an expression
// or on some rows only (WHERE) is left out.
std::vector<Index> readIndexes(Connection& connection, const CatalogEntry& table);

}  // namespace pelmora::engine::sqlite

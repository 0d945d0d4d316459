// How the engine's types live in SQLite columns: the declared type names the
// backend writes and reads back (other tools' tables by SQLite's affinity
// rules), and the binding and reading of values in their storage classes.
#pragma once

#include <optional>
#include <string>

#include "db/engine/Schema.h"
#include "db/engine/sqlite/Connection.h"

namespace pelmora::engine::sqlite {

// "BOOLEAN", "TEXT(50)", "LONG"...: the declared type written for a column.
std::string declaredType(const Column& column);

// The declared type of a column that alone is its table's primary key, declared
// apart in PRIMARY KEY (...): SQLite makes a column declared exactly INTEGER with
// such a key the rowid, which only the long autonumber is; a 16-bit integer is
// declared SMALLINT, which reads back as the same type.
std::string declaredKeyType(const Column& column);

// The DEFAULT expression of a replication-ID autonumber: SQLite itself makes a new
// random GUID (version 4, braced, upper-case) for each row that does not give one.
// A GUID column with this default (as the catalog reads it back) is an autonumber.
extern const char* const kNewGuidDefault;

// The engine type and size of a declared type. `rowidAlias` marks an INTEGER
// PRIMARY KEY column, which is the table's autonumber.
void typeFromDeclared(const std::string& declared, bool rowidAlias, Column& column);

// How conditions compare a column: texts with the engine's collation, numbers
// (yes/no included) by value; the other types as stored.
bool comparedAsText(Type type);
bool comparedAsNumber(Type type);

// Binds a value already fitted to its column (ColumnValue.h) as the column stores it.
void bindValue(Statement& statement, int index, const Value& fitted, const Column& column);

// A currency column that holds the exact count of ten-thousandths (an integer).
bool holdsTenThousandths(const Column& column);

// The DEFAULT constant of a value fitted to an existing column, as the column holds it.
std::string defaultLiteral(const Value& fitted, const Column& column);

// A stored DEFAULT constant as a value of the column; nothing when it is not a
// constant the column can hold.
std::optional<Value> storedDefault(const std::string& expression, const Column& column,
                                   const std::string& table, const std::string& path);

// The value at a result column, as the column's type when the stored value allows.
Value readValue(sqlite3_stmt* stmt, int index, const Column& column);

}  // namespace pelmora::engine::sqlite

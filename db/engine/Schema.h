// What a table is made of: its columns in order, with the properties the
// program reads and sets (size, AllowZeroLength, Required, DefaultValue), and
// the indexes on them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/engine/Value.h"

namespace pelmora::engine {

struct Column {
    std::string name;
    Type type = Type::Text;
    int size = 0;  // text: characters (0 = the largest, 255); others: the engine's own
    bool allowZeroLength = false;
    bool required = false;
    // A new row left without a value takes one: a long, the table's next number; a
    // replication ID, a new random GUID (the GenGUID() default of Access).
    bool autoNumber = false;
    std::optional<Value> defaultValue;
    // SQLite only: a currency column declared CURRENCY or MONEY, as other tools and
    // earlier versions of this program write it, holds a number of units (exact only
    // up to some ±4.5e11); any other holds the exact count of ten-thousandths.
    bool currencyInUnits = false;
};

struct TableSchema {
    std::string name;
    std::vector<Column> columns;

    // Index of a column by name, case-insensitively; -1 when missing.
    int find(const std::string& column) const;
};

// A column of an index's key, in key order.
struct IndexedColumn {
    std::string name;
    bool descending = false;
};

// An index on a table: its name (its own within the table), its columns, and
// whether no two rows may share a key (unique) or it is the table's primary key
// (unique, and no row without a value in any of its columns).
struct Index {
    std::string name;
    std::vector<IndexedColumn> columns;
    bool unique = false;
    bool primaryKey = false;
};

// The name an index of `table` is stored under where index names are shared by
// a whole database: "<table>.<index>" (Access never puts a '.' in a name).
std::string qualifiedIndexName(const std::string& table, const std::string& index);
// The index's own name from the one it is stored under: without a leading
// "<table>." in any letter case; as stored when it has none.
std::string ownIndexName(const std::string& table, const std::string& stored);

// Refuses, with an Error naming the file, the indexes no backend can give a new
// table: one without a name or columns, a name given twice, more than ten
// columns, a column the table does not have or names twice, a memo or OLE
// column, and a second primary key.
void checkNewIndexes(const TableSchema& table, const std::vector<Index>& indexes,
                     const std::string& path);

// Refuses, with an Error naming the file, the table and the column, the properties
// no backend can give a new column of `table` (the columns it has before it):
// AllowZeroLength off text and memo; an autonumber that is not a long or a
// replication ID, that has a default value or is marked required (it always has a
// value), or that would be the table's second one.
void checkNewColumn(const TableSchema& table, const Column& column, const std::string& path);
// Refuses a table without columns, a column without a name, and a name given twice.
void checkColumnNames(const TableSchema& table, const std::string& path);
// The same, and checkNewColumn for each column of a new table.
void checkNewColumns(const TableSchema& table, const std::string& path);
// Refuses a new table without a name or named as one of `existing`, and what
// checkNewColumns refuses.
void checkNewTable(const TableSchema& table, const std::vector<std::string>& existing,
                   const std::string& path);
// Refuses a column added to `table`: what checkNewColumn refuses, a name the table
// has, an autonumber (made only with its table), and a required column without a
// default when the table has rows (`hasRows`, asked only then).
void checkAddedColumn(const TableSchema& table, const Column& column, const std::string& path,
                      const std::function<bool()>& hasRows);
// "la tabla «T»", as messages name a table.
std::string inTable(const std::string& table);
// The column by name, case-insensitively; throws Error naming the file when missing.
const Column& columnNamed(const TableSchema& table, const std::string& name,
                          const std::string& path);

}  // namespace pelmora::engine

// A value made to fit a column before it is written, as the Access engine does
// when a field is assigned: converted to the column's type, checked against its
// range, width and AllowZeroLength. Every backend writes only fitted values.
#pragma once

#include <string>
#include <vector>

#include "db/engine/Cursor.h"
#include "db/engine/Schema.h"

namespace pelmora::engine {

// Where a value goes, for the messages: the file, the table, the column.
struct Destination {
    const std::string& path;
    const std::string& table;
    const Column& column;
};

// The value converted to the column's type; Null stays Null. Throws Error naming
// the file, table and column when the value does not fit.
Value fitToColumn(const Value& value, const Destination& where);

// Throws Error when a required column would be left Null.
void requireValue(const Value& value, const Destination& where);

// A value read from a stored row, as the engine hands it out: a date outside the
// days Access stores (years 100 to 9999), which only a damaged row holds, is an
// Error naming the table and the column, never shown as a nonsense year.
Value checkedRead(Value value, const Destination& where);

// A message carried on after another's colon: its first letter in lower case.
std::string continued(const std::string& message);

// Number of characters (code points) of UTF-8 text.
size_t characterCount(const std::string& utf8);
// Length of UTF-8 text as Access counts it, in UTF-16 units: a character outside
// the Basic Multilingual Plane (an emoji) is two. A text field's size limits it.
size_t accessLength(const std::string& utf8);

// A whole row fitted to the table's columns; throws Error when the count differs.
std::vector<Value> fitRow(const std::string& path, const TableSchema& table, const Row& row);

// A fitted value as a write stores it: a yes/no never Null, and a required column
// (an autonumber aside) never left Null.
void completeForWrite(Value& fitted, const Destination& where);

// The columns an append writes, in order, given which the caller set (`given`):
// given ones (completed for the write), and those not given whose value is not
// Null; the others are left out, for the database to fill in its default or
// next autonumber. Throws Error when a required column would stay without value.
std::vector<int> columnsToInsert(const std::string& path, const TableSchema& table,
                                 std::vector<Value>& fitted, const Given& given);

}  // namespace pelmora::engine

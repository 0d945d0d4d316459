// SQL text that the SQLite backend writes or reads itself: quoted identifiers,
// literals for DEFAULT clauses (data values are always bound, never pasted),
// and the column definitions inside a stored CREATE TABLE statement.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/engine/Value.h"

namespace pelmora::engine::sqlite {

// "name" with every " doubled: safe for any name.
std::string quoteIdentifier(const std::string& name);

// A constant as SQL text, for the DEFAULT clause of a column definition; currency
// as its count of ten-thousandths.
std::string sqlLiteral(const Value& value);

// A constant of a stored DEFAULT clause as a value (text, whole or real number,
// bytes); nullopt for NULL or for an expression that is not a plain constant.
std::optional<Value> parseLiteral(const std::string& sql);

// One column definition of a CREATE TABLE statement, as offsets into its text.
struct ColumnDefinition {
    std::string name;
    size_t end = 0;                           // just past the definition
    size_t defaultBegin = std::string::npos;  // the DEFAULT clause, when present
    size_t defaultEnd = std::string::npos;
    bool forbidsEmpty = false;  // CHECK (name <> '')
    bool forbidsNull = false;   // CHECK (name IS NOT NULL)
};

std::vector<ColumnDefinition> columnDefinitions(const std::string& createSql);

// The name a CONSTRAINT clause gives the primary key in a CREATE TABLE
// statement, in a column's definition or after them; empty when none does.
std::string primaryKeyName(const std::string& createSql);

// The statement with the column's DEFAULT clause replaced (or added) by `literal`.
std::string withDefault(const std::string& createSql, const ColumnDefinition& column,
                        const std::string& literal);

// True when SQLite accepts the CREATE TABLE statement (tried on an empty
// in-memory database, so nothing is written).
bool isValidCreateStatement(const std::string& createSql);

}  // namespace pelmora::engine::sqlite

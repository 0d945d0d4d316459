// How the engine's types live in PostgreSQL columns: the type each column is
// declared with, the engine type read back from the server's catalog (a column
// comment carries what the catalog cannot say: a byte, a binary's size, empty
// text refused), and values as the text libpq sends and returns.
#pragma once

#include <optional>
#include <string>

#include "db/engine/Schema.h"

namespace pelmora::engine::postgresql {

// "integer", "character varying(50)"...: the type a column is declared with.
std::string declaredType(const Column& column);
// The column comment that completes the declared type; empty when none is needed.
// A column of the primary key (`keyed`) is NOT NULL on the server whether or not
// it is required; the comment tells which.
std::string commentFor(const Column& column, bool keyed);
// Whether a column is required, from its NOT NULL and its comment.
bool requiredFromCatalog(bool notNull, const std::string& comment, const Column& column);

// The engine type and size of a column from its catalog type (format_type) and
// its comment.
void typeFromCatalog(const std::string& formatted, const std::string& comment, Column& column);

// A value already fitted to its column (ColumnValue.h) as a parameter's text.
// Throws Error for text holding a NUL character, which the server cannot store.
std::string parameterText(const Value& fitted, const Column& column, const std::string& where);

// A value of a column as the server returned it in text form.
Value valueFromText(const std::string& text, const Column& column);

// A stored DEFAULT expression (pg_get_expr) as a value of the column; nothing when
// it is not a plain constant.
std::optional<Value> defaultFromExpression(const std::string& expression, const Column& column);

// The DEFAULT clause text for a value fitted to the column.
std::string defaultLiteral(const Value& fitted, const Column& column);

// A quoted identifier: "name" with every " doubled.
std::string quoted(const std::string& name);
// A quoted string constant: 'text' with every ' doubled.
std::string quotedText(const std::string& text);

}  // namespace pelmora::engine::postgresql

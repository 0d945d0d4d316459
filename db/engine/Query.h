// A parsed statement: the table, the conditions joined by AND, the order.
// Both backends execute this object; neither ever sees the statement text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/engine/Value.h"

namespace pelmora::engine {

enum class Comparison { Equal, Less, Greater, LessEqual, GreaterEqual, NotEqual };

struct Condition {
    std::string column;
    Comparison op = Comparison::Equal;
    Value literal;  // text or a number, compared as the column's type; or Null, equal to nothing
};

struct Query {
    std::string table;
    std::vector<Condition> conditions;   // all must hold
    std::optional<std::string> orderBy;  // ascending, stable, Nulls first
};

// Parses "Select T.* from T [WHERE cond] [ORDER BY col];" or a bare table name.
// Throws Error quoting the statement when it is not of a form the engine takes.
Query parseStatement(const std::string& statement);

}  // namespace pelmora::engine

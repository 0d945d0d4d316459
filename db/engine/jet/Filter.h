// Conditions and ordering as the Access engine evaluates them: Null matches no
// condition and sorts first; text compares through the engine's text rule
// (case-insensitive, accents and trailing spaces significant); numbers, dates
// and yes/no (true = -1) compare by value; a text literal against a number or a
// date is converted, and one that does not convert is a type mismatch.
#pragma once

#include <string>

#include "db/engine/Query.h"
#include "db/engine/Value.h"

namespace pelmora::engine::jet {

// Whether `value` satisfies `condition`; `table` names the table in errors.
bool matches(const Value& value, const Condition& condition, const std::string& table);

// Order of two values of one column: Nulls first. -1, 0 or 1.
int compareForOrder(const Value& a, const Value& b);

}  // namespace pelmora::engine::jet

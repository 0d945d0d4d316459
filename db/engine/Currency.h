// Currency as the engine carries it everywhere: a 64-bit count of ten-thousandths,
// from -922337203685477.5808 to 922337203685477.5807, turned to and from decimal
// text without passing through a double.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "db/engine/Value.h"

namespace pelmora::engine {

// "-12.3456": the shortest decimal text of a currency value (no trailing zeros).
std::string formatCurrency(int64_t scaled);

// Decimal text (spaces around, sign, point or comma) as ten-thousandths; digits
// past the fourth decimal round half to even. Nothing when it is not a number
// or falls out of the range.
std::optional<int64_t> parseCurrency(const std::string& text);

// A value as ten-thousandths, as a currency field takes it: exactly from yes/no,
// whole numbers, currency and decimal text; from floating-point numbers and
// dates, their nearest ten-thousandth. Nothing when it falls out of the range;
// throws Error when the value is not a number.
std::optional<int64_t> toCurrency(const Value& value);

}  // namespace pelmora::engine

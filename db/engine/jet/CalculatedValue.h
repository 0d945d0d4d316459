// The stored form of a calculated column's value (Access 2010+): 16 bytes Access
// leaves zero, u32 length, the result's bytes, 3 bytes more. The result has the
// form of its result type (the ResultType property), whatever the column's type
// says, except yes/no (one byte, 00 or FF) and decimal (16 bytes: u16, u8 scale,
// u8 sign 0x80 negative, u32 high, u64 low part of the 96-bit magnitude). A text
// result in a column of length 0 is stored as a long value holding that form.
#pragma once

#include <string>
#include <string_view>

#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

// The result's bytes inside a stored calculated value of `column`.
std::string_view calculatedResult(std::string_view stored, const PageFile& file,
                                  const std::string& column);

// The decimal text ("-12.5") of a 16-byte calculated decimal result.
std::string calculatedDecimalText(std::string_view result, const PageFile& file,
                                  const std::string& column);

}  // namespace pelmora::engine::jet

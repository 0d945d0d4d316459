// Turns a column's stored bytes into a Value. Fixed types are little-endian
// numbers (decimal: see ColumnType::Numeric); a replication ID is 16 bytes whose
// first three groups are little-endian. Memo and OLE columns hold a 12-byte
// long-value header in the row:
//   u32 length, whose top bits say where the data is: 0x80 right after the
//       header, 0x40 in one row elsewhere, 0x00 in a chain of rows;
//   u32 row pointer (u8 row, u24 page) to that row or to the chain's first row;
//   u32 unused.
// Each row of a chain starts with the u32 row pointer of the next one.
// Access 2007+ kinds: a complex column reads as its complex id (a long), a large
// number as a decimal, an extended date/time as text "YYYY-MM-DD HH:MM:SS.fffffff",
// a calculated column as its result (CalculatedValue.h).
#pragma once

#include <string>
#include <string_view>

#include "db/engine/Value.h"
#include "db/engine/jet/PageFile.h"
#include "db/engine/jet/RowView.h"

namespace pelmora::engine::jet {

class ValueReader {
  public:
    explicit ValueReader(PageFile& file) : file_(file) {}

    Value read(const ColumnDef& column, RowView& row);
    // The value of bytes already located (not for yes/no columns).
    Value decode(const ColumnDef& column, std::string_view bytes);
    // The whole data of a long value, from its 12-byte header and what follows it.
    std::string longValue(std::string_view header, const std::string& column);

  private:
    Value calculated(const ColumnDef& column, std::string_view bytes);

    PageFile& file_;
};

// "-123.45" from a stored decimal (17 bytes) and the column's scale.
std::string decimalText(std::string_view bytes, int scale);
// "{01234567-89AB-CDEF-0123-456789ABCDEF}" from 16 stored bytes.
std::string guidText(std::string_view bytes);
// "2019-03-01 12:30:00.0000000" from a stored extended date/time: ASCII digits,
// 19 of days since 0001-01-01, a separator, 12 of seconds into the day and 7 of
// 100 ns; the stored text itself when it is not in that form.
std::string extendedDateTimeText(std::string_view bytes);

}  // namespace pelmora::engine::jet

// The sort key of a row in an index: for each of the index's columns, a flag
// byte and the column's value in a form whose bytes sort as the values do.
//   Null: 00 (ascending) or FF (descending), nothing else.
//   Otherwise 7F (ascending) or 80 (descending), then:
//   yes/no: 00 true, FF false (never Null);   byte: the byte;
//   integer, long, currency: big-endian, top bit inverted;
//   single, double, date/time: big-endian IEEE, the sign bit inverted when
//     positive, every bit inverted when negative;
//   decimal: FF then the 16-byte magnitude when positive, 00 then the magnitude
//     inverted when negative (descending: the magnitudes inverted the other way,
//     the sign byte unchanged);
//   replication ID and binary: 8-byte groups, each followed by 09 (more follows)
//     or by the count of bytes used in the last, zero-padded group;
//   text: the General sort order (SortCodes.h); that of Access 2010+ (sort
//     version 1) is known only in part, and a text it has no known key for is
//     an Error naming the character and the column.
// Descending columns invert every byte of the value (text: see SortCodes.h).
// The entry stored in a leaf page is the key followed by the row's place
// (u24 page, big-endian, and u8 row).
#pragma once

#include <string>
#include <string_view>

#include "db/engine/Error.h"
#include "db/engine/jet/Header.h"
#include "db/engine/jet/RowView.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

// Why a key cannot be built: empty when it can.
std::string unsupportedKeyColumn(const ColumnDef& column, const Format& format);

// Appends the key of one stored column value (its bytes as the row holds them;
// `isNull` for Null; yes/no columns pass their value in `truth`).
void appendKeyColumn(const ColumnDef& column, const Format& format, bool ascending, bool isNull,
                     bool truth, std::string_view stored, std::string& out);

// Appends the key of non-Null text (UTF-8, without the flag byte) in the sort
// order of the column: Access 97's, Jet4's, or Access 2010's.
void appendTextKey(const ColumnDef& column, const Format& format, bool ascending,
                   const std::string& utf8, std::string& out);

// The key of a stored row for an index; false when every key column is Null.
bool rowKey(const TableDefinition& table, const RealIndex& index, const Format& format,
            RowView& row, class ValueReader& values, std::string& key);

}  // namespace pelmora::engine::jet

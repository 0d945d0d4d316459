// Rows as the Jet formats store them, the inverse of RowView (the layout is in
// RowView.h): each value turned into its stored bytes, then the row assembled
// from the fixed area, the variable data, the variable offsets and the null
// mask, where a yes/no column's value is its bit.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/engine/Value.h"
#include "db/engine/jet/CodePage.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

// Where a row's values go: the file's format and code page, and the names the
// message of a value that cannot be stored gives.
struct RowTarget {
    const Format& format;
    const CodePage& codePage;
    const std::string& path;
    const std::string& table;
};

// Why the writer does not store values in the column (the kinds it cannot write
// exactly: calculated, complex, large number, extended date/time, unknown types),
// as the end of a sentence that names it; empty when it does.
std::string unwritableColumn(const ColumnDef& column);

// The stored bytes of a value of a fixed or variable column other than yes/no and
// the long values (memo, OLE), already fitted to the column's type.
std::string encodeValue(const ColumnDef& column, const RowTarget& target, const Value& value);

// Jet4 text: UCS-2, or (columns that allow it) the compressed form FF FE plus one
// byte a character when every character takes one byte and that saves room.
// Jet3 text: the code page's bytes; a character it lacks is an Error naming the
// file, the table and the column.
std::string encodeText(const ColumnDef& column, const RowTarget& target, const std::string& utf8);

// One column of a row being built: for yes/no the bit, for the others the stored
// bytes (a long value's 12-byte header and inline data) or nothing for Null.
struct Field {
    std::optional<std::string> bytes;
    bool bit = false;  // yes/no only
};

// The row's bytes, fields in TableDefinition::columns order. A row is padded to
// `minimumLength` (the room it already takes, when it is rewritten in place).
std::string assembleRow(const TableDefinition& table, const Format& format,
                        const std::vector<Field>& fields, size_t minimumLength = 0);

// The largest row a data page takes (a row being moved leaves a 4-byte pointer,
// so no row is shorter than that).
size_t maxRowLength(const Format& format);
constexpr size_t kMinRowLength = 4;

}  // namespace pelmora::engine::jet

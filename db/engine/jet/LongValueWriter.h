// Writing long values (memo, OLE; header layout in ValueReader.h): small ones
// inline after their 12-byte header in the row, others in one row of a long-value
// page of the table, or, when longer than a page takes, in a chain of rows each
// starting with the pointer to the next. Removing one marks its rows deleted.
#pragma once

#include <string>
#include <string_view>

#include "db/engine/jet/PageWriter.h"
#include "db/engine/jet/TablePages.h"

namespace pelmora::engine::jet {

// Inline data up to this many bytes, as Access keeps short memos in the row.
constexpr size_t kInlineLongValue = 64;

// The field's bytes in the row: the header, and the data when it is inline.
std::string writeLongValue(PageWriter& writer, TablePages& pages, std::string_view data);

// Marks the rows of the long value whose header is given deleted (nothing for an
// inline one).
void removeLongValue(PageWriter& writer, TablePages& pages, std::string_view header);

}  // namespace pelmora::engine::jet

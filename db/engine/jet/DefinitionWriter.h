// Table definitions as the Jet formats store them (layout in Format.h and
// TableDefinition.h): a new table's definition, one more column spliced into an
// existing one (every other byte kept), and the bytes laid over the
// definition's pages: the first page whole, then pages that continue it after
// their own 8-byte header, taken or given back as the length needs. Names are
// stored as the file's names are (TextCodec.h); Jet3 keeps the database's text
// order and code page in every column block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/jet/PageWriter.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

// The database's text order and code page, which a new column takes.
struct TextDefaults {
    uint16_t sortOrder = 0;
    int sortVersion = -1;
    uint16_t codePage = 0;
};

// The stored column a new column becomes: type, length, flags and its place
// (number, variable slot, fixed offset) after the columns `table` already has.
ColumnDef newColumn(const TableDefinition& table, const Format& format, ColumnType type,
                    int textSize, const std::string& name, const TextDefaults& text);

// A new table's definition, with its indexes (their usage maps and root pages
// set in `table`, as the table's own usage maps).
std::string newDefinition(const TableDefinition& table, const Format& format,
                          const CodePage& codePage, const std::string& path);

// The definition's bytes as its pages hold them (the continuation headers left out).
std::string definitionBytes(PageWriter& writer, const TableDefinition& table);
// `bytes` with `column` added after the table's columns.
std::string withColumn(const std::string& bytes, const TableDefinition& table,
                       const ColumnDef& column, const Format& format, const CodePage& codePage,
                       const std::string& path);

// Lays the bytes over `pages` (the first one at least), taking more pages or
// giving back those left over; returns the pages used.
std::vector<uint32_t> writeDefinition(PageWriter& writer, std::vector<uint32_t> pages,
                                      std::string bytes);

}  // namespace pelmora::engine::jet

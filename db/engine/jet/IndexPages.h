// The B-tree of a physical index (layout in Format.h). Leaf pages (0x04) hold
// one entry per indexed row: key, u24 page (big-endian) and u8 row of the row's
// slot. Node pages (0x03) hold, per child page, the child's last entry followed
// by the child's page number (u32, big-endian); the node's tail field repeats
// its last child. Entries lie back to back from the page's entry area; a bitmap
// (one bit per byte of the area) marks where each entry after the first starts,
// and a last bit where the data ends. Every entry after the first on a page
// omits the first `prefix length` bytes, which it shares with the first entry.
// A node lists every child but its last one as an entry; the last child (the
// "tail") is named only in the tail field, and its entry is not stored. Leaves
// are linked to their neighbours (prev / next) from the first to the last;
// nodes only to those of the same parent. Header: type, 01, u16 free space
// (page size - end of the entries), u32 table, u32 0, prev, next, tail, the
// prefix length, a byte set on node pages, the bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

struct IndexEntry {
    std::string bytes;  // key and row place, as the entry sorts
    RowPointer row() const;
    std::string_view key() const { return std::string_view(bytes).substr(0, bytes.size() - 4); }
};

struct IndexPage {
    bool leaf = true;
    uint32_t prev = 0, next = 0, tail = 0;
    std::vector<IndexEntry> entries;  // for nodes: without the child page number
    std::vector<uint32_t> children;   // nodes only
};

// Reads and decodes one index page owned by the table whose definition starts at `table`.
IndexPage readIndexPage(PageFile& file, uint32_t number, uint32_t table, const std::string& what);
IndexPage decodeIndexPage(const Page& page, const Format& format, uint32_t table,
                          const std::string& what);

// The least room the entries take on the page, sharing their prefix (their area
// holds pageSize - indexEntries): whether they fit.
size_t indexEntriesSize(const Format& format, const IndexPage& page);
// The same for the entries [from, to) of a page, as if they were alone on one.
size_t indexEntriesSize(const Format& format, const IndexPage& page, size_t from, size_t to);
size_t indexEntryArea(const Format& format);
// The page's bytes. As Access does, entries after the first omit the prefix that
// the first and last share only when they would not fit whole (or omit
// `prefixLength` bytes when given). The entries must fit.
std::vector<uint8_t> encodeIndexPage(const Format& format, const IndexPage& page, uint32_t table,
                                     int prefixLength = -1);

// Every leaf entry in tree order. Structural faults found on the way (an entry
// out of order, a node entry that is not its child's last) go to `problems`.
std::vector<IndexEntry> readIndexEntries(PageFile& file, const RealIndex& index, uint32_t table,
                                         const std::string& what,
                                         std::vector<std::string>& problems);
// The same, and the tree's pages in `pages`.
std::vector<IndexEntry> readIndexEntries(PageFile& file, const RealIndex& index, uint32_t table,
                                         const std::string& what,
                                         std::vector<std::string>& problems,
                                         std::vector<uint32_t>& pages);

}  // namespace pelmora::engine::jet

// The B-tree of a physical index (layout in Format.h). Leaf pages (0x04) hold
// one entry per indexed row: key, u24 page (big-endian) and u8 row of the row's
// slot. Node pages (0x03) hold, per child page, the child's last entry followed
// by the child's page number (u32, big-endian); the node's tail field repeats
// its last child. Entries lie back to back from the page's entry area; a bitmap
// (one bit per byte of the area) marks where each entry after the first starts,
// and a last bit where the data ends. Every entry after the first on a page
// omits the first `prefix length` bytes, which it shares with the first entry.
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

// Every leaf entry in tree order. Structural faults found on the way (an entry
// out of order, a node entry that is not its child's last) go to `problems`.
std::vector<IndexEntry> readIndexEntries(PageFile& file, const RealIndex& index, uint32_t table,
                                         const std::string& what, std::vector<std::string>& problems);

}  // namespace pelmora::engine::jet

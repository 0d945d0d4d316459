// The relationships of a database (MSysRelationships): one row per column pair,
// szObject / szColumn the table holding the foreign key and its column,
// szReferencedObject / szReferencedColumn the table it refers to, icolumn the
// pair's place in the key, grbit the relationship's flags: 0x02 integrity not
// enforced, 0x100 updates cascade, 0x1000 deletions cascade.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/jet/JetFile.h"

namespace pelmora::engine::jet {

struct Relationship {
    std::string name;
    std::string table;  // the table whose rows refer (foreign key)
    std::string referencedTable;
    std::vector<std::string> columns;  // in key order
    std::vector<std::string> referencedColumns;
    int32_t flags = 0;

    bool enforced() const { return !(flags & 0x02); }
};

// Every relationship of the file; none when it has no MSysRelationships table.
std::vector<Relationship> readRelationships(JetFile& file);

}  // namespace pelmora::engine::jet

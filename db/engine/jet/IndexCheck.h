// The file check: every table read whole (definition, rows, long values), and
// every index entry re-derived from its row and compared byte for byte with the
// entry Access stored; entries missing, left over, different or out of order
// are reported, one Spanish line each.
#pragma once

#include <string>
#include <vector>

#include "db/engine/jet/JetFile.h"

namespace pelmora::engine::jet {

std::vector<std::string> checkFile(JetFile& file);

// The problems of one table's indexes (the table already read).
void checkIndexes(PageFile& file, const TableDefinition& table, std::vector<std::string>& problems);

}  // namespace pelmora::engine::jet

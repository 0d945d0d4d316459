// The file check's structural half, beside the index check (IndexCheck.h): each
// data page's row directory and free space count, each table's usage maps
// against the pages that hold its rows (the types of the pages they list), its
// row count, where its long values lie, and pages in use that the free-page map
// calls free. One Spanish line per problem; none for a sound file.
#pragma once

#include <string>
#include <vector>

#include "db/engine/jet/JetFile.h"

namespace pelmora::engine::jet {

std::vector<std::string> checkStructure(JetFile& file);

}  // namespace pelmora::engine::jet

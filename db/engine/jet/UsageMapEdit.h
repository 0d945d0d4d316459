// Marking one page in a usage map (layout in UsageMap.h) within a write
// operation. An inline map that does not reach the page becomes a reference map
// in the same row (its bits copied to pages of type 0x05, made as needed).
// A table's maps count the pages they do not reach as unmarked; the database's
// free-page map counts them as marked (free), so when it becomes a reference
// map it is given pages of bits for every page of the file, and its own pages
// of bits are added at the end of the file rather than taken from it.
#pragma once

#include <cstdint>
#include <string>

#include "db/engine/jet/PageWriter.h"

namespace pelmora::engine::jet {

// Sets or clears the bit of `page` in the map whose row `pointer` points to;
// `beyondSet` for the free-page map. A map that cannot be made to reach the page
// is an Error naming the page.
void markInUsageMap(PageWriter& writer, uint32_t pointer, uint32_t page, bool set,
                    const std::string& what, bool beyondSet = false);

}  // namespace pelmora::engine::jet

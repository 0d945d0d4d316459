// Marking one page in a usage map (layout in UsageMap.h) within a write
// operation. An inline map that does not reach the page becomes a reference map
// in the same row (its bits copied to pages of type 0x05, made as needed).
#pragma once

#include <cstdint>
#include <string>

#include "db/engine/jet/PageWriter.h"

namespace pelmora::engine::jet {

// Sets (used) or clears the bit of `page` in the map whose row `pointer` points to.
void markInUsageMap(PageWriter& writer, uint32_t pointer, uint32_t page, bool used,
                    const std::string& what);

}  // namespace pelmora::engine::jet

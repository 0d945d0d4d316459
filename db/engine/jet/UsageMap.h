// Usage maps: which pages belong to a table (or an index, or have free room).
// A map is a row on a data page. Its first byte is its kind:
//  0x00 inline: u32 first page, then a bitmap (bit i of byte k: page first + 8k + i);
//  0x01 reference: u32 numbers of pages of type 0x05 (0 = none), each holding from
//       offset 4 a bitmap of (page size - 4) * 8 pages, the n-th one starting at
//       page n * (page size - 4) * 8.
#pragma once

#include <cstdint>
#include <vector>

#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

// The pages the map at `pointer` (a row pointer) marks, in ascending order. A page
// past the end of the file is a corrupt-file error, unless `beyondEnd` (the
// free-page map, whose bits past the end say free): such pages are left out.
std::vector<uint32_t> readUsageMap(PageFile& file, uint32_t pointer, const char* what,
                                   bool beyondEnd = false);

// The pages the bits of the map at `pointer` stand for: [first, first + 8 * bytes)
// for an inline map, the ranges of its pages of bits for a reference map.
class UsageMapReach {
  public:
    UsageMapReach(PageFile& file, uint32_t pointer, const char* what);
    bool reaches(uint32_t page) const;

  private:
    std::vector<std::pair<uint64_t, uint64_t>> ranges_;  // [from, to)
};

}  // namespace pelmora::engine::jet

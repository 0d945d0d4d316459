// The row directory of a data page (layout in Format.h): how many rows the page
// holds and where each one lies. Used for table rows, long values and usage maps.
#pragma once

#include <cstdint>

#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

constexpr uint16_t kRowDeleted = 0x8000;
constexpr uint16_t kRowMoved = 0x4000;  // the row holds a pointer to where it now lives
constexpr uint16_t kRowOffsetMask = 0x1FFF;
constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL" where a data page names its table

struct RowSpan {
    uint16_t start = 0;
    uint16_t end = 0;
    bool deleted = false;
    bool moved = false;
    uint16_t length() const { return end - start; }
};

uint16_t rowCount(const Page& page, const Format& format);
// The row's place on the page; a live row (or any row, with `evenDeleted`) outside
// the page's data area is a corrupt-file error.
RowSpan rowSpan(const Page& page, const Format& format, int row, bool evenDeleted = false);
// The page owning a data page's rows: a table definition, or kLongValueOwner.
inline uint32_t dataPageOwner(const Page& page) { return page.u32(4); }

// A row pointer: u8 row number, then u24 page number (as one little-endian u32).
struct RowPointer {
    uint32_t page = 0;
    int row = 0;
    static RowPointer from(uint32_t packed) { return {packed >> 8, static_cast<int>(packed & 0xFF)}; }
    uint32_t packed() const { return page << 8 | static_cast<uint32_t>(row); }
};

// The bytes of the row a pointer designates, checked to be a live row of a data page.
struct RowBytes {
    PageRef page;
    RowSpan span;
};
RowBytes readPointedRow(PageFile& file, RowPointer pointer, const char* what);

}  // namespace pelmora::engine::jet

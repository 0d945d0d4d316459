// The row directory of a data page (layout in Format.h): how many rows the page
// holds and where each one lies, and the edits a writer makes to it. Used for
// table rows, long values and usage maps. Rows lie back to back from the end of
// the page down, row 0 last; the free space count is what lies between the row
// directory and the lowest row.
#pragma once

#include <cstdint>
#include <string_view>

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
inline uint32_t dataPageOwner(const Page& page) {
    return page.u32(4);
}

// A row pointer: u8 row number, then u24 page number (as one little-endian u32).
struct RowPointer {
    uint32_t page = 0;
    int row = 0;
    static RowPointer from(uint32_t packed) {
        return {packed >> 8, static_cast<int>(packed & 0xFF)};
    }
    uint32_t packed() const { return page << 8 | static_cast<uint32_t>(row); }
};

// The bytes of the row a pointer designates, checked to be a live row of a data page.
struct RowBytes {
    PageRef page;
    RowSpan span;
};
RowBytes readPointedRow(PageFile& file, RowPointer pointer, const char* what);

// Editing a private copy of a data page (PageWriter::edit). Each keeps the rows
// back to back and the free space count right; the caller checks room first.
// A fresh data page of `owner` (a table definition page, or kLongValueOwner).
void formatDataPage(Page& page, const Format& format, uint32_t owner);
// The room a new row of `length` bytes takes (its bytes and its directory slot).
inline int rowCost(int length) {
    return length + 2;
}
uint16_t freeSpace(const Page& page);
// A row pointer numbers rows with one byte: no page holds more rows than this.
constexpr int kMaxRowsPerPage = 255;
// Whether a new row of `length` bytes fits on the page (room, and a row number).
bool roomForRow(const Page& page, const Format& format, size_t length);
// Adds a row at the end of the directory; returns its number.
int appendRow(Page& page, const Format& format, std::string_view bytes, uint16_t flags = 0);
// Replaces row `row`'s bytes (the length may change; the rows after it move) and
// sets its flags (kRowDeleted, kRowMoved).
void replaceRow(Page& page, const Format& format, int row, std::string_view bytes,
                uint16_t flags = 0);

}  // namespace pelmora::engine::jet

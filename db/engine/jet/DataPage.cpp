#include "db/engine/jet/DataPage.h"

#include <string>

namespace pelmora::engine::jet {

uint16_t rowCount(const Page& page, const Format& format) {
    uint16_t count = page.u16(format.dataRowCount);
    if (format.dataRowTable + 2u * count > page.size())
        page.corrupt("dice tener " + std::to_string(count) + " filas, más de las que caben");
    return count;
}

RowSpan rowSpan(const Page& page, const Format& format, int row, bool evenDeleted) {
    const uint16_t raw = page.u16(format.dataRowTable + 2 * row);
    RowSpan span;
    span.deleted = raw & kRowDeleted;
    span.moved = raw & kRowMoved;
    span.start = raw & kRowOffsetMask;
    span.end = row == 0 ? static_cast<uint16_t>(page.size())
                        : page.u16(format.dataRowTable + 2 * (row - 1)) & kRowOffsetMask;
    if (span.deleted && !evenDeleted) return span;
    const size_t tableEnd = format.dataRowTable + 2u * page.u16(format.dataRowCount);
    if (span.start < tableEnd || span.start > span.end || span.end > page.size())
        page.corrupt("la fila " + std::to_string(row) + " ocupa los bytes " +
                     std::to_string(span.start) + " a " + std::to_string(span.end) +
                     ", fuera de la zona de datos de la página");
    return span;
}

RowBytes readPointedRow(PageFile& file, RowPointer pointer, const char* what) {
    PageRef page = file.page(pointer.page, PageType::Data, what);
    if (pointer.row >= rowCount(*page, file.format()))
        page->corrupt(std::string(what) + " apunta a la fila " + std::to_string(pointer.row) +
                      ", que la página no tiene");
    RowSpan span = rowSpan(*page, file.format(), pointer.row);
    if (span.deleted)
        page->corrupt(std::string(what) + " apunta a la fila " + std::to_string(pointer.row) +
                      ", que está borrada");
    return {std::move(page), span};
}

}  // namespace pelmora::engine::jet

namespace pelmora::engine::jet {

namespace {
uint16_t lowestRowStart(const Page& page, const Format& format) {
    const uint16_t count = page.u16(format.dataRowCount);
    return count == 0 ? static_cast<uint16_t>(page.size())
                      : page.u16(format.dataRowTable + 2 * (count - 1)) & kRowOffsetMask;
}
}  // namespace

void formatDataPage(Page& page, const Format& format, uint32_t owner) {
    page.fill(0, page.size(), 0);
    page.set8(0, static_cast<uint8_t>(PageType::Data));
    page.set8(1, 0x01);
    page.set16(2, static_cast<uint16_t>(page.size() - format.dataRowTable));
    page.set32(4, owner);
}

uint16_t freeSpace(const Page& page) {
    return page.u16(2);
}

bool roomForRow(const Page& page, const Format& format, size_t length) {
    return rowCount(page, format) < kMaxRowsPerPage && freeSpace(page) >= rowCost(int(length));
}

int appendRow(Page& page, const Format& format, std::string_view bytes, uint16_t flags) {
    const uint16_t count = rowCount(page, format);
    const int free = freeSpace(page);
    if (!roomForRow(page, format, bytes.size())) page.corrupt("no hay sitio para una fila nueva");
    const uint16_t start = static_cast<uint16_t>(lowestRowStart(page, format) - bytes.size());
    page.setBytes(start, bytes);
    page.set16(format.dataRowTable + 2 * count, start | flags);
    page.set16(format.dataRowCount, count + 1);
    page.set16(2, static_cast<uint16_t>(free - rowCost(int(bytes.size()))));
    return count;
}

void replaceRow(Page& page, const Format& format, int row, std::string_view bytes, uint16_t flags) {
    const uint16_t count = rowCount(page, format);
    const RowSpan span = rowSpan(page, format, row, true);
    const int grow = int(bytes.size()) - span.length();
    const int free = freeSpace(page);
    if (grow > free) page.corrupt("no hay sitio para agrandar la fila " + std::to_string(row));
    if (grow == 0) {  // same length (a mark, say): nothing else on the page moves
        page.setBytes(span.start, bytes);
        page.set16(format.dataRowTable + 2 * row, static_cast<uint16_t>(span.start) | flags);
        return;
    }
    // The rows after `row` lie below it: move them (and nothing else) by -grow.
    const uint16_t lowest = lowestRowStart(page, format);
    page.move(lowest, lowest - grow, span.start - lowest);
    for (int r = row + 1; r < count; ++r) {
        const size_t at = format.dataRowTable + 2 * r;
        const uint16_t raw = page.u16(at);
        page.set16(
            at, static_cast<uint16_t>((raw & ~kRowOffsetMask) | ((raw & kRowOffsetMask) - grow)));
    }
    const uint16_t start = static_cast<uint16_t>(span.start - grow);
    page.setBytes(start, bytes);
    page.set16(format.dataRowTable + 2 * row, start | flags);
    page.set16(2, static_cast<uint16_t>(free - grow));
    if (grow < 0) page.fill(lowest, -grow, 0);
}

}  // namespace pelmora::engine::jet

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

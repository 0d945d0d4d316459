#include "db/engine/jet/RowView.h"

#include <string>

namespace pelmora::engine::jet {

void RowView::corrupt(const std::string& what) const {
    page_->corrupt("la fila de la posición " + std::to_string(start_) + ": " + what);
}

void RowView::set(const Page& page, uint16_t start, uint16_t end, const Format& format,
                  bool tableHasVarColumns) {
    page_ = &page;
    row_ = page.data() + start;
    start_ = start;
    length_ = end - start;
    format_ = &format;
    hasVar_ = tableHasVarColumns;
    offsetsRead_ = false;
    if (length_ < format.rowCountSize) corrupt("es demasiado corta");
    columnCount_ =
        format.rowCountSize == 1 ? row_[0] : static_cast<uint16_t>(row_[0] | row_[1] << 8);
    maskSize_ = static_cast<uint16_t>((columnCount_ + 7) / 8);
    if (maskSize_ + format.rowCountSize > length_)
        corrupt("dice tener " + std::to_string(columnCount_) + " columnas, que no caben en " +
                std::to_string(length_) + " bytes");
}

bool RowView::bit(uint16_t number) const {
    if (number >= columnCount_) return false;
    return row_[length_ - maskSize_ + number / 8] & (1 << (number % 8));
}

size_t RowView::bitByte(uint16_t number) const {
    if (number >= columnCount_) return 0;
    return start_ + length_ - maskSize_ + number / 8;
}

void RowView::readVarOffsets() {
    offsetsRead_ = true;
    const int maskEnd = length_ - maskSize_;  // index just past the variable tables
    if (format_->rowCountSize == 2) {
        if (maskEnd < 4) corrupt("le falta la tabla de columnas variables");
        varCount_ = static_cast<uint16_t>(row_[maskEnd - 2] | row_[maskEnd - 1] << 8);
        if (4 + 2 * varCount_ > maskEnd)
            corrupt("dice tener " + std::to_string(varCount_) + " columnas variables");
        return;
    }
    if (maskEnd < 2) corrupt("le falta la tabla de columnas variables");
    varCount_ = row_[maskEnd - 1];
    int jumps = (length_ - 1) / 256;
    const int firstOffset = maskEnd - jumps - 2;  // offset of variable column 0
    if (firstOffset - varCount_ < 0)
        corrupt("dice tener " + std::to_string(varCount_) + " columnas variables");
    if ((firstOffset - varCount_) / 256 < jumps) --jumps;  // a dummy last jump
    int used = 0;
    for (int i = 0; i <= varCount_; ++i) {
        while (used < jumps && i == row_[maskEnd - 2 - used]) ++used;
        varOffsets_[i] = static_cast<uint16_t>(row_[firstOffset - i] + 256 * used);
    }
}

bool RowView::columnBytes(const ColumnDef& column, std::string_view& out) {
    if (!bit(column.number)) return false;
    int from, to;
    if (column.fixed()) {
        from = format_->rowCountSize + column.fixedOffset;
        to = from + column.length;
    } else {
        if (!hasVar_)
            corrupt("la columna «" + column.name +
                    "» es variable y la fila no tiene tabla de variables");
        if (!offsetsRead_) readVarOffsets();
        if (column.varIndex >= varCount_) return false;
        if (format_->rowCountSize == 2) {
            const int at = length_ - maskSize_ - 4 - 2 * column.varIndex;
            from = row_[at] | row_[at + 1] << 8;
            to = row_[at - 2] | row_[at - 1] << 8;
        } else {
            from = varOffsets_[column.varIndex];
            to = varOffsets_[column.varIndex + 1];
        }
    }
    if (from < format_->rowCountSize || from > to || to > length_ - maskSize_)
        corrupt("los datos de la columna «" + column.name + "» (bytes " + std::to_string(from) +
                " a " + std::to_string(to) + ") salen de la fila de " + std::to_string(length_) +
                " bytes");
    out = std::string_view(reinterpret_cast<const char*>(row_) + from, to - from);
    return true;
}

}  // namespace pelmora::engine::jet

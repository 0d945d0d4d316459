// One stored row, read in place on its page without copying. Layout:
//   column count (Jet3 u8, Jet4 u16) | fixed columns | variable columns |
//   [only if the table has variable columns:]
//     Jet4: u16 end of data | u16 offsets, last variable column first | u16 count
//     Jet3: u8 end of data | u8 offsets, last first | jump table | u8 count
//   | null mask: one bit per column number, set = not Null (yes/no: the value)
// Jet3 offsets are one byte: the jump table lists, last first, the variable
// column index at which each further 256 bytes begin (one dummy 0xFF entry may
// be present, as the table's size follows the row length, not the data).
// A row written before columns were added has a smaller count: those columns are Null.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "db/engine/jet/PageFile.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

class RowView {
  public:
    void set(const Page& page, uint16_t start, uint16_t end, const Format& format,
             bool tableHasVarColumns);

    // False when the column is Null (for yes/no: when the value is false).
    bool bit(uint16_t columnNumber) const;
    // Where on the page the byte holding that bit lies; 0 for a row older than the column.
    size_t bitByte(uint16_t columnNumber) const;
    // The stored bytes of a non-boolean column; false when Null.
    bool columnBytes(const ColumnDef& column, std::string_view& out);

  private:
    void readVarOffsets();
    [[noreturn]] void corrupt(const std::string& what) const;

    const Page* page_ = nullptr;
    const uint8_t* row_ = nullptr;  // first byte of the row
    uint16_t start_ = 0;
    uint16_t length_ = 0;
    const Format* format_ = nullptr;
    bool hasVar_ = false;
    uint16_t columnCount_ = 0;
    uint16_t maskSize_ = 0;
    bool offsetsRead_ = false;
    uint16_t varCount_ = 0;
    std::array<uint16_t, 257> varOffsets_{};  // Jet3 only: offsets resolved through the jumps
};

}  // namespace pelmora::engine::jet

#include "db/engine/jet/RowEncoder.h"

#include <algorithm>

#include "db/engine/Error.h"
#include "db/engine/jet/FixedValue.h"
#include "db/engine/jet/TextCodec.h"

namespace pelmora::engine::jet {

namespace {

// Jet3's variable table: one-byte offsets (end of data first, then the slots
// last first), the jump table and the slot count. There are as many jump bytes
// as the whole row has 256-byte steps (RowView.h): those the offsets reach name,
// last first, the first slot at or past each step; the rest are FF, which no
// slot number matches.
void appendJet3VarTable(std::string& row, const std::vector<uint16_t>& offsets, size_t maskSize) {
    const size_t slots = offsets.size() - 1;
    size_t jumps = 0;
    while ((row.size() + slots + 1 + jumps + 1 + maskSize - 1) / 256 > jumps) ++jumps;
    const size_t reached = offsets[slots] / 256;
    std::string table(jumps, '\xFF');
    for (size_t k = 0, slot = 0; k < reached; ++k) {
        while (offsets[slot] < 256 * (k + 1)) ++slot;
        table[jumps - 1 - k] = static_cast<char>(slot);
    }
    for (size_t slot = slots + 1; slot-- > 0;) row += static_cast<char>(offsets[slot] & 0xFF);
    row += table;
    row += static_cast<char>(slots);
}

constexpr size_t kCompressFrom = 3;  // shorter texts gain nothing from the compressed form
constexpr size_t kCompressUpTo = 1024;

}  // namespace

std::string encodeText(const ColumnDef& column, const RowTarget& target, const std::string& utf8) {
    if (!target.format.unicode) {
        std::optional<char32_t> missing;
        std::string out = target.codePage.encode(utf8, missing);
        if (missing)
            throw Error("No se puede escribir el carácter " + describeCharacter(*missing) +
                        " en el campo «" + column.name + "» de la tabla «" + target.table +
                        "» de la base de datos «" + target.path + "»: su página de códigos (" +
                        std::to_string(target.codePage.number()) + ") no lo tiene");
        return out;
    }
    const std::u32string text = codePoints(utf8);
    const bool oneByte =
        std::all_of(text.begin(), text.end(), [](char32_t c) { return c >= 0x01 && c <= 0xFF; });
    if ((column.extFlags & 0x01) && oneByte && text.size() >= kCompressFrom &&
        text.size() <= kCompressUpTo) {
        std::string out = "\xFF\xFE";
        for (char32_t c : text) out += static_cast<char>(c);
        return out;
    }
    return encodeUcs2(text);
}

std::string unwritableColumn(const ColumnDef& c) {
    if (c.calculated())
        return "es un campo calculado, cuyo valor calcula Access a partir de los demás";
    switch (c.type) {
        case ColumnType::Complex:
            return "es de datos adjuntos, de varios valores o de memo con historial, y sus "
                   "valores los guarda Access en tablas ocultas";
        case ColumnType::BigInt:
            return "es de tipo número grande, que no se escribe";
        case ColumnType::ExtendedDateTime:
            return "es de tipo fecha y hora extendida, que no se escribe";
        case ColumnType::Boolean:
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::Currency:
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::DateTime:
        case ColumnType::Binary:
        case ColumnType::Text:
        case ColumnType::Ole:
        case ColumnType::Memo:
        case ColumnType::Guid:
        case ColumnType::Numeric:
            return "";
    }
    return "es de un tipo desconocido (código " + std::to_string(static_cast<int>(c.type)) +
           "), que no se escribe";
}

std::string encodeValue(const ColumnDef& c, const RowTarget& target, const Value& v) {
    if (c.type == ColumnType::Text) return encodeText(c, target, v.rawText());
    return storedBytes(c, v);
}

size_t maxRowLength(const Format& format) {
    return format.pageSize - format.dataRowTable - 2 - 16;
}

std::string assembleRow(const TableDefinition& table, const Format& format,
                        const std::vector<Field>& fields, size_t minimumLength) {
    const uint16_t count = table.maxColumns;
    size_t fixedSize = 0;
    int varSlots = 0;
    for (const ColumnDef& c : table.columns) {
        if (c.type == ColumnType::Boolean) continue;
        if (c.fixed())
            fixedSize = std::max<size_t>(fixedSize, c.fixedOffset + c.length);
        else
            varSlots = std::max(varSlots, c.varIndex + 1);
    }
    std::string row = littleEndian(count);
    row.resize(format.rowCountSize + fixedSize, '\0');
    std::vector<uint16_t> offsets(varSlots + 1, 0);
    std::string mask((count + 7) / 8, '\0');
    const auto setBit = [&](uint16_t n) {
        mask[n / 8] = static_cast<char>(mask[n / 8] | 1 << (n % 8));
    };
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef& c = table.columns[i];
        if (c.type == ColumnType::Boolean) {
            if (fields[i].bit) setBit(c.number);
        } else if (fields[i].bytes) {
            setBit(c.number);
            if (c.fixed()) {
                const std::string& b = *fields[i].bytes;
                row.replace(format.rowCountSize + c.fixedOffset,
                            std::min<size_t>(b.size(), c.length), b, 0,
                            std::min<size_t>(b.size(), c.length));
            }
        }
    }
    // Variable data in slot order; a Null or missing slot takes no bytes.
    for (int slot = 0; slot < varSlots; ++slot) {
        offsets[slot] = static_cast<uint16_t>(row.size());
        for (size_t i = 0; i < table.columns.size(); ++i) {
            const ColumnDef& c = table.columns[i];
            if (!c.fixed() && c.type != ColumnType::Boolean && c.varIndex == slot &&
                fields[i].bytes)
                row += *fields[i].bytes;
        }
    }
    offsets[varSlots] = static_cast<uint16_t>(row.size());
    const size_t offsetSize = format.rowCountSize;
    const size_t tail = (varSlots > 0 ? offsetSize * (varSlots + 2) : 0u) + mask.size();
    const size_t wanted = std::max(minimumLength, kMinRowLength);
    if (row.size() + tail < wanted) row.resize(wanted - tail, '\0');  // padding, after the data
    if (varSlots > 0 && offsetSize == 2) {
        row += littleEndian(offsets[varSlots]);
        for (int slot = varSlots - 1; slot >= 0; --slot) row += littleEndian(offsets[slot]);
        row += littleEndian(static_cast<uint16_t>(varSlots));
    } else if (varSlots > 0) {
        appendJet3VarTable(row, offsets, mask.size());
    }
    row += mask;
    return row;
}

}  // namespace pelmora::engine::jet

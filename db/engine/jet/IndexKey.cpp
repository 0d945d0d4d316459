#include "db/engine/jet/IndexKey.h"

#include <cstring>

#include "db/engine/jet/CodePage.h"
#include "db/engine/jet/SortCodes.h"
#include "db/engine/jet/TextCodec.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::engine::jet {

namespace {

constexpr int kGeneral = 1033;

void invertFrom(std::string& out, size_t from) {
    for (size_t i = from; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
}

// The stored little-endian number, big-endian.
void appendReversed(std::string_view stored, size_t length, std::string& out) {
    for (size_t i = length; i-- > 0;) out += stored[i];
}

void appendBinary(std::string_view data, bool ascending, std::string& out) {
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(8, data.size() - at);
        const size_t from = out.size();
        out.append(data.substr(at, length));
        out.append(8 - length, '\0');
        at += length;
        const bool more = at < data.size();
        if (!ascending) invertFrom(out, from);
        out += static_cast<char>(more ? 9 : (ascending ? length : ~length));
    } while (at < data.size());
}

}  // namespace

std::string unsupportedKeyColumn(const ColumnDef& column, const Format& format) {
    if (column.calculated())  // its stored form wraps the result (CalculatedValue.h)
        return "la columna «" + column.name + "» es calculada, y sus claves no se conocen";
    if (!column.isText()) {
        if (column.type == ColumnType::Ole || static_cast<int>(column.type) > 0x10)
            return "el tipo de la columna «" + column.name + "» no se indexa";
        return "";
    }
    const bool general = column.sortOrder == kGeneral || column.sortOrder == 0;
    if (format.version == 3 && column.codePage != 0 && column.codePage != 1252)
        return "la columna «" + column.name + "» guarda su texto en la página de códigos " +
               std::to_string(column.codePage) + ", cuyo orden no se conoce";
    if (general && (format.version == 3 || column.sortVersion <= 1)) return "";  // 1: Access 2010+
    return "la columna «" + column.name + "» usa el orden de texto " +
           std::to_string(column.sortOrder) + " (versión " + std::to_string(column.sortVersion) +
           "), que no es el orden General";
}

void appendTextKey(const ColumnDef& c, const Format& format, bool ascending,
                   const std::string& utf8, std::string& out) {
    if (format.version == 3)
        appendGeneral97Text(utf8, ascending, out);
    else if (c.sortVersion == 1)
        appendGeneral2010Text(utf8, ascending, out);
    else
        appendGeneralText(utf8, ascending, out);
}

void appendKeyColumn(const ColumnDef& c, const Format& format, bool ascending, bool isNull,
                     bool truth, std::string_view stored, std::string& out) {
    if (c.type == ColumnType::Boolean) {
        out += ascending ? '\x7F' : '\x80';
        out += (truth == ascending) ? '\x00' : '\xFF';
        return;
    }
    if (isNull) {
        out += ascending ? '\x00' : '\xFF';
        return;
    }
    out += ascending ? '\x7F' : '\x80';
    const size_t from = out.size();
    switch (c.type) {
        case ColumnType::Byte:
            out += stored[0];
            break;
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::Currency:
            appendReversed(stored,
                           c.type == ColumnType::Integer ? 2
                           : c.type == ColumnType::Long  ? 4
                                                         : 8,
                           out);
            out[from] = static_cast<char>(out[from] ^ 0x80);
            break;
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::DateTime: {
            appendReversed(stored, c.type == ColumnType::Single ? 4 : 8, out);
            if (static_cast<uint8_t>(out[from]) & 0x80)
                invertFrom(out, from);
            else
                out[from] = static_cast<char>(out[from] ^ 0x80);
            break;
        }
        case ColumnType::Numeric: {
            // The sign byte stays 00 (negative) or FF whatever the direction.
            const bool negative = static_cast<uint8_t>(stored[0]) & 0x80;
            out += '\0';
            for (int group = 0; group < 4; ++group)
                appendReversed(stored.substr(1 + 4 * group), 4, out);
            if (negative == ascending) invertFrom(out, from);
            out[from] = negative ? '\x00' : '\xFF';
            return;
        }
        case ColumnType::Guid: {
            static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
            std::string bytes;
            for (int i : order) bytes += stored[i];
            appendBinary(bytes, ascending, out);
            return;
        }
        case ColumnType::Binary:
            appendBinary(stored, ascending, out);
            return;
        case ColumnType::Text:
        case ColumnType::Memo: {
            std::string text;
            // Jet3 keys are made of Windows-1252 text only (unsupportedKeyColumn).
            decodeText(format, CodePage::windows1252(), stored, text);
            appendTextKey(c, format, ascending, text, out);
            return;
        }
        default:
            break;
    }
    if (!ascending) invertFrom(out, from);
}

bool rowKey(const TableDefinition& table, const RealIndex& index, const Format& format,
            RowView& row, ValueReader& values, std::string& key) {
    key.clear();
    bool anyValue = false;
    for (const IndexColumn& ic : index.columns) {
        const ColumnDef& c = table.columns[ic.column];
        std::string_view stored;
        std::string longValue;
        bool present;
        if (c.type == ColumnType::Boolean) {
            present = true;
        } else {
            present = row.columnBytes(c, stored);
            if (present && c.type == ColumnType::Memo) {
                longValue = values.longValue(stored, c.name);
                stored = longValue;
            }
        }
        anyValue = anyValue || present;
        appendKeyColumn(c, format, ic.ascending, !present, row.bit(c.number), stored, key);
    }
    return anyValue;
}

}  // namespace pelmora::engine::jet

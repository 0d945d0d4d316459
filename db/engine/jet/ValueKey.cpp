#include "db/engine/jet/ValueKey.h"

#include <cctype>
#include <cstring>

#include "db/engine/Error.h"
#include "db/engine/jet/IndexKey.h"
#include "db/engine/jet/SortCodes.h"

namespace pelmora::engine::jet {

namespace {

template <typename T>
std::string little(T v) {
    std::string out(sizeof(T), '\0');
    std::memcpy(out.data(), &v, sizeof(T));  // the engine runs on little-endian machines
    return out;
}

// "-123.45" as stored: u8 sign, then the magnitude scaled by 10^scale in four
// u32 groups, most significant first. Digits past the scale are rounded.
std::string storedDecimal(const std::string& text, int scale) {
    unsigned __int128 magnitude = 0;
    bool negative = false, point = false;
    int decimals = 0, firstDropped = -1;
    for (char c : text) {
        if (c == '-') negative = true;
        if (c == '.') point = true;
        if (c < '0' || c > '9') continue;
        if (point && decimals == scale) {
            if (firstDropped < 0) firstDropped = c - '0';
            continue;
        }
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
        if (point) ++decimals;
    }
    for (; decimals < scale; ++decimals) magnitude *= 10;
    if (firstDropped >= 5) ++magnitude;
    std::string out(1, negative && magnitude != 0 ? '\x80' : '\0');
    for (int group = 3; group >= 0; --group)
        out += little(static_cast<uint32_t>(magnitude >> (32 * group)));
    return out;
}

uint8_t hexDigit(char c) {
    return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
}

// "{01234567-89AB-CDEF-0123-456789ABCDEF}" as stored: the first three groups little-endian.
std::string storedGuid(const std::string& text) {
    std::string hex;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    if (hex.size() != 32) throw Error("«" + text + "» no es un identificador de réplica");
    std::string bytes;
    for (size_t i = 0; i < 32; i += 2)
        bytes += static_cast<char>(hexDigit(hex[i]) << 4 | hexDigit(hex[i + 1]));
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string stored;
    for (int i : order) stored += bytes[i];
    return stored;
}

std::string storedBytes(const ColumnDef& c, const Value& v) {
    switch (c.type) {
        case ColumnType::Byte:
            return std::string(1, static_cast<char>(v.rawInt()));
        case ColumnType::Integer:
            return little(static_cast<int16_t>(v.rawInt()));
        case ColumnType::Long:
            return little(static_cast<int32_t>(v.rawInt()));
        case ColumnType::Currency:
            return little(static_cast<int64_t>(v.rawInt()));
        case ColumnType::Single:
            return little(static_cast<float>(v.rawDouble()));
        case ColumnType::Double:
        case ColumnType::DateTime:
            return little(v.rawDouble());
        case ColumnType::Numeric:
            return storedDecimal(v.rawText(), c.scale);
        case ColumnType::Guid:
            return storedGuid(v.rawText());
        default:
            return v.rawText();
    }
}

}  // namespace

void appendValueKey(const ColumnDef& c, const Format& format, bool ascending, const Value& v,
                    std::string& out) {
    if (c.isText() && !v.isNull()) {
        out += ascending ? '\x7F' : '\x80';
        if (format.version == 3)
            appendGeneral97Text(v.rawText(), ascending, out);
        else
            appendGeneralText(v.rawText(), ascending, out);
        return;
    }
    const bool truth = c.type == ColumnType::Boolean && !v.isNull() && v.rawInt() != 0;
    const std::string stored = v.isNull() || c.type == ColumnType::Boolean ? "" : storedBytes(c, v);
    appendKeyColumn(c, format, ascending, v.isNull(), truth, stored, out);
}

bool valueKey(const TableDefinition& table, const RealIndex& index, const Format& format,
              const std::vector<Value>& row, std::string& key) {
    key.clear();
    bool anyValue = false;
    for (const IndexColumn& ic : index.columns) {
        const ColumnDef& c = table.columns[ic.column];
        const Value& v = row.at(static_cast<size_t>(ic.column));
        anyValue = anyValue || c.type == ColumnType::Boolean || !v.isNull();
        appendValueKey(c, format, ic.ascending, v, key);
    }
    return anyValue;
}

}  // namespace pelmora::engine::jet

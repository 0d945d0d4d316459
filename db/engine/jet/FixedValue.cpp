#include "db/engine/jet/FixedValue.h"

#include <cctype>

#include "db/engine/Error.h"

namespace pelmora::engine::jet {

namespace {

// "-123.45" as stored: u8 sign, then the magnitude scaled by 10^scale in four u32
// groups, most significant first.
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
        out += littleEndian(static_cast<uint32_t>(magnitude >> (32 * group)));
    return out;
}

uint8_t hexDigit(char c) {
    return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
}

// "{01234567-89AB-CDEF-0123-456789ABCDEF}" as stored: the first three groups
// little-endian.
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

}  // namespace

std::string storedBytes(const ColumnDef& c, const Value& v) {
    switch (c.type) {
        case ColumnType::Byte:
            return std::string(1, static_cast<char>(v.rawInt()));
        case ColumnType::Integer:
            return littleEndian(static_cast<int16_t>(v.rawInt()));
        case ColumnType::Long:
            return littleEndian(static_cast<int32_t>(v.rawInt()));
        case ColumnType::Currency:
            return littleEndian(static_cast<int64_t>(v.rawInt()));
        case ColumnType::Single:
            return littleEndian(static_cast<float>(v.rawDouble()));
        case ColumnType::Double:
        case ColumnType::DateTime:
            return littleEndian(v.rawDouble());
        case ColumnType::Numeric:
            return storedDecimal(v.rawText(), c.scale);
        case ColumnType::Guid:
            return storedGuid(v.rawText());
        default:
            return v.rawText();
    }
}

size_t fixedLength(ColumnType type) {
    switch (type) {
        case ColumnType::Byte:
            return 1;
        case ColumnType::Integer:
            return 2;
        case ColumnType::Long:
        case ColumnType::Single:
        case ColumnType::Complex:
            return 4;
        case ColumnType::BigInt:
        case ColumnType::Currency:
        case ColumnType::Double:
        case ColumnType::DateTime:
            return 8;
        case ColumnType::Guid:
            return 16;
        case ColumnType::Numeric:
            return 17;
        default:
            return 0;
    }
}

}  // namespace pelmora::engine::jet

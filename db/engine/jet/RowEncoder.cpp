#include "db/engine/jet/RowEncoder.h"

#include <algorithm>
#include <cstring>

#include "db/engine/Error.h"

namespace pelmora::engine::jet {

namespace {

template <typename T>
std::string little(T value) {
    std::string out(sizeof value, '\0');
    std::memcpy(out.data(), &value, sizeof value);  // the host is little-endian, as the file
    return out;
}

// Code points of UTF-8 text (already valid: it went through the engine's values).
std::u32string codePoints(const std::string& utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t b = static_cast<uint8_t>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = c << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        out += c;
        i += 1 + extra;
    }
    return out;
}

void appendUnit(std::string& out, char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8 & 0xFF);
}

std::string ucs2(const std::u32string& text) {
    std::string out;
    out.reserve(2 * text.size());
    for (char32_t c : text) {
        if (c >= 0x10000) {
            appendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            appendUnit(out, c);
        }
    }
    return out;
}

// "-123.45" scaled to `scale` decimals: sign byte, then the magnitude as four
// u32 groups, most significant first, each little-endian.
std::string numericBytes(const std::string& text, int scale) {
    bool negative = !text.empty() && text[0] == '-';
    unsigned __int128 magnitude = 0;
    int decimals = -1;
    for (char c : text) {
        if (c == '.') {
            decimals = 0;
        } else if (c >= '0' && c <= '9') {
            if (decimals >= scale) continue;
            magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
            if (decimals >= 0) ++decimals;
        }
    }
    for (int d = std::max(decimals, 0); d < scale; ++d) magnitude *= 10;
    if (magnitude == 0) negative = false;
    std::string out(1, static_cast<char>(negative ? 0x80 : 0x00));
    for (int group = 3; group >= 0; --group)
        out += little(static_cast<uint32_t>(magnitude >> (32 * group)));
    return out;
}

int hexDigit(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// "{01234567-89AB-CDEF-0123-456789ABCDEF}": the first three groups little-endian.
std::string guidBytes(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    std::string plain(16, '\0');
    for (size_t i = 0; i < 16 && 2 * i + 1 < digits.size(); ++i)
        plain[i] = static_cast<char>(hexDigit(digits[2 * i]) << 4 | hexDigit(digits[2 * i + 1]));
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string out(16, '\0');
    for (int i = 0; i < 16; ++i) out[order[i]] = plain[i];
    return out;
}

constexpr size_t kCompressFrom = 3;  // shorter texts gain nothing from the compressed form
constexpr size_t kCompressUpTo = 1024;

}  // namespace

std::string encodeText(const ColumnDef& column, const Format&, const std::string& utf8) {
    const std::u32string text = codePoints(utf8);
    const bool oneByte = std::all_of(text.begin(), text.end(),
                                     [](char32_t c) { return c >= 0x01 && c <= 0xFF; });
    if ((column.extFlags & 0x01) && oneByte && text.size() >= kCompressFrom &&
        text.size() <= kCompressUpTo) {
        std::string out = "\xFF\xFE";
        for (char32_t c : text) out += static_cast<char>(c);
        return out;
    }
    return ucs2(text);
}

std::string encodeValue(const ColumnDef& c, const Format& format, const Value& v) {
    switch (c.type) {
        case ColumnType::Byte: return std::string(1, static_cast<char>(v.rawInt()));
        case ColumnType::Integer: return little(static_cast<int16_t>(v.rawInt()));
        case ColumnType::Long: return little(static_cast<int32_t>(v.rawInt()));
        case ColumnType::Currency: return little(static_cast<int64_t>(v.rawInt()));
        case ColumnType::Single: return little(static_cast<float>(v.rawDouble()));
        case ColumnType::Double:
        case ColumnType::DateTime: return little(v.rawDouble());
        case ColumnType::Guid: return guidBytes(v.rawText());
        case ColumnType::Numeric: return numericBytes(v.rawText(), c.scale);
        case ColumnType::Text: return encodeText(c, format, v.rawText());
        default: return v.rawText();
    }
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
    std::string row = little(count);
    row.resize(format.rowCountSize + fixedSize, '\0');
    std::vector<uint16_t> offsets(varSlots + 1, 0);
    std::string mask((count + 7) / 8, '\0');
    const auto setBit = [&](uint16_t n) { mask[n / 8] = static_cast<char>(mask[n / 8] | 1 << (n % 8)); };
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef& c = table.columns[i];
        if (c.type == ColumnType::Boolean) {
            if (fields[i].bit) setBit(c.number);
        } else if (fields[i].bytes) {
            setBit(c.number);
            if (c.fixed()) {
                const std::string& b = *fields[i].bytes;
                row.replace(format.rowCountSize + c.fixedOffset, std::min<size_t>(b.size(), c.length), b, 0,
                            std::min<size_t>(b.size(), c.length));
            }
        }
    }
    // Variable data in slot order; a Null or missing slot takes no bytes.
    for (int slot = 0; slot < varSlots; ++slot) {
        offsets[slot] = static_cast<uint16_t>(row.size());
        for (size_t i = 0; i < table.columns.size(); ++i) {
            const ColumnDef& c = table.columns[i];
            if (!c.fixed() && c.type != ColumnType::Boolean && c.varIndex == slot && fields[i].bytes)
                row += *fields[i].bytes;
        }
    }
    offsets[varSlots] = static_cast<uint16_t>(row.size());
    const size_t tail = (varSlots > 0 ? 2u * (varSlots + 2) : 0u) + mask.size();
    const size_t wanted = std::max(minimumLength, kMinRowLength);
    if (row.size() + tail < wanted) row.resize(wanted - tail, '\0');  // padding, after the data
    if (varSlots > 0) {
        row += little(offsets[varSlots]);
        for (int slot = varSlots - 1; slot >= 0; --slot) row += little(offsets[slot]);
        row += little(static_cast<uint16_t>(varSlots));
    }
    row += mask;
    return row;
}

}  // namespace pelmora::engine::jet

#include "db/engine/jet/ValueReader.h"

#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "db/engine/jet/CalculatedValue.h"
#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/FixedValue.h"
#include "db/engine/jet/TextCodec.h"

namespace pelmora::engine::jet {

namespace {

template <typename T>
T little(std::string_view bytes) {
    T v;
    std::memcpy(&v, bytes.data(), sizeof v);  // the host is little-endian, as the file
    return v;
}

constexpr uint32_t kLongInline = 0x80000000;
constexpr uint32_t kLongSingle = 0x40000000;
constexpr uint32_t kLongFlags = 0xC0000000;
constexpr size_t kLongHeader = 12;

}  // namespace

std::string decimalText(std::string_view bytes, int scale) {
    unsigned __int128 magnitude = 0;
    for (int group = 0; group < 4; ++group)
        magnitude = magnitude << 32 | little<uint32_t>(bytes.substr(1 + 4 * group, 4));
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale > 0) {
        if (digits.size() <= static_cast<size_t>(scale))
            digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
        digits.insert(digits.end() - scale, '.');
    }
    const bool zero = digits.find_first_not_of("0.") == std::string::npos;
    return (static_cast<uint8_t>(bytes[0]) & 0x80) && !zero ? "-" + digits : digits;
}

std::string guidText(std::string_view b) {
    static const char* hex = "0123456789ABCDEF";
    // Byte order of the text form: the three little-endian groups reversed.
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string out = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
        uint8_t v = static_cast<uint8_t>(b[order[i]]);
        out += hex[v >> 4];
        out += hex[v & 15];
    }
    return out + "}";
}

std::string extendedDateTimeText(std::string_view b) {
    const auto number = [&](size_t at, size_t length, int64_t& value) {
        if (b.size() < at + length) return false;
        value = 0;
        for (char c : b.substr(at, length)) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        return true;
    };
    int64_t days, seconds, ticks;
    if (!number(0, 19, days) || !number(20, 12, seconds) || !number(32, 7, ticks) ||
        days > 3652058 || seconds >= 86400)  // 9999-12-31 at most
        return std::string(b.substr(0, b.find('\0')));
    // The civil date of a day count from 0001-01-01 (proleptic Gregorian calendar).
    const int64_t z = days + 306, era = z / 146097, dayOfEra = z - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2);
    char text[128];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld.%07lld",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60),
                  static_cast<long long>(ticks));
    return text;
}

Value ValueReader::read(const ColumnDef& column, RowView& row) {
    if (column.type == ColumnType::Boolean) return Value::boolean(row.bit(column.number));
    std::string_view bytes;
    if (!row.columnBytes(column, bytes)) return Value();
    return decode(column, bytes);
}

Value ValueReader::decode(const ColumnDef& c, std::string_view bytes) {
    if (c.calculated()) return calculated(c, bytes);
    const size_t need = fixedLength(c.type);
    if (need && bytes.size() < need)
        file_.corrupt("la columna «" + c.name + "» tiene un valor de " +
                      std::to_string(bytes.size()) + " bytes donde hacen falta " +
                      std::to_string(need));
    switch (c.type) {
        case ColumnType::Boolean:
            return Value::boolean(true);
        case ColumnType::Byte:
            return Value::byte(static_cast<uint8_t>(bytes[0]));
        case ColumnType::Integer:
            return Value::integer(little<int16_t>(bytes));
        case ColumnType::Long:
            return Value::longInt(little<int32_t>(bytes));
        case ColumnType::Currency:
            return Value::currency(little<int64_t>(bytes));
        case ColumnType::Single:
            return Value::single(little<float>(bytes));
        case ColumnType::Double:
            return Value::dbl(little<double>(bytes));
        case ColumnType::DateTime:
            return Value::dateTime(little<double>(bytes));
        case ColumnType::Guid:
            return Value::guid(guidText(bytes));
        case ColumnType::Numeric:
            return Value::decimal(decimalText(bytes, c.scale));
        case ColumnType::Text: {
            std::string text;
            decodeText(file_.format(), file_.codePage(), bytes, text);
            return Value::text(std::move(text));
        }
        case ColumnType::Memo: {
            std::string text;
            decodeText(file_.format(), file_.codePage(), longValue(bytes, c.name), text);
            return Value::text(std::move(text), Type::Memo);
        }
        case ColumnType::Ole:
            return Value::binary(longValue(bytes, c.name), Type::LongBinary);
        case ColumnType::Complex:
            return Value::longInt(little<int32_t>(bytes));
        case ColumnType::BigInt:
            return Value::decimal(std::to_string(little<int64_t>(bytes)));
        case ColumnType::ExtendedDateTime:
            return Value::text(extendedDateTimeText(bytes));
        default:
            return Value::binary(std::string(bytes));
    }
}

Value ValueReader::calculated(const ColumnDef& c, std::string_view bytes) {
    std::string whole;
    if (c.isLongValue() || (c.type == ColumnType::Text && c.length == 0)) {
        whole = longValue(bytes, c.name);
        bytes = whole;
    }
    const std::string_view result = calculatedResult(bytes, file_, c.name);
    ColumnDef plain = c;
    plain.extFlags = 0;
    plain.type = c.resultType;
    if (result.empty() && !plain.isText()) return Value();
    switch (c.resultType) {
        case ColumnType::Boolean:
            return Value::boolean(!result.empty() && result[0] != 0);
        case ColumnType::Numeric:
            return Value::decimal(calculatedDecimalText(result, file_, c.name));
        case ColumnType::Text:
        case ColumnType::Memo: {
            std::string text;
            decodeText(file_.format(), file_.codePage(), result, text);
            return Value::text(std::move(text),
                               c.resultType == ColumnType::Memo ? Type::Memo : Type::Text);
        }
        case ColumnType::Ole:
            return Value::binary(std::string(result), Type::LongBinary);
        default:
            return decode(plain, result);
    }
}

std::string ValueReader::longValue(std::string_view header, const std::string& column) {
    const std::string what = "el valor largo de la columna «" + column + "»";
    if (header.size() < kLongHeader)
        file_.corrupt(what + " tiene una cabecera de " + std::to_string(header.size()) + " bytes");
    const uint32_t word = little<uint32_t>(header);
    const uint32_t length = word & ~kLongFlags;
    if (word & kLongInline) {
        if (header.size() - kLongHeader < length)
            file_.corrupt(what + " dice medir " + std::to_string(length) +
                          " bytes y la fila solo tiene " +
                          std::to_string(header.size() - kLongHeader));
        return std::string(header.substr(kLongHeader, length));
    }
    if (uint64_t(length) > uint64_t(file_.pageCount()) * file_.format().pageSize)
        file_.corrupt(what + " dice medir " + std::to_string(length) +
                      " bytes, más que el fichero entero");
    RowPointer next = RowPointer::from(little<uint32_t>(header.substr(4)));
    if (word & kLongSingle) {
        RowBytes row = readPointedRow(file_, next, what.c_str());
        if (row.span.length() < length)
            row.page->corrupt(what + " dice medir " + std::to_string(length) +
                              " bytes y su fila solo tiene " + std::to_string(row.span.length()));
        return std::string(row.page->bytes(row.span.start, length));
    }
    std::string data;
    data.reserve(std::min<size_t>(length, 1 << 20));
    std::unordered_set<uint32_t> seen;
    while (data.size() < length) {
        if (next.page == 0 && next.row == 0)
            file_.corrupt(what + " termina tras " + std::to_string(data.size()) + " de sus " +
                          std::to_string(length) + " bytes");
        if (!seen.insert(next.packed()).second)
            file_.corrupt(what + " vuelve a una fila ya leída: la cadena forma un ciclo");
        RowBytes row = readPointedRow(file_, next, what.c_str());
        if (row.span.length() < 4) row.page->corrupt(what + " tiene un trozo sin enlace");
        next = RowPointer::from(row.page->u32(row.span.start));
        const size_t chunk = std::min<size_t>(row.span.length() - 4u, length - data.size());
        data.append(row.page->bytes(row.span.start + 4, chunk));
    }
    return data;
}

}  // namespace pelmora::engine::jet

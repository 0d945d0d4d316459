#include "db/engine/sqlite/SqliteTypes.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/sqlite/SqlText.h"

namespace pelmora::engine::sqlite {

namespace {

struct Named {
    const char* name;
    Type type;
    bool inUnits = false;  // currency held as a number of units
};

// The engine's own declared types, and the usual names other tools give them.
constexpr Named kNames[] = {
    {"BOOLEAN", Type::Boolean},
    {"BOOL", Type::Boolean},
    {"BYTE", Type::Byte},
    {"INTEGER", Type::Integer},
    {"SMALLINT", Type::Integer},
    {"LONG", Type::Long},
    {"CURRENCY_X10000", Type::Currency},
    {"CURRENCY", Type::Currency, true},
    {"MONEY", Type::Currency, true},
    {"SINGLE", Type::Single},
    {"DOUBLE", Type::Double},
    {"DECIMAL", Type::Decimal},
    {"NUMERIC", Type::Decimal},
    {"DATETIME", Type::DateTime},
    {"DATE", Type::DateTime},
    {"TIMESTAMP", Type::DateTime},
    {"TEXT", Type::Text},
    {"MEMO", Type::Memo},
    {"BINARY", Type::Binary},
    {"LONGBINARY", Type::LongBinary},
    {"GUID", Type::Guid},
};

// The size in "NAME(n)", or 0.
int sizeIn(const std::string& declared) {
    size_t open = declared.find('(');
    return open == std::string::npos ? 0 : std::atoi(declared.c_str() + open + 1);
}

// SQLite's affinity rules, for declared types the engine does not know.
Type byAffinity(const std::string& upper, int size) {
    const auto has = [&](const char* part) { return upper.find(part) != std::string::npos; };
    if (has("INT")) return Type::Long;
    if (has("CHAR") || has("CLOB") || has("TEXT"))
        return size > 0 && size <= 255 ? Type::Text : Type::Memo;
    if (has("BLOB")) return Type::LongBinary;
    if (upper.empty()) return Type::Memo;
    if (has("REAL") || has("FLOA") || has("DOUB")) return Type::Double;
    return Type::Decimal;
}

Value wholeNumber(int64_t n, Type type) {
    switch (type) {
        case Type::Byte:
            if (n >= 0 && n <= 255) return Value::byte(static_cast<uint8_t>(n));
            break;
        case Type::Integer:
            if (n >= INT16_MIN && n <= INT16_MAX) return Value::integer(static_cast<int16_t>(n));
            break;
        default:
            break;
    }
    if (n >= INT32_MIN && n <= INT32_MAX) return Value::longInt(static_cast<int32_t>(n));
    return Value::dbl(static_cast<double>(n));
}

std::string textAt(sqlite3_stmt* stmt, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    return std::string(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, index)));
}

std::string blobAt(sqlite3_stmt* stmt, int index) {
    const auto* blob = static_cast<const char*>(sqlite3_column_blob(stmt, index));
    return std::string(blob ? blob : "", static_cast<size_t>(sqlite3_column_bytes(stmt, index)));
}

// A stored value whose storage class does not match its column: as it is.
Value asStored(sqlite3_stmt* stmt, int index, int storage) {
    switch (storage) {
        case SQLITE_INTEGER:
            return wholeNumber(sqlite3_column_int64(stmt, index), Type::Long);
        case SQLITE_FLOAT:
            return Value::dbl(sqlite3_column_double(stmt, index));
        case SQLITE_TEXT:
            return Value::text(textAt(stmt, index), Type::Memo);
        case SQLITE_BLOB:
            return Value::binary(blobAt(stmt, index), Type::LongBinary);
        default:
            return Value();
    }
}

// A currency column's stored number: ten-thousandths, or units (see Column).
// Nothing when it falls out of the currency range.
std::optional<int64_t> currencyAt(sqlite3_stmt* stmt, int index, int storage, bool inUnits) {
    const int64_t scale = inUnits ? 10000 : 1;
    if (storage == SQLITE_INTEGER) {
        int64_t scaled;
        if (__builtin_mul_overflow(sqlite3_column_int64(stmt, index), scale, &scaled))
            return std::nullopt;
        return scaled;
    }
    const double scaled = std::nearbyint(sqlite3_column_double(stmt, index) * scale);
    if (!(scaled >= -0x1p63 && scaled < 0x1p63)) return std::nullopt;
    return static_cast<int64_t>(scaled);
}

Value numberAs(sqlite3_stmt* stmt, int index, int storage, Type type) {
    if (storage == SQLITE_INTEGER) return wholeNumber(sqlite3_column_int64(stmt, index), type);
    double d = sqlite3_column_double(stmt, index);
    if (d == std::trunc(d) && std::fabs(d) < 9e15)
        return wholeNumber(static_cast<int64_t>(d), type);
    return Value::dbl(d);
}

}  // namespace

const char* const kNewGuidDefault =
    "'{' || hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-4' || "
    "substr(hex(randomblob(2)), 2) || '-' || substr('89AB', 1 + (random() & 3), 1) || "
    "substr(hex(randomblob(2)), 2) || '-' || hex(randomblob(6)) || '}'";

std::string declaredType(const Column& column) {
    switch (column.type) {
        case Type::Boolean:
            return "BOOLEAN";
        case Type::Byte:
            return "BYTE";
        case Type::Integer:
            return "INTEGER";
        case Type::Long:
            return column.autoNumber ? "INTEGER PRIMARY KEY" : "LONG";
        // The exact count of ten-thousandths; INTEGER gives other tools the affinity.
        case Type::Currency:
            return "CURRENCY_X10000 INTEGER";
        case Type::Single:
            return "SINGLE";
        case Type::Double:
            return "DOUBLE";
        case Type::DateTime:
            return "DATETIME";
        case Type::Binary:
            return "BINARY";
        case Type::Text:
            return "TEXT(" + std::to_string(column.size > 0 ? column.size : 255) + ")";
        case Type::LongBinary:
            return "LONGBINARY";
        // TEXT gives the column text affinity: under MEMO alone SQLite would turn
        // "007" into the number 7.
        case Type::Memo:
            return "MEMO TEXT";
        case Type::Guid:
            return "GUID";
        case Type::Decimal:
            return "DECIMAL";
        case Type::Null:
            break;
    }
    return "";
}

std::string declaredKeyType(const Column& column) {
    if (column.type == Type::Long && column.autoNumber) return "INTEGER";
    if (column.type == Type::Integer) return "SMALLINT";
    return declaredType(column);
}

void typeFromDeclared(const std::string& declared, bool rowidAlias, Column& column) {
    const std::string upper = upperCase(declared);
    const int size = sizeIn(upper);
    const std::string first = upper.substr(0, upper.find_first_of(" ("));
    column.size = 0;
    column.autoNumber = rowidAlias;
    column.currencyInUnits = false;
    if (rowidAlias) {
        column.type = Type::Long;
        return;
    }
    for (const Named& named : kNames)
        if (first == named.name) {
            column.type = named.type;
            column.currencyInUnits = named.inUnits;
            if (named.type == Type::Text) {
                if (size > 0 && size <= 255)
                    column.size = size;
                else
                    column.type = Type::Memo;  // TEXT without a width holds any length
            }
            return;
        }
    column.type = byAffinity(upper, size);
    if (column.type == Type::Text) column.size = size;
}

bool comparedAsText(Type type) {
    return type == Type::Text || type == Type::Memo || type == Type::Guid;
}

bool holdsTenThousandths(const Column& column) {
    return column.type == Type::Currency && !column.currencyInUnits;
}

std::string defaultLiteral(const Value& fitted, const Column& column) {
    if (fitted.type() == Type::Currency && column.currencyInUnits) return fitted.toText();
    return sqlLiteral(fitted);
}

std::optional<Value> storedDefault(const std::string& expression, const Column& column,
                                   const std::string& table, const std::string& path) {
    std::optional<Value> literal = parseLiteral(expression);
    int64_t scaled = 0;
    const char* end = expression.data() + expression.size();
    if (holdsTenThousandths(column))
        literal = std::from_chars(expression.data(), end, scaled).ptr == end
                      ? std::optional<Value>(Value::currency(scaled))
                      : std::nullopt;
    if (!literal) return std::nullopt;
    try {
        Value fitted = fitToColumn(*literal, {path, table, column});
        return fitted.isNull() ? std::nullopt : std::optional<Value>(fitted);
    } catch (const Error&) {
        return std::nullopt;
    }
}

bool comparedAsNumber(Type type) {
    return type != Type::DateTime && type != Type::Binary && type != Type::LongBinary &&
           type != Type::Null && !comparedAsText(type);
}

void bindValue(Statement& statement, int index, const Value& value, const Column& column) {
    switch (value.type()) {
        case Type::Null:
            statement.bindNull(index);
            return;
        case Type::Boolean:
            statement.bind(index, int64_t{value.rawInt() ? -1 : 0});
            return;
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            statement.bind(index, value.rawInt());
            return;
        case Type::Currency:
            if (column.currencyInUnits)
                statement.bind(index, value.toDouble());
            else
                statement.bind(index, value.rawInt());
            return;
        case Type::Single:
        case Type::Double:
            statement.bind(index, value.rawDouble());
            return;
        case Type::DateTime:
            statement.bindText(index, formatDateTime(value.rawDouble()));
            return;
        case Type::Binary:
        case Type::LongBinary:
            statement.bindBlob(index, value.rawText());
            return;
        default:
            statement.bindText(index, value.rawText());
            return;
    }
}

Value readValue(sqlite3_stmt* stmt, int index, const Column& column) {
    const int storage = sqlite3_column_type(stmt, index);
    if (storage == SQLITE_NULL) return Value();
    const bool number = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
    switch (column.type) {
        case Type::Boolean:
            if (number) return Value::boolean(sqlite3_column_double(stmt, index) != 0);
            break;
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            if (number) return numberAs(stmt, index, storage, column.type);
            break;
        case Type::Currency:
            if (!number) break;
            if (auto scaled = currencyAt(stmt, index, storage, column.currencyInUnits))
                return Value::currency(*scaled);
            break;
        case Type::Single:
            if (number)
                return Value::single(static_cast<float>(sqlite3_column_double(stmt, index)));
            break;
        case Type::Double:
            if (number) return Value::dbl(sqlite3_column_double(stmt, index));
            break;
        case Type::Decimal:
            if (number) return Value::decimal(textAt(stmt, index));
            break;
        case Type::DateTime: {
            double days;
            if (storage == SQLITE_TEXT && parseDateTime(textAt(stmt, index), days))
                return Value::dateTime(days);
            break;
        }
        case Type::Text:
        case Type::Memo:
            if (storage != SQLITE_BLOB) return Value::text(textAt(stmt, index), column.type);
            break;
        case Type::Binary:
        case Type::LongBinary:
            return Value::binary(blobAt(stmt, index), column.type);
        case Type::Guid:
            if (storage == SQLITE_TEXT) return Value::guid(textAt(stmt, index));
            break;
        case Type::Null:
            break;
    }
    return asStored(stmt, index, storage);
}

}  // namespace pelmora::engine::sqlite

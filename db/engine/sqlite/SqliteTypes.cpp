#include "db/engine/sqlite/SqliteTypes.h"

#include <cmath>
#include <cstdlib>

#include "db/engine/Text.h"

namespace pelmora::engine::sqlite {

namespace {

struct Named {
    const char* name;
    Type type;
};

// The engine's own declared types, and the usual names other tools give them.
constexpr Named kNames[] = {
    {"BOOLEAN", Type::Boolean},
    {"BOOL", Type::Boolean},
    {"BYTE", Type::Byte},
    {"INTEGER", Type::Integer},
    {"SMALLINT", Type::Integer},
    {"LONG", Type::Long},
    {"CURRENCY", Type::Currency},
    {"MONEY", Type::Currency},
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
        case Type::Currency:
            return "CURRENCY";
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

void typeFromDeclared(const std::string& declared, bool rowidAlias, Column& column) {
    const std::string upper = upperCase(declared);
    const int size = sizeIn(upper);
    const std::string first = upper.substr(0, upper.find_first_of(" ("));
    column.size = 0;
    column.autoNumber = rowidAlias;
    if (rowidAlias) {
        column.type = Type::Long;
        return;
    }
    for (const Named& named : kNames)
        if (first == named.name) {
            column.type = named.type;
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

bool comparedAsNumber(Type type) {
    return type != Type::DateTime && type != Type::Binary && type != Type::LongBinary &&
           type != Type::Null && !comparedAsText(type);
}

void bindValue(Statement& statement, int index, const Value& value) {
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
            statement.bind(index, static_cast<double>(value.rawInt()) / 10000.0);
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
            if (number)
                return Value::currency(std::llround(sqlite3_column_double(stmt, index) * 10000.0));
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

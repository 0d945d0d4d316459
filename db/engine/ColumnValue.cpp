#include "db/engine/ColumnValue.h"

#include <cctype>
#include <cfloat>
#include <cmath>

#include "db/engine/Currency.h"
#include "db/engine/Error.h"
#include "db/engine/Printable.h"
#include "db/engine/Text.h"

namespace pelmora::engine {

namespace {

std::string place(const Destination& where) {
    return "el campo «" + where.column.name + "» (" + typeName(where.column.type) +
           ") de la tabla «" + where.table + "» en «" + where.path + "»";
}

// A value as quoted in a message: its text, cut short when long.
std::string shown(const Value& value) {
    std::string text;
    try {
        text = value.toText();
    } catch (const Error&) {
        return "Null";
    }
    if (characterCount(text) <= 40) return text;
    size_t end = 40;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return text.substr(0, end) + "…";
}

[[noreturn]] void doesNotFit(const Value& value, const Destination& where, const std::string& why) {
    throw Error("El valor «" + shown(value) + "» no cabe en " + place(where) + ": " + why);
}

double roundedInRange(const Value& value, const Destination& where, double low, double high) {
    double d = std::nearbyint(value.toDouble());
    if (!(d >= low && d <= high))
        doesNotFit(value, where,
                   "fuera del intervalo de " + std::to_string(int64_t(low)) + " a " +
                       std::to_string(int64_t(high)));
    return d;
}

bool isHex(const std::string& s, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i)
        if (i >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", braces optional on input, upper-cased.
Value guidFrom(const Value& value, const Destination& where) {
    std::string s = value.rawText();
    if (s.size() == 36) s = "{" + s + "}";
    bool ok = s.size() == 38 && s[0] == '{' && s[37] == '}' && isHex(s, 1, 8) && s[9] == '-' &&
              isHex(s, 10, 4) && s[14] == '-' && isHex(s, 15, 4) && s[19] == '-' &&
              isHex(s, 20, 4) && s[24] == '-' && isHex(s, 25, 12);
    if (!ok) doesNotFit(value, where, "no es un identificador de réplica");
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return Value::guid(s);
}

Value textFrom(const Value& value, const Destination& where) {
    const Column& column = where.column;
    std::string text = value.isText() ? value.rawText() : value.toText();
    if (text.empty() && !column.allowZeroLength)
        throw Error("No se admite texto vacío en " + place(where));
    if (column.type == Type::Text) {
        const size_t limit = column.size > 0 ? static_cast<size_t>(column.size) : 255;
        const size_t length = accessLength(text);
        if (length > limit)
            doesNotFit(
                value, where,
                "tiene " + std::to_string(length) + " caracteres" +
                    (length > characterCount(text)
                         ? " (los de fuera del plano básico, como los emojis, cuentan por dos)"
                         : "") +
                    " y el campo admite " + std::to_string(limit));
    }
    return Value::text(std::move(text), column.type);
}

Value dateFrom(const Value& value, const Destination& where) {
    double days;
    if (value.type() == Type::DateTime) {
        days = value.rawDouble();
    } else if (!value.isText()) {
        days = value.toDouble();
    } else if (!parseDateTime(value.rawText(), days)) {
        doesNotFit(value, where, "no es una fecha AAAA-MM-DD [HH:MM:SS]");
    }
    if (!isStorableDate(days))
        doesNotFit(
            value, where,
            "Access solo guarda fechas del 1 de enero del año 100 al 31 de diciembre de 9999");
    return Value::dateTime(days);
}

Value currencyFrom(const Value& value, const Destination& where) {
    const std::optional<int64_t> scaled = toCurrency(value);
    if (!scaled)
        doesNotFit(value, where,
                   "fuera del intervalo de -922337203685477,5808 a 922337203685477,5807");
    return Value::currency(*scaled);
}

Value decimalFrom(const Value& value) {
    (void)value.toDouble();  // throws when it is not a number
    if (value.type() == Type::Decimal) return value;
    std::string text = value.toText();
    size_t b = text.find_first_not_of(' '), e = text.find_last_not_of(' ');
    text = text.substr(b, e - b + 1);
    for (char& c : text)
        if (c == ',') c = '.';
    return Value::decimal(text);
}

Value convert(const Value& value, const Destination& where) {
    switch (where.column.type) {
        case Type::Boolean:
            return Value::boolean(value.toBool());
        case Type::Byte:
            return Value::byte(uint8_t(roundedInRange(value, where, 0, 255)));
        case Type::Integer:
            return Value::integer(int16_t(roundedInRange(value, where, -32768, 32767)));
        case Type::Long:
            return Value::longInt(int32_t(roundedInRange(value, where, INT32_MIN, INT32_MAX)));
        case Type::Currency:
            return currencyFrom(value, where);
        case Type::Single: {
            // Up to half a unit past the largest single, which still rounds to it.
            const double d = value.toDouble(), limit = FLT_MAX + std::ldexp(1.0, 103);
            if (!(std::fabs(d) < limit)) doesNotFit(value, where, "fuera del intervalo");
            return Value::single(static_cast<float>(d));
        }
        case Type::Double:
            return Value::dbl(value.toDouble());
        case Type::DateTime:
            return dateFrom(value, where);
        case Type::Text:
        case Type::Memo:
            return textFrom(value, where);
        case Type::Binary:
        case Type::LongBinary:
            if (value.type() != Type::Binary && value.type() != Type::LongBinary && !value.isText())
                doesNotFit(value, where, "no son datos binarios");
            return Value::binary(value.rawText(), where.column.type);
        case Type::Guid:
            if (value.type() != Type::Guid && !value.isText())
                doesNotFit(value, where, "no es un identificador de réplica");
            return guidFrom(value, where);
        case Type::Decimal:
            return decimalFrom(value);
        case Type::Null:
            break;
    }
    doesNotFit(value, where, "el campo es de un tipo desconocido");
}

}  // namespace

Value fitToColumn(const Value& value, const Destination& where) {
    if (value.isNull()) return value;
    try {
        return convert(value, where);
    } catch (const Error& e) {
        const std::string message = e.what();
        if (message.find(printable(where.path)) != std::string::npos) throw;
        throw Error("No se puede guardar el valor «" + shown(value) + "» en " + place(where) +
                    ": " + continued(message));
    }
}

void requireValue(const Value& value, const Destination& where) {
    if (value.isNull() && where.column.required)
        throw Error("Falta el valor de " + place(where) + ", que es obligatorio");
}

Value checkedRead(Value value, const Destination& where) {
    if (value.type() == Type::DateTime && !isStorableDate(value.rawDouble()))
        throw Error("No se puede leer " + place(where) + ": el registro está dañado, guarda " +
                    formatDateTime(value.rawDouble()) +
                    " días, que no son ninguna fecha del año 100 al 9999");
    return value;
}

std::string continued(const std::string& message) {
    std::string out = message;
    if (!out.empty() && out[0] >= 'A' && out[0] <= 'Z') out[0] = static_cast<char>(out[0] + 32);
    return out;
}

size_t characterCount(const std::string& utf8) {
    size_t count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

size_t accessLength(const std::string& utf8) {
    size_t supplementary = 0;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0xF0) ++supplementary;  // a 4-byte sequence
    return characterCount(utf8) + supplementary;
}

std::vector<Value> fitRow(const std::string& path, const TableSchema& table, const Row& row) {
    if (row.size() != table.columns.size())
        throw Error("Se escriben " + std::to_string(row.size()) + " valores en la tabla «" +
                    table.name + "» de «" + path + "», que tiene " +
                    std::to_string(table.columns.size()) + " campos");
    std::vector<Value> values;
    values.reserve(row.size());
    for (size_t i = 0; i < row.size(); ++i)
        values.push_back(fitToColumn(row[i], {path, table.name, table.columns[i]}));
    return values;
}

void completeForWrite(Value& fitted, const Destination& where) {
    if (fitted.isNull() && where.column.type == Type::Boolean) fitted = Value::boolean(false);
    if (!where.column.autoNumber) requireValue(fitted, where);
}

std::vector<int> columnsToInsert(const std::string& path, const TableSchema& table,
                                 std::vector<Value>& fitted, const Given& given) {
    if (given.size() != fitted.size())
        throw Error("Se añade un registro a la tabla «" + table.name + "» de «" + path +
                    "» sin decir qué campos se dan");
    std::vector<int> written;
    for (size_t i = 0; i < fitted.size(); ++i) {
        const Column& column = table.columns[i];
        const Destination where{path, table.name, column};
        if (given[i] && !column.autoNumber) {
            completeForWrite(fitted[i], where);
        } else if (fitted[i].isNull()) {
            if (!column.autoNumber && !column.defaultValue) requireValue(fitted[i], where);
            continue;
        }
        written.push_back(static_cast<int>(i));
    }
    return written;
}

}  // namespace pelmora::engine

#include "db/engine/Value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

#include "db/engine/Currency.h"
#include "db/engine/Error.h"

namespace pelmora::engine {

const char* typeName(Type type) {
    switch (type) {
        case Type::Null:
            return "nulo";
        case Type::Boolean:
            return "sí/no";
        case Type::Byte:
            return "byte";
        case Type::Integer:
            return "entero";
        case Type::Long:
            return "entero largo";
        case Type::Currency:
            return "moneda";
        case Type::Single:
            return "simple";
        case Type::Double:
            return "doble";
        case Type::DateTime:
            return "fecha/hora";
        case Type::Binary:
            return "binario";
        case Type::Text:
            return "texto";
        case Type::LongBinary:
            return "objeto OLE";
        case Type::Memo:
            return "memo";
        case Type::Guid:
            return "id. de réplica";
        case Type::Decimal:
            return "decimal";
    }
    return "desconocido";
}

Value Value::boolean(bool v) {
    return Value(Type::Boolean, v ? 1 : 0, 0, {});
}
Value Value::byte(uint8_t v) {
    return Value(Type::Byte, v, 0, {});
}
Value Value::integer(int16_t v) {
    return Value(Type::Integer, v, 0, {});
}
Value Value::longInt(int32_t v) {
    return Value(Type::Long, v, 0, {});
}
Value Value::currency(int64_t scaled) {
    return Value(Type::Currency, scaled, 0, {});
}
Value Value::single(float v) {
    return Value(Type::Single, 0, v, {});
}
Value Value::dbl(double v) {
    return Value(Type::Double, 0, v, {});
}
Value Value::dateTime(double days) {
    return Value(Type::DateTime, 0, days, {});
}
Value Value::text(std::string s, Type type) {
    return Value(type, 0, 0, std::move(s));
}
Value Value::binary(std::string b, Type type) {
    return Value(type, 0, 0, std::move(b));
}
Value Value::guid(std::string s) {
    return Value(Type::Guid, 0, 0, std::move(s));
}
Value Value::decimal(std::string s) {
    return Value(Type::Decimal, 0, 0, std::move(s));
}

Value Value::newGuid() {
    std::random_device random;  // the system's entropy: no two processes share a sequence
    uint8_t b[16];
    for (int i = 0; i < 16; i += 4) {
        const uint32_t word = random();
        for (int k = 0; k < 4; ++k) b[i + k] = static_cast<uint8_t>(word >> 8 * k);
    }
    b[6] = static_cast<uint8_t>(0x40 | (b[6] & 0x0F));  // version 4: random
    b[8] = static_cast<uint8_t>(0x80 | (b[8] & 0x3F));  // the standard variant
    char text[39];
    std::snprintf(text, sizeof text,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return guid(text);
}

bool isNumberType(Type type) {
    switch (type) {
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
        case Type::Currency:
        case Type::Single:
        case Type::Double:
        case Type::Decimal:
            return true;
        default:
            return false;
    }
}

bool Value::isNumeric() const {
    return type_ == Type::Boolean || isNumberType(type_);
}

namespace {

[[noreturn]] void notConvertible(const Value& v, const char* target) {
    if (v.isNull())
        throw Error(std::string("Uso no válido de Null: se esperaba un valor ") + target);
    throw Error("El valor «" + v.toText() + "» (" + typeName(v.type()) +
                ") no se puede convertir a " + target);
}

// Parses a whole decimal number, optionally signed, with optional fraction and
// surrounding spaces, as the runtime does when text is converted to a number.
bool parseNumber(const std::string& text, double& out) {
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    if (b == std::string::npos) return false;
    std::string t = text.substr(b, e - b + 1);
    for (char c : t)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.' ||
              c == ','))
            return false;
    for (char& c : t)
        if (c == ',') c = '.';
    char* end = nullptr;
    out = std::strtod(t.c_str(), &end);
    return end && *end == '\0';
}

// Rounds half to even, as the runtime's integer conversions do (the default
// rounding mode is to nearest, ties to even).
double roundHalfEven(double x) {
    return std::nearbyint(x);
}

}  // namespace

double Value::toDouble() const {
    switch (type_) {
        case Type::Boolean:
            return int_ ? -1.0 : 0.0;
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return static_cast<double>(int_);
        case Type::Currency:
            return static_cast<double>(int_) / 10000.0;
        case Type::Single:
        case Type::Double:
        case Type::DateTime:
            return double_;
        case Type::Text:
        case Type::Memo:
        case Type::Decimal: {
            double d;
            if (parseNumber(text_, d)) return d;
            break;
        }
        default:
            break;
    }
    notConvertible(*this, "numérico");
}

namespace {
template <typename T>
T toRange(const Value& v, const char* target) {
    double d = roundHalfEven(v.toDouble());
    if (!(d >= std::numeric_limits<T>::min() && d <= std::numeric_limits<T>::max()))
        throw Error("Desbordamiento: el valor «" + v.toText() + "» no cabe en un " + target);
    return static_cast<T>(d);
}
}  // namespace

int16_t Value::toInteger() const {
    if (type_ == Type::Boolean) return int_ ? -1 : 0;
    return toRange<int16_t>(*this, "entero de 16 bits");
}

int32_t Value::toLong() const {
    if (type_ == Type::Boolean) return int_ ? -1 : 0;
    if (type_ == Type::Byte || type_ == Type::Integer || type_ == Type::Long)
        return static_cast<int32_t>(int_);
    return toRange<int32_t>(*this, "entero largo de 32 bits");
}

bool Value::toBool() const {
    if (type_ == Type::Boolean) return int_ != 0;
    if (isNull()) notConvertible(*this, "sí/no");
    return toDouble() != 0.0;
}

std::string Value::toText() const {
    char buffer[64];
    switch (type_) {
        case Type::Null:
            throw Error("Uso no válido de Null: se esperaba un texto");
        case Type::Boolean:
            return int_ ? "Verdadero" : "Falso";
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return std::to_string(int_);
        case Type::Currency:
            return formatCurrency(int_);
        case Type::Single:
            std::snprintf(buffer, sizeof buffer, "%.7g", double_);
            return buffer;
        case Type::Double:
            std::snprintf(buffer, sizeof buffer, "%.15g", double_);
            return buffer;
        case Type::DateTime:
            return formatDateTime(double_);
        default:
            return text_;
    }
}

}  // namespace pelmora::engine

#include "db/engine/Value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "db/engine/Currency.h"
#include "db/engine/Error.h"

namespace pelmora::engine {

const char* typeName(Type type) {
    switch (type) {
        case Type::Null: return "nulo";
        case Type::Boolean: return "sí/no";
        case Type::Byte: return "byte";
        case Type::Integer: return "entero";
        case Type::Long: return "entero largo";
        case Type::Currency: return "moneda";
        case Type::Single: return "simple";
        case Type::Double: return "doble";
        case Type::DateTime: return "fecha/hora";
        case Type::Binary: return "binario";
        case Type::Text: return "texto";
        case Type::LongBinary: return "objeto OLE";
        case Type::Memo: return "memo";
        case Type::Guid: return "id. de réplica";
        case Type::Decimal: return "decimal";
    }
    return "desconocido";
}

Value Value::boolean(bool v) { return Value(Type::Boolean, v ? 1 : 0, 0, {}); }
Value Value::byte(uint8_t v) { return Value(Type::Byte, v, 0, {}); }
Value Value::integer(int16_t v) { return Value(Type::Integer, v, 0, {}); }
Value Value::longInt(int32_t v) { return Value(Type::Long, v, 0, {}); }
Value Value::currency(int64_t scaled) { return Value(Type::Currency, scaled, 0, {}); }
Value Value::single(float v) { return Value(Type::Single, 0, v, {}); }
Value Value::dbl(double v) { return Value(Type::Double, 0, v, {}); }
Value Value::dateTime(double days) { return Value(Type::DateTime, 0, days, {}); }
Value Value::text(std::string s, Type type) { return Value(type, 0, 0, std::move(s)); }
Value Value::binary(std::string b, Type type) { return Value(type, 0, 0, std::move(b)); }
Value Value::guid(std::string s) { return Value(Type::Guid, 0, 0, std::move(s)); }
Value Value::decimal(std::string s) { return Value(Type::Decimal, 0, 0, std::move(s)); }

bool Value::isNumeric() const {
    switch (type_) {
        case Type::Boolean: case Type::Byte: case Type::Integer: case Type::Long:
        case Type::Currency: case Type::Single: case Type::Double: case Type::Decimal:
            return true;
        default:
            return false;
    }
}

namespace {

[[noreturn]] void notConvertible(const Value& v, const char* target) {
    if (v.isNull()) throw Error(std::string("Uso no válido de Null: se esperaba un valor ") + target);
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
double roundHalfEven(double x) { return std::nearbyint(x); }

}  // namespace

double Value::toDouble() const {
    switch (type_) {
        case Type::Boolean: return int_ ? -1.0 : 0.0;
        case Type::Byte: case Type::Integer: case Type::Long: return static_cast<double>(int_);
        case Type::Currency: return static_cast<double>(int_) / 10000.0;
        case Type::Single: case Type::Double: case Type::DateTime: return double_;
        case Type::Text: case Type::Memo: case Type::Decimal: {
            double d;
            if (parseNumber(text_, d)) return d;
            break;
        }
        default: break;
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
        case Type::Null: throw Error("Uso no válido de Null: se esperaba un texto");
        case Type::Boolean: return int_ ? "Verdadero" : "Falso";
        case Type::Byte: case Type::Integer: case Type::Long: return std::to_string(int_);
        case Type::Currency: return formatCurrency(int_);
        case Type::Single:
            std::snprintf(buffer, sizeof buffer, "%.7g", double_);
            return buffer;
        case Type::Double:
            std::snprintf(buffer, sizeof buffer, "%.15g", double_);
            return buffer;
        case Type::DateTime: return formatDateTime(double_);
        default: return text_;
    }
}

// Civil-date arithmetic on the proleptic Gregorian calendar (days from 1970-01-01).
namespace {
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kOleEpoch = daysFromCivil(1899, 12, 30);
}  // namespace

double oleDaysFromCivil(int year, int month, int day, int hour, int minute, int second) {
    double days = static_cast<double>(daysFromCivil(year, month, day) - kOleEpoch);
    double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before day zero the time still counts forward from midnight, as in the Access engine.
    return days >= 0 ? days + fraction : days - fraction;
}

std::string formatDateTime(double oleDays) {
    double whole = std::trunc(oleDays);
    double fraction = std::fabs(oleDays - whole);
    int64_t seconds = std::llround(fraction * 86400.0);
    int64_t day = static_cast<int64_t>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += oleDays >= 0 ? 1 : -1;
    }
    int y, m, d;
    civilFromDays(day + kOleEpoch, y, m, d);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d,
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return buffer;
}

bool parseDateTime(const std::string& text, double& oleDays) {
    int y, mo, d, h = 0, mi = 0, s = 0;
    int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    if (n != 3 && n != 6) return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 ||
        s > 59)
        return false;
    oleDays = oleDaysFromCivil(y, mo, d, h, mi, s);
    return true;
}

}  // namespace pelmora::engine

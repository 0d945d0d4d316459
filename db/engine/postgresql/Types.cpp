#include "db/engine/postgresql/Types.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "db/engine/Error.h"
#include "db/engine/Text.h"

namespace pelmora::engine::postgresql {

namespace {

constexpr const char* kCommentPrefix = "pelmora:";

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The size in "character varying(50)", or 0.
int sizeIn(const std::string& formatted) {
    const size_t open = formatted.find('(');
    return open == std::string::npos ? 0 : std::atoi(formatted.c_str() + open + 1);
}

bool hasWord(const std::string& comment, const std::string& word) {
    if (!startsWith(comment, kCommentPrefix)) return false;
    std::istringstream words(comment.substr(std::string(kCommentPrefix).size()));
    for (std::string w; words >> w;)
        if (w == word || startsWith(w, word + "(")) return true;
    return false;
}

std::string currencyText(int64_t scaled) {
    const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : scaled;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", scaled < 0 ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 10000),
                  static_cast<unsigned long long>(magnitude % 10000));
    return buffer;
}

int64_t currencyFromText(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    const size_t point = text.find('.');
    int64_t units = std::llabs(std::strtoll(text.c_str(), nullptr, 10));
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    fraction = (fraction + "0000").substr(0, 4);
    const int64_t scaled = units * 10000 + std::atoll(fraction.c_str());
    return negative ? -scaled : scaled;
}

// OLE days as "YYYY-MM-DD HH:MM:SS.ffffff", rounded to the microsecond.
std::string timestampText(double oleDays) {
    double whole = std::trunc(oleDays);
    int64_t micros = std::llround(std::fabs(oleDays - whole) * 86400e6);
    if (micros >= 86'400'000'000) {
        micros -= 86'400'000'000;
        whole += 1;
    }
    const int64_t seconds = micros / 1'000'000;
    char time[32];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d.%06d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(micros % 1'000'000));
    return formatDateTime(whole).substr(0, 10) + time;
}

// The whole seconds as Access computes them, plus any microseconds.
double oleDaysFromTimestamp(const std::string& text) {
    double days = 0;
    if (text.size() < 19 || !parseDateTime(text.substr(0, 19), days)) {
        if (text.size() == 10 && parseDateTime(text, days)) return days;
        throw Error("El servidor ha devuelto una fecha que no se entiende: «" + text + "»");
    }
    if (text.size() > 20 && text[19] == '.') {
        const double fraction = std::atof(("0" + text.substr(19)).c_str()) / 86400.0;
        days += days < 0 ? -fraction : fraction;  // before day zero time counts away from it
    }
    return days;
}

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "\\x";
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string bytesOfHex(const std::string& text) {
    std::string out;
    for (size_t i = 2; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

}  // namespace

std::string quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string quotedText(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string declaredType(const Column& column) {
    switch (column.type) {
        case Type::Boolean:
            return "boolean";
        case Type::Byte:
        case Type::Integer:
            return "smallint";
        case Type::Long:
            return "integer";
        case Type::Currency:
            return "numeric(19,4)";
        case Type::Single:
            return "real";
        case Type::Double:
            return "double precision";
        case Type::DateTime:
            return "timestamp(6) without time zone";
        case Type::Text:
            return "character varying(" +
                   std::to_string(column.size > 0 && column.size <= 255 ? column.size : 255) + ")";
        case Type::Memo:
            return "text";
        case Type::Guid:
            return "uuid";
        case Type::Decimal:
            return "numeric";
        default:  // binary, OLE object
            return "bytea";
    }
}

std::string commentFor(const Column& column, bool keyed) {
    std::string words;
    if (keyed && !column.required) words += " opcional";
    if (column.type == Type::Byte) words += " byte";
    if (column.type == Type::Binary) words += " binario(" + std::to_string(column.size) + ")";
    if ((column.type == Type::Text || column.type == Type::Memo) && !column.allowZeroLength)
        words += " novacio";
    return words.empty() ? "" : kCommentPrefix + words;
}

bool requiredFromCatalog(bool notNull, const std::string& comment, const Column& column) {
    return notNull && column.type != Type::Boolean && !hasWord(comment, "opcional");
}

void typeFromCatalog(const std::string& formatted, const std::string& comment, Column& column) {
    const auto is = [&](const char* prefix) { return startsWith(formatted, prefix); };
    column.size = 0;
    column.allowZeroLength = false;
    if (is("boolean")) {
        column.type = Type::Boolean;
    } else if (is("smallint")) {
        column.type = hasWord(comment, "byte") ? Type::Byte : Type::Integer;
    } else if (is("integer")) {
        column.type = Type::Long;
    } else if (formatted == "numeric(19,4)") {
        column.type = Type::Currency;
    } else if (is("numeric") || is("bigint")) {
        column.type = Type::Decimal;
    } else if (is("real")) {
        column.type = Type::Single;
    } else if (is("double precision")) {
        column.type = Type::Double;
    } else if (is("timestamp") || is("date")) {
        column.type = Type::DateTime;
    } else if ((is("character varying(") || is("character(")) && sizeIn(formatted) <= 255) {
        column.type = Type::Text;
        column.size = sizeIn(formatted);
    } else if (is("bytea")) {
        column.type = hasWord(comment, "binario") ? Type::Binary : Type::LongBinary;
        if (column.type == Type::Binary)
            column.size = std::atoi(comment.c_str() + comment.find("binario(") + 8);
    } else if (is("uuid")) {
        column.type = Type::Guid;
    } else {  // text, and any type of other tools, read as its text
        column.type = Type::Memo;
    }
    if (column.type == Type::Text || column.type == Type::Memo)
        column.allowZeroLength = !hasWord(comment, "novacio");
}

std::string parameterText(const Value& fitted, const Column& column, const std::string& where) {
    switch (fitted.type()) {
        case Type::Boolean:
            return fitted.rawInt() ? "true" : "false";
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return std::to_string(fitted.rawInt());
        case Type::Currency:
            return currencyText(fitted.rawInt());
        case Type::Single:
            return shortestNumber(static_cast<float>(fitted.rawDouble()));
        case Type::Double:
            return shortestNumber(fitted.rawDouble());
        case Type::DateTime:
            return timestampText(fitted.rawDouble());
        case Type::Binary:
        case Type::LongBinary:
            return hexOf(fitted.rawText());
        case Type::Guid:
            return fitted.rawText().substr(1, fitted.rawText().size() - 2);
        default:
            if (fitted.rawText().find('\0') != std::string::npos)
                throw Error("No se puede guardar en el campo «" + column.name + "» de " + where +
                            " un texto con el carácter nulo: PostgreSQL no lo admite");
            return fitted.rawText();
    }
}

Value valueFromText(const std::string& text, const Column& column) {
    switch (column.type) {
        case Type::Boolean:
            return Value::boolean(text == "t" || text == "true");
        case Type::Byte:
            return Value::byte(static_cast<uint8_t>(std::atoi(text.c_str())));
        case Type::Integer:
            return Value::integer(static_cast<int16_t>(std::atoi(text.c_str())));
        case Type::Long:
            return Value::longInt(static_cast<int32_t>(std::atol(text.c_str())));
        case Type::Currency:
            return Value::currency(currencyFromText(text));
        case Type::Single:
            return Value::single(std::strtof(text.c_str(), nullptr));
        case Type::Double:
            return Value::dbl(std::strtod(text.c_str(), nullptr));
        case Type::DateTime:
            return Value::dateTime(oleDaysFromTimestamp(text));
        case Type::Binary:
        case Type::LongBinary:
            return Value::binary(bytesOfHex(text), column.type);
        case Type::Guid:
            return Value::guid("{" + upperCase(text) + "}");
        case Type::Decimal:
            return Value::decimal(text);
        default:
            return Value::text(text, column.type);
    }
}

std::optional<Value> defaultFromExpression(const std::string& expression, const Column& column) {
    std::string e = expression;
    while (e.size() > 2 && e.front() == '(' && e.back() == ')') e = e.substr(1, e.size() - 2);
    std::string constant;
    if (!e.empty() && e[0] == '\'') {
        size_t i = 1;
        for (; i < e.size(); ++i) {
            if (e[i] != '\'') {
                constant += e[i];
            } else if (i + 1 < e.size() && e[i + 1] == '\'') {
                constant += '\'';
                ++i;
            } else {
                break;
            }
        }
        if (i >= e.size() || (i + 1 < e.size() && e.compare(i + 1, 2, "::") != 0))
            return std::nullopt;
    } else {
        constant = e.substr(0, e.find("::"));
        if (constant == "true" || constant == "false")
            constant = constant == "true" ? "t" : "f";
        else if (constant.empty() ||
                 constant.find_first_not_of("-+.0123456789eE") != std::string::npos)
            return std::nullopt;
    }
    if (column.type == Type::Boolean && constant != "t" && constant != "f" && constant != "true" &&
        constant != "false")
        return std::nullopt;
    try {
        return valueFromText(constant, column);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::string defaultLiteral(const Value& fitted, const Column& column) {
    return quotedText(parameterText(fitted, column, ""));
}

}  // namespace pelmora::engine::postgresql

#include "tools/pelmora-bdd/ValueJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "db/engine/Text.h"

namespace pelmora::bdd {

using engine::Type;
using engine::Value;

namespace {

template <typename Real>
std::string shortest(Real value) {
    if (!std::isfinite(value)) return jsonString(std::to_string(value));
    return engine::shortestNumber(value);
}

std::string toHex(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (unsigned char b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        hex += pair;
    }
    return hex;
}

std::string fromHex(const std::string& hex, const std::string& column) {
    const auto digit = [&](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        throw std::runtime_error("el campo «" + column + "» espera bytes en hexadecimal y no «" +
                                 hex + "»");
    };
    if (hex.size() % 2) digit('x');
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2)
        bytes += static_cast<char>(digit(hex[i]) * 16 + digit(hex[i + 1]));
    return bytes;
}

Value number(const std::string& text) {
    int32_t whole = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), whole);
    if (error == std::errc() && end == text.data() + text.size()) return Value::longInt(whole);
    if (text.find_first_of("eE") != std::string::npos)
        return Value::dbl(std::strtod(text.c_str(), nullptr));
    return Value::decimal(text);  // exact: the column's conversion reads it
}

}  // namespace

std::string valueToJson(const Value& value) {
    switch (value.type()) {
        case Type::Null:
            return "null";
        case Type::Boolean:
            return value.rawInt() ? "true" : "false";
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return std::to_string(value.rawInt());
        case Type::Currency:
            return value.toText();
        case Type::Single:
            return shortest(static_cast<float>(value.rawDouble()));
        case Type::Double:
            return shortest(value.rawDouble());
        case Type::DateTime:
            return jsonString(engine::formatDateTime(value.rawDouble()));
        case Type::Binary:
        case Type::LongBinary:
            return jsonString(toHex(value.rawText()));
        case Type::Decimal:
            return value.rawText();
        default:
            return jsonString(value.rawText());
    }
}

Value jsonToValue(const JsonScalar& json, const engine::Column& column) {
    switch (json.kind) {
        case JsonScalar::Kind::Null:
            return Value();
        case JsonScalar::Kind::Boolean:
            return Value::boolean(json.boolean);
        case JsonScalar::Kind::Number:
            return number(json.text);
        case JsonScalar::Kind::String:
            if (column.type == Type::Binary || column.type == Type::LongBinary)
                return Value::binary(fromHex(json.text, column.name), column.type);
            return Value::text(json.text);
    }
    return Value();
}

Value argumentToValue(const std::string& text, const engine::Column& column) {
    JsonScalar json;
    if (!parseJsonScalar(text, json)) {
        json.kind = JsonScalar::Kind::String;
        json.text = text;
    }
    return jsonToValue(json, column);
}

}  // namespace pelmora::bdd

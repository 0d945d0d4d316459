#include "db/engine/EqualKey.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "db/engine/Text.h"

namespace pelmora::engine {

void appendTextKey(std::string& key, const std::string& text) {
    const size_t start = key.size();
    appendUpperCase(text, key);
    const auto length = static_cast<uint32_t>(key.size() - start);
    key.append(reinterpret_cast<const char*>(&length), sizeof length);
}

void appendNumberKey(std::string& key, double number) {
    if (number == 0) number = 0.0;
    if (std::isnan(number)) number = std::numeric_limits<double>::quiet_NaN();
    key.append(reinterpret_cast<const char*>(&number), sizeof number);
}

bool isNumberKeyed(Type type) {
    return type == Type::Byte || type == Type::Integer || type == Type::Long ||
           type == Type::Single || type == Type::Double;
}

namespace {

bool isText(Type type) {
    return type == Type::Text || type == Type::Memo;
}

}  // namespace

bool appendStoredKey(std::string& key, Type type, const Value& stored) {
    if (isText(type) && stored.isText()) {
        appendTextKey(key, stored.rawText());
        return true;
    }
    if (isNumberKeyed(type) && stored.isNumeric()) {
        appendNumberKey(key, stored.toDouble());
        return true;
    }
    return false;
}

bool appendLiteralKey(std::string& key, Type type, const Value& literal) {
    if (isText(type) && (literal.isText() || literal.isNumeric())) {
        appendTextKey(key, literal.isText() ? literal.rawText() : literal.toText());
        return true;
    }
    if (isNumberKeyed(type) && literal.isNumeric()) {
        appendNumberKey(key, literal.toDouble());
        return true;
    }
    return false;
}

}  // namespace pelmora::engine

#include "db/engine/PackedRow.h"

#include <cstring>

namespace pelmora::engine {
namespace {

enum class Content { None, Whole, Real, Bytes };

Content contentOf(Type type) {
    switch (type) {
        case Type::Null:
            return Content::None;
        case Type::Boolean:
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
        case Type::Currency:
            return Content::Whole;
        case Type::Single:
        case Type::Double:
        case Type::DateTime:
            return Content::Real;
        default:
            return Content::Bytes;
    }
}

template <typename T>
void appendRaw(std::string& packed, T value) {
    packed.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
T readRaw(std::string_view packed, size_t& at) {
    T value;
    std::memcpy(&value, packed.data() + at, sizeof value);
    at += sizeof value;
    return value;
}

Value whole(Type type, int64_t n) {
    switch (type) {
        case Type::Boolean:
            return Value::boolean(n != 0);
        case Type::Byte:
            return Value::byte(static_cast<uint8_t>(n));
        case Type::Integer:
            return Value::integer(static_cast<int16_t>(n));
        case Type::Long:
            return Value::longInt(static_cast<int32_t>(n));
        default:
            return Value::currency(n);
    }
}

Value real(Type type, double d) {
    if (type == Type::Single) return Value::single(static_cast<float>(d));
    return type == Type::Double ? Value::dbl(d) : Value::dateTime(d);
}

Value bytes(Type type, std::string s) {
    switch (type) {
        case Type::Text:
        case Type::Memo:
            return Value::text(std::move(s), type);
        case Type::Guid:
            return Value::guid(std::move(s));
        case Type::Decimal:
            return Value::decimal(std::move(s));
        default:
            return Value::binary(std::move(s), type);
    }
}

}  // namespace

void appendPacked(std::string& packed, const Value& value) {
    packed += static_cast<char>(value.type());
    switch (contentOf(value.type())) {
        case Content::None:
            return;
        case Content::Whole:
            appendRaw(packed, value.rawInt());
            return;
        case Content::Real:
            appendRaw(packed, value.rawDouble());
            return;
        case Content::Bytes:
            appendRaw(packed, static_cast<uint32_t>(value.rawText().size()));
            packed += value.rawText();
            return;
    }
}

Row unpackRow(std::string_view packed, size_t count) {
    Row values;
    for (size_t at = 0; at < packed.size() && values.size() < count;) {
        const auto type = static_cast<Type>(packed[at++]);
        switch (contentOf(type)) {
            case Content::None:
                values.emplace_back();
                break;
            case Content::Whole:
                values.push_back(whole(type, readRaw<int64_t>(packed, at)));
                break;
            case Content::Real:
                values.push_back(real(type, readRaw<double>(packed, at)));
                break;
            case Content::Bytes: {
                const auto n = readRaw<uint32_t>(packed, at);
                values.push_back(bytes(type, std::string(packed.substr(at, n))));
                at += n;
                break;
            }
        }
    }
    return values;
}

}  // namespace pelmora::engine

#include "db/engine/Currency.h"

#include <cctype>
#include <cmath>

namespace pelmora::engine {

namespace {

constexpr int kDecimals = 4;
constexpr int64_t kScale = 10000;
constexpr unsigned __int128 kLargest = static_cast<unsigned __int128>(INT64_MAX);

// The digits of a trimmed decimal text: whole and fraction parts, sign apart.
struct DecimalText {
    bool negative = false;
    std::string whole, fraction;
};

std::optional<DecimalText> split(const std::string& text) {
    size_t b = text.find_first_not_of(' '), e = text.find_last_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    DecimalText d;
    if (text[b] == '-' || text[b] == '+') d.negative = text[b++] == '-';
    bool point = false;
    for (size_t i = b; i <= e; ++i) {
        const char c = text[i];
        if ((c == '.' || c == ',') && !point) {
            point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            (point ? d.fraction : d.whole) += c;
        } else {
            return std::nullopt;
        }
    }
    if (d.whole.empty() && d.fraction.empty()) return std::nullopt;
    return d;
}

}  // namespace

std::string formatCurrency(int64_t scaled) {
    const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : scaled;
    std::string text = std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    return scaled < 0 ? "-" + text : text;
}

std::optional<int64_t> parseCurrency(const std::string& text) {
    const std::optional<DecimalText> d = split(text);
    if (!d) return std::nullopt;
    unsigned __int128 magnitude = 0;
    const std::string kept = d->fraction.substr(0, kDecimals);
    for (const char c : d->whole + kept + std::string(kDecimals - kept.size(), '0')) {
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
        if (magnitude > kLargest + 1) return std::nullopt;
    }
    const std::string dropped = d->fraction.size() > kDecimals ? d->fraction.substr(kDecimals) : "";
    if (dropped.find_first_not_of('0') != std::string::npos) {
        const bool half =
            dropped[0] == '5' && dropped.find_first_not_of('0', 1) == std::string::npos;
        if (dropped[0] > '5' || (dropped[0] == '5' && (!half || magnitude % 2 == 1))) ++magnitude;
    }
    if (magnitude > kLargest + (d->negative ? 1 : 0)) return std::nullopt;
    return d->negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(magnitude))
                       : static_cast<int64_t>(magnitude);
}

std::optional<int64_t> toCurrency(const Value& value) {
    switch (value.type()) {
        case Type::Boolean:
            return value.rawInt() ? -kScale : 0;
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return value.rawInt() * kScale;
        case Type::Currency:
            return value.rawInt();
        case Type::Text:
        case Type::Memo:
        case Type::Decimal:
            (void)value.toDouble();  // throws when it is not a number
            return parseCurrency(value.rawText());
        default:
            break;
    }
    const double d = std::nearbyint(value.toDouble() * kScale);  // half to even
    if (!(d >= -0x1p63 && d < 0x1p63)) return std::nullopt;
    return static_cast<int64_t>(d);
}

}  // namespace pelmora::engine

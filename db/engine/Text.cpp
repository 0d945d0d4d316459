#include "db/engine/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace pelmora::engine {

namespace {

// Upper-case form of one code point: ASCII, Latin-1 and Latin Extended-A,
// the letters Spanish and the other Western languages write with.
char32_t upper(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x137) return c & ~1u;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    if (c >= 0x14A && c <= 0x177) return c & ~1u;
    return c;
}

// Decodes one UTF-8 sequence at text[i]; an invalid byte stands for itself.
char32_t decode(const std::string& text, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char b = byte(i);
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return c;
}

}  // namespace

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string upperCase(const std::string& utf8) {
    std::string out;
    appendUpperCase(utf8, out);
    return out;
}

void appendUpperCase(const std::string& utf8, std::string& out) {
    out.reserve(out.size() + utf8.size());
    size_t i = 0;
    for (; i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80; ++i)  // ASCII
        out += utf8[i] >= 'a' && utf8[i] <= 'z' ? static_cast<char>(utf8[i] - 32) : utf8[i];
    while (i < utf8.size()) {
        size_t start = i;
        char32_t c = decode(utf8, i);
        if (i == start + 1 && static_cast<unsigned char>(utf8[start]) >= 0x80)
            out += utf8[start];  // a stray byte is kept as it is
        else
            appendUtf8(upper(c), out);
    }
}

namespace {

template <typename Real>
std::string shortest(Real value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

}  // namespace

std::string shortestNumber(double value) {
    return shortest(value);
}

std::string shortestNumber(float value) {
    return shortest(value);
}

// Upper-casing works character by character, so while both texts are plain ASCII
// they are compared in place; from the first other byte on, the rests are
// compared upper-cased (their common prefix changes nothing).
int compareText(const std::string& a, const std::string& b) {
    const size_t common = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) break;
        const int ux = x >= 'a' && x <= 'z' ? x - 32 : x;
        const int uy = y >= 'a' && y <= 'z' ? y - 32 : y;
        if (ux != uy) return ux < uy ? -1 : 1;
    }
    if (i == common) return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
    const int c = upperCase(a.substr(i)).compare(upperCase(b.substr(i)));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace pelmora::engine

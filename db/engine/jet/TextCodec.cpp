#include "db/engine/jet/TextCodec.h"

#include <optional>

#include "db/engine/Error.h"

namespace pelmora::engine::jet {

char32_t fromWindows1252(uint8_t byte) {
    // 0x80-0x9F differ from Latin-1; the five unassigned bytes stand for themselves.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : byte;
}

void decodeUcs2(std::string_view bytes, std::string& out) {
    const auto unit = [&](size_t i) {
        return static_cast<char32_t>(static_cast<uint8_t>(bytes[i]) |
                                     static_cast<uint8_t>(bytes[i + 1]) << 8);
    };
    out.reserve(out.size() + bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c < 0x80) {  // most text: one byte as it is
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(c, out);
    }
}

void decodeJet4Text(std::string_view bytes, std::string& out) {
    if (bytes.size() < 2 || static_cast<uint8_t>(bytes[0]) != 0xFF ||
        static_cast<uint8_t>(bytes[1]) != 0xFE) {
        decodeUcs2(bytes, out);
        return;
    }
    bool compressed = true;
    size_t start = 2;
    for (size_t i = 2; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != 0) continue;
        std::string_view run = bytes.substr(start, i - start);
        if (compressed)
            for (char b : run)
                if (static_cast<uint8_t>(b) < 0x80)
                    out += b;
                else
                    appendUtf8(static_cast<uint8_t>(b), out);
        else
            decodeUcs2(run, out);
        compressed = !compressed;
        start = i + 1;
    }
}

std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t b = static_cast<uint8_t>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = c << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        out += c;
        i += 1 + extra;
    }
    return out;
}

namespace {

void appendUnit(std::string& out, char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8 & 0xFF);
}

}  // namespace

std::string encodeName(const Format& format, const CodePage& codePage, const std::string& utf8,
                       const std::string& what) {
    if (format.unicode) return encodeUcs2(codePoints(utf8));
    std::optional<char32_t> missing;
    std::string out = codePage.encode(utf8, missing);
    if (missing)
        throw Error("No se puede guardar " + what + ": la página de códigos de la base de datos (" +
                    std::to_string(codePage.number()) + ") no tiene el carácter " +
                    describeCharacter(*missing));
    return out;
}

std::string encodeUcs2(const std::u32string& text) {
    std::string out;
    out.reserve(2 * text.size());
    for (char32_t c : text) {
        if (c >= 0x10000) {
            appendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            appendUnit(out, c);
        }
    }
    return out;
}

}  // namespace pelmora::engine::jet

// The General sort order's text keys (see SortCodes.h for the character codes).
// Jet4 key: the inline codes, 01, then, when any are present: the extra codes
// (one per character so far, 02 standing for "none", trailing 00-02 dropped),
// and when flags or unprintable characters occur: 01 01, the 'Z' flags packed
// three to a byte after 80 and closed by FF 02 80 FF 80 (and FF when
// unprintables follow), then 01 and per unprintable character its position
// (7 + 4 x position, | 0x8000, big-endian), 06 and its code. Finally 00.
// Jet3 key: the inline codes, then either 00 or the extras as nibbles framed by
// zero nibbles (2 standing for each significant character in between).
#include <algorithm>
#include <vector>

#include "db/engine/jet/SortCodes.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kMaxIndexedCharacters = 255;

}  // namespace

std::u16string indexedUnits(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<uint8_t>(utf8[i]);
        const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t c = extra ? b & (0x3F >> extra) : b;
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = c << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        i += extra + 1;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    if (out.size() > kMaxIndexedCharacters) out.resize(kMaxIndexedCharacters);
    while (!out.empty() && out.back() == u' ') out.pop_back();
    return out;
}

namespace {

void invert(std::string& out, size_t from) {
    for (size_t i = from; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
}

void appendBytes(uint32_t value, int length, std::string& out) {
    for (int i = length - 1; i >= 0; --i) out += static_cast<char>(value >> (8 * i));
}

// Surrogate halves have computed inline codes and the extra code 3F.
SortCode surrogateCode(char16_t c) {
    int code;
    if (c < 0xDC00) {
        code = c - 10238;
    } else {
        const int offset = (c - 0xDC00) % 1024;
        code = c - (offset < 8     ? 9992
                    : offset < 262 ? 9990
                    : offset < 516 ? 9988
                    : offset < 770 ? 9986
                                   : 9984);
    }
    return {'Z', 2, static_cast<uint32_t>(code), 1, 0x3F, 0};
}

}  // namespace

SortCode codeFromRuns(const SortCodeRun* runs, size_t count, char16_t c) {
    const SortCodeRun* run =
        std::upper_bound(runs, runs + count, c,
                         [](char16_t ch, const SortCodeRun& r) { return ch < r.first; }) -
        1;
    SortCode code = run->code;
    if (code.inlineLength) code.inlineCode += c - run->first;
    return code;
}

SortCode generalCode(char16_t c) {
    if (c >= 0xD800 && c < 0xE000) return surrogateCode(c);
    return codeFromRuns(kGeneralRuns, kGeneralRunCount, c);
}

void appendGeneralText(std::string_view utf8, bool ascending, std::string& out) {
    appendGeneralKey(indexedUnits(utf8), generalCode, ascending, out);
}

void appendGeneralKey(const std::u16string& text, SortCode (*codeOf)(char16_t), bool ascending,
                      std::string& out) {
    const size_t start = out.size();
    std::string extra, unprintable;
    std::vector<uint8_t> flags;
    bool extraStarted = false;
    size_t extraChars = 0, unprintablePrefix = 0, position = 0;
    for (char16_t c : text) {
        const SortCode code = codeOf(c);
        const size_t at = position;
        if (code.inlineLength) {
            appendBytes(code.inlineCode, code.inlineLength, out);
            ++position;
        }
        if (code.kind == 'S' || code.kind == 'X') continue;
        const bool hasExtra = (code.kind == 'I' || code.kind == 'Z') && code.extraLength;
        if (hasExtra || code.kind == 'P') {
            extraStarted = true;
            if (extraChars < at) {
                extra.append(at - extraChars, '\x02');
                extraChars = at;
            }
            if (hasExtra) {
                appendBytes(code.extra, code.extraLength, extra);
                ++extraChars;
            } else if (!extra.empty()) {
                extra.back() = static_cast<char>(extra.back() + code.extra);
            } else {
                extra += static_cast<char>(code.extra);
                unprintablePrefix = 1;
            }
        }
        if (code.kind == 'U') {
            const size_t place =
                extraStarted ? extra.size() + (at - extraChars) - unprintablePrefix : at;
            appendBytes(static_cast<uint32_t>((7 + 4 * place) | 0x8000), 2, unprintable);
            unprintable += '\x06';
            appendBytes(code.extra, code.extraLength, unprintable);
        }
        if (code.kind == 'Z') flags.push_back(code.flag);
    }
    out += '\x01';
    while (!extra.empty() && static_cast<uint8_t>(extra.back()) <= 2) extra.pop_back();
    out += extra;
    if (!flags.empty() || !unprintable.empty()) {
        out += "\x01\x01";
        if (!flags.empty()) {
            while (!flags.empty() && flags.back() == 3) flags.pop_back();
            for (size_t i = 0; i < flags.size(); i += 3) {
                uint8_t packed = 0x80;
                for (size_t k = 0; k < 3 && i + k < flags.size(); ++k)
                    packed |= static_cast<uint8_t>(flags[i + k] << (2 * (2 - k)));
                out += static_cast<char>(packed);
            }
            out += std::string("\xFF\x02\x80\xFF\x80", 5);
            if (!unprintable.empty()) out += '\xFF';
        }
        if (!unprintable.empty()) {
            out += '\x01';
            out += unprintable;
        }
    }
    if (!ascending) {
        out += '\0';
        invert(out, start);
    }
    out += '\0';
}

void appendGeneral97Text(std::string_view utf8, bool ascending, std::string& out) {
    const size_t start = out.size();
    std::vector<uint8_t> nibbles;
    size_t significant = 0;
    for (char16_t c : indexedUnits(utf8)) {
        int byte = c <= 0xFF ? c : -1;
        for (size_t i = 0; byte < 0 && i < kGeneral97MappedCount; ++i)
            if (kGeneral97Mapped[i].character == c) byte = kGeneral97Mapped[i].byte;
        if (byte < 0) continue;  // no such character in the code page
        const SortCode& code = kGeneral97[byte];
        if (code.inlineLength) appendBytes(code.inlineCode, code.inlineLength, out);
        if (code.kind == 'G') {
            ++significant;
        } else if (code.kind == 'I') {
            if (nibbles.empty()) nibbles.push_back(0);
            nibbles.insert(nibbles.end(), significant, 2);
            significant = 0;
            nibbles.push_back(code.extra & 0x0F);
        }
    }
    if (nibbles.empty()) {
        out += '\0';
    } else {
        nibbles.push_back(0);
        for (size_t i = 0; i < nibbles.size(); i += 2)
            out +=
                static_cast<char>(nibbles[i] << 4 | (i + 1 < nibbles.size() ? nibbles[i + 1] : 0));
    }
    if (!ascending) invert(out, start);
}

}  // namespace pelmora::engine::jet

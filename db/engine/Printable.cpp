#include "db/engine/Printable.h"

#include <cstdint>

namespace pelmora::engine {

namespace {

bool between(uint8_t byte, uint8_t low, uint8_t high) {
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence at text[i] (no overlong form, no
// surrogate, nothing past U+10FFFF), or 0.
size_t sequenceAt(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = at(i);
    if (lead < 0x80) return 1;
    const size_t length = between(lead, 0xC2, 0xDF)   ? 2
                          : between(lead, 0xE0, 0xEF) ? 3
                          : between(lead, 0xF0, 0xF4) ? 4
                                                      : 0;
    if (length == 0 || i + length > text.size()) return 0;
    // The second byte's range narrows where the lead alone would allow bad forms.
    const uint8_t second = at(i + 1);
    const bool secondOk = lead == 0xE0   ? between(second, 0xA0, 0xBF)
                          : lead == 0xED ? between(second, 0x80, 0x9F)
                          : lead == 0xF0 ? between(second, 0x90, 0xBF)
                          : lead == 0xF4 ? between(second, 0x80, 0x8F)
                                         : between(second, 0x80, 0xBF);
    if (!secondOk) return 0;
    for (size_t k = 2; k < length; ++k)
        if (!between(at(i + k), 0x80, 0xBF)) return 0;
    return length;
}

// Control characters: C0, DEL and C1 (U+0080 to U+009F, "\xC2\x80" to "\xC2\x9F").
bool isControl(std::string_view sequence) {
    const auto lead = static_cast<uint8_t>(sequence[0]);
    if (sequence.size() == 1) return lead < 0x20 || lead == 0x7F;
    return lead == 0xC2 && static_cast<uint8_t>(sequence[1]) < 0xA0;
}

void appendEscaped(std::string_view bytes, std::string& out) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = sequenceAt(text, i);
        const std::string_view sequence = text.substr(i, length == 0 ? 1 : length);
        if (length == 0 || isControl(sequence))
            appendEscaped(sequence, out);
        else
            out += sequence;
        i += sequence.size();
    }
    return out;
}

}  // namespace pelmora::engine

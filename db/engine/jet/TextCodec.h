// Text as the Jet formats store it, turned into UTF-8. Jet4: UCS-2 little-endian,
// or its compressed form (bytes FF FE, then runs of one-byte characters and of
// UCS-2 characters, each 00 byte switching between the two, starting one-byte).
// Jet3: one byte per character in the database's code page (Windows-1252).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/engine/Text.h"
#include "db/engine/jet/Format.h"

namespace pelmora::engine::jet {

// Appends the UTF-8 form of stored text (a value, a name) to `out`.
void decodeUcs2(std::string_view bytes, std::string& out);
void decodeJet4Text(std::string_view bytes, std::string& out);
void decodeCodePage(std::string_view bytes, std::string& out);
inline void decodeText(const Format& format, std::string_view bytes, std::string& out) {
    if (format.unicode)
        decodeJet4Text(bytes, out);
    else
        decodeCodePage(bytes, out);
}

// Unicode code point of a Windows-1252 byte.
char32_t fromWindows1252(uint8_t byte);

}  // namespace pelmora::engine::jet

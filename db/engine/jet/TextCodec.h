// Text as the Jet formats store it, turned into UTF-8. Jet4: UCS-2 little-endian,
// or its compressed form (bytes FF FE, then runs of one-byte characters and of
// UCS-2 characters, each 00 byte switching between the two, starting one-byte).
// Jet3: one byte per character in the database's code page (CodePage.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/engine/Text.h"
#include "db/engine/jet/CodePage.h"
#include "db/engine/jet/Format.h"

namespace pelmora::engine::jet {

// Appends the UTF-8 form of stored text (a value, a name) to `out`.
void decodeUcs2(std::string_view bytes, std::string& out);
void decodeJet4Text(std::string_view bytes, std::string& out);
inline void decodeText(const Format& format, const CodePage& codePage, std::string_view bytes,
                       std::string& out) {
    if (format.unicode)
        decodeJet4Text(bytes, out);
    else
        codePage.decode(bytes, out);
}
// A name (of a table, a column, a property): UCS-2 in Jet4, the code page in Jet3.
inline void decodeName(const Format& format, const CodePage& codePage, std::string_view bytes,
                       std::string& out) {
    if (format.unicode)
        decodeUcs2(bytes, out);
    else
        codePage.decode(bytes, out);
}

// The code points of UTF-8 text (valid: it went through the engine's values).
std::u32string codePoints(std::string_view utf8);
// UCS-2 little-endian, characters past U+FFFF as surrogate pairs.
std::string encodeUcs2(const std::u32string& text);
// The stored bytes of a name or of a property's text: UCS-2 (Jet4) or the code
// page's (Jet3). A character the code page lacks is an Error saying that `what`
// (e.g. "el nombre «X» en «f.mdb»") cannot be stored.
std::string encodeName(const Format& format, const CodePage& codePage, const std::string& utf8,
                       const std::string& what);

// Unicode code point of a Windows-1252 byte.
char32_t fromWindows1252(uint8_t byte);

}  // namespace pelmora::engine::jet

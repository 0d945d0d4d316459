// Text in index entries: the General sort order. Each character has a code:
//   'S' simple: inline bytes only;
//   'I' international: inline bytes, plus extra bytes that tell accents apart;
//   'U' unprintable: no inline bytes; its bytes go to a trailing unprintable part;
//   'P' modifier: adds its byte to the last extra byte (or starts the extra part);
//   'Z' international, extended: inline, optional extra, and a 2-bit flag (2 or 3);
//   'G' significant (Access 97 only): inline bytes, and a placeholder in the extras;
//   'X' ignored.
// Upper and lower case share their codes, so keys compare case-insensitively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora::engine::jet {

struct SortCode {
    char kind;
    uint8_t inlineLength;  // bytes of `inlineCode`, most significant first
    uint32_t inlineCode;
    uint8_t extraLength;  // bytes of `extra`, most significant first
    uint16_t extra;
    uint8_t flag;  // 'Z': 2 or 3
};

struct SortCodeRun {
    char16_t first;
    uint16_t count;
    SortCode code;  // of `first`; each next character's inline code is one more
};

struct Windows1252Byte {
    char16_t character;
    uint8_t byte;
};

extern const SortCodeRun kGeneralRuns[];
extern const size_t kGeneralRunCount;
extern const SortCodeRun kGeneral2010Runs[];
extern const size_t kGeneral2010RunCount;
extern const SortCode kGeneral97[256];
extern const Windows1252Byte kGeneral97Mapped[];
extern const size_t kGeneral97MappedCount;

// Appends the key of non-Null text (UTF-8) in the General sort order of Access
// 2000-2007 (Jet4) or of Access 97 (Jet3). Only the first 255 characters count,
// and trailing spaces do not. Descending keys are the ascending ones inverted.
void appendGeneralText(std::string_view utf8, bool ascending, std::string& out);
void appendGeneral97Text(std::string_view utf8, bool ascending, std::string& out);

// The same in the General order of Access 2010 and later (sort version 1).
void appendGeneral2010Text(std::string_view utf8, bool ascending, std::string& out);

// The parts of those keys: the UTF-16 units a key is made of (the first 255,
// trailing spaces dropped), the Jet4 code of a unit, and the Jet4 key of units
// whose codes `codeOf` gives.
std::u16string indexedUnits(std::string_view utf8);
SortCode generalCode(char16_t c);
// The code of a character of the Basic Multilingual Plane other than a surrogate
// half, from a table of runs.
SortCode codeFromRuns(const SortCodeRun* runs, size_t count, char16_t c);
void appendGeneralKey(const std::u16string& text, SortCode (*codeOf)(char16_t), bool ascending,
                      std::string& out);

}  // namespace pelmora::engine::jet

// The Access 97 codes of the General sort order, read back from the index
// entries that Access itself wrote for the Windows-1252 characters, completed
// from a code list for the characters the fixture lost.
#pragma once

#include <string>
#include <vector>

#include "db/engine/jet/SortCodes.h"

namespace pelmora::codigos {

struct Codes97 {
    std::vector<engine::jet::SortCode> byByte;         // 256 codes
    std::vector<bool> fromEntries;                     // per byte: read from Access's entries
    std::vector<engine::jet::Windows1252Byte> mapped;  // by character
};

// From the table "Table1" of testIndexCodesV1997.mdb, whose row "rowN" was meant
// to hold "AA", the character of byte N, "AA", under an ascending index on that
// text. The rows of 0x1A and of the 27 bytes whose characters lie above U+00FF
// hold "-" or "?" instead: those bytes are left out (fromEntries false). Kind G
// (significant) is not decided yet.
Codes97 readCodes97(const std::string& mdbPath);

// Fills the bytes left out from `list` (Jackcess's index_codes_gen_97.txt), then
// marks the significant letters: the simple codes an international code shares.
void complete97(Codes97& codes, const std::vector<engine::jet::SortCode>& list);

}  // namespace pelmora::codigos

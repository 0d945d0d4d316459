// The database header, page 0: "Standard Jet DB" (Access 97-2003) or "Standard
// ACE DB" (Access 2007+) at 4, the format version at 0x14, and from 0x18 an area
// masked with an RC4 key stream (key 0x6B39DAC7) that holds the code page, the
// database key (0x3E, not zero when the pages are enciphered), the database
// password (0x42, 40 bytes in Jet4, 20 in Jet3) and the default text sort order.
#pragma once

#include <cstdint>

#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

struct Header {
    const Format* format = nullptr;
    uint16_t codePage = 0;   // Jet3 text code page (0 = Windows-1252)
    uint16_t sortOrder = 0;  // 1033 (0x409) = General
    int sortVersion = -1;    // Jet4: 0 = General of Access 2000-2007, 1 of 2010+; Jet3: -1
    bool password = false;   // a database password is set
    int aceVersion = 0;      // Access 2007+ (Jet4 layout): 2 2007, 3 2010, 4 2013, 5 2016,
                             // 6 2019; 0 for Access 97-2003
};

// Reads and unmasks the header and sets the file's format and (Jet3) code
// page. A database whose pages are enciphered (Access 97-2003 encoding, or the
// password encryption of Access 2007+) is refused: they cannot be read as they are.
Header readHeader(PageFile& file);

// The masking key stream, also used by the writer to mask a header it writes.
void maskHeaderArea(uint8_t* area, int length);

}  // namespace pelmora::engine::jet

// The two on-disk formats the Jet backend reads: Jet3 (Access 97) and Jet4
// (Access 2000-2003). Every offset that differs between them lives here, once,
// with the layout it belongs to; the readers (and the writer) take them from here.
#pragma once

#include <cstdint>

namespace pelmora::engine::jet {

// Page types: the first byte of every page.
enum class PageType : uint8_t {
    Header = 0x00,
    Data = 0x01,        // rows of one table, or long values ("LVAL" in place of the table)
    TableDef = 0x02,    // a table definition, possibly continued on further pages
    IndexNode = 0x03,   // an intermediate B-tree page
    IndexLeaf = 0x04,   // a B-tree leaf page
    UsageBitmap = 0x05  // a page of a reference usage map
};

struct Format {
    int version;  // 3 or 4
    uint32_t pageSize;
    bool unicode;  // Jet4 stores text as UCS-2 (with the compressed form); Jet3 in a code page

    // Database header (page 0). From 0x18 on, maskedLength bytes are masked with
    // an RC4 key stream; inside: the code page (u16 at 0x3C) and the text sort order
    // (Jet3: u16 at 0x3A; Jet4: u16 at 0x6E and its version byte at 0x71).
    int maskedLength;
    int sortOrderOffset;
    int sortVersionOffset;  // -1: none stored (Jet3: the 1997 General order)

    // Data page: type 0x01, 0x01, u16 free space, u32 owning table definition page
    // (or "LVAL"), [Jet4: 4 unknown bytes], u16 row count, then u16 row offsets.
    // A row offset's low 13 bits locate the row; 0x8000 marks it deleted, 0x4000 marks
    // a pointer (u8 row, u24 page) to where the row now lives. Row i ends where row i-1
    // starts (row 0 at the end of the page).
    int dataRowCount;
    int dataRowTable;

    // Table definition, first page: type 0x02, 0x01, u16 (Jet3 "VC", Jet4 free space),
    // u32 next page of the definition (0 = last), u32 definition length, then:
    bool tdefTagged;         // Jet3: every definition page has "VC" at 2 (Jet4: its free space)
    int tdefMarker;          // Jet4: u32 0x0659 at 12 and u8 1 at 24 (Access's); -1 in Jet3
    int tdefRowCount;        // u32 rows in the table
    int tdefAutoNumber;      // u32 next autonumber
    int tdefTableType;       // u8 0x4E user, 0x53 system
    int tdefMaxColumns;      // u16 columns ever (deleted ones included)
    int tdefVarColumns;      // u16 variable-length columns
    int tdefColumns;         // u16 columns
    int tdefIndexes;         // u32 logical indexes
    int tdefRealIndexes;     // u32 physical indexes
    int tdefOwnedPages;      // u32 row pointer to the usage map of the table's pages
    int tdefFreePages;       // u32 row pointer to the usage map of pages with room
    int tdefHeaderSize;      // where the per-index row counts start
    int realIndexCountSize;  // per physical index: [Jet4: 4], u32 rows, [Jet4: 4]
    // Then per column a block of columnSize bytes, the names, the physical indexes
    // (realIndexSize each), the logical indexes (logicalIndexSize each) and their names.
    int columnSize;
    int colType;           // u8 type code
    int colMarker;         // Jet4: u32 0x0659 at 1; Jet3: u16 1 at 7 (as Access writes them)
    int colNumber;         // u16 number (deleted columns included): the null-mask bit
    int colVarIndex;       // u16 slot in the row's variable offset table
    int colPosition;       // u16 number among the columns not deleted
    int colSortOrder;      // u16 text sort order (1033 = General; Jet3: in every column)
    int colCodePage;       // u16 Jet3 code page (in every column); -1 in Jet4
    int colPrecision;      // u8 decimal precision (scale follows)
    int colFlags;          // u8: 0x01 fixed length, 0x04 autonumber, 0x40 GUID autonumber
    int colExtFlags;       // u8 Jet4: 0x01 compressed unicode; -1 in Jet3
    int colFixedOffset;    // u16 offset of a fixed column's data in the row
    int colLength;         // u16 length in bytes
    int nameLengthSize;    // names: u8 (Jet3, code page) or u16 (Jet4, UCS-2) byte count
    int realIndexSize;     // [Jet4: 4], 10 x (u16 column, u8 0x01 ascending), u32 usage
                           // map, u32 root page, [Jet4: 4], u8 flags (0x01 unique,
                           // 0x02 ignore nulls, 0x08 required), [Jet4: 5]
    int realIndexSkip;     // leading unknown bytes of a physical index block
    int realIndexFlags;    // offset of the flags from the usage map pointer
    int logicalIndexSize;  // [Jet4: 4], u32 number, u32 physical index, u8, i32, u32,
                           // u8, u8, u8 kind (1 primary key, 2 foreign key), [Jet4: 4]
    int logicalIndexSkip;

    // Rows: the column count, then fixed data at rowFixedStart.
    int rowCountSize;  // u8 (Jet3) or u16 (Jet4)

    // Catalog: the rights (MSysACEs' ACM) the Tables container hands down to each new table.
    int32_t tableRights;

    // Index pages (0x03, 0x04): u32 owning table at 4, then prev / next / tail-leaf
    // page numbers, the length of the prefix the entries share, a bitmap marking where
    // each entry after the first ends, and the entries from indexEntries on.
    int indexPrev;
    int indexNext;
    int indexTail;
    int indexPrefixLength;
    int indexPrefixLengthSize;  // Jet3: u8 (the next byte is set on node pages); Jet4: u16
    int indexEntryMask;
    int indexEntries;
};

extern const Format kJet3;
extern const Format kJet4;

}  // namespace pelmora::engine::jet

// A table definition (pages of type 0x02, chained through the u32 at 4): the
// table's counts, its columns, its physical and logical indexes, and the row
// pointers of its usage maps. The field layout is in Format.h; what each field
// means is here, beside the structure that holds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

// Column type codes as stored.
enum class ColumnType : uint8_t {
    Boolean = 0x01,  // no data: the value is the column's null-mask bit
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,  // i64, scaled by 10 000
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,  // double: days since 1899-12-30
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,   // long value
    Memo = 0x0C,  // long value of text
    Guid = 0x0F,
    Numeric = 0x10,  // u8 sign (0x80 negative), then 4 x u32 magnitude, most significant first
    // Access 2007+:
    Complex = 0x12,           // attachment, multi-value or versioned memo: u32 complex id, the
                              // key of the row's values in the column's hidden flat table
    BigInt = 0x13,            // i64 (Access 2016+)
    ExtendedDateTime = 0x14,  // 42 ASCII bytes (Access 2019): days, seconds and 100 ns
};

struct ColumnDef {
    std::string name;
    ColumnType type{};
    uint16_t number = 0;       // the column's bit in a row's null mask
    uint16_t varIndex = 0;     // variable columns: slot in the row's offset table
    uint16_t fixedOffset = 0;  // fixed columns: offset after the row's column count
    uint16_t length = 0;       // bytes (text: twice the characters in Jet4)
    uint8_t flags = 0;         // 0x01 fixed length, 0x04 autonumber, 0x40 GUID autonumber
    uint8_t extFlags = 0;      // Jet4: 0x01 text stored compressed; 0xC0 calculated
    uint16_t sortOrder = 0;    // text (new Jet3 columns: every column): 1033 = General
    int sortVersion = -1;      // Jet4 text: 0 = General order of Access 2000-2007, 1 of 2010+
    uint16_t codePage = 0;     // Jet3 text: the code page it is stored in (the database's)
    uint8_t precision = 0;     // decimal
    uint8_t scale = 0;
    // Calculated columns: the type of the stored results (the ResultType property;
    // the column's own type when the property is absent).
    ColumnType resultType{};

    bool fixed() const { return flags & 0x01; }
    bool autoNumber() const { return flags & (0x04 | 0x40); }
    bool isLongValue() const { return type == ColumnType::Memo || type == ColumnType::Ole; }
    bool isText() const { return type == ColumnType::Text || type == ColumnType::Memo; }
    // Access 2010+: a value Access computes from the row's other columns (CalculatedValue.h).
    bool calculated() const { return (extFlags & 0xC0) == 0xC0; }
};

struct IndexColumn {
    int column = 0;  // position in TableDefinition::columns
    bool ascending = true;
};

// A physical index: the B-tree that one or more logical indexes share.
struct RealIndex {
    std::vector<IndexColumn> columns;  // up to 10
    uint32_t usageMap = 0;             // row pointer to the map of the index's pages
    uint32_t rootPage = 0;
    uint8_t flags = 0;
    uint32_t rowCount = 0;

    static constexpr uint8_t kUnique = 0x01;
    static constexpr uint8_t kIgnoreNulls = 0x02;
    static constexpr uint8_t kRequired = 0x08;
    static constexpr uint8_t kJet4Mark = 0x80;  // set by Access 2000 and later on every index

    bool unique() const { return flags & kUnique; }
    bool ignoreNulls() const { return flags & kIgnoreNulls; }
    bool required() const { return flags & kRequired; }
};

// A logical index: the name users see, backed by a physical index.
struct LogicalIndex {
    std::string name;
    uint32_t number = 0;
    uint32_t realIndex = 0;
    uint8_t kind = 0;

    static constexpr uint8_t kPrimaryKey = 1;
    static constexpr uint8_t kForeignKey = 2;  // of a relationship

    bool primaryKey() const { return kind == kPrimaryKey; }
    bool foreignKey() const { return kind == kForeignKey; }
};

struct TableDefinition {
    std::string name;
    std::vector<uint32_t> pages;  // the definition's pages, first to last
    bool system = false;
    uint32_t rowCount = 0;
    uint32_t autoNumber = 0;  // next autonumber value
    uint16_t maxColumns = 0;  // columns ever defined, deleted ones included
    uint16_t varColumns = 0;
    uint32_t ownedPages = 0;  // row pointer (u8 row, u24 page) to a usage map
    uint32_t freePages = 0;
    std::vector<ColumnDef> columns;  // in column-number order, the table's field order
    std::vector<RealIndex> realIndexes;
    std::vector<LogicalIndex> indexes;
};

// Reads the definition starting at `page`; `name` names the table in messages.
TableDefinition readTableDefinition(PageFile& file, uint32_t page, const std::string& name);

}  // namespace pelmora::engine::jet

#include "db/engine/jet/DefinitionWriter.h"

#include <algorithm>

#include "db/engine/jet/FixedValue.h"
#include "db/engine/jet/TextCodec.h"

namespace pelmora::engine::jet {

namespace {

constexpr uint32_t kTableMagic = 0x0659;  // the constant Access writes in every definition
constexpr int kChainHeader = 8;
constexpr uint8_t kVariable = 0x02;
constexpr uint8_t kFixed = 0x03;
constexpr uint8_t kCompressed = 0x01;
constexpr uint8_t kUserTable = 0x4E;

void put16(std::string& b, size_t at, uint16_t v) {
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}
void put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> 8 * i);
}
uint16_t get16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// A yes/no column counts one byte in the definition, though its value is a bit of
// the null mask; memo and OLE count nothing (a long value).
uint16_t byteLength(ColumnType type, int textSize, const Format& f) {
    switch (type) {
        case ColumnType::Boolean:
            return 1;
        case ColumnType::Text:
            return static_cast<uint16_t>((f.unicode ? 2 : 1) * textSize);
        case ColumnType::Binary:
            return 255;
        default:
            return static_cast<uint16_t>(fixedLength(type));
    }
}

bool isFixed(ColumnType type) {
    return type != ColumnType::Text && type != ColumnType::Memo && type != ColumnType::Ole &&
           type != ColumnType::Binary;
}

std::string columnBlock(const ColumnDef& c, const Format& f, uint16_t position) {
    std::string b(f.columnSize, '\0');
    b[f.colType] = char(c.type);
    if (f.unicode)
        put32(b, f.colMarker, kTableMagic);
    else
        put16(b, f.colMarker, 1);
    put16(b, f.colNumber, c.number);
    put16(b, f.colVarIndex, c.varIndex);
    put16(b, f.colPosition, position);
    if (f.colCodePage >= 0) {  // Jet3: in every column
        put16(b, f.colSortOrder, c.sortOrder);
        put16(b, f.colCodePage, c.codePage);
    } else if (c.isText()) {
        put16(b, f.colSortOrder, c.sortOrder);
        b[f.colSortOrder + 3] = char(std::max(c.sortVersion, 0));
    } else if (c.type == ColumnType::Numeric) {
        b[f.colPrecision] = char(c.precision);
        b[f.colPrecision + 1] = char(c.scale);
    }
    b[f.colFlags] = char(c.flags);
    if (f.colExtFlags >= 0) b[f.colExtFlags] = char(c.extFlags);
    put16(b, f.colFixedOffset, c.fixedOffset);
    put16(b, f.colLength, c.length);
    return b;
}

std::string nameBytes(const std::string& name, const Format& f, const CodePage& codePage,
                      const std::string& path) {
    const std::string stored =
        encodeName(f, codePage, name, "el nombre «" + name + "» en «" + path + "»");
    const std::string length{char(stored.size()), char(stored.size() >> 8)};
    return length.substr(0, f.nameLengthSize) + stored;
}

// A physical index block: the key columns in the ten slots (number and order,
// 0x01 ascending, 0x00 descending), the usage map, the root page and the flags,
// with the constant Jet4 writes before them.
std::string realIndexBlock(const RealIndex& index, const TableDefinition& t, const Format& f) {
    constexpr uint32_t kRealIndexMagic = 0x0783;
    constexpr int kSlots = 10;
    std::string b(f.realIndexSize, '\0');
    if (f.unicode) put32(b, 0, kRealIndexMagic);
    size_t slot = f.realIndexSkip;
    for (int i = 0; i < kSlots; ++i, slot += 3) {
        const bool used = i < static_cast<int>(index.columns.size());
        put16(b, slot, used ? t.columns[index.columns[i].column].number : 0xFFFF);
        b[slot + 2] = char(used && index.columns[i].ascending ? 0x01 : 0x00);
    }
    put32(b, slot, index.usageMap);
    put32(b, slot + 4, index.rootPage);
    b[slot + f.realIndexFlags] = char(index.flags);
    return b;
}

// A logical index block: number, physical index, no relationship (table kind 0,
// index -1, page 0), the two bytes Access writes there, and the kind.
std::string logicalIndexBlock(const LogicalIndex& index, const Format& f) {
    std::string b(f.logicalIndexSize, '\0');
    if (f.unicode) put32(b, 0, kTableMagic);
    const size_t at = f.logicalIndexSkip;
    put32(b, at, index.number);
    put32(b, at + 4, index.realIndex);
    put32(b, at + 9, 0xFFFFFFFF);
    b[at + 17] = 0x04;
    b[at + 18] = 0x04;
    b[at + 19] = char(index.kind);
    return b;
}

size_t storedNameLength(const std::string& b, size_t at, const Format& f) {
    return f.nameLengthSize + (f.nameLengthSize == 1 ? uint8_t(b[at]) : get16(b, at));
}

}  // namespace

ColumnDef newColumn(const TableDefinition& t, const Format& f, ColumnType type, int textSize,
                    const std::string& name, const TextDefaults& text) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.number = t.maxColumns;
    c.length = byteLength(type, textSize, f);
    c.flags = isFixed(type) ? kFixed : kVariable;
    c.extFlags = c.isText() && f.unicode ? kCompressed : 0;
    if (c.isText() || !f.unicode) {
        c.sortOrder = text.sortOrder;
        c.sortVersion = text.sortVersion;
        if (!f.unicode) c.codePage = text.codePage;
    }
    if (type == ColumnType::Numeric) {
        c.precision = 18;
        c.scale = 0;
    }
    uint16_t fixedEnd = 0;
    for (const auto& other : t.columns)
        if (other.fixed() && other.type != ColumnType::Boolean)
            fixedEnd = std::max<uint16_t>(fixedEnd, other.fixedOffset + other.length);
    c.varIndex = t.varColumns;
    c.fixedOffset = isFixed(type) && type != ColumnType::Boolean ? fixedEnd : 0;
    return c;
}

std::string newDefinition(const TableDefinition& t, const Format& f, const CodePage& codePage,
                          const std::string& path) {
    std::string b(f.tdefHeaderSize, '\0');
    b[0] = char(PageType::TableDef);
    b[1] = 0x01;
    if (f.tdefMarker >= 0) {
        put32(b, f.tdefMarker, kTableMagic);
        put32(b, 24, 1);
    }
    b[f.tdefTableType] = char(kUserTable);
    put16(b, f.tdefMaxColumns, t.maxColumns);
    put16(b, f.tdefVarColumns, t.varColumns);
    put16(b, f.tdefColumns, static_cast<uint16_t>(t.columns.size()));
    put32(b, f.tdefOwnedPages, t.ownedPages);
    put32(b, f.tdefFreePages, t.freePages);
    put32(b, f.tdefIndexes, static_cast<uint32_t>(t.indexes.size()));
    put32(b, f.tdefRealIndexes, static_cast<uint32_t>(t.realIndexes.size()));
    b += std::string(f.realIndexCountSize * t.realIndexes.size(), '\0');
    for (size_t i = 0; i < t.columns.size(); ++i)
        b += columnBlock(t.columns[i], f, static_cast<uint16_t>(i));
    for (const auto& c : t.columns) b += nameBytes(c.name, f, codePage, path);
    for (const auto& index : t.realIndexes) b += realIndexBlock(index, t, f);
    for (const auto& index : t.indexes) b += logicalIndexBlock(index, f);
    for (const auto& index : t.indexes) b += nameBytes(index.name, f, codePage, path);
    b += "\xFF\xFF";
    return b;
}

std::string definitionBytes(PageWriter& writer, const TableDefinition& t) {
    std::string bytes;
    for (uint32_t number : t.pages) {
        PageRef page = writer.read(number, "la definición de una tabla");
        const size_t skip = bytes.empty() ? 0 : kChainHeader;
        bytes.append(reinterpret_cast<const char*>(page->data()) + skip, page->size() - skip);
    }
    const uint32_t length = uint8_t(bytes[8]) | uint8_t(bytes[9]) << 8 | uint8_t(bytes[10]) << 16 |
                            uint32_t(uint8_t(bytes[11])) << 24;
    if (length <= bytes.size()) bytes.resize(length);
    return bytes;
}

std::string withColumn(const std::string& bytes, const TableDefinition& t, const ColumnDef& c,
                       const Format& f, const CodePage& codePage, const std::string& path) {
    std::string b = bytes;
    const size_t blocks = f.tdefHeaderSize + f.realIndexCountSize * t.realIndexes.size();
    const size_t blocksEnd = blocks + f.columnSize * t.columns.size();
    size_t namesEnd = blocksEnd;
    for (size_t i = 0; i < t.columns.size(); ++i) namesEnd += storedNameLength(b, namesEnd, f);
    b.insert(namesEnd, nameBytes(c.name, f, codePage, path));
    b.insert(blocksEnd, columnBlock(c, f, static_cast<uint16_t>(t.columns.size())));
    put16(b, f.tdefMaxColumns, static_cast<uint16_t>(t.maxColumns + 1));
    put16(b, f.tdefVarColumns, static_cast<uint16_t>(t.varColumns + (c.fixed() ? 0 : 1)));
    put16(b, f.tdefColumns, static_cast<uint16_t>(t.columns.size() + 1));
    return b;
}

std::vector<uint32_t> writeDefinition(PageWriter& writer, std::vector<uint32_t> pages,
                                      std::string bytes) {
    const Format& f = writer.format();
    const size_t size = f.pageSize;
    put32(bytes, 8, static_cast<uint32_t>(bytes.size()));
    const size_t count =
        bytes.size() <= size
            ? 1
            : 1 + (bytes.size() - size + size - kChainHeader - 1) / (size - kChainHeader);
    while (pages.size() < count) pages.push_back(writer.allocate().number());
    while (pages.size() > count) {
        writer.release(pages.back());
        pages.pop_back();
    }
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        Page& page = writer.edit(pages[i]);
        page.fill(0, size, 0);
        const size_t skip = i == 0 ? 0 : kChainHeader;
        const size_t chunk = std::min(size - skip, bytes.size() - at);
        page.setBytes(skip, std::string_view(bytes).substr(at, chunk));
        at += chunk;
        page.set8(0, static_cast<uint8_t>(PageType::TableDef));
        page.set8(1, 0x01);
        const size_t used = skip + chunk;
        if (f.tdefTagged)
            page.setBytes(2, "VC");
        else
            page.set16(2, static_cast<uint16_t>(size - std::min(size, used + kChainHeader)));
        page.set32(4, i + 1 < count ? pages[i + 1] : 0);
    }
    return pages;
}

}  // namespace pelmora::engine::jet

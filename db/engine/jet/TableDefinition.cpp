#include "db/engine/jet/TableDefinition.h"

#include <algorithm>
#include <unordered_set>

#include "db/engine/jet/Bytes.h"
#include "db/engine/jet/TextCodec.h"

namespace pelmora::engine::jet {

namespace {

constexpr int kMaxColumns = 255;
constexpr uint32_t kMaxIndexes = 255;  // Access allows 32; leaves room for relationship ones
constexpr int kIndexColumnSlots = 10;
constexpr int kChainHeader = 8;  // every definition page starts with type, 0x01, u16, u32 next

// The definition's bytes: the first page whole, then each continuation page
// without its 8-byte header, so offsets read as if it were one long page.
std::string assemble(PageFile& file, uint32_t first, const std::string& what,
                     std::vector<uint32_t>& pages) {
    std::string bytes;
    std::unordered_set<uint32_t> seen;
    for (uint32_t number = first; number != 0;) {
        if (!seen.insert(number).second)
            file.corrupt(what + " vuelve a la página " + std::to_string(number) +
                         ": la cadena de páginas forma un ciclo");
        PageRef page = file.page(number, PageType::TableDef, what.c_str());
        pages.push_back(number);
        size_t skip = bytes.empty() ? 0 : kChainHeader;
        bytes.append(reinterpret_cast<const char*>(page->data()) + skip, page->size() - skip);
        number = page->u32(4);
    }
    return bytes;
}

std::string readName(const Bytes& b, size_t& at, const Format& f, const CodePage& codePage) {
    size_t length = f.nameLengthSize == 1 ? b.u8(at) : b.u16(at);
    at += f.nameLengthSize;
    std::string name;
    decodeName(f, codePage, b.bytes(at, length), name);
    at += length;
    return name;
}

ColumnDef readColumn(const Bytes& b, size_t at, const Format& f) {
    ColumnDef c;
    c.type = static_cast<ColumnType>(b.u8(at + f.colType));
    c.number = b.u16(at + f.colNumber);
    c.varIndex = b.u16(at + f.colVarIndex);
    c.fixedOffset = b.u16(at + f.colFixedOffset);
    c.length = b.u16(at + f.colLength);
    c.flags = b.u8(at + f.colFlags);
    if (f.colExtFlags >= 0) c.extFlags = b.u8(at + f.colExtFlags);
    c.resultType = c.type;
    if (c.type == ColumnType::Numeric) {
        c.precision = b.u8(at + f.colPrecision);
        c.scale = b.u8(at + f.colPrecision + 1);
    } else if (c.isText()) {
        c.sortOrder = b.u16(at + f.colSortOrder);
        if (f.version == 4) c.sortVersion = b.u8(at + f.colSortOrder + 3);
    }
    return c;
}

int columnByNumber(const TableDefinition& t, uint16_t number) {
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (t.columns[i].number == number) return static_cast<int>(i);
    return -1;
}

void readIndexes(const Bytes& b, size_t& at, const Format& f, const CodePage& codePage,
                 TableDefinition& t, uint32_t realCount, uint32_t logicalCount) {
    for (uint32_t i = 0; i < realCount; ++i) {
        RealIndex& index = t.realIndexes[i];
        size_t slot = at + f.realIndexSkip;
        for (int k = 0; k < kIndexColumnSlots; ++k, slot += 3) {
            uint16_t number = b.u16(slot);
            if (number == 0xFFFF) continue;
            int column = columnByNumber(t, number);
            if (column < 0)
                b.corrupt("el índice " + std::to_string(i) + " usa la columna " +
                          std::to_string(number) + ", que no existe");
            index.columns.push_back({column, (b.u8(slot + 2) & 0x01) != 0});
        }
        index.usageMap = b.u32(slot);
        index.rootPage = b.u32(slot + 4);
        index.flags = b.u8(slot + f.realIndexFlags);
        at += f.realIndexSize;
    }
    t.indexes.resize(logicalCount);
    for (uint32_t i = 0; i < logicalCount; ++i) {
        LogicalIndex& index = t.indexes[i];
        size_t base = at + f.logicalIndexSkip;
        index.number = b.u32(base);
        index.realIndex = b.u32(base + 4);
        index.kind = b.u8(base + 19);
        if (index.realIndex >= realCount)
            b.corrupt("el índice lógico " + std::to_string(i) + " remite al índice físico " +
                      std::to_string(index.realIndex) + ", que no existe");
        at += f.logicalIndexSize;
    }
    for (auto& index : t.indexes) index.name = readName(b, at, f, codePage);
}

}  // namespace

TableDefinition readTableDefinition(PageFile& file, uint32_t page, const std::string& name) {
    const Format& f = file.format();
    const std::string what = "la definición de la tabla «" + name + "»";
    TableDefinition t;
    t.name = name;
    const std::string bytes = assemble(file, page, what, t.pages);
    const Bytes b(bytes, file.path(), what + " (página " + std::to_string(page) + ")");

    t.rowCount = b.u32(f.tdefRowCount);
    t.autoNumber = b.u32(f.tdefAutoNumber);
    t.system = b.u8(f.tdefTableType) == 0x53;
    t.maxColumns = b.u16(f.tdefMaxColumns);
    t.varColumns = b.u16(f.tdefVarColumns);
    const uint16_t columnCount = b.u16(f.tdefColumns);
    const uint32_t logicalCount = b.u32(f.tdefIndexes);
    const uint32_t realCount = b.u32(f.tdefRealIndexes);
    t.ownedPages = b.u32(f.tdefOwnedPages);
    t.freePages = b.u32(f.tdefFreePages);
    if (columnCount > kMaxColumns || columnCount == 0)
        b.corrupt("dice tener " + std::to_string(columnCount) + " columnas");
    if (realCount > kMaxIndexes || logicalCount > kMaxIndexes || realCount > logicalCount)
        b.corrupt("dice tener " + std::to_string(logicalCount) + " índices sobre " +
                  std::to_string(realCount) + " índices físicos");

    size_t at = f.tdefHeaderSize;
    t.realIndexes.resize(realCount);
    for (uint32_t i = 0; i < realCount; ++i, at += f.realIndexCountSize)
        t.realIndexes[i].rowCount = b.u32(at + 4);

    t.columns.reserve(columnCount);
    for (uint16_t i = 0; i < columnCount; ++i, at += f.columnSize)
        t.columns.push_back(readColumn(b, at, f));
    for (auto& c : t.columns) {
        c.name = readName(b, at, f, file.codePage());
        if (c.isText() && !f.unicode) c.codePage = file.codePage().number();
    }
    std::stable_sort(t.columns.begin(), t.columns.end(),
                     [](const ColumnDef& a, const ColumnDef& c) { return a.number < c.number; });
    for (size_t i = 1; i < t.columns.size(); ++i)
        if (t.columns[i].number == t.columns[i - 1].number)
            b.corrupt("dos columnas tienen el número " + std::to_string(t.columns[i].number));

    readIndexes(b, at, f, file.codePage(), t, realCount, logicalCount);
    return t;
}

}  // namespace pelmora::engine::jet

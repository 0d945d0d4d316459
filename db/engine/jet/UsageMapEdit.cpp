#include "db/engine/jet/UsageMapEdit.h"

#include <map>
#include <vector>

#include "db/engine/jet/DataPage.h"

namespace pelmora::engine::jet {

namespace {

constexpr uint8_t kInline = 0x00;
constexpr uint8_t kReference = 0x01;
constexpr size_t kInlineHeader = 5;  // kind, u32 first page

uint32_t bitsPerMapPage(const Format& f) {
    return (f.pageSize - 4) * 8;
}

struct MapRow {
    uint32_t page;
    int row;
    RowSpan span;
};

MapRow locate(PageWriter& writer, uint32_t pointer, const std::string& what) {
    const RowPointer at = RowPointer::from(pointer);
    PageRef page = writer.read(at.page, what.c_str());
    if (page->type() != PageType::Data || at.row >= rowCount(*page, writer.format()))
        page->corrupt(what + " no está donde apunta su puntero");
    const RowSpan span = rowSpan(*page, writer.format(), at.row);
    if (span.deleted || span.length() < kInlineHeader) page->corrupt(what + " está dañado");
    return {at.page, at.row, span};
}

void setBit(Page& page, size_t byte, int bit, bool used) {
    const uint8_t mask = static_cast<uint8_t>(1 << bit);
    const uint8_t old = page.u8(byte);
    page.set8(byte, static_cast<uint8_t>(used ? old | mask : old & ~mask));
}

// A fresh page of bits for a reference map.
uint32_t newBitmapPage(PageWriter& writer) {
    Page& bits = writer.allocate();
    bits.set8(0, static_cast<uint8_t>(PageType::UsageBitmap));
    bits.set8(1, 0x01);
    return bits.number();
}

// The inline map's pages, then the row rewritten as a reference map of the same length.
void toReference(PageWriter& writer, const MapRow& map, const std::string& what) {
    const Format& f = writer.format();
    PageRef page = writer.read(map.page, what.c_str());
    const uint32_t first = page->u32(map.span.start + 1);
    std::vector<uint32_t> marked;
    for (size_t k = kInlineHeader; k < map.span.length(); ++k) {
        const uint8_t bits = page->u8(map.span.start + k);
        for (int bit = 0; bit < 8; ++bit)
            if (bits & (1 << bit)) marked.push_back(first + 8 * uint32_t(k - kInlineHeader) + bit);
    }
    std::string row(map.span.length(), '\0');
    row[0] = static_cast<char>(kReference);
    std::map<size_t, uint32_t> bitmaps;
    for (uint32_t p : marked) {
        const size_t slot = p / bitsPerMapPage(f);
        if (1 + 4 * (slot + 1) > row.size())
            page->corrupt(what + " no puede llegar a la página " + std::to_string(p));
        auto& number = bitmaps[slot];
        if (!number) number = newBitmapPage(writer);
        setBit(writer.edit(number), 4 + (p % bitsPerMapPage(f)) / 8, int(p % 8), true);
    }
    for (const auto& [slot, number] : bitmaps)
        for (int i = 0; i < 4; ++i) row[1 + 4 * slot + i] = static_cast<char>(number >> (8 * i));
    replaceRow(writer.edit(map.page), f, map.row, row);
}

}  // namespace

void markInUsageMap(PageWriter& writer, uint32_t pointer, uint32_t page, bool used,
                    const std::string& what) {
    const Format& f = writer.format();
    MapRow map = locate(writer, pointer, what);
    PageRef rowPage = writer.read(map.page, what.c_str());
    if (rowPage->u8(map.span.start) == kInline) {
        const uint32_t first = rowPage->u32(map.span.start + 1);
        const uint64_t bit = uint64_t(page) - first;
        if (page >= first && bit / 8 < map.span.length() - kInlineHeader) {
            setBit(writer.edit(map.page), map.span.start + kInlineHeader + bit / 8, int(bit % 8),
                   used);
            return;
        }
        if (!used) return;
        toReference(writer, map, what);
        map = locate(writer, pointer, what);
        rowPage = writer.read(map.page, what.c_str());
    }
    if (rowPage->u8(map.span.start) != kReference)
        rowPage->corrupt(what + " es de un tipo desconocido");
    const size_t slot = page / bitsPerMapPage(f);
    if (1 + 4 * (slot + 1) > map.span.length()) {
        if (!used) return;
        rowPage->corrupt(what + " no puede llegar a la página " + std::to_string(page));
    }
    uint32_t bitmap = rowPage->u32(map.span.start + 1 + 4 * slot);
    if (bitmap == 0) {
        if (!used) return;
        bitmap = newBitmapPage(writer);
        writer.edit(map.page).set32(map.span.start + 1 + 4 * slot, bitmap);
    }
    PageRef bits = writer.read(bitmap, what.c_str());
    if (bits->type() != PageType::UsageBitmap)
        bits->corrupt(what + " apunta a una página que no es de mapa de uso");
    setBit(writer.edit(bitmap), 4 + (page % bitsPerMapPage(f)) / 8, int(page % 8), used);
}

}  // namespace pelmora::engine::jet

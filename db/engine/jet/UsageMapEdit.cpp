#include "db/engine/jet/UsageMapEdit.h"

#include <map>
#include <vector>

#include "db/engine/Error.h"
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

[[noreturn]] void unreachable(const std::string& what, uint32_t page) {
    throw Error("La base de datos es demasiado grande para escribir en ella: " + what +
                " no puede llegar a la página " + std::to_string(page));
}

void setBit(Page& page, size_t byte, int bit, bool used) {
    const uint8_t mask = static_cast<uint8_t>(1 << bit);
    const uint8_t old = page.u8(byte);
    page.set8(byte, static_cast<uint8_t>(used ? old | mask : old & ~mask));
}

// A fresh page of bits for a reference map: the free-page map's own pages are
// added at the end of the file (taking one from the map would change the map).
uint32_t newBitmapPage(PageWriter& writer, bool beyondSet) {
    Page& bits = beyondSet ? writer.appendPage() : writer.allocate();
    bits.set8(0, static_cast<uint8_t>(PageType::UsageBitmap));
    bits.set8(1, 0x01);
    return bits.number();
}

// The inline map's pages, then the row rewritten as a reference map of the same
// length. With `beyondSet`, every page of the file is given a page of bits (its
// bit clear unless the inline map had it set), so that none counts as set merely
// for lying out of reach.
void toReference(PageWriter& writer, const MapRow& map, const std::string& what, bool beyondSet) {
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
    const auto bitmapFor = [&](uint32_t p) -> uint32_t& {
        const size_t slot = p / bitsPerMapPage(f);
        if (1 + 4 * (slot + 1) > row.size()) unreachable(what, p);
        uint32_t& number = bitmaps[slot];
        if (!number) number = newBitmapPage(writer, beyondSet);
        return number;
    };
    for (uint32_t p : marked)
        setBit(writer.edit(bitmapFor(p)), 4 + (p % bitsPerMapPage(f)) / 8, int(p % 8), true);
    // Up to the end of the file as it grows, its new pages of bits included.
    if (beyondSet)
        for (uint64_t p = 0; p < writer.pageCountSoFar(); p += bitsPerMapPage(f))
            bitmapFor(static_cast<uint32_t>(p));
    for (const auto& [slot, number] : bitmaps)
        for (int i = 0; i < 4; ++i) row[1 + 4 * slot + i] = static_cast<char>(number >> (8 * i));
    replaceRow(writer.edit(map.page), f, map.row, row);
}

}  // namespace

void markInUsageMap(PageWriter& writer, uint32_t pointer, uint32_t page, bool set,
                    const std::string& what, bool beyondSet) {
    const Format& f = writer.format();
    MapRow map = locate(writer, pointer, what);
    PageRef rowPage = writer.read(map.page, what.c_str());
    if (rowPage->u8(map.span.start) == kInline) {
        const uint32_t first = rowPage->u32(map.span.start + 1);
        const uint64_t bit = uint64_t(page) - first;
        if (page >= first && bit / 8 < map.span.length() - kInlineHeader) {
            setBit(writer.edit(map.page), map.span.start + kInlineHeader + bit / 8, int(bit % 8),
                   set);
            return;
        }
        if (set == beyondSet) return;  // out of reach already counts so
        toReference(writer, map, what, beyondSet);
        map = locate(writer, pointer, what);
        rowPage = writer.read(map.page, what.c_str());
    }
    if (rowPage->u8(map.span.start) != kReference)
        rowPage->corrupt(what + " es de un tipo desconocido");
    const size_t slot = page / bitsPerMapPage(f);
    if (1 + 4 * (slot + 1) > map.span.length()) {
        if (set == beyondSet) return;
        unreachable(what, page);
    }
    uint32_t bitmap = rowPage->u32(map.span.start + 1 + 4 * slot);
    if (bitmap == 0) {
        if (set == beyondSet) return;
        bitmap = newBitmapPage(writer, beyondSet);
        writer.edit(map.page).set32(map.span.start + 1 + 4 * slot, bitmap);
        // The free-page map's new page of bits must not lie out of its reach.
        if (beyondSet) markInUsageMap(writer, pointer, bitmap, false, what, true);
    }
    PageRef bits = writer.read(bitmap, what.c_str());
    if (bits->type() != PageType::UsageBitmap)
        bits->corrupt(what + " apunta a una página que no es de mapa de uso");
    setBit(writer.edit(bitmap), 4 + (page % bitsPerMapPage(f)) / 8, int(page % 8), set);
}

}  // namespace pelmora::engine::jet

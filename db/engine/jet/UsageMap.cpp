#include "db/engine/jet/UsageMap.h"

#include <string>
#include <utility>

#include "db/engine/jet/DataPage.h"

namespace pelmora::engine::jet {

namespace {

void addBits(const PageFile& file, const uint8_t* bitmap, size_t length, uint64_t firstPage,
             std::vector<uint32_t>& pages, const char* what, bool beyondEnd) {
    for (size_t k = 0; k < length; ++k) {
        if (!bitmap[k]) continue;
        for (int bit = 0; bit < 8; ++bit) {
            if (!(bitmap[k] & (1 << bit))) continue;
            uint64_t page = firstPage + 8 * k + bit;
            if (page >= file.pageCount() && beyondEnd) return;
            if (page >= file.pageCount())
                file.corrupt(std::string(what) + " marca la página " + std::to_string(page) +
                             ", más allá del final del fichero");
            pages.push_back(static_cast<uint32_t>(page));
        }
    }
}

}  // namespace

std::vector<uint32_t> readUsageMap(PageFile& file, uint32_t pointer, const char* what,
                                   bool beyondEnd) {
    RowBytes row = readPointedRow(file, RowPointer::from(pointer), what);
    const Page& page = *row.page;
    if (row.span.length() < 1) page.corrupt(std::string(what) + " está vacío");
    std::vector<uint32_t> pages;
    const uint8_t kind = page.u8(row.span.start);
    if (kind == 0x00) {
        if (row.span.length() < 5) page.corrupt(std::string(what) + " es demasiado corto");
        addBits(file, page.data() + row.span.start + 5, row.span.length() - 5u,
                page.u32(row.span.start + 1), pages, what, beyondEnd);
    } else if (kind == 0x01) {
        const uint32_t perPage = (file.format().pageSize - 4) * 8;
        const size_t slots = (row.span.length() - 1u) / 4;
        for (size_t n = 0; n < slots; ++n) {
            uint32_t number = page.u32(row.span.start + 1 + 4 * n);
            if (number == 0) continue;
            PageRef map = file.page(number, PageType::UsageBitmap, what);
            addBits(file, map->data() + 4, map->size() - 4, uint64_t(n) * perPage, pages, what,
                    beyondEnd);
        }
    } else {
        page.corrupt(std::string(what) + " es de un tipo desconocido (" + std::to_string(kind) +
                     ")");
    }
    return pages;
}

UsageMapReach::UsageMapReach(PageFile& file, uint32_t pointer, const char* what) {
    RowBytes row = readPointedRow(file, RowPointer::from(pointer), what);
    const Page& page = *row.page;
    if (row.span.length() < 1) page.corrupt(std::string(what) + " está vacío");
    if (page.u8(row.span.start) == 0x00) {
        if (row.span.length() < 5) page.corrupt(std::string(what) + " es demasiado corto");
        const uint64_t first = page.u32(row.span.start + 1);
        ranges_.emplace_back(first, first + 8 * uint64_t(row.span.length() - 5));
        return;
    }
    const uint32_t perPage = (file.format().pageSize - 4) * 8;
    for (size_t n = 0; 1 + 4 * (n + 1) <= row.span.length(); ++n)
        if (page.u32(row.span.start + 1 + 4 * n) != 0)
            ranges_.emplace_back(uint64_t(n) * perPage, uint64_t(n + 1) * perPage);
}

bool UsageMapReach::reaches(uint32_t page) const {
    for (const auto& [from, to] : ranges_)
        if (page >= from && page < to) return true;
    return false;
}

}  // namespace pelmora::engine::jet

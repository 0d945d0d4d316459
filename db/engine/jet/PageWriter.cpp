#include "db/engine/jet/PageWriter.h"

#include <string>

#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/UsageMapEdit.h"

namespace pelmora::engine::jet {

namespace {
constexpr uint32_t kFreeMapPage = 1;
constexpr int kFreeMapRow = 0;
constexpr uint32_t kFreeMapPointer = kFreeMapPage << 8 | kFreeMapRow;
constexpr uint8_t kMapInline = 0x00;
constexpr uint8_t kMapReference = 0x01;
constexpr int kInlineHeader = 5;   // kind, u32 first page
constexpr int kInlineGrowth = 32;  // bytes an inline map grows by at a time
}  // namespace

PageWriter::PageWriter(PageFile& file) : file_(file), nextNew_(file.pageCount()) {}

uint32_t PageWriter::pageCountSoFar() {
    if (edited_.empty()) nextNew_ = file_.pageCount();  // another group may have grown it
    return nextNew_;
}

PageRef PageWriter::read(uint32_t number, const char* what) {
    auto found = edited_.find(number);
    if (found != edited_.end()) return found->second;
    return file_.page(number, what);
}

Page& PageWriter::edit(uint32_t number) {
    auto found = edited_.find(number);
    if (found != edited_.end()) return *found->second;
    auto copy = std::make_shared<Page>(*file_.page(number, "una página que se modifica"));
    return *edited_.emplace(number, std::move(copy)).first->second;
}

namespace {

RowSpan freeMapRow(const Page& page, const Format& format) {
    if (page.type() != PageType::Data || rowCount(page, format) <= kFreeMapRow)
        page.corrupt("no tiene el mapa de páginas libres de la base de datos");
    RowSpan span = rowSpan(page, format, kFreeMapRow);
    if (span.deleted || span.length() < kInlineHeader)
        page.corrupt("el mapa de páginas libres de la base de datos está dañado");
    return span;
}

}  // namespace

// An inline map that does not reach the page grows while page 1 has room (its
// new bits say free, as pages out of its reach count); past that the map becomes
// a reference map (UsageMapEdit.h).
void PageWriter::markFree(uint32_t number, bool free) {
    const Format& f = format();
    PageRef map = read(kFreeMapPage, "el mapa de páginas libres");
    const RowSpan span = freeMapRow(*map, f);
    if (map->u8(span.start) == kMapInline && number >= map->u32(span.start + 1)) {
        const size_t byte = (number - map->u32(span.start + 1)) / 8;
        const size_t have = span.length() - kInlineHeader;
        const size_t grown = (byte / kInlineGrowth + 1) * kInlineGrowth;
        if (byte >= have && grown - have <= freeSpace(*map)) {
            std::string row(map->bytes(span.start, span.length()));
            row.append(grown - have, '\xFF');
            replaceRow(edit(kFreeMapPage), f, kFreeMapRow, row);
        }
    }
    markInUsageMap(*this, kFreeMapPointer, number, free, "el mapa de páginas libres", true);
}

uint32_t PageWriter::findFree() {
    const Format& f = format();
    PageRef map = read(kFreeMapPage, "el mapa de páginas libres");
    const RowSpan span = freeMapRow(*map, f);
    const auto usable = [&](uint64_t n) {
        return n > kFreeMapPage && n < file_.pageCount() && !released_.count(uint32_t(n)) &&
               !edited_.count(uint32_t(n));
    };
    const auto search = [&](const Page& page, size_t from, size_t to, uint64_t firstPage) {
        for (size_t k = from; k < to; ++k) {
            const uint8_t bits = page.u8(k);
            if (!bits) continue;
            for (int bit = 0; bit < 8; ++bit)
                if (bits & (1 << bit) && usable(firstPage + 8 * (k - from) + bit))
                    return uint32_t(firstPage + 8 * (k - from) + bit);
        }
        return uint32_t{0};
    };
    const uint8_t kind = map->u8(span.start);
    if (kind == kMapInline)
        return search(*map, span.start + kInlineHeader, span.end, map->u32(span.start + 1));
    if (kind != kMapReference) return 0;
    const uint32_t perPage = (f.pageSize - 4) * 8;
    for (size_t slot = 0; 1 + 4 * (slot + 1) <= span.length(); ++slot) {
        const uint32_t bitmap = map->u32(span.start + 1 + 4 * slot);
        if (bitmap == 0) continue;
        PageRef bits = read(bitmap, "el mapa de páginas libres");
        if (bits->type() != PageType::UsageBitmap) continue;
        if (uint32_t n = search(*bits, 4, bits->size(), uint64_t(slot) * perPage)) return n;
    }
    return 0;
}

Page& PageWriter::allocate() {
    if (uint32_t reused = findFree()) {
        markFree(reused, false);
        Page& page = edit(reused);
        page.fill(0, page.size(), 0);
        return page;
    }
    Page& page = appendPage();
    markFree(page.number(), false);
    return page;
}

Page& PageWriter::appendPage() {
    const uint32_t number = pageCountSoFar();
    ++nextNew_;
    auto page =
        std::make_shared<Page>(file_.path(), number, std::vector<uint8_t>(format().pageSize, 0));
    return *edited_.emplace(number, std::move(page)).first->second;
}

void PageWriter::release(uint32_t number) {
    released_.insert(number);
    markFree(number, true);
}

void PageWriter::discard() {
    edited_.clear();
    released_.clear();
    nextNew_ = file_.pageCount();
}

void PageWriter::commit() {
    std::vector<std::shared_ptr<Page>> pages;
    pages.reserve(edited_.size());
    for (auto& [number, page] : edited_) pages.push_back(page);
    try {
        file_.writePages(pages);
    } catch (...) {
        discard();
        throw;
    }
    discard();
}

}  // namespace pelmora::engine::jet

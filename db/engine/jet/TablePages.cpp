#include "db/engine/jet/TablePages.h"

#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/RowEncoder.h"
#include "db/engine/jet/UsageMap.h"
#include "db/engine/jet/UsageMapEdit.h"

namespace pelmora::engine::jet {

namespace {
constexpr int kPagesTried = 8;  // pages of the map with room looked at before adding one
}

TablePages::TablePages(PageWriter& writer, const TableDefinition& table, uint32_t& longValuePage)
    : writer_(writer),
      table_(table),
      longValuePage_(longValuePage),
      what_("el mapa de páginas de la tabla «" + table.name + "»") {}

// The map of pages with room is read when a row first needs a place, so that an
// update that stays on its page does not read it.
Page& TablePages::rowPage(size_t length, uint32_t except) {
    const Format& f = writer_.format();
    if (!withRoom_) {
        const std::string what = "el mapa de páginas con sitio de la tabla «" + table_.name + "»";
        withRoom_ = readUsageMap(writer_.file(), table_.freePages, what.c_str());
    }
    int tried = 0;
    for (auto it = withRoom_->rbegin(); it != withRoom_->rend() && tried < kPagesTried; ++it) {
        if (*it == except) continue;
        PageRef page = writer_.read(*it, what_.c_str());
        if (page->type() != PageType::Data || dataPageOwner(*page) != table_.pages.front())
            continue;
        ++tried;
        if (roomForRow(*page, writer_.format(), length)) return writer_.edit(*it);
    }
    Page& page = writer_.allocate();
    formatDataPage(page, f, table_.pages.front());
    withRoom_->push_back(page.number());
    markInUsageMap(writer_, table_.ownedPages, page.number(), true, what_);
    noteFreeSpace(page);
    return page;
}

Page& TablePages::longValuePage(size_t length) {
    if (longValuePage_ != 0 && longValuePage_ < writer_.file().pageCount()) {
        PageRef page = writer_.read(longValuePage_, "una página de valores largos");
        if (page->type() == PageType::Data && dataPageOwner(*page) == kLongValueOwner &&
            roomForRow(*page, writer_.format(), length))
            return writer_.edit(longValuePage_);
    }
    Page& page = writer_.allocate();
    formatDataPage(page, writer_.format(), kLongValueOwner);
    longValuePage_ = page.number();
    return page;
}

void TablePages::noteFreeSpace(const Page& page) {
    if (dataPageOwner(page) != table_.pages.front()) return;  // the map lists row pages only
    const bool room = freeSpace(page) >= maxRowLength(writer_.format()) / 4 &&
                      rowCount(page, writer_.format()) < kMaxRowsPerPage;
    markInUsageMap(writer_, table_.freePages, page.number(), room,
                   "el mapa de páginas con sitio de la tabla «" + table_.name + "»");
}

}  // namespace pelmora::engine::jet

#include "db/engine/jet/TablePages.h"

#include <algorithm>

#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/RowEncoder.h"
#include "db/engine/jet/UsageMap.h"
#include "db/engine/jet/UsageMapEdit.h"

namespace pelmora::engine::jet {

namespace {
constexpr int kPagesTried = 8;  // pages of the map with room looked at before adding one
}

TablePages::TablePages(PageWriter& writer, const TableDefinition& table, TablePlaces& places)
    : writer_(writer),
      table_(table),
      places_(places),
      what_("el mapa de páginas de la tabla «" + table.name + "»") {}

Page& TablePages::rowPage(size_t length, uint32_t except) {
    const Format& f = writer_.format();
    const std::vector<uint32_t>& withRoom = pagesWithRoom();
    int tried = 0;
    for (auto it = withRoom.rbegin(); it != withRoom.rend() && tried < kPagesTried; ++it) {
        if (*it == except) continue;
        PageRef page = writer_.read(*it, what_.c_str());
        if (page->type() != PageType::Data || dataPageOwner(*page) != table_.pages.front())
            continue;
        ++tried;
        if (roomForRow(*page, writer_.format(), length)) return writer_.edit(*it);
    }
    Page& page = writer_.allocate();
    formatDataPage(page, f, table_.pages.front());
    markInUsageMap(writer_, table_.ownedPages, page.number(), true, what_);
    noteFreeSpace(page);
    return page;
}

Page& TablePages::longValuePage(size_t length) {
    if (places_.longValuePage != 0 && places_.longValuePage < writer_.file().pageCount()) {
        PageRef page = writer_.read(places_.longValuePage, "una página de valores largos");
        if (page->type() == PageType::Data && dataPageOwner(*page) == kLongValueOwner &&
            roomForRow(*page, writer_.format(), length))
            return writer_.edit(places_.longValuePage);
    }
    Page& page = writer_.allocate();
    formatDataPage(page, writer_.format(), kLongValueOwner);
    places_.longValuePage = page.number();
    return page;
}

void TablePages::noteFreeSpace(const Page& page) {
    if (dataPageOwner(page) != table_.pages.front()) return;  // the map lists row pages only
    const bool room = freeSpace(page) >= maxRowLength(writer_.format()) / 4 &&
                      rowCount(page, writer_.format()) < kMaxRowsPerPage;
    std::vector<uint32_t>& withRoom = pagesWithRoom();
    const auto at = std::lower_bound(withRoom.begin(), withRoom.end(), page.number());
    const bool listed = at != withRoom.end() && *at == page.number();
    if (room == listed) return;  // most rows written leave the map as it is
    markInUsageMap(writer_, table_.freePages, page.number(), room, withRoomWhat());
    if (room)
        withRoom.insert(at, page.number());
    else
        withRoom.erase(at);
}

// The map of pages with room is read when first needed, so that an operation
// that only reads does not read it.
std::vector<uint32_t>& TablePages::pagesWithRoom() {
    if (!places_.withRoom)
        places_.withRoom = readUsageMap(writer_.file(), table_.freePages, withRoomWhat().c_str());
    return *places_.withRoom;
}

std::string TablePages::withRoomWhat() const {
    return "el mapa de páginas con sitio de la tabla «" + table_.name + "»";
}

}  // namespace pelmora::engine::jet

#include "db/engine/jet/TableScan.h"

#include <string>

#include "db/engine/jet/UsageMap.h"

namespace pelmora::engine::jet {

namespace {
constexpr int kMaxMoves = 4;  // a moved row points at its data, which never moves on
}

bool locateRow(PageFile& file, const TableDefinition& table, RowPointer slot, PageRef& holder,
               RowView& view) {
    PageRef page = file.page(slot.page, PageType::Data, "una fila");
    if (slot.row >= rowCount(*page, file.format())) return false;
    return locateRow(file, table, page, slot.row, holder, view);
}

bool locateRow(PageFile& file, const TableDefinition& table, const PageRef& page, int row,
               PageRef& holder, RowView& view) {
    const Format& f = file.format();
    RowSpan span = rowSpan(*page, f, row);
    if (span.deleted) return false;
    PageRef at = page;
    for (int moves = 0; span.moved; ++moves) {
        if (moves == kMaxMoves || span.length() < 4)
            at->corrupt("una fila de la tabla «" + table.name +
                        "» remite a otra fila sin llegar a sus datos");
        RowPointer to = RowPointer::from(at->u32(span.start));
        at = file.page(to.page, PageType::Data, "una fila movida");
        if (to.row >= rowCount(*at, f))
            at->corrupt("una fila movida de la tabla «" + table.name + "» apunta a la fila " +
                        std::to_string(to.row) + ", que la página no tiene");
        // The data of a moved row is marked deleted so that scans skip it there.
        span = rowSpan(*at, f, to.row, true);
        span.deleted = false;
    }
    if (dataPageOwner(*at) != table.pages.front())
        at->corrupt("una fila de la tabla «" + table.name + "» está en una página de otra tabla");
    view.set(*at, span.start, span.end, f, table.varColumns > 0);
    if (holder != at) holder = std::move(at);
    return true;
}

TableScan::TableScan(PageFile& file, const TableDefinition& table) : file_(file), table_(table) {
    const std::string what = "el mapa de páginas de la tabla «" + table.name + "»";
    pages_ = readUsageMap(file, table.ownedPages, what.c_str());
    pageIndex_ = 0;
    page_.reset();
}

bool TableScan::nextPage() {
    if (page_) ++pageIndex_;
    for (; pageIndex_ < pages_.size(); ++pageIndex_) {
        PageRef page = file_.page(pages_[pageIndex_]);
        // The map also lists the table's long-value pages; only its row pages are scanned.
        if (page->type() != PageType::Data || dataPageOwner(*page) != table_.pages.front())
            continue;
        page_ = std::move(page);
        rows_ = rowCount(*page_, file_.format());
        row_ = -1;
        return true;
    }
    page_.reset();
    return false;
}

bool TableScan::next() {
    while (true) {
        if (!page_ || row_ + 1 >= rows_) {
            if (!nextPage()) return false;
            continue;
        }
        ++row_;
        if (locateRow(file_, table_, page_, row_, holder_, view_)) return true;
    }
}

}  // namespace pelmora::engine::jet

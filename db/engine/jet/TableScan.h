// Walks a table's rows in stored order: the pages of its usage map in page
// order, and on each of its data pages the rows in slot order. Deleted rows
// are skipped; a row that was moved (its slot holds a pointer, u8 row and u24
// page) is read where it now lives but keeps its place in the order. The rows
// a moved row points to are themselves marked deleted, so they are seen once.
#pragma once

#include <cstdint>
#include <vector>

#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/RowView.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

// Positions `view` on the live row at `slot`, following a moved row to its data;
// false when the slot holds no row (deleted). `holder` keeps the row's page alive.
bool locateRow(PageFile& file, const TableDefinition& table, RowPointer slot, PageRef& holder,
               RowView& view);
// The same on a page already at hand.
bool locateRow(PageFile& file, const TableDefinition& table, const PageRef& page, int row,
               PageRef& holder, RowView& view);

class TableScan {
  public:
    TableScan(PageFile& file, const TableDefinition& table);

    // Moves to the next live row; false at the end.
    bool next();
    RowPointer position() const { return {pages_[pageIndex_], row_}; }
    RowView& row() { return view_; }

  private:
    bool nextPage();

    PageFile& file_;
    const TableDefinition& table_;
    std::vector<uint32_t> pages_;
    size_t pageIndex_ = 0;
    PageRef page_;
    int rows_ = 0;
    int row_ = -1;
    PageRef holder_;
    RowView view_;
};

}  // namespace pelmora::engine::jet

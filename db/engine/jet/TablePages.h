// The data pages of one table within a write operation: where a new row (or a
// long value) goes, and the two usage maps kept right as pages fill up. A row
// goes on a page of the table's map of pages with room that has room for it,
// else on a new page, added to the map of the table's pages and to that map; a
// page leaves it when less than a quarter of the largest row's room is left on
// it. Long values go on long-value pages, which no map of the table lists (as in
// the files Access writes): the last one used for the table, else a new one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/engine/jet/PageWriter.h"
#include "db/engine/jet/TableDefinition.h"

namespace pelmora::engine::jet {

// What the writer of a table's rows keeps between its operations while the file's
// pages stay as it knows them: the table's last long-value page (0: none yet) and
// its map of pages with room, read once and then kept in step with the file.
struct TablePlaces {
    uint32_t longValuePage = 0;
    std::optional<std::vector<uint32_t>> withRoom;  // ascending, as the map lists them
};

class TablePages {
  public:
    // `places`: kept by the caller across operations and updated here.
    TablePages(PageWriter& writer, const TableDefinition& table, TablePlaces& places);

    // A page of the table's rows with room for a row of `length` bytes, other than `except`.
    Page& rowPage(size_t length, uint32_t except = 0);
    // A long-value page with room for a row of `length` bytes.
    Page& longValuePage(size_t length);
    // To call once rows were written on or removed from a page of the table.
    void noteFreeSpace(const Page& page);

  private:
    std::vector<uint32_t>& pagesWithRoom();
    std::string withRoomWhat() const;

    PageWriter& writer_;
    const TableDefinition& table_;
    TablePlaces& places_;
    std::string what_;
};

}  // namespace pelmora::engine::jet

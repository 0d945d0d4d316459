#include "db/engine/jet/StructureCheck.h"

#include <map>
#include <set>

#include "db/engine/Error.h"
#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/UsageMap.h"

namespace pelmora::engine::jet {

namespace {

constexpr uint32_t kFreeMapPointer = 1 << 8;  // page 1, row 0
constexpr uint32_t kLongInline = 0x80000000;
constexpr size_t kReportedPerTable = 10;

std::string pageName(uint32_t page) {
    return "página " + std::to_string(page);
}

// The row directory of a data page: rows in bounds, back to back, and the free
// space count equal to the room between the directory and the lowest row.
void checkDataPage(const Page& page, const Format& f, std::vector<std::string>& problems) {
    const int rows = rowCount(page, f);
    if (rows > kMaxRowsPerPage)
        problems.push_back(pageName(page.number()) + ": tiene " + std::to_string(rows) +
                           " filas, más de las que un puntero de fila puede numerar");
    uint32_t lowest = page.size();
    for (int r = 0; r < rows; ++r)
        lowest = std::min<uint32_t>(lowest, rowSpan(page, f, r, true).start);
    const uint32_t directoryEnd = f.dataRowTable + 2u * rows;
    if (lowest < directoryEnd || freeSpace(page) != lowest - directoryEnd)
        problems.push_back(pageName(page.number()) + ": dice tener " +
                           std::to_string(freeSpace(page)) + " bytes libres y tiene " +
                           std::to_string(lowest >= directoryEnd ? lowest - directoryEnd : 0));
}

// The pages the free-page map gives as free: those it marks, and those out of its
// reach, which Access counts free too.
std::set<uint32_t> freePages(PageFile& file) {
    const char* what = "el mapa de páginas libres";
    const auto pages = readUsageMap(file, kFreeMapPointer, what, true);
    std::set<uint32_t> free(pages.begin(), pages.end());
    const UsageMapReach reach(file, kFreeMapPointer, what);
    for (uint32_t p = 1; p < file.pageCount(); ++p)
        if (!reach.reaches(p)) free.insert(p);
    return free;
}

// Whether the page holds row data: not only deleted slots of moved rows (their
// data lived elsewhere), which Access leaves out of the table's map. (A moved
// row's data is itself marked deleted, but not moved.)
bool holdsRowData(const Page& page, const Format& f) {
    for (int row = 0; row < rowCount(page, f); ++row) {
        const RowSpan span = rowSpan(page, f, row);
        if (!(span.deleted && span.moved)) return true;
    }
    return false;
}

class TableCheck {
  public:
    TableCheck(PageFile& file, const TableDefinition& table, const std::set<uint32_t>& free,
               std::vector<std::string>& problems)
        : file_(file), table_(table), free_(free), problems_(problems) {}

    // `rowPages`: the pages whose rows belong to the table, found page by page.
    void run(const std::set<uint32_t>& rowPages) {
        const std::string what = "el mapa de páginas de la tabla «" + table_.name + "»";
        const auto owned = readUsageMap(file_, table_.ownedPages, what.c_str());
        const std::set<uint32_t> ownedSet(owned.begin(), owned.end());
        for (uint32_t p : owned) {
            PageRef page = file_.page(p);
            if (page->type() != PageType::Data || dataPageOwner(*page) != table_.pages.front())
                report("su mapa de páginas incluye la " + pageName(p) + ", que no es de sus filas");
            if (free_.count(p))
                report("la " + pageName(p) +
                       " es suya y el mapa de páginas libres la da por libre");
        }
        for (uint32_t p : rowPages)
            if (!ownedSet.count(p))
                report("la " + pageName(p) + " tiene filas suyas y no está en su mapa de páginas");
        const std::string withRoom =
            "el mapa de páginas con sitio de la tabla «" + table_.name + "»";
        for (uint32_t p : readUsageMap(file_, table_.freePages, withRoom.c_str()))
            if (!ownedSet.count(p))
                report("su mapa de páginas con sitio incluye la " + pageName(p) +
                       ", que no es suya");
        for (uint32_t p : table_.pages)
            if (free_.count(p))
                report("la " + pageName(p) + " de su definición está marcada como libre");
        checkRows();
    }

  private:
    void report(const std::string& what) {
        if (reported_++ < kReportedPerTable)
            problems_.push_back("tabla «" + table_.name + "»: " + what);
    }

    void checkRows() {
        uint32_t rows = 0;
        TableScan scan(file_, table_);
        while (scan.next()) {
            ++rows;
            for (const ColumnDef& c : table_.columns) {
                std::string_view bytes;
                if (!c.isLongValue() || !scan.row().columnBytes(c, bytes) || bytes.size() < 12)
                    continue;
                const uint32_t word = static_cast<uint8_t>(bytes[3]) << 24;
                if (word & kLongInline) continue;
                const uint32_t at = static_cast<uint8_t>(bytes[4]) |
                                    static_cast<uint8_t>(bytes[5]) << 8 |
                                    static_cast<uint8_t>(bytes[6]) << 16 |
                                    uint32_t(static_cast<uint8_t>(bytes[7])) << 24;
                const RowPointer first = RowPointer::from(at);
                PageRef page = file_.page(first.page, "un valor largo");
                if (page->type() != PageType::Data || dataPageOwner(*page) != kLongValueOwner)
                    report("el valor largo de la columna «" + c.name + "» está en la " +
                           pageName(first.page) + ", que no es de valores largos");
            }
        }
        // Access keeps the count of its own system tables loosely (MSysQueries).
        if (!table_.system && rows != table_.rowCount)
            report("su definición dice tener " + std::to_string(table_.rowCount) +
                   " filas y tiene " + std::to_string(rows));
    }

    PageFile& file_;
    const TableDefinition& table_;
    const std::set<uint32_t>& free_;
    std::vector<std::string>& problems_;
    size_t reported_ = 0;
};

}  // namespace

std::vector<std::string> checkStructure(JetFile& jet) {
    std::vector<std::string> problems;
    PageFile& file = jet.pages();
    const Format& f = file.format();
    std::set<uint32_t> free;
    try {
        free = freePages(file);
    } catch (const Error& e) {
        problems.push_back(e.what());
    }
    std::map<uint32_t, std::set<uint32_t>> rowPages;  // by owning definition page
    for (uint32_t p = 1; p < file.pageCount(); ++p) {
        if (free.count(p)) continue;
        try {
            PageRef page = file.page(p);
            if (page->type() != PageType::Data) continue;
            checkDataPage(*page, f, problems);
            if (holdsRowData(*page, f)) rowPages[dataPageOwner(*page)].insert(p);
        } catch (const Error& e) {
            problems.push_back(e.what());
        }
    }
    for (const auto& entry : jet.catalog().tables()) {
        try {
            const TableDefinition table =
                readTableDefinition(file, entry.definitionPage, entry.name);
            TableCheck(file, table, free, problems).run(rowPages[table.pages.front()]);
        } catch (const Error& e) {
            problems.push_back(e.what());
        }
    }
    return problems;
}

}  // namespace pelmora::engine::jet

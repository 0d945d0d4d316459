// The pages one write operation changes, gathered before any is written: each
// page edited is a private copy, pages are taken from (and given back to) the
// database's free-page map, and commit() hands them all at once to the file's
// write group (PageFile::writePages). An operation that throws before commit()
// (or that calls discard()) leaves the file untouched, so writers check
// everything, edit, then commit.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>

#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

class PageWriter {
  public:
    // Operations are committed inside a write group of the file (PageFile::beginGroup).
    explicit PageWriter(PageFile& file);

    PageFile& file() { return file_; }
    const Format& format() const { return file_.format(); }

    // The page as this operation sees it: its edited copy when there is one.
    PageRef read(uint32_t number, const char* what = "un puntero");
    // A private copy of the page to edit (the same copy on later calls).
    Page& edit(uint32_t number);
    // A new page, all zeros (the caller writes its type and content): a free page
    // of the database's free-page map (page 1, row 0: bit set = page free, pages
    // past the map's reach counted free), else a page after the end of the file.
    // The map is updated to mark it used, made to reach it if need be.
    Page& allocate();
    // A new page after the end of the file, all zeros, of which the free-page map
    // is not told (the map's own pages of bits).
    Page& appendPage();
    // The pages of the file once this operation is written.
    uint32_t pageCountSoFar();
    // Gives a page back to the free-page map (its content is left as it was).
    void release(uint32_t number);

    // Gives every edited and new page to the file's write group; the writer can
    // then start a next operation.
    void commit();
    // Forgets every edit since the last commit: the operation failed.
    void discard();

  private:
    uint32_t findFree();
    void markFree(uint32_t number, bool free);

    PageFile& file_;
    std::map<uint32_t, std::shared_ptr<Page>> edited_;
    uint32_t nextNew_;  // the number the next page added at the end gets
    std::set<uint32_t> released_;
};

}  // namespace pelmora::engine::jet

// The index pages of an open file, read and written within the write
// operations of a PageWriter: a page an index takes comes from the database's
// free-page map (or the end of the file) and is marked in the index's usage
// map; a page it gives back is cleared there and returned to the free-page map.
#pragma once

#include "db/engine/jet/IndexTree.h"
#include "db/engine/jet/PageWriter.h"

namespace pelmora::engine::jet {

class WriterIndexStore : public IndexPageStore {
  public:
    explicit WriterIndexStore(PageWriter& writer) : writer_(writer) {}

    const Format& format() const override { return writer_.format(); }
    PageRef read(uint32_t number) override { return writer_.read(number, "un índice"); }
    void write(uint32_t number, const std::vector<uint8_t>& bytes) override;
    uint32_t allocate(const RealIndex& index) override;
    void release(const RealIndex& index, uint32_t number) override;

  private:
    PageWriter& writer_;
};

}  // namespace pelmora::engine::jet

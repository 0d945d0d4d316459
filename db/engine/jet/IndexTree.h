// Changes to the B-tree of one physical index (page layout in IndexPages.h):
// an entry added where it sorts, an entry removed, a key looked up. A page that
// overflows is split in two (the new page takes the first entries, so the old
// page keeps its place as its parent's tail), at a point where both halves fit
// with their own shared prefix, whatever the order of the keys and however many
// repeat, up to the root, whose page number never changes: the definition
// points to it. An entry that would open a leaf goes to the end of the leaf
// before it when there is room there. A page left empty is unlinked and given
// back. Pages are kept decoded from one operation to the next, with the bytes
// they came from: a page whose bytes in the store differ (another operation was
// not committed, or wrote it) is decoded again.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/jet/IndexPages.h"

namespace pelmora::engine::jet {

// Where the index's pages come from: whole pages read and written, new pages
// taken for the index (marked in its usage map) and pages given back.
class IndexPageStore {
  public:
    virtual ~IndexPageStore() = default;
    virtual const Format& format() const = 0;
    virtual PageRef read(uint32_t number) = 0;
    virtual void write(uint32_t number, const std::vector<uint8_t>& bytes) = 0;
    virtual uint32_t allocate(const RealIndex& index) = 0;
    virtual void release(const RealIndex& index, uint32_t number) = 0;
};

class IndexTree {
  public:
    // `table`: the first page of the table's definition; `what` names the index in messages.
    IndexTree(IndexPageStore& store, const RealIndex& index, uint32_t table, std::string what);

    // Adds a leaf entry (key and row place); an entry already there is a logic error.
    void insert(const std::string& entry);
    // Removes the entry; false when it is not in the tree.
    bool remove(const std::string& entry);
    // Whether some entry has exactly this key; the row `except` (a packed place, or
    // UINT32_MAX for none) does not count.
    bool containsKey(std::string_view key, uint32_t except = UINT32_MAX);

    // Writes every page changed since the last commit and gives back the pages
    // left empty; discard() forgets the changes (and every page read).
    void commit();
    void discard();

    // The largest entry a page of this index accepts: two must fit on a page.
    size_t largestEntry() const;
    uint32_t rootPage() const { return index_.rootPage; }

  private:
    struct Step {
        uint32_t page;
        IndexPage* node;
    };
    struct Cached {
        IndexPage page;
        std::vector<uint8_t> bytes;  // what the store held when decoded (or written)
    };
    IndexPage& page(uint32_t number);
    IndexPage& created(uint32_t number);
    void touch(uint32_t number) { dirty_.insert(number); }
    std::vector<Step> descend(std::string_view probe, bool growLast);
    bool appendToPrevious(uint32_t previous, const std::string& entry);
    void settle(std::vector<Step>& path, size_t added);
    void split(std::vector<Step>& path, size_t level, size_t added);
    void splitRoot(Step& root, size_t added);
    std::string cut(uint32_t number, IndexPage& p, size_t m, uint32_t fresh);
    size_t splitPoint(const IndexPage& p, size_t added) const;
    void unlinkEmpty(std::vector<Step>& path, size_t level);
    void replaceLast(std::vector<Step>& path, size_t level, const std::string& last);
    void link(uint32_t left, uint32_t right);
    void separateChildren(uint32_t leftNode, uint32_t rightNode);
    std::string subtreeLast(uint32_t number);
    void normalize(IndexPage& node);
    bool fits(const IndexPage& page) const;

    IndexPageStore& store_;
    RealIndex index_;
    uint32_t table_;
    std::string what_;
    std::map<uint32_t, Cached> pages_;
    std::set<uint32_t> checked_;  // pages found current in this operation
    std::set<uint32_t> dirty_;
    std::vector<uint32_t> released_;
};

}  // namespace pelmora::engine::jet

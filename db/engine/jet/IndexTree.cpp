#include "db/engine/jet/IndexTree.h"

#include <algorithm>

#include "db/engine/Error.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kPlace = 4;  // u24 page + u8 row after the key
constexpr size_t kChild = 4;  // node entries: u32 child page
constexpr size_t kMaxDepth = 32;

size_t lowerBound(const IndexPage& page, std::string_view probe) {
    auto it = std::lower_bound(page.entries.begin(), page.entries.end(), probe,
                               [](const IndexEntry& e, std::string_view p) { return e.bytes < p; });
    return static_cast<size_t>(it - page.entries.begin());
}

// Position of `child` among a node's stored children; children.size() for its tail.
size_t slotOf(const IndexPage& node, uint32_t child) {
    if (node.tail == child) return node.children.size();
    auto it = std::find(node.children.begin(), node.children.end(), child);
    return static_cast<size_t>(it - node.children.begin());
}

// The first m in [from, to) for which `holds` is true, given that it stays true
// after it; `to` when there is none.
template <typename Test>
size_t firstWhere(size_t from, size_t to, Test holds) {
    while (from < to) {
        const size_t mid = from + (to - from) / 2;
        if (holds(mid))
            to = mid;
        else
            from = mid + 1;
    }
    return from;
}

uint32_t packedPlace(std::string_view entry) {
    uint32_t v = 0;
    for (size_t i = entry.size() - kPlace; i < entry.size(); ++i)
        v = v << 8 | static_cast<uint8_t>(entry[i]);
    return v;
}

}  // namespace

IndexTree::IndexTree(IndexPageStore& store, const RealIndex& index, uint32_t table,
                     std::string what)
    : store_(store), index_(index), table_(table), what_(std::move(what)) {}

size_t IndexTree::largestEntry() const {
    return indexEntryArea(store_.format()) / 3 - kChild;
}

IndexPage& IndexTree::page(uint32_t number) {
    auto found = pages_.find(number);
    if (found != pages_.end() && checked_.count(number)) return found->second.page;
    PageRef raw = store_.read(number);
    checked_.insert(number);
    if (found != pages_.end() && found->second.bytes.size() == raw->size() &&
        std::equal(found->second.bytes.begin(), found->second.bytes.end(), raw->data()))
        return found->second.page;
    Cached& cached = pages_[number];
    cached.page = decodeIndexPage(*raw, store_.format(), table_, what_);
    cached.bytes.assign(raw->data(), raw->data() + raw->size());
    return cached.page;
}

IndexPage& IndexTree::created(uint32_t number) {
    Cached& cached = pages_[number] = Cached{};
    checked_.insert(number);
    return cached.page;
}

bool IndexTree::fits(const IndexPage& p) const {
    return indexEntriesSize(store_.format(), p) <= indexEntryArea(store_.format());
}

std::vector<IndexTree::Step> IndexTree::descend(std::string_view probe, bool growLast) {
    if (index_.rootPage == 0) throw Error(what_ + ": el índice no tiene página raíz");
    std::vector<Step> path;
    for (uint32_t number = index_.rootPage;;) {
        if (path.size() > kMaxDepth)
            store_.read(number)->corrupt(what_ + ": el árbol es demasiado profundo");
        IndexPage& p = page(number);
        path.push_back({number, &p});
        if (p.leaf) return path;
        const size_t at = lowerBound(p, probe);
        if (at < p.entries.size()) {
            number = p.children[at];
        } else if (p.tail) {
            number = p.tail;
        } else if (!p.entries.empty()) {
            // The new entry becomes the last of this node's last child.
            if (growLast) {
                p.entries.back().bytes = std::string(probe);
                touch(number);
            }
            number = p.children.back();
        } else {
            store_.read(number)->corrupt(what_ + ": una página de nodo no tiene hijos");
        }
    }
}

void IndexTree::insert(const std::string& entry) {
    std::vector<Step> path = descend(entry, true);
    IndexPage& leaf = *path.back().node;
    const size_t at = lowerBound(leaf, entry);
    if (at < leaf.entries.size() && leaf.entries[at].bytes == entry)
        throw Error(what_ + ": la fila ya tiene su entrada en el índice");
    if (at == 0 && leaf.prev && appendToPrevious(leaf.prev, entry)) return;
    leaf.entries.insert(leaf.entries.begin() + static_cast<long>(at), IndexEntry{entry});
    touch(path.back().page);
    settle(path, at);
}

// An entry that would come first on its leaf goes last on the leaf before it
// when it fits there: a run of keys growing in the middle of the index (rows
// marked one after another) then fills that leaf instead of splitting others.
bool IndexTree::appendToPrevious(uint32_t previous, const std::string& entry) {
    IndexPage& before = page(previous);
    if (before.entries.empty()) return false;
    std::vector<Step> path = descend(before.entries.back().bytes, false);
    if (path.back().page != previous) return false;
    before.entries.push_back(IndexEntry{entry});
    if (!fits(before)) {
        before.entries.pop_back();
        return false;
    }
    touch(previous);
    replaceLast(path, path.size() - 1, entry);
    settle(path, before.entries.size() - 1);
    return true;
}

// Splits the pages of `path` left too full, from the bottom up: the bottom page
// took an entry at `added`; a node above it changed the entry of the child below
// it (a longer entry, or one sharing less with the others, takes more room).
void IndexTree::settle(std::vector<Step>& path, size_t added) {
    for (size_t level = path.size(); level-- > 0;) {
        IndexPage& p = *path[level].node;
        if (fits(p)) continue;
        split(path, level, level + 1 == path.size() ? added : slotOf(p, path[level + 1].page));
    }
}

bool IndexTree::remove(const std::string& entry) {
    std::vector<Step> path = descend(entry, false);
    IndexPage& leaf = *path.back().node;
    const size_t at = lowerBound(leaf, entry);
    if (at == leaf.entries.size() || leaf.entries[at].bytes != entry) return false;
    const bool wasLast = at + 1 == leaf.entries.size();
    leaf.entries.erase(leaf.entries.begin() + static_cast<long>(at));
    touch(path.back().page);
    if (leaf.entries.empty()) {
        if (path.size() > 1) unlinkEmpty(path, path.size() - 1);
    } else if (wasLast) {
        replaceLast(path, path.size() - 1, leaf.entries.back().bytes);
    }
    // A node entry replaced by a longer one, or one sharing less, can outgrow its page.
    settle(path, at);
    return true;
}

bool IndexTree::containsKey(std::string_view key, uint32_t except) {
    std::vector<Step> path = descend(key, false);
    const IndexPage* leaf = path.back().node;
    for (size_t at = lowerBound(*leaf, key);; ++at) {
        if (at == leaf->entries.size()) {
            if (leaf->next == 0) return false;
            leaf = &page(leaf->next);
            at = 0;
            if (leaf->entries.empty()) return false;
        }
        const std::string& e = leaf->entries[at].bytes;
        if (e.compare(0, key.size(), key) != 0) return false;
        if (e.size() == key.size() + kPlace && packedPlace(e) != except) return true;
    }
}

// A page too full: its first entries move to a new page placed before it, and
// the parent takes that page's last entry.
void IndexTree::split(std::vector<Step>& path, size_t level, size_t added) {
    if (level == 0) return splitRoot(path[0], added);
    const uint32_t number = path[level].page;
    IndexPage& p = *path[level].node;
    const uint32_t fresh = store_.allocate(index_);
    const std::string separator = cut(number, p, splitPoint(p, added), fresh);
    IndexPage& parent = *path[level - 1].node;
    const size_t slot = slotOf(parent, number);
    parent.entries.insert(parent.entries.begin() + static_cast<long>(slot), IndexEntry{separator});
    parent.children.insert(parent.children.begin() + static_cast<long>(slot), fresh);
    normalize(parent);
    touch(path[level - 1].page);
    if (!fits(parent)) split(path, level - 1, slot);
}

// The root keeps its page: its entries go to two new pages, and it becomes their node.
void IndexTree::splitRoot(Step& root, size_t added) {
    const size_t m = splitPoint(*root.node, added);
    const uint32_t leftNumber = store_.allocate(index_);
    const uint32_t rightNumber = store_.allocate(index_);
    IndexPage& right = created(rightNumber);
    right = std::move(*root.node);
    const std::string separator = cut(rightNumber, right, m, leftNumber);
    IndexPage& r = *root.node;
    r = IndexPage{};
    r.leaf = false;
    r.entries.push_back(IndexEntry{separator});
    r.children.push_back(leftNumber);
    r.tail = rightNumber;
    touch(root.page);
}

// Moves the first `m` entries of page `number` (with their children) to the new
// page `fresh`, linked before it; returns the new page's last entry.
std::string IndexTree::cut(uint32_t number, IndexPage& p, size_t m, uint32_t fresh) {
    IndexPage& left = created(fresh);
    left.leaf = p.leaf;
    left.entries.assign(std::make_move_iterator(p.entries.begin()),
                        std::make_move_iterator(p.entries.begin() + static_cast<long>(m)));
    p.entries.erase(p.entries.begin(), p.entries.begin() + static_cast<long>(m));
    if (!p.leaf) {
        left.children.assign(p.children.begin(), p.children.begin() + static_cast<long>(m));
        p.children.erase(p.children.begin(), p.children.begin() + static_cast<long>(m));
    }
    std::string separator = left.entries.back().bytes;
    normalize(left);
    normalize(p);
    left.prev = p.prev;
    if (p.prev) {
        page(p.prev).next = fresh;
        touch(p.prev);
    }
    link(fresh, number);
    if (!p.leaf) separateChildren(fresh, number);
    touch(fresh);
    touch(number);
    return separator;
}

// Where a page too full is cut: its first `m` entries go to a new page. Both
// pages must fit as they will be stored: a page's entries share the prefix of
// its own first and last (a page that starts with a smaller key than a run of
// equal ones loses it), and a node's last child becomes its tail. The left page
// grows and the right one shrinks with `m`, so the cuts that fit are a range. An
// entry `added` last keeps the left page full (keys added in ascending order),
// one added first goes nearly alone (keys added in descending order, or appended
// to the leaf before, see appendToPrevious, fill its page), any other halves the
// bytes.
size_t IndexTree::splitPoint(const IndexPage& p, size_t added) const {
    const size_t n = p.entries.size();
    const size_t area = indexEntryArea(store_.format());
    const Format& f = store_.format();
    const auto left = [&](size_t m) {
        return indexEntriesSize(f, p, 0, p.leaf || m < 2 ? m : m - 1);
    };
    const auto right = [&](size_t m) {
        return indexEntriesSize(f, p, m, !p.leaf && !p.tail && n - m >= 2 ? n - 1 : n);
    };
    const size_t lo = firstWhere(1, n, [&](size_t m) { return right(m) <= area; });
    const size_t hi = firstWhere(1, n, [&](size_t m) { return left(m) > area; }) - 1;
    if (lo > hi) throw Error(what_ + ": una entrada no cabe en una página de índice");
    if (added + 1 == n) return hi;
    if (added == 0) return lo;
    const auto larger = [&](size_t m) { return std::max(left(m), right(m)); };
    size_t m = firstWhere(lo, hi, [&](size_t m) { return left(m) >= right(m); });
    if (m > lo && larger(m - 1) < larger(m)) --m;
    return m;
}

// A page left without entries leaves the tree, and `path`; its parent may follow.
void IndexTree::unlinkEmpty(std::vector<Step>& path, size_t level) {
    const uint32_t number = path[level].page;
    const IndexPage& p = *path[level].node;
    if (p.prev) {
        page(p.prev).next = p.next;
        touch(p.prev);
    }
    if (p.next) {
        page(p.next).prev = p.prev;
        touch(p.next);
    }
    path.resize(level);
    IndexPage& parent = *path[level - 1].node;
    const uint32_t parentNumber = path[level - 1].page;
    const size_t slot = slotOf(parent, number);
    const bool lastChild =
        slot == parent.children.size() || (!parent.tail && slot + 1 == parent.children.size());
    if (slot == parent.children.size()) {
        parent.tail = 0;
    } else {
        parent.entries.erase(parent.entries.begin() + static_cast<long>(slot));
        parent.children.erase(parent.children.begin() + static_cast<long>(slot));
    }
    pages_.erase(number);
    checked_.erase(number);
    dirty_.erase(number);
    released_.push_back(number);
    touch(parentNumber);
    if (parent.entries.empty() && !parent.tail) {
        if (level - 1 > 0) return unlinkEmpty(path, level - 1);
        parent = IndexPage{};  // the root, empty again: a leaf
        return;
    }
    const std::string last = parent.entries.empty() ? std::string() : parent.entries.back().bytes;
    normalize(parent);
    if (lastChild && level - 1 > 0) replaceLast(path, level - 1, last);
}

// The last entry under path[level] is now `last`: the ancestors that name it follow.
void IndexTree::replaceLast(std::vector<Step>& path, size_t level, const std::string& last) {
    for (size_t l = level; l > 0; --l) {
        IndexPage& parent = *path[l - 1].node;
        const size_t slot = slotOf(parent, path[l].page);
        if (slot == parent.children.size()) continue;  // the tail: its entry is not stored
        parent.entries[slot].bytes = last;
        touch(path[l - 1].page);
        if (parent.tail || slot + 1 != parent.children.size()) return;
    }
}

void IndexTree::link(uint32_t left, uint32_t right) {
    page(left).next = right;
    page(right).prev = left;
}

// Node pages are linked only to pages of the same parent: when two nodes part,
// so do the node pages under them (leaves stay linked from first to last).
void IndexTree::separateChildren(uint32_t leftNode, uint32_t rightNode) {
    const IndexPage& left = page(leftNode);
    const uint32_t lastChild = left.tail ? left.tail : left.children.back();
    const IndexPage& right = page(rightNode);
    const uint32_t firstChild = right.children.empty() ? right.tail : right.children.front();
    if (page(lastChild).leaf) return;
    page(lastChild).next = 0;
    page(firstChild).prev = 0;
    touch(lastChild);
    touch(firstChild);
}

std::string IndexTree::subtreeLast(uint32_t number) {
    for (size_t depth = 0; depth <= kMaxDepth; ++depth) {
        const IndexPage& p = page(number);
        if (p.leaf) {
            if (p.entries.empty()) break;
            return p.entries.back().bytes;
        }
        number = p.tail ? p.tail : p.children.empty() ? 0 : p.children.back();
        if (number == 0) break;
    }
    store_.read(index_.rootPage)
        ->corrupt(what_ + ": una rama del árbol no termina en una hoja con entradas");
}

// A node of several children names its last one as the tail; one of a single child stores it.
void IndexTree::normalize(IndexPage& node) {
    if (node.leaf) return;
    if (!node.tail && node.children.size() >= 2) {
        node.tail = node.children.back();
        node.children.pop_back();
        node.entries.pop_back();
    } else if (node.tail && node.children.empty()) {
        node.entries.push_back(IndexEntry{subtreeLast(node.tail)});
        node.children.push_back(node.tail);
        node.tail = 0;
    }
}

void IndexTree::commit() {
    const Format& format = store_.format();
    for (uint32_t number : dirty_) {
        Cached& cached = pages_.at(number);
        cached.bytes = encodeIndexPage(format, cached.page, table_);
        store_.write(number, cached.bytes);
    }
    dirty_.clear();
    checked_.clear();
    for (uint32_t number : released_) store_.release(index_, number);
    released_.clear();
}

void IndexTree::discard() {
    pages_.clear();
    checked_.clear();
    dirty_.clear();
    released_.clear();
}

}  // namespace pelmora::engine::jet

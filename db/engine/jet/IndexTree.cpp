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
    return indexEntriesSize(p) <= indexEntryArea(store_.format());
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
    leaf.entries.insert(leaf.entries.begin() + static_cast<long>(at), IndexEntry{entry});
    touch(path.back().page);
    if (!fits(leaf)) split(path, path.size() - 1);
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

// A page too full: its first entries move to a new page placed before it.
void IndexTree::split(std::vector<Step>& path, size_t level) {
    if (level == 0) return splitRoot(path[0]);
    const uint32_t number = path[level].page;
    IndexPage& p = *path[level].node;
    const size_t n = p.entries.size();
    // Entries added in order go to the rightmost page: keep it nearly full then.
    size_t m = 0;
    if (p.next == 0 && n > 2) {
        const size_t head = p.leaf ? n - 1 : (p.tail ? n - 1 : n - 2);
        if (indexEntriesSize(p, 0, head) <= indexEntryArea(store_.format())) m = head;
    }
    if (m == 0) {
        const size_t half = indexEntriesSize(p) / 2;
        while (m + 1 < n && indexEntriesSize(p, 0, m + 1) <= half) ++m;
        m = std::max<size_t>(m, 1);
        if (!p.leaf && !p.tail) m = std::min(m, n - 1);
    }
    if (m == 0 || m > (p.leaf || !p.tail ? n - 1 : n))
        throw Error(what_ + ": una entrada no cabe en una página de índice");
    const uint32_t fresh = store_.allocate(index_);
    IndexPage& left = created(fresh);
    left.leaf = p.leaf;
    left.entries.assign(std::make_move_iterator(p.entries.begin()),
                        std::make_move_iterator(p.entries.begin() + static_cast<long>(m)));
    p.entries.erase(p.entries.begin(), p.entries.begin() + static_cast<long>(m));
    if (!p.leaf) {
        left.children.assign(p.children.begin(), p.children.begin() + static_cast<long>(m));
        p.children.erase(p.children.begin(), p.children.begin() + static_cast<long>(m));
    }
    const std::string separator = left.entries.back().bytes;
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
    if (!fits(left) || !fits(p))
        throw Error(what_ + ": una entrada no cabe en una página de índice");

    IndexPage& parent = *path[level - 1].node;
    const size_t slot = slotOf(parent, number);
    parent.entries.insert(parent.entries.begin() + static_cast<long>(slot), IndexEntry{separator});
    parent.children.insert(parent.children.begin() + static_cast<long>(slot), fresh);
    normalize(parent);
    touch(path[level - 1].page);
    if (!fits(parent)) split(path, level - 1);
}

// The root keeps its page: its entries go to two new pages, and it becomes their node.
void IndexTree::splitRoot(Step& root) {
    IndexPage& r = *root.node;
    const size_t n = r.entries.size();
    if (n < 2) throw Error(what_ + ": una entrada no cabe en una página de índice");
    size_t m = r.leaf || r.tail ? n - 1 : n - 2;
    if (m == 0 || indexEntriesSize(r, 0, m) > indexEntryArea(store_.format())) {
        const size_t half = indexEntriesSize(r) / 2;
        m = 1;
        while (m + 1 < n && indexEntriesSize(r, 0, m + 1) <= half) ++m;
    }
    const uint32_t leftNumber = store_.allocate(index_);
    const uint32_t rightNumber = store_.allocate(index_);
    IndexPage& left = created(leftNumber);
    IndexPage& right = created(rightNumber);
    left.leaf = right.leaf = r.leaf;
    left.entries.assign(r.entries.begin(), r.entries.begin() + static_cast<long>(m));
    right.entries.assign(r.entries.begin() + static_cast<long>(m), r.entries.end());
    if (!r.leaf) {
        left.children.assign(r.children.begin(), r.children.begin() + static_cast<long>(m));
        right.children.assign(r.children.begin() + static_cast<long>(m), r.children.end());
        right.tail = r.tail;
    }
    const std::string separator = left.entries.back().bytes;
    normalize(left);
    normalize(right);
    link(leftNumber, rightNumber);
    if (!r.leaf) separateChildren(leftNumber, rightNumber);
    r = IndexPage{};
    r.leaf = false;
    r.entries.push_back(IndexEntry{separator});
    r.children.push_back(leftNumber);
    r.tail = rightNumber;
    touch(root.page);
    touch(leftNumber);
    touch(rightNumber);
    if (!fits(left) || !fits(right))
        throw Error(what_ + ": una entrada no cabe en una página de índice");
}

// A page left without entries leaves the tree; its parent may follow.
void IndexTree::unlinkEmpty(std::vector<Step>& path, size_t level) {
    const uint32_t number = path[level].page;
    IndexPage& p = *path[level].node;
    if (p.prev) {
        page(p.prev).next = p.next;
        touch(p.prev);
    }
    if (p.next) {
        page(p.next).prev = p.prev;
        touch(p.next);
    }
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

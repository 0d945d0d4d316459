#include "db/engine/jet/IndexPages.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace pelmora::engine::jet {

namespace {

constexpr size_t kPlace = 4;  // u24 page + u8 row
constexpr size_t kChild = 4;  // node entries: u32 child page
constexpr int kMaxDepth = 32;

// The bytes the entries of a page share with its first, as far as the prefix
// length field counts (Jet3: one byte).
size_t sharedPrefix(const Format& format, std::string_view a, std::string_view b) {
    const size_t most = format.indexPrefixLengthSize == 1 ? 0xFF : 0xFFFF;
    size_t n = 0;
    while (n < most && n < a.size() && n < b.size() && a[n] == b[n]) ++n;
    return n;
}

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void appendBigEndian(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift);
}

uint32_t bigEndian(std::string_view b, size_t at, int length) {
    uint32_t v = 0;
    for (int i = 0; i < length; ++i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
    return v;
}

struct Walk {
    PageFile& file;
    uint32_t table;
    const std::string& what;
    std::vector<std::string>& problems;
    std::vector<IndexEntry> entries;
    std::unordered_set<uint32_t> seen;
    uint32_t lastLeaf = 0, lastLeafNext = 0;

    // Leaves are linked in tree order, each to the one before and the one after.
    void chain(uint32_t number, const IndexPage& page) {
        if (page.prev != lastLeaf || (lastLeaf && lastLeafNext != number))
            problems.push_back(what + ": la hoja " + std::to_string(number) +
                               " no está enlazada con la hoja " + std::to_string(lastLeaf) +
                               " que la precede");
        lastLeaf = number;
        lastLeafNext = page.next;
    }
    void endChain() {
        if (lastLeafNext != 0)
            problems.push_back(what + ": la última hoja " + std::to_string(lastLeaf) +
                               " enlaza con la página " + std::to_string(lastLeafNext));
    }

    void visit(uint32_t number, int depth) {
        if (depth > kMaxDepth) file.corrupt(what + ": el árbol es demasiado profundo");
        if (!seen.insert(number).second)
            file.corrupt(what + ": la página " + std::to_string(number) +
                         " aparece dos veces en el árbol (ciclo)");
        IndexPage page = readIndexPage(file, number, table, what);
        if (page.leaf) {
            chain(number, page);
            for (auto& e : page.entries) {
                if (!entries.empty() && !(entries.back().bytes < e.bytes))
                    problems.push_back(what + ": la entrada de la página " +
                                       std::to_string(number) + " no sigue el orden de las claves");
                entries.push_back(std::move(e));
            }
            return;
        }
        for (size_t i = 0; i < page.children.size(); ++i) {
            visit(page.children[i], depth + 1);
            if (entries.empty() || entries.back().bytes != page.entries[i].bytes)
                problems.push_back(what + ": la entrada " + std::to_string(i) + " de la página " +
                                   std::to_string(number) + " no es la última de la página " +
                                   std::to_string(page.children[i]));
        }
        if (page.tail && (page.children.empty() || page.tail != page.children.back()))
            visit(page.tail, depth + 1);
    }
};

}  // namespace

RowPointer IndexEntry::row() const {
    return {bigEndian(bytes, bytes.size() - kPlace, 3), static_cast<uint8_t>(bytes.back())};
}

IndexPage readIndexPage(PageFile& file, uint32_t number, uint32_t table, const std::string& what) {
    PageRef page = file.page(number, what.c_str());
    return decodeIndexPage(*page, file.format(), table, what);
}

IndexPage decodeIndexPage(const Page& page, const Format& f, uint32_t table,
                          const std::string& what) {
    if (page.type() != PageType::IndexLeaf && page.type() != PageType::IndexNode)
        page.corrupt(what + " espera una página de índice y encuentra una de tipo " +
                     std::to_string(static_cast<int>(page.type())) + " (" +
                     pageTypeName(page.type()) + ")");
    if (page.u32(4) != table) page.corrupt(what + " llega a una página de índice de otra tabla");
    IndexPage result;
    result.leaf = page.type() == PageType::IndexLeaf;
    result.prev = page.u32(f.indexPrev);
    result.next = page.u32(f.indexNext);
    result.tail = page.u32(f.indexTail);
    const size_t prefixLength =
        f.indexPrefixLengthSize == 1 ? page.u8(f.indexPrefixLength) : page.u16(f.indexPrefixLength);
    const size_t area = page.size() - f.indexEntries;
    const size_t trailer = result.leaf ? kPlace : kPlace + kChild;
    std::string prefix;
    size_t start = 0;
    for (size_t bit = 0; bit <= area; ++bit) {
        if (!(page.u8(f.indexEntryMask + bit / 8) & (1 << (bit % 8)))) continue;
        std::string_view stored = page.bytes(f.indexEntries + start, bit - start);
        IndexEntry entry;
        if (result.entries.empty()) {
            if (stored.size() < prefixLength)
                page.corrupt(what + ": la primera entrada es más corta que su prefijo");
            prefix = std::string(stored.substr(0, prefixLength));
            entry.bytes = std::string(stored);
        } else {
            entry.bytes = prefix + std::string(stored);
        }
        if (entry.bytes.size() < trailer + 1)
            page.corrupt(what + ": una entrada es demasiado corta");
        if (!result.leaf) {
            result.children.push_back(bigEndian(entry.bytes, entry.bytes.size() - kChild, 4));
            entry.bytes.resize(entry.bytes.size() - kChild);
        }
        result.entries.push_back(std::move(entry));
        start = bit;
    }
    return result;
}

size_t indexEntryArea(const Format& format) {
    return format.pageSize - format.indexEntries;
}

size_t indexEntriesSize(const Format& format, const IndexPage& page) {
    return indexEntriesSize(format, page, 0, page.entries.size());
}

size_t indexEntriesSize(const Format& format, const IndexPage& page, size_t from, size_t to) {
    if (from >= to) return 0;
    const size_t trailer = page.leaf ? 0 : kChild;
    const std::string& first = page.entries[from].bytes;
    // Entries differ before their child numbers, so a node's shared prefix never reaches them.
    const size_t prefix =
        to - from > 1 ? sharedPrefix(format, first, page.entries[to - 1].bytes) : 0;
    size_t total = first.size() + trailer;
    for (size_t i = from + 1; i < to; ++i) total += page.entries[i].bytes.size() + trailer - prefix;
    return total;
}

namespace {

// Whether the page's entries fit its entry area without sharing a prefix: Access
// shares one only on pages that need it.
bool fitsWhole(const Format& f, const IndexPage& page) {
    size_t total = 0;
    for (const IndexEntry& e : page.entries) total += e.bytes.size() + (page.leaf ? 0 : kChild);
    return total <= indexEntryArea(f);
}

}  // namespace

std::vector<uint8_t> encodeIndexPage(const Format& f, const IndexPage& page, uint32_t table,
                                     int prefixLength) {
    std::vector<uint8_t> out(f.pageSize, 0);
    out[0] = static_cast<uint8_t>(page.leaf ? PageType::IndexLeaf : PageType::IndexNode);
    out[1] = 0x01;
    putU32(out, 4, table);
    putU32(out, f.indexPrev, page.prev);
    putU32(out, f.indexNext, page.next);
    putU32(out, f.indexTail, page.tail);
    // An entry as stored: its key, and on a node the child page after it. Leaf
    // entries are read in place; only node entries are put together.
    std::string scratch;
    const auto stored = [&](size_t i) -> std::string_view {
        if (page.leaf) return page.entries[i].bytes;
        scratch = page.entries[i].bytes;
        appendBigEndian(scratch, page.children.at(i));
        return scratch;
    };
    const size_t count = page.entries.size();
    size_t prefix = 0;
    if (prefixLength >= 0) {
        prefix = static_cast<size_t>(prefixLength);
    } else if (count > 1 && !fitsWhole(f, page)) {
        const std::string first(stored(0));
        prefix = sharedPrefix(f, first, stored(count - 1));
    }
    if (f.indexPrefixLengthSize == 1) {
        out[f.indexPrefixLength] = static_cast<uint8_t>(prefix);
        out[f.indexPrefixLength + 1] = page.leaf ? 0 : 1;
    } else {
        out[f.indexPrefixLength] = static_cast<uint8_t>(prefix);
        out[f.indexPrefixLength + 1] = static_cast<uint8_t>(prefix >> 8);
        out[f.indexPrefixLength + 2] = page.leaf ? 0 : 1;
    }
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view bytes = stored(i).substr(i == 0 ? 0 : prefix);
        if (f.indexEntries + at + bytes.size() > f.pageSize)
            throw std::logic_error("las entradas no caben en la página de índice");
        std::copy(bytes.begin(), bytes.end(), out.begin() + f.indexEntries + at);
        at += bytes.size();
        out[f.indexEntryMask + at / 8] |= static_cast<uint8_t>(1 << (at % 8));
    }
    const size_t freeSpace = f.pageSize - f.indexEntries - at;
    out[2] = static_cast<uint8_t>(freeSpace);
    out[3] = static_cast<uint8_t>(freeSpace >> 8);
    return out;
}

std::vector<IndexEntry> readIndexEntries(PageFile& file, const RealIndex& index, uint32_t table,
                                         const std::string& what,
                                         std::vector<std::string>& problems) {
    std::vector<uint32_t> pages;
    return readIndexEntries(file, index, table, what, problems, pages);
}

std::vector<IndexEntry> readIndexEntries(PageFile& file, const RealIndex& index, uint32_t table,
                                         const std::string& what,
                                         std::vector<std::string>& problems,
                                         std::vector<uint32_t>& pages) {
    Walk walk{file, table, what, problems, {}, {}, 0, 0};
    if (index.rootPage != 0) {
        walk.visit(index.rootPage, 0);
        walk.endChain();
    }
    pages.assign(walk.seen.begin(), walk.seen.end());
    std::sort(pages.begin(), pages.end());
    return std::move(walk.entries);
}

}  // namespace pelmora::engine::jet

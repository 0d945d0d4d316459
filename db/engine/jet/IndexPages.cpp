#include "db/engine/jet/IndexPages.h"

#include <unordered_set>

namespace pelmora::engine::jet {

namespace {

constexpr size_t kPlace = 4;       // u24 page + u8 row
constexpr size_t kChild = 4;       // node entries: u32 child page
constexpr int kMaxDepth = 32;

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

    void visit(uint32_t number, int depth) {
        if (depth > kMaxDepth) file.corrupt(what + ": el árbol es demasiado profundo");
        if (!seen.insert(number).second)
            file.corrupt(what + ": la página " + std::to_string(number) +
                         " aparece dos veces en el árbol (ciclo)");
        IndexPage page = readIndexPage(file, number, table, what);
        if (page.leaf) {
            for (auto& e : page.entries) {
                if (!entries.empty() && !(entries.back().bytes < e.bytes))
                    problems.push_back(what + ": la entrada de la página " + std::to_string(number) +
                                       " no sigue el orden de las claves");
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
    const Format& f = file.format();
    PageRef page = file.page(number, what.c_str());
    if (page->type() != PageType::IndexLeaf && page->type() != PageType::IndexNode)
        page->corrupt(what + " espera una página de índice y encuentra una de tipo " +
                      std::to_string(static_cast<int>(page->type())) + " (" +
                      pageTypeName(page->type()) + ")");
    if (page->u32(4) != table) page->corrupt(what + " llega a una página de índice de otra tabla");
    IndexPage result;
    result.leaf = page->type() == PageType::IndexLeaf;
    result.prev = page->u32(f.indexPrev);
    result.next = page->u32(f.indexNext);
    result.tail = page->u32(f.indexTail);
    const size_t prefixLength =
        f.indexPrefixLengthSize == 1 ? page->u8(f.indexPrefixLength) : page->u16(f.indexPrefixLength);
    const size_t area = page->size() - f.indexEntries;
    const size_t trailer = result.leaf ? kPlace : kPlace + kChild;
    std::string prefix;
    size_t start = 0;
    for (size_t bit = 0; bit <= area; ++bit) {
        if (!(page->u8(f.indexEntryMask + bit / 8) & (1 << (bit % 8)))) continue;
        std::string_view stored = page->bytes(f.indexEntries + start, bit - start);
        IndexEntry entry;
        if (result.entries.empty()) {
            if (stored.size() < prefixLength) page->corrupt(what + ": la primera entrada es más corta que su prefijo");
            prefix = std::string(stored.substr(0, prefixLength));
            entry.bytes = std::string(stored);
        } else {
            entry.bytes = prefix + std::string(stored);
        }
        if (entry.bytes.size() < trailer + 1) page->corrupt(what + ": una entrada es demasiado corta");
        if (!result.leaf) {
            result.children.push_back(bigEndian(entry.bytes, entry.bytes.size() - kChild, 4));
            entry.bytes.resize(entry.bytes.size() - kChild);
        }
        result.entries.push_back(std::move(entry));
        start = bit;
    }
    return result;
}

std::vector<IndexEntry> readIndexEntries(PageFile& file, const RealIndex& index, uint32_t table,
                                         const std::string& what, std::vector<std::string>& problems) {
    Walk walk{file, table, what, problems, {}, {}};
    if (index.rootPage != 0) walk.visit(index.rootPage, 0);
    return std::move(walk.entries);
}

}  // namespace pelmora::engine::jet

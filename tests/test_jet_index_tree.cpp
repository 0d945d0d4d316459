// Index pages written by the engine: every index page Access wrote in the
// fixtures encodes back to the same bytes, and a B-tree grown by tens of
// thousands of accented text keys in random order (several levels, many
// splits), then emptied again, reads back through the reader's own walk with
// every entry in order and every node entry equal to its child's last. So do
// trees of keys repeated hundreds of times, added in any order (pages full of
// one key that take others: test_jet_index_write, against mdbtools).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "db/engine/jet/Header.h"
#include "db/engine/jet/IndexTree.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/SortCodes.h"
#include "support/jet_oracles.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::engine::jet;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

// Pages in memory; page 0 stands for the header, the index starts at its root.
class MemoryStore : public IndexPageStore {
  public:
    explicit MemoryStore(const Format& f) : format_(f) {}
    const Format& format() const override { return format_; }
    PageRef read(uint32_t number) override {
        return std::make_shared<Page>(path_, number, pages_.at(number));
    }
    void write(uint32_t number, const std::vector<uint8_t>& bytes) override {
        pages_[number] = bytes;
        ++writes;
    }
    uint32_t allocate(const RealIndex&) override {
        owned.insert(next_);
        pages_[next_] = std::vector<uint8_t>(format_.pageSize, 0);
        return next_++;
    }
    void release(const RealIndex&, uint32_t number) override {
        owned.erase(number);
        pages_[number] = std::vector<uint8_t>(format_.pageSize, 0);
    }
    // The pages as a file the reader can walk.
    std::string save(const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        for (uint32_t n = 0; n < next_; ++n) {
            auto found = pages_.find(n);
            std::vector<uint8_t> bytes =
                found != pages_.end() ? found->second : std::vector<uint8_t>(format_.pageSize, 0);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        }
        return path;
    }

    std::set<uint32_t> owned;
    size_t writes = 0;

  private:
    const Format& format_;
    std::string path_ = "memoria";
    std::map<uint32_t, std::vector<uint8_t>> pages_;
    uint32_t next_ = 3;
};

constexpr uint32_t kTable = 1;
constexpr uint32_t kRoot = 2;

std::string randomWord(std::mt19937& random) {
    static const char* syllables[] = {"ca", "ñu", "mi", "ón", "Á", "to", "pe", "ré", "güe", "lla",
                                      "za", "ÑA", "sí", "ú",  "b", "x",  " ",  "de", "Co",  "9"};
    std::string word;
    const int length = 2 + static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) word += syllables[random() % 20];
    return word;
}

// The place of a made-up row after its key: u24 page and u8 row.
std::string placeFor(uint32_t row) {
    return std::string{static_cast<char>(row >> 16), static_cast<char>(row >> 8),
                       static_cast<char>(row), static_cast<char>(row % 200)};
}

std::string entryFor(const std::string& text, uint32_t row) {
    std::string entry = "\x7F";
    appendGeneralText(text, true, entry);
    return entry + placeFor(row);
}

struct TreeShape {
    size_t depth = 0;
    size_t pages = 0;
};

// An index of the store whose root is an empty leaf.
RealIndex emptyIndex(MemoryStore& store) {
    RealIndex index;
    index.rootPage = kRoot;
    store.write(kRoot, encodeIndexPage(kJet4, IndexPage{}, kTable));
    return index;
}

// Reads the saved tree with the reader: its entries and structural problems.
std::vector<std::string> readBack(const MemoryStore& store, const RealIndex& index,
                                  const std::string& dir, std::vector<std::string>& problems,
                                  TreeShape& shape) {
    PageFile file(store.save(dir + "/arbol.bin"));
    file.setFormat(kJet4);
    std::vector<std::string> entries;
    for (const auto& e : readIndexEntries(file, index, kTable, "índice", problems))
        entries.push_back(e.bytes);
    // Depth along the first children, and the leaves linked in order from the first.
    uint32_t number = index.rootPage;
    for (shape.depth = 1;; ++shape.depth) {
        IndexPage p = readIndexPage(file, number, kTable, "");
        if (p.leaf) break;
        number = p.children.empty() ? p.tail : p.children.front();
    }
    std::vector<std::string> chained;
    for (; number; ++shape.pages) {
        IndexPage p = readIndexPage(file, number, kTable, "");
        for (auto& e : p.entries) chained.push_back(e.bytes);
        number = p.next;
    }
    EXPECT_EQ(chained, entries) << "las hojas enlazadas no dan las entradas del árbol";
    return entries;
}

std::string keyOf(const std::string& entry) {
    return entry.substr(0, entry.size() - 4);
}

uint32_t placeOf(const std::string& entry) {
    uint32_t place = 0;
    for (size_t i = entry.size() - 4; i < entry.size(); ++i)
        place = place << 8 | static_cast<uint8_t>(entry[i]);
    return place;
}

// An empty tree in memory, with a folder to save it in for the reader.
struct EmptyTree {
    pelmora::prueba::TempDir dir;
    MemoryStore store{kJet4};
    RealIndex index = emptyIndex(store);
    IndexTree tree{store, index, kTable, "índice"};

    // The tree read back holds exactly `expected` (sorted), soundly; its shape.
    TreeShape expect(const std::vector<std::string>& expected) {
        std::vector<std::string> problems;
        TreeShape shape;
        EXPECT_EQ(readBack(store, index, dir.root().string(), problems, shape), expected);
        for (const auto& p : problems) ADD_FAILURE() << p;
        return shape;
    }
};

}  // namespace

TEST(JetIndexTree, AccessPagesEncodeToTheSameBytes) {
    const auto files = jetFixtures();
    if (files.empty())
        GTEST_SKIP() << "Faltan las bases de datos de prueba en " << PELMORA_FIXTURES;
    size_t pages = 0, nodes = 0;
    for (const auto& path : files) {
        JetFile jet(path);
        PageFile& file = jet.pages();
        const Format& f = file.format();
        for (const auto& entry : jet.catalog().tables()) {
            const auto table = jet.table(entry.name);
            const uint32_t owner = table->definition.pages.front();
            for (const auto& index : table->definition.realIndexes) {
                std::vector<uint32_t> todo{index.rootPage};
                while (!todo.empty()) {
                    const uint32_t number = todo.back();
                    todo.pop_back();
                    if (number == 0) continue;
                    PageRef raw = file.page(number);
                    const IndexPage page = decodeIndexPage(*raw, f, owner, entry.name);
                    const int prefix = f.indexPrefixLengthSize == 1 ? raw->u8(f.indexPrefixLength)
                                                                    : raw->u16(f.indexPrefixLength);
                    const auto bytes =
                        encodeIndexPage(f, page, owner, page.entries.size() > 1 ? prefix : 0);
                    const size_t end = f.pageSize - (bytes[2] | bytes[3] << 8);
                    SCOPED_TRACE(path + " página " + std::to_string(number));
                    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + static_cast<long>(end),
                                           raw->data()));
                    EXPECT_EQ(indexEntriesSize(f, page) <= indexEntryArea(f), true);
                    ++pages;
                    if (!page.leaf) {
                        ++nodes;
                        todo.insert(todo.end(), page.children.begin(), page.children.end());
                        todo.push_back(page.tail);
                    }
                }
            }
        }
    }
    EXPECT_GT(pages, 100u);
    EXPECT_GT(nodes, 0u);
}

TEST(JetIndexTree, RandomAccentedKeysGrowAndShrinkASoundTree) {
    EmptyTree t;
    std::mt19937 random(20261207);
    std::vector<std::string> inserted;
    std::set<std::string> words;
    for (uint32_t row = 0; row < 30000; ++row) {
        std::string word = randomWord(random);
        words.insert(word);
        inserted.push_back(entryFor(word, row));
        t.tree.insert(inserted.back());
        t.tree.commit();
    }
    std::vector<std::string> expected = inserted;
    std::sort(expected.begin(), expected.end());
    const TreeShape shape = t.expect(expected);
    EXPECT_GE(shape.depth, 3u) << "el árbol debe tener varios niveles";
    EXPECT_GT(shape.pages, 100u);

    // Lookups by key: a word present, with and without its own row excluded; one absent.
    const std::string key = keyOf(entryFor(*words.begin(), 0));
    EXPECT_TRUE(t.tree.containsKey(key));
    EXPECT_FALSE(t.tree.containsKey(keyOf(entryFor("palabra que no está", 0))));
    size_t rowsWithKey = 0;
    uint32_t onlyRow = 0;
    for (const auto& e : inserted)
        if (keyOf(e) == key) {
            ++rowsWithKey;
            onlyRow = placeOf(e);
        }
    if (rowsWithKey == 1) {
        EXPECT_FALSE(t.tree.containsKey(key, onlyRow));
    }

    // Half of the entries leave in random order, then the rest: pages go back as they empty.
    std::shuffle(inserted.begin(), inserted.end(), random);
    const size_t half = inserted.size() / 2;
    for (size_t i = 0; i < half; ++i) {
        ASSERT_TRUE(t.tree.remove(inserted[i]));
        t.tree.commit();
    }
    EXPECT_FALSE(t.tree.remove(inserted.front()));
    expected.assign(inserted.begin() + static_cast<long>(half), inserted.end());
    std::sort(expected.begin(), expected.end());
    t.expect(expected);
    for (size_t i = half; i < inserted.size(); ++i) ASSERT_TRUE(t.tree.remove(inserted[i]));
    t.tree.commit();
    t.expect({});
    EXPECT_TRUE(t.store.owned.empty()) << t.store.owned.size() << " páginas no se devolvieron";
}

TEST(JetIndexTree, EntriesAddedInOrderFillTheirPages) {
    EmptyTree t;
    std::vector<std::string> inserted;
    for (uint32_t row = 0; row < 20000; ++row) {
        std::string entry = "\x7F";
        for (int shift = 24; shift >= 0; shift -= 8)
            entry += static_cast<char>((row ^ 0x80000000u) >> shift);
        entry += std::string{0, static_cast<char>(row >> 16), static_cast<char>(row >> 8),
                             static_cast<char>(row)};
        inserted.push_back(entry);
        t.tree.insert(entry);
    }
    t.tree.commit();
    // Sequential keys leave every leaf but the last nearly full.
    EXPECT_LT(t.expect(inserted).pages, 20000u / 500u);
}

namespace {

// Leaf entries of `count` rows whose keys repeat: a few keys take most rows (pages
// full of one key), many others a few rows each (long keys, so that the tree has
// several levels); sorted.
std::vector<std::string> repeatedKeys(uint32_t count, std::mt19937& random) {
    std::vector<std::string> heavy, light;
    for (int i = 0; i < 4; ++i) heavy.push_back(randomWord(random));
    for (int i = 0; i < 150; ++i) {
        std::string word;
        while (word.size() < 180) word += randomWord(random);
        light.push_back(word);
    }
    std::vector<std::string> entries;
    for (uint32_t row = 0; row < count; ++row)
        entries.push_back(entryFor(
            row % 8 ? heavy[random() % heavy.size()] : light[random() % light.size()], row));
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace

// Keys that repeat hundreds of times, added in ascending, descending and random
// order: pages split wherever the new entry lands (inside a run of one key too),
// at every level, and every entry stays in order of key, then row. Lookups and
// removals then find the entries that splits moved to other pages.
TEST(JetIndexTree, RepeatedKeysInAnyOrderGrowATreeOfSeveralLevels) {
    std::mt19937 random(77);
    const std::vector<std::string> sorted = repeatedKeys(30000, random);
    for (const std::string order : {"ascendente", "descendente", "aleatorio"}) {
        SCOPED_TRACE(order);
        std::vector<std::string> entries = sorted;
        if (order == "descendente") std::reverse(entries.begin(), entries.end());
        if (order == "aleatorio") std::shuffle(entries.begin(), entries.end(), random);
        EmptyTree t;
        for (const auto& e : entries) t.tree.insert(e);
        t.tree.commit();
        EXPECT_GE(t.expect(sorted).depth, 3u);

        // The first key's entries but its last leave, then a random third of the others.
        const std::string key = keyOf(sorted.front());
        const auto end = std::find_if(sorted.begin(), sorted.end(),
                                      [&](const std::string& e) { return keyOf(e) != key; });
        ASSERT_GT(end - sorted.begin(), 1);
        std::vector<std::string> gone(sorted.begin(), end - 1), kept(end - 1, sorted.end());
        std::shuffle(kept.begin() + 1, kept.end(), random);
        const size_t third = kept.size() / 3;
        gone.insert(gone.end(), kept.end() - static_cast<long>(third), kept.end());
        kept.resize(kept.size() - third);
        for (const auto& e : gone) ASSERT_TRUE(t.tree.remove(e));
        t.tree.commit();
        EXPECT_TRUE(t.tree.containsKey(key));
        EXPECT_FALSE(t.tree.containsKey(key, placeOf(kept.front())));
        std::sort(kept.begin(), kept.end());
        // A key of many rows is found past the first of them.
        const std::string last = keyOf(kept.back());
        const auto first = std::find_if(kept.begin(), kept.end(),
                                        [&](const std::string& e) { return keyOf(e) == last; });
        EXPECT_TRUE(t.tree.containsKey(last, placeOf(*first)));
        t.expect(kept);
    }
}

// Rows whose yes/no key turns from false to true one after another, in row order:
// each new entry sorts after the true ones and before the false ones, at the start
// of a leaf full of false. The true entries fill pages instead of splitting one
// page per row.
TEST(JetIndexTree, KeysMarkedOneAfterAnotherFillPages) {
    EmptyTree t;
    const std::string no = "\x7F\xFF", yes = std::string("\x7F") + '\0';
    std::vector<std::string> entries;
    for (uint32_t row = 0; row < 3000; ++row) entries.push_back(no + placeFor(row));
    for (const auto& e : entries) t.tree.insert(e);
    t.tree.commit();
    const size_t before = t.expect(entries).pages;
    entries.clear();
    for (uint32_t row = 0; row < 3000; ++row) {
        ASSERT_TRUE(t.tree.remove(no + placeFor(row)));
        t.tree.insert(yes + placeFor(row));
        t.tree.commit();
        entries.push_back(yes + placeFor(row));
    }
    EXPECT_LE(t.expect(entries).pages, before + 2);
}

// Long keys that share 600 bytes take little room on a node (its entries store
// only what follows the prefix of its first and last), after one short key. When
// the long keys of the first leaf leave, the node's first entry becomes the short
// key, its entries share nothing any more and outgrow the page: the removal
// splits the node. The tree stays exact after every removal.
TEST(JetIndexTree, ANodeThatLosesItsSharedPrefixOnARemovalSplits) {
    EmptyTree t;
    std::mt19937 random(5);
    const std::string shared(600, 'm');
    std::vector<std::string> entries{entryFor("a", 0)};
    for (uint32_t row = 1; row <= 80; ++row) {
        std::string key = "\x7F" + shared;
        for (int i = 0; i < 300; ++i) key += static_cast<char>('a' + random() % 26);
        entries.push_back(key + placeFor(row));
    }
    std::sort(entries.begin() + 1, entries.end());
    for (const auto& e : entries) t.tree.insert(e);
    t.tree.commit();
    EXPECT_GE(t.expect(entries).depth, 2u);
    while (entries.size() > 1) {
        ASSERT_TRUE(t.tree.remove(entries[1]));
        t.tree.commit();
        entries.erase(entries.begin() + 1);
        t.expect(entries);
    }
}

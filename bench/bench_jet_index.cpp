// Index B-tree writing on pages held in memory: entries added one at a time,
// each committed as the row writer does (random accented text keys, and long
// keys in order as an autonumber primary key receives them), and key lookups.
#include <benchmark/benchmark.h>

#include <map>
#include <random>

#include "db/engine/jet/IndexTree.h"
#include "db/engine/jet/SortCodes.h"

using namespace pelmora::engine::jet;

namespace {

class MemoryStore : public IndexPageStore {
  public:
    const Format& format() const override { return kJet4; }
    PageRef read(uint32_t number) override {
        return std::make_shared<Page>(path_, number, pages_.at(number));
    }
    void write(uint32_t number, const std::vector<uint8_t>& bytes) override {
        pages_[number] = bytes;
    }
    uint32_t allocate(const RealIndex&) override { return next_++; }
    void release(const RealIndex&, uint32_t number) override { pages_.erase(number); }

  private:
    std::string path_ = "memoria";
    std::map<uint32_t, std::vector<uint8_t>> pages_;
    uint32_t next_ = 3;
};

std::string place(uint32_t row) {
    return {static_cast<char>(row >> 16), static_cast<char>(row >> 8), static_cast<char>(row),
            static_cast<char>(row % 100)};
}

std::vector<std::string> textEntries(size_t count) {
    std::mt19937 random(7);
    static const char* parts[] = {"ca", "ñu", "mi", "ón", "á", "to", "pe", "ré", "lla", "za"};
    std::vector<std::string> entries;
    for (uint32_t row = 0; row < count; ++row) {
        std::string word;
        for (int i = 0; i < 8; ++i) word += parts[random() % 10];
        std::string entry = "\x7F";
        appendGeneralText(word, true, entry);
        entries.push_back(entry + place(row));
    }
    return entries;
}

void addEntries(benchmark::State& state, const std::vector<std::string>& entries) {
    for (auto _ : state) {
        MemoryStore store;
        RealIndex index;
        index.rootPage = 2;
        store.write(2, encodeIndexPage(kJet4, IndexPage{}, 1));
        IndexTree tree(store, index, 1, "índice");
        for (const auto& e : entries) {
            tree.insert(e);
            tree.commit();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(entries.size()));
}

void randomTextKeys(benchmark::State& state) {
    addEntries(state, textEntries(static_cast<size_t>(state.range(0))));
}

void longKeysInOrder(benchmark::State& state) {
    std::vector<std::string> entries;
    for (uint32_t row = 0; row < static_cast<uint32_t>(state.range(0)); ++row) {
        std::string e = "\x7F";
        for (int shift = 24; shift >= 0; shift -= 8)
            e += static_cast<char>((row ^ 0x80000000u) >> shift);
        entries.push_back(e + place(row));
    }
    addEntries(state, entries);
}

void lookups(benchmark::State& state) {
    const auto entries = textEntries(static_cast<size_t>(state.range(0)));
    MemoryStore store;
    RealIndex index;
    index.rootPage = 2;
    store.write(2, encodeIndexPage(kJet4, IndexPage{}, 1));
    IndexTree tree(store, index, 1, "índice");
    for (const auto& e : entries) tree.insert(e);
    tree.commit();
    size_t at = 0;
    for (auto _ : state) {
        const std::string& e = entries[at++ % entries.size()];
        benchmark::DoNotOptimize(tree.containsKey(std::string_view(e).substr(0, e.size() - 4)));
    }
}

}  // namespace

BENCHMARK(randomTextKeys)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(longKeysInOrder)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(lookups)->Arg(10000)->Arg(100000);
BENCHMARK_MAIN();

// Rows grouped by key, for lookups by equality over a whole table: for each distinct
// key (bytes), how many rows have it and some values of the first. Rows are added
// in order, each kept with its hash, count and lengths before it and the values after
// it, in blocks of memory that never move; then one pass places them in a flat
// open-addressing table of 8-byte slots (part of the hash and where the key is),
// fetching the slots a few rows ahead so that their cache misses overlap. A row
// whose key came before only adds to that key's count. Each key also has a word the
// caller may keep there (its own answer for the key, worked out once). A lookup
// reads two places in memory; a table of a million rows costs tens of megabytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::engine {

class KeyTable {
  public:
    struct Found {
        int32_t count = 0;
        std::string_view kept;    // of the first row with the key
        int64_t* note = nullptr;  // the caller's word for the key, 0 until it sets one
    };

    // One more row with `key`; `keep(text)` appends what is kept of it to `text`.
    template <typename Keep>
    void add(std::string_view key, Keep&& keep) {
        entry_.assign(sizeof(Header), '\0');
        entry_.append(key);
        keep(entry_);
        const auto keptLength = static_cast<uint32_t>(entry_.size() - sizeof(Header) - key.size());
        entry_.resize((entry_.size() + kAlignment - 1) / kAlignment * kAlignment, '\0');
        const Header header{hashOf(key), 0,
                            1,           static_cast<uint32_t>(key.size()),
                            keptLength,  static_cast<uint32_t>(entry_.size())};
        std::memcpy(entry_.data(), &header, sizeof header);
        store(entry_);
        ++rows_;
    }

    // Places the rows added: their keys can be found from then on.
    void index();

    // The rows with `key`; none when no row has it.
    std::optional<Found> find(std::string_view key);

  private:
    // What precedes each key; entries start at multiples of kAlignment.
    struct Header {
        uint64_t hash = 0;
        int64_t note = 0;
        int32_t count = 0;  // 0: a later row of a key, counted with the first
        uint32_t keyLength = 0;
        uint32_t keptLength = 0;
        uint32_t length = 0;  // of the whole entry, this header and padding included
    };
    static constexpr size_t kAlignment = alignof(Header);
    // An entry is named by its block and its place there, in kAlignment units, + 1
    // (0 names none); blocks hold kBlockUnits units, or one entry larger than that.
    static constexpr int kUnitBits = 18;
    static constexpr size_t kBlockUnits = size_t{1} << kUnitBits;
    struct Slot {
        uint32_t hashHigh = 0;
        uint32_t entry = 0;
    };
    struct Block {
        std::unique_ptr<char[], void (*)(char*)> bytes;
        size_t capacity = 0;  // in units
        size_t size = 0;      // in use
    };

    static uint64_t hashOf(std::string_view key);
    char* at(uint32_t entry) const;
    Header headerAt(uint32_t entry) const;
    void write(uint32_t entry, const Header& header);
    // Copies a whole entry into the blocks; its name.
    uint32_t store(const std::string& entry);
    // The slot of `key`: its own, or the free one where it would go.
    const Slot& find(std::string_view key, uint64_t hash) const;
    Slot& find(std::string_view key, uint64_t hash);
    // The entry after `entry` in the order added; 0 after the last.
    uint32_t following(uint32_t entry) const;
    void place(uint32_t entry);

    std::vector<Block> blocks_;
    std::string entry_;  // the entry being added
    size_t rows_ = 0;
    std::vector<Slot> slots_ = std::vector<Slot>(16);
};

}  // namespace pelmora::engine

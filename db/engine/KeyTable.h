// Rows grouped by key, for lookups by equality over a whole table: for each distinct
// key (bytes), how many rows have it and some values of the first. Each key is kept
// once, with its hash, count and lengths before it and the values after it, in
// blocks of memory that never move (a table of a million rows is never copied to
// grow); a flat open-addressing table of 8-byte slots (part of the hash and where
// the key is) finds it. A lookup reads two places in memory, the slots of a table of
// ten thousand keys fit in the processor's second-level cache, and a table of a
// million rows costs tens of megabytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/LargeMemory.h"

namespace pelmora::engine {

class KeyTable {
  public:
    struct Found {
        int32_t count = 0;
        std::string_view kept;  // of the first row with the key
    };

    // Counts one more row with `key`; for the first, `keep(text)` appends what is
    // kept of it to `text`.
    template <typename Keep>
    void add(std::string_view key, Keep&& keep) {
        const uint64_t hash = hashOf(key);
        Slot& slot = find(key, hash);
        if (slot.entry != 0) {
            Header header = headerAt(slot.entry);
            ++header.count;
            write(slot.entry, header);
            return;
        }
        entry_.assign(sizeof(Header), '\0');
        entry_.append(key);
        keep(entry_);
        const auto keptLength = static_cast<uint32_t>(entry_.size() - sizeof(Header) - key.size());
        entry_.resize((entry_.size() + kAlignment - 1) / kAlignment * kAlignment, '\0');
        const Header header{hash, 1, static_cast<uint32_t>(key.size()), keptLength,
                            static_cast<uint32_t>(entry_.size())};
        std::memcpy(entry_.data(), &header, sizeof header);
        slot = {static_cast<uint32_t>(hash >> 32), store(entry_)};
        if (2 * ++keys_ > slots_.size()) grow();
    }

    // The rows with `key`; none when no row has it.
    std::optional<Found> find(std::string_view key) const;
    // Asks the processor to fetch what the lookup of `key` reads: its slot, or, once
    // that is at hand, its entry. Lookups prepared so in a batch, first every slot
    // then every entry, wait for memory together rather than one after another.
    void prefetch(std::string_view key, bool entry) const;
    // Room for `keys` keys without growing.
    void reserve(size_t keys);
    // How many distinct keys.
    size_t size() const { return keys_; }

  private:
    // What precedes each key; entries start at multiples of kAlignment.
    struct Header {
        uint64_t hash = 0;
        int32_t count = 0;
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
    void grow();
    void rehash(size_t slots);

    std::vector<Block> blocks_;
    std::string entry_;  // the entry being added
    size_t keys_ = 0;
    std::vector<Slot, LargeAllocator<Slot>> slots_ = decltype(slots_)(16);
};

}  // namespace pelmora::engine

#include "db/engine/KeyTable.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace pelmora::engine {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

void freeBlock(char* bytes) {
    std::free(bytes);
}

// Blocks of a large page or more are aligned on the processor's large pages and
// asked to be backed by them: a lookup over tens of megabytes then misses the
// address cache far less often. Smaller ones, for small tables, are plain memory.
std::unique_ptr<char[], void (*)(char*)> allocateBlock(size_t bytes) {
    char* block = nullptr;
    if (bytes < kHugePage) {
        block = static_cast<char*>(std::malloc(bytes));
    } else {
        bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        block = static_cast<char*>(std::aligned_alloc(kHugePage, bytes));
        if (block) ::madvise(block, bytes, MADV_HUGEPAGE);
    }
    if (!block) throw std::bad_alloc();
    return {block, freeBlock};
}

}  // namespace

uint64_t KeyTable::hashOf(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

char* KeyTable::at(uint32_t entry) const {
    const uint32_t place = entry - 1;
    return blocks_[place >> kUnitBits].bytes.get() + (place & (kBlockUnits - 1)) * kAlignment;
}

KeyTable::Header KeyTable::headerAt(uint32_t entry) const {
    Header header;
    std::memcpy(&header, at(entry), sizeof header);
    return header;
}

void KeyTable::write(uint32_t entry, const Header& header) {
    std::memcpy(at(entry), &header, sizeof header);
}

uint32_t KeyTable::store(const std::string& entry) {
    const size_t units = entry.size() / kAlignment;
    if (blocks_.empty() || blocks_.back().size + units > blocks_.back().capacity) {
        if (blocks_.size() >= (size_t{1} << (32 - kUnitBits)) - 1)
            throw std::length_error("Demasiados registros distintos para buscarlos en memoria");
        // From 64 KB, doubling up to a large page: a small table costs little.
        const size_t grown =
            std::min(kBlockUnits, (size_t{1} << 13) << std::min<size_t>(blocks_.size(), 5));
        const size_t capacity = std::max(units, grown);
        blocks_.push_back({allocateBlock(capacity * kAlignment), capacity, 0});
    }
    Block& block = blocks_.back();
    std::memcpy(block.bytes.get() + block.size * kAlignment, entry.data(), entry.size());
    const auto name = static_cast<uint32_t>(((blocks_.size() - 1) << kUnitBits) + block.size + 1);
    block.size += units;
    return name;
}

const KeyTable::Slot& KeyTable::find(std::string_view key, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    const auto high = static_cast<uint32_t>(hash >> 32);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == 0) return slot;
        if (slot.hashHigh != high) continue;
        const Header header = headerAt(slot.entry);
        if (header.hash == hash && header.keyLength == key.size() &&
            std::string_view(at(slot.entry) + sizeof header, key.size()) == key)
            return slot;
    }
}

KeyTable::Slot& KeyTable::find(std::string_view key, uint64_t hash) {
    return const_cast<Slot&>(std::as_const(*this).find(key, hash));
}

std::optional<KeyTable::Found> KeyTable::find(std::string_view key) {
    const Slot& slot = find(key, hashOf(key));
    if (slot.entry == 0) return std::nullopt;
    char* entry = at(slot.entry);
    const Header header = headerAt(slot.entry);
    return Found{header.count,
                 std::string_view(entry + sizeof header + header.keyLength, header.keptLength),
                 reinterpret_cast<int64_t*>(entry + offsetof(Header, note))};
}

uint32_t KeyTable::following(uint32_t entry) const {
    const uint32_t place = entry - 1;
    const size_t block = place >> kUnitBits;
    const size_t unit = (place & (kBlockUnits - 1)) + headerAt(entry).length / kAlignment;
    if (unit < blocks_[block].size) return entry + headerAt(entry).length / kAlignment;
    if (block + 1 < blocks_.size()) return static_cast<uint32_t>(((block + 1) << kUnitBits) + 1);
    return 0;
}

// Into its key's slot: a free one makes it the key's first row; one taken by the
// same key counts it there and drops it.
void KeyTable::place(uint32_t entry) {
    Header header = headerAt(entry);
    std::string_view key(at(entry) + sizeof header, header.keyLength);
    Slot& slot = find(key, header.hash);
    if (slot.entry == 0) {
        slot = {static_cast<uint32_t>(header.hash >> 32), entry};
        return;
    }
    Header first = headerAt(slot.entry);
    ++first.count;
    write(slot.entry, first);
    header.count = 0;
    write(entry, header);
}

void KeyTable::index() {
    constexpr int kAhead = 16;
    size_t slots = 16;
    while (slots < 2 * rows_) slots *= 2;
    slots_.assign(slots, Slot{});
    const size_t mask = slots - 1;
    uint32_t ahead = blocks_.empty() || blocks_[0].size == 0 ? 0 : 1;
    for (int i = 0; i < kAhead && ahead != 0; ++i) ahead = following(ahead);
    for (uint32_t entry = blocks_.empty() || blocks_[0].size == 0 ? 0 : 1; entry != 0;
         entry = following(entry)) {
        if (ahead != 0) {
            __builtin_prefetch(&slots_[headerAt(ahead).hash & mask], 1);
            ahead = following(ahead);
        }
        place(entry);
    }
}

}  // namespace pelmora::engine

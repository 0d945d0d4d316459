#include "db/engine/KeyTable.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "db/engine/LargeMemory.h"

namespace pelmora::engine {

namespace {

void freeBlock(char* bytes) {
    std::free(bytes);
}

std::unique_ptr<char[], void (*)(char*)> allocateBlock(size_t bytes) {
    return {static_cast<char*>(allocateLarge(bytes)), freeBlock};
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

std::optional<KeyTable::Found> KeyTable::find(std::string_view key) const {
    const Slot& slot = find(key, hashOf(key));
    if (slot.entry == 0) return std::nullopt;
    const Header header = headerAt(slot.entry);
    return Found{header.count, std::string_view(at(slot.entry) + sizeof header + header.keyLength,
                                                header.keptLength)};
}

void KeyTable::prefetch(std::string_view key, bool entry) const {
    const uint64_t hash = hashOf(key);
    const Slot& slot = slots_[hash & (slots_.size() - 1)];
    if (!entry)
        __builtin_prefetch(&slot);
    else if (slot.entry != 0 && slot.hashHigh == static_cast<uint32_t>(hash >> 32))
        __builtin_prefetch(at(slot.entry));
}

void KeyTable::reserve(size_t keys) {
    size_t slots = slots_.size();
    while (slots < 2 * keys) slots *= 2;
    if (slots > slots_.size()) rehash(slots);
}

void KeyTable::grow() {
    rehash(2 * slots_.size());
}

// Places every key again by its hash in `slots` slots, walking the entries in the
// order they were added: the keys themselves are not read again.
void KeyTable::rehash(size_t slots) {
    slots_.assign(slots, Slot{});
    const size_t mask = slots_.size() - 1;
    for (size_t b = 0; b < blocks_.size(); ++b) {
        for (size_t unit = 0; unit < blocks_[b].size;) {
            const auto entry = static_cast<uint32_t>((b << kUnitBits) + unit + 1);
            const Header header = headerAt(entry);
            size_t i = header.hash & mask;
            while (slots_[i].entry != 0) i = (i + 1) & mask;
            slots_[i] = {static_cast<uint32_t>(header.hash >> 32), entry};
            unit += header.length / kAlignment;
        }
    }
}

}  // namespace pelmora::engine

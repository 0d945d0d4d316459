#include "db/engine/KeyTable.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <stdexcept>
#include <utility>

namespace pelmora::engine {

std::optional<int64_t> Note::read() const {
    if (!place_) return std::nullopt;
    int64_t value = 0;
    std::memcpy(&value, place_, sizeof value);
    if (value == INT64_MIN) return std::nullopt;
    return value;
}

void Note::keep(int64_t value) {
    if (place_) std::memcpy(place_, &value, sizeof value);
}

uint64_t KeyTable::hashOf(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

uint32_t KeyTable::entryAt(size_t start) {
    const size_t entry = start / kAlignment + 1;
    if (entry > std::numeric_limits<uint32_t>::max())
        throw std::length_error("Demasiados registros distintos para buscarlos en memoria");
    return static_cast<uint32_t>(entry);
}

KeyTable::Header KeyTable::headerAt(size_t start) const {
    Header header;
    std::memcpy(&header, data_.data() + start, sizeof header);
    return header;
}

void KeyTable::write(size_t start, const Header& header) {
    std::memcpy(data_.data() + start, &header, sizeof header);
}

const KeyTable::Slot& KeyTable::find(std::string_view key, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    const auto high = static_cast<uint32_t>(hash >> 32);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == 0) return slot;
        if (slot.hashHigh != high) continue;
        const Header header = headerAt(slot);
        if (header.hash == hash && header.keyLength == key.size() &&
            std::string_view(data_).substr(startOf(slot) + sizeof header, key.size()) == key)
            return slot;
    }
}

KeyTable::Slot& KeyTable::find(std::string_view key, uint64_t hash) {
    return const_cast<Slot&>(std::as_const(*this).find(key, hash));
}

std::optional<KeyTable::Found> KeyTable::find(std::string_view key) {
    const Slot& slot = find(key, hashOf(key));
    if (slot.entry == 0) return std::nullopt;
    const size_t start = startOf(slot);
    const Header header = headerAt(start);
    return Found{
        header.count,
        std::string_view(data_).substr(start + sizeof header + header.keyLength, header.keptLength),
        Note(data_.data() + start + offsetof(Header, note))};
}

// Doubles the slots and places every key again by its hash, walking the entries in
// the order they were added: the keys themselves are not read again.
void KeyTable::grow() {
    slots_.assign(2 * slots_.size(), Slot{});
    const size_t mask = slots_.size() - 1;
    for (size_t start = 0; start < data_.size();) {
        const Header header = headerAt(start);
        size_t i = header.hash & mask;
        while (slots_[i].entry != 0) i = (i + 1) & mask;
        slots_[i] = {static_cast<uint32_t>(header.hash >> 32), entryAt(start)};
        start += header.length;
    }
}

}  // namespace pelmora::engine

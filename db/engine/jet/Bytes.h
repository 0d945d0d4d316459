// A checked little-endian view over bytes read from the file (a table
// definition assembled from its pages, a long value, a property blob): every
// read past the end is a corrupt-file error that says where it happened.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/engine/jet/Corrupt.h"

namespace pelmora::engine::jet {

class Bytes {
  public:
    Bytes(std::string_view data, const std::string& path, std::string where)
        : data_(data), path_(&path), where_(std::move(where)) {}

    size_t size() const { return data_.size(); }
    std::string_view data() const { return data_; }
    uint8_t u8(size_t offset) const { return static_cast<uint8_t>(at(offset, 1)[0]); }
    uint16_t u16(size_t offset) const {
        const char* p = at(offset, 2);
        return static_cast<uint16_t>(byte(p[0]) | byte(p[1]) << 8);
    }
    uint32_t u32(size_t offset) const {
        const char* p = at(offset, 4);
        return byte(p[0]) | byte(p[1]) << 8 | byte(p[2]) << 16 | uint32_t(byte(p[3])) << 24;
    }
    std::string_view bytes(size_t offset, size_t length) const {
        return {at(offset, length), length};
    }

    [[noreturn]] void corrupt(const std::string& what) const {
        jet::corrupt(*path_, where_ + ": " + what);
    }

  private:
    static uint32_t byte(char c) { return static_cast<uint8_t>(c); }
    const char* at(size_t offset, size_t length) const {
        if (offset > data_.size() || length > data_.size() - offset)
            corrupt("un dato de " + std::to_string(length) + " bytes en la posición " +
                    std::to_string(offset) + " sale de los " + std::to_string(data_.size()) +
                    " bytes que hay");
        return data_.data() + offset;
    }

    std::string_view data_;
    const std::string* path_;
    std::string where_;
};

}  // namespace pelmora::engine::jet

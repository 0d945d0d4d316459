// An .mdb file seen as numbered pages of one size, read through a small cache.
// A page is immutable once read and shared by whoever holds it; every read of
// its bytes is checked against the page's end, so a bad offset or length in
// the file gives a clear error instead of reading past memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/engine/jet/Format.h"

namespace pelmora::engine::jet {

class Page {
public:
    Page(const std::string& path, uint32_t number, std::vector<uint8_t> bytes)
        : path_(&path), number_(number), bytes_(std::move(bytes)) {}

    uint32_t number() const { return number_; }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
    const uint8_t* data() const { return bytes_.data(); }
    PageType type() const { return static_cast<PageType>(bytes_[0]); }

    // Little-endian reads; each throws a corrupt-file error past the page's end.
    uint8_t u8(size_t offset) const { return *at(offset, 1); }
    uint16_t u16(size_t offset) const;
    uint32_t u32(size_t offset) const;
    std::string_view bytes(size_t offset, size_t length) const;

    [[noreturn]] void corrupt(const std::string& what) const;

private:
    const uint8_t* at(size_t offset, size_t length) const;

    const std::string* path_;
    uint32_t number_;
    std::vector<uint8_t> bytes_;
};

using PageRef = std::shared_ptr<const Page>;

class PageFile {
public:
    explicit PageFile(std::string path);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::string& path() const { return path_; }
    uint64_t fileSize() const { return size_; }

    // The first bytes of the file, before its page size is known.
    std::vector<uint8_t> readStart(size_t length) const;

    void setFormat(const Format& format);
    const Format& format() const { return *format_; }
    uint32_t pageCount() const { return pageCount_; }

    // A page by number; a number past the end of the file is a corrupt-file error
    // that says what pointed there (`what`, e.g. "la tabla «T»").
    PageRef page(uint32_t number, const char* what = "un puntero");
    // The same, checked to be of the expected type.
    PageRef page(uint32_t number, PageType expected, const char* what);

    [[noreturn]] void corrupt(const std::string& what) const;

private:
    void evictUnused();

    std::string path_;
    int fd_ = -1;
    uint64_t size_ = 0;
    const Format* format_ = nullptr;
    uint32_t pageCount_ = 0;
    std::unordered_map<uint32_t, std::shared_ptr<Page>> cache_;
};

// Spanish name of a page type, for messages.
const char* pageTypeName(PageType type);

}  // namespace pelmora::engine::jet

// An .mdb file seen as numbered pages of one size, read through a small cache.
// A page is immutable once read and shared by whoever holds it; every read of
// its bytes is checked against the page's end, so a bad offset or length in
// the file gives a clear error instead of reading past memory. Writers edit
// private copies (PageWriter.h) that replace the cached pages once written.
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

    // Little-endian writes, for a private copy being edited (never a cached page);
    // past the page's end they throw, as reads do.
    void set8(size_t offset, uint8_t value) { *mutableAt(offset, 1) = value; }
    void set16(size_t offset, uint16_t value);
    void set32(size_t offset, uint32_t value);
    void setBytes(size_t offset, std::string_view bytes);
    // Moves `length` bytes from `from` to `to` (the ranges may overlap).
    void move(size_t from, size_t to, size_t length);
    void fill(size_t offset, size_t length, uint8_t value);
    uint8_t* mutableData() { return bytes_.data(); }

private:
    const uint8_t* at(size_t offset, size_t length) const;
    uint8_t* mutableAt(size_t offset, size_t length) { return const_cast<uint8_t*>(at(offset, length)); }

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

    // Writing. beginWriting() reopens the file for reading and writing and takes
    // the writer's lock: an advisory lock on the file (open file description
    // lock over the whole file) and the Access lock file beside it ("x.ldb" for
    // "x.mdb"), holding one 64-byte user record (computer name, user "Admin"),
    // removed when the file closes. A read-only file (no write permission for
    // anyone, whoever runs the program) or a file another process is writing
    // gives a Spanish error. Idempotent; the lock lasts until the
    // PageFile is destroyed.
    void beginWriting();
    bool writing() const { return writing_; }
    // Writes whole pages and makes them the cached versions. Pages past the
    // current end are written first (the file grows; numbers must continue it
    // without gaps), then the others, so a full disk fails before any page the
    // file already had changes (the file is cut back to its old size).
    // Callers go through PageWriter, which gathers the pages of one operation.
    void writePages(const std::vector<std::shared_ptr<Page>>& pages);
    // Flushes written pages to the disk (also done when the file closes).
    void sync();

private:
    // Pages kept once nobody holds them; a scan needs one at a time, the catalog a few.
    static constexpr size_t kCachedPages = 1024;
    void evictUnused();
    void writeAt(const Page& page);
    void takeLock();
    void createLockFile();

    std::string path_;
    int fd_ = -1;
    bool writing_ = false;
    std::string lockFile_;  // the .ldb created by this process; empty when none
    uint64_t size_ = 0;
    const Format* format_ = nullptr;
    uint32_t pageCount_ = 0;
    std::unordered_map<uint32_t, std::shared_ptr<Page>> cache_;
};

// Spanish name of a page type, for messages.
const char* pageTypeName(PageType type);

}  // namespace pelmora::engine::jet

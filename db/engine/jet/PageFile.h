// An .mdb file seen as numbered pages of one size, read through a small cache.
// A page is immutable once read and shared by whoever holds it; every read of
// its bytes is checked against the page's end, so a bad offset or length in
// the file gives a clear error instead of reading past memory. Writers edit
// private copies (PageWriter.h) that replace the cached pages once written, in
// write groups that reach the disk whole or not at all.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "db/engine/jet/AccessLockFile.h"
#include "db/engine/jet/CodePage.h"
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
    uint8_t* mutableAt(size_t offset, size_t length) {
        return const_cast<uint8_t*>(at(offset, length));
    }

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
    // The code page of the file's text (Jet3; Jet4 text is Unicode).
    void setCodePage(CodePage codePage) { codePage_ = std::move(codePage); }
    const CodePage& codePage() const { return codePage_; }
    uint32_t pageCount() const { return pageCount_; }

    // A page by number; a number past the end of the file is a corrupt-file error
    // that says what pointed there (`what`, e.g. "la tabla «T»").
    PageRef page(uint32_t number, const char* what = "un puntero");
    // The same, checked to be of the expected type.
    PageRef page(uint32_t number, PageType expected, const char* what);

    [[noreturn]] void corrupt(const std::string& what) const;

    // Write groups. The outermost beginGroup() waits its turn for the writer's
    // lock (an advisory lock over the whole file, held until the outermost
    // endGroup()), reopening the file for writing first; puts back a group
    // another process left cut short (Journal.h); refuses while a user of Access
    // holds the database (AccessLockFile.h); and drops every cached page, since
    // another writer may have changed them (generation() then changes). A file
    // nobody may write (no write permission for anyone, whoever runs the program)
    // gives a Spanish error. Calls nest; returns true for the outermost.
    bool beginGroup();
    // The outermost call stores the group whole: the former images of the pages
    // it changes go to the journal, flushed, then its pages to the file, flushed,
    // then the journal goes. A failure leaves the file as it was before the group
    // (and is reported); whatever kills the process, the next opening or group
    // puts the file back as it was.
    void endGroup();
    // Undoes what the innermost group wrote: a nested group's pages go back to
    // what they were when it began (one failed operation leaves no trace in the
    // group around it); the outermost group's pages are forgotten and the lock
    // goes.
    void abandonGroup();
    bool inGroup() const { return depth_ > 0; }
    // Changes whenever cached pages may no longer be the file's: a group began or
    // was abandoned. Whoever keeps what it read from pages compares it.
    uint64_t generation() const { return generation_; }
    // Whether opening the file put back a group left cut short.
    bool restoredOnOpen() const { return restoredOnOpen_; }

    // Within a group, makes pages the file's current pages for every reader of
    // this PageFile; they reach the disk at endGroup(). Pages past the current end
    // must continue it without gaps. Callers go through PageWriter, which gathers
    // the pages of one operation.
    void writePages(const std::vector<std::shared_ptr<Page>>& pages);

  private:
    // Pages kept once nobody holds them; a scan needs one at a time, the catalog a few.
    static constexpr size_t kCachedPages = 1024;
    void evictUnused();
    void openForWriting();
    void takeLock();
    void releaseLock();
    void store();
    void storePages();
    void restoreAtOpen();
    void readSize();
    void undoNested();

    // What a nested group found before it wrote: the group's former version of
    // each page it wrote (null where the group had not written it) and the
    // number of pages then.
    struct Savepoint {
        uint32_t pageCount = 0;
        std::map<uint32_t, std::shared_ptr<Page>> former;
    };

    std::string path_;
    int fd_ = -1;
    bool readWrite_ = false;
    std::unique_ptr<AccessLockFile> accessLock_;
    int depth_ = 0;
    uint64_t generation_ = 0;
    bool restoredOnOpen_ = false;
    // The group's pages, by number; read before the cache, which holds only
    // pages as the file has them.
    std::unordered_map<uint32_t, std::shared_ptr<Page>> dirty_;
    std::vector<Savepoint> savepoints_;  // one per nested group open
    uint32_t groupStartCount_ = 0;
    uint64_t groupStartSize_ = 0;
    uint64_t size_ = 0;
    const Format* format_ = nullptr;
    CodePage codePage_;
    uint32_t pageCount_ = 0;
    std::unordered_map<uint32_t, std::shared_ptr<Page>> cache_;
};

// A write group for a scope: begun at construction, stored by end(); a scope left
// without end() (an exception) abandons the group, undoing what it wrote.
class WriteGroup {
  public:
    explicit WriteGroup(PageFile& file) : file_(file) { file.beginGroup(); }
    ~WriteGroup() {
        if (!ended_) file_.abandonGroup();
    }
    WriteGroup(const WriteGroup&) = delete;
    WriteGroup& operator=(const WriteGroup&) = delete;
    void end() {
        ended_ = true;
        file_.endGroup();
    }

  private:
    PageFile& file_;
    bool ended_ = false;
};

// Spanish name of a page type, for messages.
const char* pageTypeName(PageType type);

}  // namespace pelmora::engine::jet

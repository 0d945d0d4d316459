// The writing side of PageFile: write groups, the writer's lock taken in turn,
// and the storing of a group through the rollback journal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "db/engine/Error.h"
#include "db/engine/WaitTurn.h"
#include "db/engine/jet/Journal.h"
#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kStoreRun = 1 << 20;  // bytes written by one call at most

bool setWholeFileLock(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // the whole file, however long it grows
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

void PageFile::readSize() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        ioFailure("No se puede leer la base de datos «" + path_ + "»", errno);
    size_ = static_cast<uint64_t>(st.st_size);
    if (format_)
        pageCount_ =
            static_cast<uint32_t>(std::min<uint64_t>(size_ / format_->pageSize, UINT32_MAX));
}

// A file nobody may write is read-only for this program too, even for a user
// (root) whom the system would let write it.
void PageFile::openForWriting() {
    if (readWrite_) return;
    struct stat st {};
    const bool readOnly = ::fstat(fd_, &st) == 0 && (st.st_mode & 0222) == 0;
    const int fd = readOnly ? -1 : ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (readOnly || errno == EACCES || errno == EROFS || errno == EPERM)
            throw Error("No se puede escribir en la base de datos «" + path_ +
                        "»: el fichero es de solo lectura");
        ioFailure("No se puede abrir para escritura la base de datos «" + path_ + "»", errno);
    }
    ::close(fd_);
    fd_ = fd;
    readWrite_ = true;
}

void PageFile::takeLock() {
    if (!accessLock_) accessLock_ = std::make_unique<AccessLockFile>(path_);
    waitTurn(
        path_,
        [&] {
            if (setWholeFileLock(fd_, F_WRLCK)) return true;
            if (errno != EAGAIN && errno != EACCES)
                ioFailure("No se puede bloquear la base de datos «" + path_ + "»", errno);
            return false;
        },
        [&] {
            const std::string who = accessLock_->users();
            return who.empty() ? std::string() : "la está usando " + who;
        });
}

void PageFile::releaseLock() {
    if (accessLock_) accessLock_->leave();
    setWholeFileLock(fd_, F_UNLCK);
}

// A journal left beside the file: a group cut short, or one being stored by a
// live writer, whose turn is awaited; the file is then put back if need be.
void PageFile::restoreAtOpen() {
    const JournalState state = journalState(path_);
    if (state == JournalState::None) return;
    try {
        openForWriting();
    } catch (const Error& e) {
        if (state == JournalState::Incomplete) return;  // the file was not touched
        throw Error("La base de datos «" + path_ + "» quedó a medio escribir y no se puede " +
                    "devolver a como estaba (su diario «" + journalPath(path_) +
                    "» lo guarda): " + e.what());
    }
    takeLock();
    try {
        restoredOnOpen_ = rollBack(path_, fd_);
        readSize();
    } catch (...) {
        releaseLock();
        throw;
    }
    releaseLock();
}

bool PageFile::beginGroup() {
    if (depth_ > 0) {
        ++depth_;
        savepoints_.push_back(Savepoint{pageCount_, {}});
        return false;
    }
    openForWriting();
    takeLock();
    try {
        rollBack(path_, fd_);
        accessLock_->enter();
        readSize();
    } catch (...) {
        releaseLock();
        throw;
    }
    cache_.clear();
    ++generation_;
    groupStartCount_ = pageCount_;
    groupStartSize_ = size_;
    depth_ = 1;
    return true;
}

void PageFile::endGroup() {
    if (depth_ == 0) return;
    if (depth_ > 1) {
        // The enclosing group keeps the oldest former version of each page.
        Savepoint done = std::move(savepoints_.back());
        savepoints_.pop_back();
        if (!savepoints_.empty()) savepoints_.back().former.merge(done.former);
        --depth_;
        return;
    }
    try {
        store();
    } catch (...) {
        abandonGroup();
        throw;
    }
    dirty_.clear();
    depth_ = 0;
    releaseLock();
}

void PageFile::abandonGroup() {
    if (depth_ == 0) return;
    if (depth_ > 1) return undoNested();
    dirty_.clear();
    pageCount_ = groupStartCount_;
    size_ = groupStartSize_;
    ++generation_;
    depth_ = 0;
    releaseLock();
}

void PageFile::undoNested() {
    Savepoint undone = std::move(savepoints_.back());
    savepoints_.pop_back();
    for (auto& [number, page] : undone.former) {
        if (page)
            dirty_[number] = std::move(page);
        else
            dirty_.erase(number);
    }
    pageCount_ = undone.pageCount;
    ++generation_;
    --depth_;
}

void PageFile::store() {
    if (dirty_.empty()) return;
    std::vector<uint32_t> former;
    for (const auto& [number, page] : dirty_)
        if (number < groupStartCount_) former.push_back(number);
    std::sort(former.begin(), former.end());
    writeJournal(path_, fd_, format_->pageSize, groupStartSize_, former);
    try {
        storePages();
    } catch (...) {
        try {
            rollBack(path_, fd_);
        } catch (...) {  // the journal stays: the next opening puts the file back
        }
        throw;
    }
    removeJournal(path_);
}

// The group's pages, in runs of consecutive numbers written by one call each.
// The room for new pages is taken first, so that a full disk shows here and not
// when the file system later writes them out.
void PageFile::storePages() {
    const uint32_t size = format_->pageSize;
    const std::string doing =
        "No se pueden guardar los cambios en la base de datos «" + path_ + "»";
    if (pageCount_ > groupStartCount_) {
        const off_t from = static_cast<off_t>(groupStartCount_) * size;
        const int error = ::posix_fallocate(fd_, from, off_t(pageCount_ - groupStartCount_) * size);
        if (error != 0) ioFailure(doing, error);
    }
    std::vector<uint8_t> run;  // the bytes of consecutive pages from `first` on
    uint32_t first = 0, next = 0;
    const auto flush = [&] {
        writeExactly(fd_, run.data(), run.size(), off_t(first) * size, doing);
        run.clear();
    };
    std::vector<const Page*> pages;
    for (const auto& [number, page] : dirty_) pages.push_back(page.get());
    std::sort(pages.begin(), pages.end(),
              [](const Page* a, const Page* b) { return a->number() < b->number(); });
    for (const Page* page : pages) {
        const uint32_t number = page->number();
        if (page->size() != size) corrupt("se intenta escribir una página de tamaño incorrecto");
        if (!run.empty() && (number != next || run.size() >= kStoreRun)) flush();
        if (run.empty()) first = number;
        run.insert(run.end(), page->data(), page->data() + size);
        next = number + 1;
    }
    if (!run.empty()) flush();
    syncData(fd_, doing);
    size_ = std::max<uint64_t>(groupStartSize_, uint64_t(pageCount_) * size);
}

void PageFile::writePages(const std::vector<std::shared_ptr<Page>>& pages) {
    if (depth_ == 0) throw std::logic_error("se escriben páginas fuera de un grupo de escrituras");
    std::vector<std::shared_ptr<Page>> added;
    for (const auto& page : pages)
        if (page->number() >= pageCount_) added.push_back(page);
    std::sort(added.begin(), added.end(),
              [](const auto& a, const auto& b) { return a->number() < b->number(); });
    for (size_t i = 0; i < added.size(); ++i)
        if (added[i]->number() != pageCount_ + i)
            corrupt("se intenta escribir la página " + std::to_string(added[i]->number()) +
                    " dejando un hueco tras el final del fichero");
    pageCount_ += static_cast<uint32_t>(added.size());
    for (const auto& page : pages) {
        if (!savepoints_.empty()) {
            const auto was = dirty_.find(page->number());
            savepoints_.back().former.try_emplace(page->number(),
                                                  was == dirty_.end() ? nullptr : was->second);
        }
        dirty_[page->number()] = page;
        cache_.erase(page->number());
    }
}

}  // namespace pelmora::engine::jet

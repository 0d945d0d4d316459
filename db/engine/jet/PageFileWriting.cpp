// The writing side of PageFile: reopening for writing, the writer's lock (the
// advisory lock and the Access lock file) and whole-page writes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "db/engine/Error.h"
#include "db/engine/jet/PageFile.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kLockRecordSize = 64;  // 32 bytes computer name, 32 bytes user name

std::string lockFilePath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ".ldb";
    return path.substr(0, dot) + ".ldb";
}

std::string lockRecord() {
    std::string record(kLockRecordSize, '\0');
    char host[64] = {};
    if (::gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "PELMORA");
    const size_t length = std::min<size_t>(std::strlen(host), 31);
    record.replace(0, length, host, length);
    record.replace(32, 5, "Admin");
    return record;
}

}  // namespace

void PageFile::beginWriting() {
    if (writing_) return;
    // A file nobody may write is read-only for this program too, even for a user
    // (root) whom the system would let write it.
    struct stat st {};
    const bool readOnly = ::fstat(fd_, &st) == 0 && (st.st_mode & 0222) == 0;
    const int fd = readOnly ? -1 : ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (readOnly || errno == EACCES || errno == EROFS || errno == EPERM)
            throw Error("No se puede escribir en la base de datos «" + path_ +
                        "»: el fichero es de solo lectura");
        throw Error("No se puede abrir para escritura la base de datos «" + path_ +
                    "»: " + std::strerror(errno));
    }
    ::close(fd_);
    fd_ = fd;
    takeLock();
    createLockFile();
    writing_ = true;
}

void PageFile::takeLock() {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // the whole file, however long it grows
    if (::fcntl(fd_, F_OFD_SETLK, &lock) == 0) return;
    const int error = errno;
    if (error == EAGAIN || error == EACCES)
        throw Error("La base de datos «" + path_ +
                    "» está abierta para escritura por otro proceso: ciérrelo y vuelva a intentarlo");
    throw Error("No se puede bloquear la base de datos «" + path_ + "»: " + std::strerror(error));
}

void PageFile::createLockFile() {
    // Access keeps the lock file while users are in the database and removes it
    // when the last one leaves; a lock file left by a program that ended without
    // removing it is simply taken over. A folder where it cannot be created
    // (read-only share) does not stop the writing: the advisory lock guards it.
    const std::string ldb = lockFilePath(path_);
    const int fd = ::open(ldb.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return;
    const std::string record = lockRecord();
    const bool written = ::write(fd, record.data(), record.size()) == ssize_t(record.size());
    ::close(fd);
    if (written)
        lockFile_ = ldb;
    else
        ::unlink(ldb.c_str());
}

void PageFile::writeAt(const Page& page) {
    const uint32_t size = format_->pageSize;
    if (page.size() != size) corrupt("se intenta escribir una página de tamaño incorrecto");
    const off_t at = static_cast<off_t>(page.number()) * size;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, page.data() + done, size - done, at + off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            throw Error("No se puede escribir la página " + std::to_string(page.number()) +
                        " de la base de datos «" + path_ + "»: " +
                        std::strerror(n < 0 ? errno : ENOSPC));
        done += static_cast<size_t>(n);
    }
}

void PageFile::writePages(const std::vector<std::shared_ptr<Page>>& pages) {
    if (!writing_) beginWriting();
    std::vector<std::shared_ptr<Page>> added, changed;
    for (const auto& page : pages) (page->number() >= pageCount_ ? added : changed).push_back(page);
    std::sort(added.begin(), added.end(),
              [](const auto& a, const auto& b) { return a->number() < b->number(); });
    for (size_t i = 0; i < added.size(); ++i)
        if (added[i]->number() != pageCount_ + i)
            corrupt("se intenta escribir la página " + std::to_string(added[i]->number()) +
                    " dejando un hueco tras el final del fichero");
    const uint32_t oldCount = pageCount_;
    try {
        // The room for the new pages is taken first, so that a full disk shows
        // here and not when the file system later writes them out.
        if (!added.empty()) {
            const off_t from = static_cast<off_t>(oldCount) * format_->pageSize;
            const int error = ::posix_fallocate(fd_, from, off_t(added.size()) * format_->pageSize);
            if (error != 0)
                throw Error("No se puede escribir la página " + std::to_string(added.front()->number()) +
                            " de la base de datos «" + path_ + "»: " + std::strerror(error));
        }
        for (const auto& page : added) writeAt(*page);
    } catch (...) {
        // Cut the pages that were half added; the error to report is the first one.
        (void)!::ftruncate(fd_, static_cast<off_t>(oldCount) * format_->pageSize);
        throw;
    }
    pageCount_ = oldCount + static_cast<uint32_t>(added.size());
    size_ = static_cast<uint64_t>(pageCount_) * format_->pageSize;
    for (const auto& page : changed) writeAt(*page);
    for (const auto& page : pages) cache_[page->number()] = page;
    if (cache_.size() >= kCachedPages) evictUnused();
}

void PageFile::sync() {
    if (writing_ && ::fdatasync(fd_) != 0)
        throw Error("No se puede escribir en la base de datos «" + path_ + "»: " +
                    std::strerror(errno));
}

}  // namespace pelmora::engine::jet

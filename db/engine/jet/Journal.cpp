// The journal's layout, all numbers little-endian:
//   header (32 bytes): "PLMJRNL1", u32 page size, u32 number of images,
//                      u64 size of the database before the group,
//                      u64 checksum of the 24 bytes before it
//   each image:        u32 page number, u32 zero, u64 checksum of the number
//                      and the page's bytes, then the page's bytes
// Checksums are FNV-1a (64 bits): a journal cut short anywhere fails one.
#include "db/engine/jet/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "db/engine/Error.h"
#include "db/engine/jet/FileIo.h"

namespace pelmora::engine::jet {

namespace {

constexpr char kMagic[8] = {'P', 'L', 'M', 'J', 'R', 'N', 'L', '1'};
constexpr size_t kHeaderSize = 32;
constexpr size_t kImageHeader = 16;
constexpr size_t kWriteBlock = 1 << 20;

uint64_t checksum(const uint8_t* data, size_t length, uint64_t hash = 0xcbf29ce484222325ull) {
    for (size_t i = 0; i < length; ++i) hash = (hash ^ data[i]) * 0x100000001b3ull;
    return hash;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> 8 * i));
}
void put64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(uint8_t(v >> 8 * i));
}
uint64_t get(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

std::vector<uint8_t> header(uint32_t pageSize, uint32_t count, uint64_t originalSize) {
    std::vector<uint8_t> out(kMagic, kMagic + 8);
    put32(out, pageSize);
    put32(out, count);
    put64(out, originalSize);
    put64(out, checksum(out.data(), out.size()));
    return out;
}

// A journal read whole and checked; `complete` false when any part fails its check.
struct ReadJournal {
    std::vector<uint8_t> bytes;
    uint32_t pageSize = 0;
    uint32_t count = 0;
    uint64_t originalSize = 0;
    bool complete = false;
    const uint8_t* image(uint32_t i) const {
        return bytes.data() + kHeaderSize + size_t(i) * (kImageHeader + pageSize);
    }
};

ReadJournal readJournal(const std::string& file) {
    ReadJournal j;
    j.bytes = readWholeFile(file);
    const uint8_t* p = j.bytes.data();
    if (j.bytes.size() < kHeaderSize || std::memcmp(p, kMagic, 8) != 0 ||
        get(p + 24, 8) != checksum(p, 24))
        return j;
    j.pageSize = uint32_t(get(p + 8, 4));
    j.count = uint32_t(get(p + 12, 4));
    j.originalSize = get(p + 16, 8);
    if (j.pageSize == 0 || j.pageSize > 65536 ||
        (j.bytes.size() - kHeaderSize) / (kImageHeader + j.pageSize) < j.count)
        return j;
    for (uint32_t i = 0; i < j.count; ++i) {
        const uint8_t* image = j.image(i);
        const uint64_t sum = checksum(image + kImageHeader, j.pageSize, checksum(image, 4));
        if (get(image + 8, 8) != sum) return j;
    }
    j.complete = true;
    return j;
}

}  // namespace

std::string journalPath(const std::string& database) {
    return database + "-journal";
}

void writeJournal(const std::string& database, int databaseFd, uint32_t pageSize,
                  uint64_t originalSize, const std::vector<uint32_t>& pages) {
    const std::string path = journalPath(database);
    struct stat st {};
    const mode_t mode = ::fstat(databaseFd, &st) == 0 ? (st.st_mode & 0666) | 0600 : 0644;
    const std::string doing =
        "No se pueden guardar los cambios en la base de datos «" + database + "»";
    OwnedFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (!fd) ioFailure(doing + " (no se puede crear su diario «" + path + "»)", errno);
    try {
        ::fchmod(fd.get(), mode);
        std::vector<uint8_t> out = header(pageSize, uint32_t(pages.size()), originalSize);
        std::vector<uint8_t> page(pageSize);
        for (uint32_t number : pages) {
            readExactly(databaseFd, page.data(), pageSize, off_t(number) * pageSize, database);
            put32(out, number);
            put32(out, 0);
            const uint8_t* n = out.data() + out.size() - 8;
            put64(out, checksum(page.data(), pageSize, checksum(n, 4)));
            out.insert(out.end(), page.begin(), page.end());
            if (out.size() >= kWriteBlock) writeAll(fd.get(), out, doing), out.clear();
        }
        writeAll(fd.get(), out, doing);
        syncData(fd.get(), doing);
    } catch (...) {
        fd.reset();
        ::unlink(path.c_str());
        throw;
    }
    fd.reset();
    syncFolderOf(path);
}

void removeJournal(const std::string& database) {
    ::unlink(journalPath(database).c_str());
    syncFolderOf(database);
}

JournalState journalState(const std::string& database) {
    struct stat st {};
    if (::stat(journalPath(database).c_str(), &st) != 0) return JournalState::None;
    return readJournal(journalPath(database)).complete ? JournalState::Complete
                                                       : JournalState::Incomplete;
}

bool rollBack(const std::string& database, int databaseFd) {
    const std::string path = journalPath(database);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    const ReadJournal j = readJournal(path);
    const std::string doing =
        "No se puede deshacer la escritura sin terminar de la base de datos «" + database +
        "» (con su diario «" + path + "»)";
    if (j.complete) {
        for (uint32_t i = 0; i < j.count; ++i) {
            const uint8_t* image = j.image(i);
            writeExactly(databaseFd, image + kImageHeader, j.pageSize,
                         off_t(get(image, 4)) * j.pageSize, doing);
        }
        if (::ftruncate(databaseFd, off_t(j.originalSize)) != 0) ioFailure(doing, errno);
        syncData(databaseFd, doing);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) ioFailure(doing, errno);
    syncFolderOf(path);
    return j.complete;
}

void syncFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    if (!syncsWanted()) return;
    OwnedFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) ::fsync(fd.get());
}

}  // namespace pelmora::engine::jet

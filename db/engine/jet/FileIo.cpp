#include "db/engine/jet/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "db/engine/Error.h"
#include "db/engine/Files.h"

namespace pelmora::engine::jet {

void OwnedFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

void ioFailure(const std::string& what, int error) {
    throw Error(what + ": " + systemReason(error));
}

void readExactly(int fd, uint8_t* into, size_t length, off_t at, const std::string& file) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, into + done, length - done, at + off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ioFailure("No se puede leer la base de datos «" + file + "»", errno);
        if (n == 0)
            throw Error("No se puede leer la base de datos «" + file +
                        "»: el fichero termina antes de lo esperado");
        done += size_t(n);
    }
}

void writeExactly(int fd, const uint8_t* from, size_t length, off_t at, const std::string& what) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, from + done, length - done, at + off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ioFailure(what, n < 0 ? errno : ENOSPC);
        done += size_t(n);
    }
}

void writeAll(int fd, const std::vector<uint8_t>& bytes, const std::string& what) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ioFailure(what, n < 0 ? errno : ENOSPC);
        done += size_t(n);
    }
}

bool syncsWanted() {
    static const bool wanted = [] {
        const char* off = std::getenv("PELMORA_SIN_SINCRONIZAR");
        return !(off && std::string(off) == "1");
    }();
    return wanted;
}

void syncData(int fd, const std::string& what) {
    if (syncsWanted() && ::fdatasync(fd) != 0) ioFailure(what, errno);
}

std::vector<uint8_t> readWholeFile(const std::string& path) {
    OwnedFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) return {};
    std::vector<uint8_t> bytes(size_t(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd.get(), bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace pelmora::engine::jet

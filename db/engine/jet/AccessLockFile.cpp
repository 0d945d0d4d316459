#include "db/engine/jet/AccessLockFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "db/engine/Error.h"

namespace pelmora::engine::jet {

namespace {

constexpr size_t kRecord = 64;  // 32 bytes computer name, 32 bytes user name
constexpr size_t kName = 32;

// Access names the lock file after the database's extension: "x.laccdb" beside
// "x.accdb" (any case), "x.ldb" beside anything else.
std::string lockFilePath(const std::string& database) {
    const size_t slash = database.find_last_of('/');
    const size_t dot = database.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return database + ".ldb";
    std::string extension = database.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return database.substr(0, dot) + (extension == ".accdb" ? ".laccdb" : ".ldb");
}

std::string ownRecord() {
    std::string record(kRecord, '\0');
    char host[64] = {};
    if (::gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "PELMORA");
    const size_t length = std::min<size_t>(std::strlen(host), kName - 1);
    record.replace(0, length, host, length);
    const char* user = std::getenv("USER");
    const std::string name = user && *user ? std::string(user).substr(0, kName - 1) : "Admin";
    record.replace(kName, name.size(), name);
    return record;
}

// A name field: up to its first NUL, trailing spaces dropped, odd bytes as '?'.
std::string field(const uint8_t* bytes) {
    std::string name;
    for (size_t i = 0; i < kName && bytes[i]; ++i)
        name += bytes[i] >= 0x20 && bytes[i] < 0x7F ? char(bytes[i]) : '?';
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

bool setLock(int fd, short type, off_t length) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_len = length;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

AccessLockFile::AccessLockFile(const std::string& database)
    : path_(lockFilePath(database)), database_(database) {}

bool AccessLockFile::heldByOthers() const {
    OwnedFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_len = 0;  // every byte, those past the end included (Access locks there)
    return ::fcntl(fd.get(), F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

std::string AccessLockFile::users() const {
    const std::vector<uint8_t> bytes = readWholeFile(path_);
    std::string list;
    for (size_t at = 0; at + kRecord <= bytes.size(); at += kRecord) {
        const std::string computer = field(bytes.data() + at);
        const std::string user = field(bytes.data() + at + kName);
        if (computer.empty() && user.empty()) continue;
        if (!list.empty()) list += ", ";
        list += "«" + user + "» en el equipo «" + computer + "»";
    }
    return list;
}

void AccessLockFile::enter() {
    if (own_) return;
    if (heldByOthers()) {
        const std::string who = users();
        throw Error(
            "La base de datos «" + database_ + "» está abierta en Access" +
            (who.empty() ? std::string() : " por " + who) +
            ": no se escribe en ella mientras esté abierta; ciérrela y vuelva a intentarlo");
    }
    // A folder where the lock file cannot be made (a read-only share) does not
    // stop the writing: the lock on the database itself guards it.
    OwnedFd fd(::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd) return;
    const std::string record = ownRecord();
    if (::write(fd.get(), record.data(), record.size()) != ssize_t(record.size()) ||
        !setLock(fd.get(), F_WRLCK, kRecord)) {
        ::unlink(path_.c_str());
        return;
    }
    own_.reset(fd.release());
}

void AccessLockFile::leave() {
    if (!own_) return;
    ::unlink(path_.c_str());
    own_.reset();
}

}  // namespace pelmora::engine::jet

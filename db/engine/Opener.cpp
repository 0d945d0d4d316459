// The front door: a database file opened by what it holds (Jet, SQLite, or a
// connection file naming a PostgreSQL database), or a PostgreSQL address, with
// one backend per database in the process; the only place that knows the backends.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>

#include "db/engine/Backend.h"
#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Files.h"
#include "db/engine/jet/JetBackend.h"
#include "db/engine/postgresql/Address.h"
#include "db/engine/postgresql/PostgresBackend.h"
#include "db/engine/sqlite/SqliteBackend.h"

namespace pelmora::engine {

namespace {

// One backend per file in the process: a second open of the same file shares it,
// whatever the spelling of its path (links, "." and "..", relative or absolute),
// so the file is found by its device and inode.
using FileKey = std::pair<dev_t, ino_t>;
std::mutex registryMutex;
std::map<FileKey, std::weak_ptr<Backend>>& registry() {
    static std::map<FileKey, std::weak_ptr<Backend>> open;
    return open;
}
// The passwords taken out of server addresses, by the address without them.
std::map<std::string, std::string>& passwords() {
    static std::map<std::string, std::string> kept;
    return kept;
}
// Databases on a server, by their address.
std::map<std::string, std::weak_ptr<Backend>>& servers() {
    static std::map<std::string, std::weak_ptr<Backend>> open;
    return open;
}

FileKey keyOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

[[noreturn]] void cannotOpen(const std::string& path, int error) {
    if (error == ENOENT || error == ENOTDIR)
        throw Error("No se encuentra el fichero de base de datos «" + path + "»");
    throw Error("No se puede abrir el fichero de base de datos «" + path +
                "»: " + systemReason(error));
}

// The status of the regular file at `path`; anything else is refused before it
// is opened.
struct stat regularFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) cannotOpen(path, errno);
    const std::string kind = notRegularFile(st.st_mode);
    if (!kind.empty()) throw Error("«" + path + "» " + kind + ", no un fichero de base de datos");
    return st;
}

// The first bytes of the file, through a descriptor that does not wait should
// the path have been replaced by a FIFO since it was looked at; only the file
// that was looked at is read.
std::string head(const std::string& path, const struct stat& looked) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) cannotOpen(path, errno);
    struct stat st {};
    char bytes[4096] = {};
    ssize_t n = -1;
    int error = 0;
    if (::fstat(fd, &st) == 0 && sameFile(st, looked)) {
        n = ::pread(fd, bytes, sizeof bytes, 0);
        error = errno;
    }
    ::close(fd);
    if (!sameFile(st, looked))
        throw Error("El fichero de base de datos «" + path + "» ha cambiado mientras se abría");
    if (n < 0) cannotOpen(path, error);
    return std::string(bytes, static_cast<size_t>(n));
}

enum class Kind { Jet, Sqlite, Server };

// What the file holds; for a connection file, its address in `address`.
Kind kindOf(const std::string& path, const struct stat& st, std::string& address) {
    const std::string bytes = head(path, st);
    if (bytes.empty()) throw Error("El fichero «" + path + "» está vacío: no es una base de datos");
    if (bytes.size() >= 16 && bytes.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0)
        return Kind::Sqlite;
    // Access 97-2003 (Jet) and Access 2007+ (ACE) files share one backend.
    if (bytes.size() >= 19 && (bytes.compare(4, 15, "Standard Jet DB") == 0 ||
                               bytes.compare(4, 15, "Standard ACE DB") == 0))
        return Kind::Jet;
    if (auto uri = postgresql::addressInFile(bytes)) {
        address = *uri;
        return Kind::Server;
    }
    throw Error("«" + path + "» no es una base de datos de Access ni de SQLite");
}

std::shared_ptr<Backend> serverBackend(const std::string& uri) {
    if (auto shared = servers()[uri].lock()) return shared;
    const auto kept = passwords().find(uri);
    std::shared_ptr<Backend> backend =
        openPostgresBackend(uri, kept == passwords().end() ? "" : kept->second);
    servers()[uri] = backend;
    return backend;
}

}  // namespace

std::shared_ptr<Database> openDatabase(const std::string& path) {
    std::lock_guard lock(registryMutex);
    if (postgresql::isAddress(path))
        return std::shared_ptr<Database>(new Database(serverBackend(path)));
    const struct stat st = regularFile(path);
    if (auto shared = registry()[keyOf(st)].lock())
        return std::shared_ptr<Database>(new Database(shared));
    std::string address;
    const Kind kind = kindOf(path, st, address);
    if (kind == Kind::Server)
        return std::shared_ptr<Database>(new Database(serverBackend(address)));
    std::shared_ptr<Backend> backend =
        kind == Kind::Sqlite ? openSqliteBackend(path) : openJetBackend(path);
    registry()[keyOf(st)] = backend;
    return std::shared_ptr<Database>(new Database(backend));
}

bool isServerAddress(const std::string& name) {
    return postgresql::isAddress(name);
}

std::string withoutPassword(const std::string& name) {
    if (!postgresql::isAddress(name)) return name;
    const std::string shown = postgresql::withoutPassword(name);
    const std::string password = postgresql::passwordOf(name);
    std::lock_guard lock(registryMutex);
    if (!password.empty()) passwords()[shown] = password;
    return shown;
}

std::shared_ptr<Database> createSqliteDatabase(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        throw Error("El fichero «" + path + "» ya existe; no se crea otra base de datos encima");
    std::lock_guard lock(registryMutex);
    std::shared_ptr<Backend> backend = createSqliteBackend(path);
    registry()[keyOf(regularFile(path))] = backend;
    return std::shared_ptr<Database>(new Database(backend));
}

}  // namespace pelmora::engine

#include "db/engine/sqlite/Connection.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/WaitTurn.h"

namespace pelmora::engine::sqlite {

namespace {

// The collation that makes SQLite compare texts as the engine does (Text.h).
int collate(void*, int sizeA, const void* a, int sizeB, const void* b) {
    return compareText(std::string(static_cast<const char*>(a), sizeA),
                       std::string(static_cast<const char*>(b), sizeB));
}

// A file is written only when the process may write it and it is not marked
// read-only (no write permission bits), even for a user that may override that.
bool writable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    return ::access(path.c_str(), W_OK) == 0 && (st.st_mode & 0222) != 0;
}

// A rollback journal that holds a group not yet put back: present, with its
// header not zeroed (a finished group leaves none, an empty one, or a zeroed one).
bool hotJournal(const std::string& path) {
    std::ifstream in(path + "-journal", std::ios::binary);
    char header[8] = {};
    if (!in.read(header, sizeof header)) return false;
    for (char c : header)
        if (c != 0) return true;
    return false;
}

}  // namespace

Statement::Statement(Statement&& other) noexcept
    : connection_(other.connection_),
      stmt_(other.stmt_),
      owned_(other.owned_),
      doing_(std::move(other.doing_)) {
    other.stmt_ = nullptr;
}

Statement::~Statement() {
    if (!stmt_) return;
    if (owned_) {
        sqlite3_finalize(stmt_);
    } else {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

void Statement::check(int rc) const {
    if (rc != SQLITE_OK) connection_->fail(rc, doing_);
}

void Statement::bindNull(int index) {
    check(sqlite3_bind_null(stmt_, index));
}
void Statement::bind(int index, int64_t value) {
    check(sqlite3_bind_int64(stmt_, index, value));
}
void Statement::bind(int index, double value) {
    check(sqlite3_bind_double(stmt_, index, value));
}
void Statement::bindText(int index, const std::string& value) {
    check(sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                            SQLITE_TRANSIENT));
}
void Statement::bindBlob(int index, const std::string& bytes) {
    check(sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()),
                            SQLITE_TRANSIENT));
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    connection_->fail(rc, doing_);
}

std::shared_ptr<Connection> Connection::open(const std::string& path, bool create) {
    const bool readOnly = !create && !writable(path);
    const bool hot = !create && hotJournal(path);
    // A connection is only ever used by one thread at a time: no locking per call.
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    std::shared_ptr<Connection> connection(new Connection(path, db));
    if (rc != SQLITE_OK) connection->fail(rc, "abrir la base de datos");
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, &Connection::onBusy, connection.get());
    sqlite3_create_collation_v2(db, "PELMORA", SQLITE_UTF8, nullptr, collate, nullptr);
    if (create) connection->execute("PRAGMA user_version = 0", "crear la base de datos");
    connection->execute("SELECT count(*) FROM sqlite_master", "leer el catálogo de tablas");
    connection->restoredOnOpen_ = hot && !hotJournal(path);
    // Up to 256 MB of pages kept in memory (taken only as the file needs them), so
    // that a run over a large table reads each page once and a long write group
    // does not spill to the journal before its commit.
    connection->execute("PRAGMA cache_size = -262144", "abrir la base de datos");
    connection->readOnly_ = sqlite3_db_readonly(db, "main") == 1;
    // The file keeps the journal mode it has: a rollback journal (or a log, if its
    // owner chose one) makes every write and group land whole whatever kills the
    // process. Test suites may skip the flushes, which only a power cut needs.
    const char* noSync = std::getenv("PELMORA_SIN_SINCRONIZAR");
    if (!connection->readOnly_ && noSync && std::string(noSync) == "1")
        connection->execute("PRAGMA synchronous = OFF", "abrir la base de datos");
    return connection;
}

Connection::~Connection() {
    for (auto& [sql, stmt] : cache_) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
}

int Connection::onBusy(void* self, int attempts) {
    auto& connection = *static_cast<Connection*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (attempts == 0) {
        connection.waitStart_ = now;
        tellWaiting(connection.path_);
    }
    using std::chrono::milliseconds;
    connection.waited_ = std::chrono::duration_cast<milliseconds>(now - connection.waitStart_);
    const milliseconds limit = lockWaitLimit();
    if (connection.waited_ >= limit) return 0;
    std::this_thread::sleep_for(std::min(milliseconds(20), limit - connection.waited_));
    return 1;
}

sqlite3_stmt* Connection::compile(const std::string& sql, const std::string& doing,
                                  unsigned flags) const {
    sqlite3_stmt* stmt = nullptr;
    int rc =
        sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), flags, &stmt, nullptr);
    if (rc != SQLITE_OK) fail(rc, doing);
    return stmt;
}

Statement Connection::prepare(const std::string& sql, const std::string& doing) const {
    return Statement(*this, compile(sql, doing, 0), true, doing);
}

Statement Connection::cached(const std::string& sql, const std::string& doing) {
    auto found = cache_.find(sql);
    if (found == cache_.end())
        found = cache_.emplace(sql, compile(sql, doing, SQLITE_PREPARE_PERSISTENT)).first;
    return Statement(*this, found->second, false, doing);
}

void Connection::execute(const std::string& sql, const std::string& doing) {
    Statement statement = prepare(sql, doing);
    while (statement.step()) {
    }
}

void Connection::requireWritable(const std::string& doing) const {
    if (readOnly_)
        throw Error("No se puede " + doing + ": la base de datos «" + path_ +
                    "» es de solo lectura");
}

// SQLite calls a full disk an I/O error wherever it is not a short write of a
// page: the shared-memory index of a log (write-ahead mode) that cannot grow when
// the file is read, a journal that cannot be flushed or truncated, a file that
// cannot be created. The system's own error tells.
int Connection::primaryCode(int rc) const {
    const int code = rc & 0xFF;
    if (code != SQLITE_IOERR && code != SQLITE_CANTOPEN) return code;
    const int error = db_ ? sqlite3_system_errno(db_) : 0;
    return error == ENOSPC || error == EDQUOT ? SQLITE_FULL : code;
}

void Connection::fail(int rc, const std::string& doing) const {
    const std::string detail = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    const std::string file = "«" + path_ + "»";
    switch (primaryCode(rc)) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw Error(busyMessage(path_, waited_) + " (al " + doing + ")");
        case SQLITE_READONLY:
            throw Error("No se puede " + doing + ": la base de datos " + file +
                        " es de solo lectura");
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            throw Error("La base de datos " + file + " está dañada o no es de SQLite (al " + doing +
                        ")");
        case SQLITE_FULL:
            throw Error("No queda espacio en el disco para " + doing + " en " + file);
        case SQLITE_CANTOPEN:
            throw Error("No se puede " + doing + ": no se puede abrir el fichero " + file +
                        " o su diario en la misma carpeta");
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw Error("No hay permiso para " + doing + " en " + file);
        case SQLITE_IOERR:
            throw Error("Error de lectura o escritura en " + file + " al " + doing);
        case SQLITE_CONSTRAINT:
            if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
                throw Error("No se puede " + doing + " en " + file +
                            ": el valor ya existe en un índice que no admite duplicados (" +
                            detail + ")");
            [[fallthrough]];
        default:
            throw Error("Error de SQLite al " + doing + " en " + file + ": " + detail);
    }
}

}  // namespace pelmora::engine::sqlite

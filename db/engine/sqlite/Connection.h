// One open SQLite file: the sqlite3 handle, its prepared statements, and the
// translation of SQLite's failures into the engine's Spanish errors.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace pelmora::engine::sqlite {

class Connection;

// A prepared statement, either owned (finalized when dropped) or borrowed from
// the connection's cache (reset and cleared when dropped). Move-only.
class Statement {
  public:
    Statement(const Connection& connection, sqlite3_stmt* stmt, bool owned, std::string doing)
        : connection_(&connection), stmt_(stmt), owned_(owned), doing_(std::move(doing)) {}
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    ~Statement();

    void bindNull(int index);
    void bind(int index, int64_t value);
    void bind(int index, double value);
    void bindText(int index, const std::string& value);
    void bindBlob(int index, const std::string& bytes);

    // True when a row is ready, false when the statement is done; throws on failure.
    bool step();
    sqlite3_stmt* raw() const { return stmt_; }

  private:
    void check(int rc) const;

    const Connection* connection_;
    sqlite3_stmt* stmt_;
    bool owned_;
    std::string doing_;  // what the statement does, for messages ("leer la tabla «T»")
};

class Connection {
  public:
    // Opens an existing file (read-only when the file cannot be written), or
    // creates a new one. Throws Error naming the file.
    static std::shared_ptr<Connection> open(const std::string& path, bool create);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const std::string& path() const { return path_; }
    bool readOnly() const { return readOnly_; }
    // Whether opening the file put back a write group a killed process left
    // cut short (SQLite rolls back such a journal at the first read).
    bool restoredOnOpen() const { return restoredOnOpen_; }
    sqlite3* handle() const { return db_; }

    // A fresh statement, owned by the caller (cursors keep theirs while they live).
    Statement prepare(const std::string& sql, const std::string& doing) const;
    // A statement kept prepared for reuse; only one user at a time.
    Statement cached(const std::string& sql, const std::string& doing);
    void execute(const std::string& sql, const std::string& doing);

    // Throws Error when the file is open read-only.
    void requireWritable(const std::string& doing) const;
    // The Spanish Error for a failed SQLite call made while `doing`.
    [[noreturn]] void fail(int rc, const std::string& doing) const;

  private:
    Connection(std::string path, sqlite3* db) : path_(std::move(path)), db_(db) {}
    // The primary result code of a failure, a full disk told as SQLITE_FULL.
    int primaryCode(int rc) const;
    sqlite3_stmt* compile(const std::string& sql, const std::string& doing, unsigned flags) const;
    // SQLite's busy handler: waits in turn as the Access writers do (WaitTurn.h).
    static int onBusy(void* self, int attempts);

    std::string path_;
    sqlite3* db_;
    bool readOnly_ = true;  // until the file has opened as a database
    bool restoredOnOpen_ = false;
    std::chrono::steady_clock::time_point waitStart_;
    std::chrono::milliseconds waited_{0};  // the last wait for another writer
    std::map<std::string, sqlite3_stmt*> cache_;
};

}  // namespace pelmora::engine::sqlite

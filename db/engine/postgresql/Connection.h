// One session with a PostgreSQL server through libpq: statements with their
// values always sent as parameters, results held whole, the transaction of a
// write group, and the server's failures told as the engine's Spanish errors,
// naming the server and the database, never the password.
#pragma once

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelmora::engine::postgresql {

// A parameter as libpq sends it: text, or Null.
using Parameter = std::optional<std::string>;

// A whole result; rows and columns from 0.
class Result {
  public:
    explicit Result(PGresult* result) : result_(result, PQclear) {}
    int rows() const { return PQntuples(result_.get()); }
    bool isNull(int row, int column) const { return PQgetisnull(result_.get(), row, column); }
    std::string text(int row, int column) const {
        return std::string(PQgetvalue(result_.get(), row, column),
                           PQgetlength(result_.get(), row, column));
    }
    int64_t affected() const;
    const PGresult* raw() const { return result_.get(); }

  private:
    std::shared_ptr<PGresult> result_;
};

class Connection {
  public:
    // Connects to the database of a libpq URI, with `password` when the URI has
    // none and it is not empty. Throws Error naming the address without its password.
    static std::shared_ptr<Connection> open(const std::string& uri, const std::string& password);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The address without its password, as messages show it.
    const std::string& address() const { return address_; }

    Result run(const std::string& sql, const std::vector<Parameter>& parameters,
               const std::string& doing);
    // Statements without parameters, several at once when separated by ';'.
    void execute(const std::string& sql, const std::string& doing);

    // Connects again when the server ended the session (restarted, or the network
    // went away): only between transactions, so that nothing of one is lost unseen.
    void reconnectIfLost();

    // A transaction of its own, committed at commit(); a failure inside it leaves
    // it to be rolled back.
    bool inTransaction() const;
    void begin(const std::string& doing);
    void commit(const std::string& doing);
    void rollback();

  private:
    Connection(PGconn* handle, std::string address)
        : handle_(handle), address_(std::move(address)) {}
    void prepare();
    [[noreturn]] void fail(const PGresult* result, const std::string& doing) const;
    void check(const Result& result, const std::string& doing) const;

    PGconn* handle_;
    std::string address_;
};

}  // namespace pelmora::engine::postgresql

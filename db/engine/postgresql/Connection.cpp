#include "db/engine/postgresql/Connection.h"

#include <cstdlib>

#include "db/engine/Error.h"
#include "db/engine/WaitTurn.h"
#include "db/engine/postgresql/Address.h"

namespace pelmora::engine::postgresql {

namespace {

// libpq's messages end with a newline and may run over several lines.
std::string oneLine(const char* message) {
    std::string text = message ? message : "";
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string field(const PGresult* result, int code) {
    const char* value = result ? PQresultErrorField(result, code) : nullptr;
    return value ? value : "";
}

}  // namespace

void Connection::check(const Result& result, const std::string& doing) const {
    const PGresult* raw = result.raw();
    const ExecStatusType status = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(raw, doing);
}

int64_t Result::affected() const {
    const char* count = PQcmdTuples(result_.get());
    return count && *count ? std::strtoll(count, nullptr, 10) : 0;
}

std::shared_ptr<Connection> Connection::open(const std::string& uri, const std::string& password) {
    const std::string address = withoutPassword(uri);
    const char* keywords[] = {"dbname", password.empty() ? nullptr : "password", nullptr};
    const char* values[] = {uri.c_str(), password.c_str(), nullptr};
    PGconn* handle = PQconnectdbParams(keywords, values, 1);
    if (!handle) throw Error("No hay memoria para conectar con «" + address + "»");
    if (PQstatus(handle) != CONNECTION_OK) {
        const std::string reason = oneLine(PQerrorMessage(handle));
        PQfinish(handle);
        throw Error("No se puede conectar con la base de datos PostgreSQL «" + address +
                    "»: " + reason);
    }
    std::shared_ptr<Connection> connection(new Connection(handle, address));
    connection->prepare();
    return connection;
}

// Dates, numbers and bytes in the forms the backend reads; waits for a lock
// bounded as the file writers' are.
void Connection::prepare() {
    execute(
        "SET client_encoding = 'UTF8'; SET datestyle = 'ISO, YMD'; "
        "SET bytea_output = 'hex'; SET extra_float_digits = 1; SET lock_timeout = " +
            std::to_string(lockWaitLimit().count()),
        "preparar la conexión");
}

Connection::~Connection() {
    PQfinish(handle_);
}

Result Connection::run(const std::string& sql, const std::vector<Parameter>& parameters,
                       const std::string& doing) {
    std::vector<const char*> values;
    for (const Parameter& p : parameters) values.push_back(p ? p->c_str() : nullptr);
    PGresult* raw = PQexecParams(handle_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                                 values.data(), nullptr, nullptr, 0);
    Result result(raw);
    check(result, doing);
    return result;
}

void Connection::execute(const std::string& sql, const std::string& doing) {
    check(Result(PQexec(handle_, sql.c_str())), doing);
}

void Connection::reconnectIfLost() {
    if (PQstatus(handle_) == CONNECTION_OK) return;
    PQreset(handle_);
    if (PQstatus(handle_) != CONNECTION_OK)
        throw Error("No se puede volver a conectar con la base de datos PostgreSQL «" + address_ +
                    "»: " + oneLine(PQerrorMessage(handle_)));
    prepare();
}

bool Connection::inTransaction() const {
    return PQtransactionStatus(handle_) != PQTRANS_IDLE;
}

void Connection::begin(const std::string& doing) {
    execute("BEGIN", doing);
}

void Connection::commit(const std::string& doing) {
    execute("COMMIT", doing);
}

void Connection::rollback() {
    if (PQtransactionStatus(handle_) == PQTRANS_IDLE) return;
    PQclear(PQexec(handle_, "ROLLBACK"));
}

// The server's SQLSTATE says what went wrong: a lock not had in time, a lost
// connection, a value the column refuses; anything else is quoted as the server
// says it.
void Connection::fail(const PGresult* result, const std::string& doing) const {
    const std::string state = field(result, PG_DIAG_SQLSTATE);
    const std::string where = "«" + address_ + "»";
    if (state == "55P03") throw Error(busyMessage(address_, lockWaitLimit()));
    if (PQstatus(handle_) != CONNECTION_OK || state.rfind("08", 0) == 0 || state == "57P01")
        throw Error("Se ha perdido la conexión con la base de datos PostgreSQL " + where + " al " +
                    doing + "; lo que ya estaba guardado sigue en ella");
    std::string reason = field(result, PG_DIAG_MESSAGE_PRIMARY);
    if (reason.empty()) reason = oneLine(PQerrorMessage(handle_));
    throw Error("No se puede " + doing + " en " + where + ": " + reason);
}

}  // namespace pelmora::engine::postgresql

// The backend for databases on a PostgreSQL server. Every write is one statement
// the server applies whole; a write group is one transaction, in which each
// table is locked against other writers at its first use (so that numbering the
// next record sees every record committed before), and each write runs under a
// savepoint, so that one that fails leaves no trace while those before it stay.
#include "db/engine/postgresql/PostgresBackend.h"

#include <set>

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/postgresql/Appends.h"
#include "db/engine/postgresql/Catalog.h"
#include "db/engine/postgresql/Connection.h"
#include "db/engine/postgresql/Select.h"
#include "db/engine/postgresql/TableIndexes.h"
#include "db/engine/postgresql/Types.h"

namespace pelmora::engine {

namespace {

using namespace postgresql;

// The key of the advisory lock on the catalog, the same in every process ("Pelm").
constexpr int64_t kCatalogLock = 0x50656C6D;

// Whether the column is in the primary key among `indexes`.
bool inPrimaryKey(const std::vector<Index>& indexes, const std::string& column) {
    for (const Index& index : indexes)
        for (const IndexedColumn& keyed : index.columns)
            if (index.primaryKey && sameName(keyed.name, column)) return true;
    return false;
}

class PostgresBackend final : public Backend {
  public:
    explicit PostgresBackend(std::shared_ptr<Connection> connection)
        : connection_(std::move(connection)), catalog_(*connection_), appends_(*connection_) {}

    const std::string& path() const override { return connection_->address(); }

    std::vector<std::string> tableNames() override {
        lockCatalog();
        return catalog_.tableNames();
    }
    TableSchema schema(const std::string& table) override {
        if (!inTransaction()) connection_->reconnectIfLost();
        return catalog_.entry(table)->schema;
    }

    void createTable(const TableSchema& table, const std::vector<Index>& indexes) override;
    std::vector<Index> indexes(const std::string& table) override {
        const std::string name = schema(table).name;
        return readIndexes(*connection_, name, "leer los índices de " + inTable(name));
    }
    void addColumn(const std::string& table, const Column& column) override;
    void setDefaultValue(const std::string& table, const std::string& column,
                         const Value& value) override;

    std::unique_ptr<Cursor> select(const Query& query) override {
        const auto entry = touch(query.table);
        return postgresql::select(*connection_, *entry, query);
    }
    Row read(const std::string& table, RowId id) override;
    void update(const std::string& table, RowId id, const Row& row) override;
    void updateColumn(const std::string& table, RowId id, int column, const Value& value) override;
    RowId insert(const std::string& table, const Row& row, const Given& given) override;

    void beginWrites() override;
    void endWrites() override;
    void beginSnapshot() override;
    void endSnapshot() override;
    bool restoredOnOpen() const override { return false; }
    std::vector<std::string> verify() override;

  private:
    // Inside a group or a snapshot, a lost session is an error, never a new one.
    bool inTransaction() const { return writeGroups_ > 0 || snapshots_ > 0; }
    void lockCatalog();
    std::shared_ptr<const TableEntry> lockTable(const std::string& table);
    std::shared_ptr<const TableEntry> touch(const std::string& table);
    std::shared_ptr<const TableEntry> editable(const std::string& table, const std::string& doing);
    template <typename Write>
    auto guarded(const std::string& doing, Write write, bool several = false);
    std::string definition(const std::string& table, const Column& column) const;
    void commentOn(const std::string& table, const Column& column, bool keyed);
    void updateRow(const TableSchema& table, const std::string& sql,
                   std::vector<Parameter> parameters, const std::string& doing);

    std::shared_ptr<Connection> connection_;
    Catalog catalog_;
    Appends appends_;  // a group's appends not yet sent
    int writeGroups_ = 0;
    int snapshots_ = 0;
    std::set<std::string> locked_;  // upper-cased names of the tables the group locked
    bool catalogLocked_ = false;
};

// Runs `write` so that a failure undoes it alone: inside a group under a
// savepoint; outside, a write of `several` statements in a transaction of its
// own (one statement is applied whole by itself).
template <typename Write>
auto PostgresBackend::guarded(const std::string& doing, Write write, bool several) {
    const bool group = writeGroups_ > 0;
    if (snapshots_ > 0 && !group)
        throw Error("No se puede " + doing + " en «" + path() +
                    "» mientras se lee como un solo momento");
    if (!group && !several) return write();
    connection_->execute(group ? "SAVEPOINT escritura" : "BEGIN", doing);
    try {
        auto result = write();
        connection_->execute(group ? "RELEASE SAVEPOINT escritura" : "COMMIT", doing);
        return result;
    } catch (...) {
        if (group)
            connection_->run("ROLLBACK TO SAVEPOINT escritura", {}, doing);
        else
            connection_->rollback();
        throw;
    }
}

// A group that looks at the list of tables, or changes a table's columns, holds
// the database's catalog against other such groups until it ends: a group that
// finds a table missing and makes it is never overtaken by another doing the same.
void PostgresBackend::lockCatalog() {
    if (!inTransaction()) connection_->reconnectIfLost();
    appends_.sendAll();
    if (writeGroups_ == 0 || catalogLocked_) return;
    connection_->execute("SELECT pg_advisory_xact_lock(" + std::to_string(kCatalogLock) + ")",
                         "reservar el catálogo de tablas");
    catalogLocked_ = true;
    catalog_.invalidate();
}

// Inside a group, a table is locked against other writers (readers go on) before
// the group first reads or writes it, until the group ends.
std::shared_ptr<const TableEntry> PostgresBackend::lockTable(const std::string& table) {
    if (!inTransaction()) connection_->reconnectIfLost();
    auto entry = catalog_.entry(table);
    if (writeGroups_ > 0 && locked_.insert(upperCase(entry->schema.name)).second) {
        const std::string name = entry->schema.name;
        guarded("reservar " + inTable(name), [&] {
            connection_->execute("LOCK TABLE " + quoted(name) + " IN SHARE ROW EXCLUSIVE MODE",
                                 "reservar " + inTable(name));
            return 0;
        });
    }
    return entry;
}

// A table about to be read or changed otherwise than by an append: its held
// appends are sent first.
std::shared_ptr<const TableEntry> PostgresBackend::touch(const std::string& table) {
    auto entry = lockTable(table);
    appends_.send(upperCase(entry->schema.name));
    return entry;
}

std::shared_ptr<const TableEntry> PostgresBackend::editable(const std::string& table,
                                                            const std::string& doing) {
    auto entry = touch(table);
    if (entry->locator.empty())
        throw Error("No se puede " + doing + " de «" + path() + "»: la tabla no tiene " +
                    "ni el orden que esta aplicación da a sus tablas ni una clave primaria " +
                    "numérica que señale cada registro");
    return entry;
}

void PostgresBackend::beginSnapshot() {
    if (snapshots_++ > 0 || writeGroups_ > 0) return;
    try {
        connection_->reconnectIfLost();
        connection_->execute("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY",
                             "leer la base de datos como un solo momento");
    } catch (...) {
        snapshots_ = 0;
        throw;
    }
    catalog_.invalidate();
}

void PostgresBackend::endSnapshot() {
    if (snapshots_ == 0 || --snapshots_ > 0 || writeGroups_ > 0) return;
    connection_->rollback();
}

void PostgresBackend::beginWrites() {
    if (snapshots_ > 0 && writeGroups_ == 0)
        throw Error("No se puede escribir en «" + path() +
                    "» mientras se lee como un solo momento");
    if (writeGroups_++ > 0) return;
    try {
        connection_->reconnectIfLost();
        connection_->begin("agrupar escrituras");
    } catch (...) {
        writeGroups_ = 0;
        throw;
    }
    catalog_.invalidate();
    appends_.clear();
    locked_.clear();
    catalogLocked_ = false;
}

void PostgresBackend::endWrites() {
    if (writeGroups_ == 0 || --writeGroups_ > 0) return;
    locked_.clear();
    catalogLocked_ = false;
    std::exception_ptr refused;  // the rows before a refused append still land
    try {
        appends_.sendAll();
    } catch (...) {
        refused = std::current_exception();
    }
    appends_.clear();
    try {
        connection_->commit("guardar las escrituras agrupadas");
    } catch (...) {
        connection_->rollback();
        throw;
    }
    if (refused) std::rethrow_exception(refused);
}

// The column's definition in CREATE TABLE or ADD COLUMN: yes/no never Null,
// empty text refused unless allowed, autonumbers filled in by the server.
std::string PostgresBackend::definition(const std::string& table, const Column& column) const {
    const std::string name = quoted(column.name);
    std::string sql = name + " " + declaredType(column);
    if (column.autoNumber)
        return sql + (column.type == Type::Guid ? " DEFAULT gen_random_uuid()"
                                                : " GENERATED BY DEFAULT AS IDENTITY");
    std::optional<Value> fallback = column.defaultValue;
    if (column.type == Type::Boolean && !fallback) fallback = Value::boolean(false);
    if (column.required || column.type == Type::Boolean) sql += " NOT NULL";
    if (fallback && !fallback->isNull())
        sql +=
            " DEFAULT " + defaultLiteral(fitToColumn(*fallback, {path(), table, column}), column);
    if ((column.type == Type::Text || column.type == Type::Memo) && !column.allowZeroLength)
        sql += " CHECK (" + name + " <> '')";
    return sql;
}

void PostgresBackend::commentOn(const std::string& table, const Column& column, bool keyed) {
    const std::string comment = commentFor(column, keyed);
    if (comment.empty()) return;
    connection_->execute("COMMENT ON COLUMN " + quoted(table) + "." + quoted(column.name) + " IS " +
                             quotedText(comment),
                         "describir el campo «" + column.name + "»");
}

void PostgresBackend::createTable(const TableSchema& table, const std::vector<Index>& indexes) {
    const std::string doing = "crear " + inTable(table.name);
    lockCatalog();
    checkNewTable(table, catalog_.tableNames(), path());
    checkNewIndexes(table, indexes, path());
    std::string sql = "CREATE TABLE " + quoted(table.name) + " (" + quoted(kOrdinal) +
                      " bigint GENERATED BY DEFAULT AS IDENTITY UNIQUE";
    for (const Column& column : table.columns) sql += ", " + definition(table.name, column);
    catalog_.invalidate();
    guarded(
        doing,
        [&] {
            connection_->execute(sql + ")", doing);
            for (const Column& column : table.columns)
                commentOn(table.name, column, inPrimaryKey(indexes, column.name));
            for (const Index& index : indexes)
                connection_->execute(
                    createIndex(table.name, index,
                                storedIndexName(*connection_, table.name, index.name, doing)),
                    doing);
            return 0;
        },
        true);
}

void PostgresBackend::addColumn(const std::string& table, const Column& column) {
    lockCatalog();
    const TableSchema schema = touch(table)->schema;
    const std::string doing = "añadir el campo «" + column.name + "» a " + inTable(schema.name);
    checkAddedColumn(schema, column, path(), [&] {
        return connection_->run("SELECT 1 FROM " + quoted(schema.name) + " LIMIT 1", {}, doing)
                   .rows() > 0;
    });
    catalog_.invalidate();
    guarded(
        doing,
        [&] {
            connection_->execute("ALTER TABLE " + quoted(schema.name) + " ADD COLUMN " +
                                     definition(schema.name, column),
                                 doing);
            commentOn(schema.name, column, false);
            return 0;
        },
        true);
}

// The server keeps a column's default apart from its rows, which keep their values.
void PostgresBackend::setDefaultValue(const std::string& table, const std::string& column,
                                      const Value& value) {
    const TableSchema schema = touch(table)->schema;
    const Column& target = columnNamed(schema, column, path());
    const std::string doing =
        "fijar el valor predeterminado del campo «" + target.name + "» de " + inTable(schema.name);
    Value fallback = fitToColumn(value, {path(), schema.name, target});
    if (fallback.isNull() && target.type == Type::Boolean) fallback = Value::boolean(false);
    const std::string clause =
        fallback.isNull() ? "DROP DEFAULT" : "SET DEFAULT " + defaultLiteral(fallback, target);
    catalog_.invalidate();
    guarded(doing, [&] {
        connection_->execute("ALTER TABLE " + quoted(schema.name) + " ALTER COLUMN " +
                                 quoted(target.name) + " " + clause,
                             doing);
        return 0;
    });
}

Row PostgresBackend::read(const std::string& table, RowId id) {
    const auto entry = editable(table, "leer un registro de " + inTable(table));
    const TableSchema& schema = entry->schema;
    const Result result =
        connection_->run("SELECT " + columnList(schema) + " FROM " + quoted(schema.name) +
                             " WHERE " + entry->locator + " = $1",
                         {std::to_string(id)}, "leer " + inTable(schema.name));
    if (result.rows() == 0)
        throw Error("El registro ya no existe en la tabla «" + schema.name + "» de «" + path() +
                    "»");
    Row row;
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        const Column& column = schema.columns[i];
        const int c = static_cast<int>(i);
        row.push_back(result.isNull(0, c) ? Value()
                                          : checkedRead(valueFromText(result.text(0, c), column),
                                                        {path(), schema.name, column}));
    }
    return row;
}

void PostgresBackend::updateRow(const TableSchema& table, const std::string& sql,
                                std::vector<Parameter> parameters, const std::string& doing) {
    const int64_t changed =
        guarded(doing, [&] { return connection_->run(sql, parameters, doing).affected(); });
    if (changed == 0)
        throw Error("El registro ya no existe en la tabla «" + table.name + "» de «" + path() +
                    "»");
}

void PostgresBackend::update(const std::string& table, RowId id, const Row& row) {
    const std::string doing = "escribir en " + inTable(table);
    const auto entry = editable(table, doing);
    const TableSchema& schema = entry->schema;
    std::vector<Value> values = fitRow(path(), schema, row);
    std::vector<Parameter> parameters;
    std::string sets;
    for (size_t i = 0; i < values.size(); ++i) {
        const Destination where{path(), schema.name, schema.columns[i]};
        completeForWrite(values[i], where);
        parameters.push_back(values[i].isNull()
                                 ? Parameter()
                                 : parameterText(values[i], where.column, inTable(schema.name)));
        sets += (sets.empty() ? "" : ", ") + quoted(where.column.name) + " = $" +
                std::to_string(parameters.size());
    }
    if (sets.empty()) return;
    parameters.push_back(std::to_string(id));
    const std::string sql = "UPDATE " + quoted(schema.name) + " SET " + sets + " WHERE " +
                            entry->locator + " = $" + std::to_string(parameters.size());
    updateRow(schema, sql, std::move(parameters), doing);
}

void PostgresBackend::updateColumn(const std::string& table, RowId id, int column,
                                   const Value& value) {
    const std::string doing = "escribir en " + inTable(table);
    const auto entry = editable(table, doing);
    const TableSchema& schema = entry->schema;
    if (column < 0 || column >= static_cast<int>(schema.columns.size()))
        throw Error(columnMissing(path(), schema.name, column));
    const Destination where{path(), schema.name, schema.columns[column]};
    Value fitted = fitToColumn(value, where);
    completeForWrite(fitted, where);
    updateRow(
        schema,
        "UPDATE " + quoted(schema.name) + " SET " + quoted(where.column.name) + " = $1 WHERE " +
            entry->locator + " = $2",
        {fitted.isNull() ? Parameter() : parameterText(fitted, where.column, inTable(schema.name)),
         std::to_string(id)},
        doing);
}

// Columns not given are left out of the INSERT, so that the server fills in their
// default or the autonumber; a given Null is written as such.
RowId PostgresBackend::insert(const std::string& table, const Row& row, const Given& given) {
    const std::string doing = "añadir un registro a " + inTable(table);
    const auto entry = lockTable(table);
    const TableSchema& schema = entry->schema;
    std::vector<Value> values = fitRow(path(), schema, row);
    const std::vector<int> written = columnsToInsert(path(), schema, values, given);
    std::string names, marks;
    std::vector<Parameter> parameters;
    for (int i : written) {
        names += (names.empty() ? "" : ", ") + quoted(schema.columns[i].name);
        parameters.push_back(
            values[i].isNull() ? Parameter()
                               : parameterText(values[i], schema.columns[i], inTable(schema.name)));
        marks += (marks.empty() ? "$" : ", $") + std::to_string(parameters.size());
    }
    if (writeGroups_ > 0 && Appends::canHold(*entry))
        return appends_.hold(entry, written, std::move(parameters));
    std::string sql =
        "INSERT INTO " + quoted(schema.name) +
        (written.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")");
    if (!entry->locator.empty()) sql += " RETURNING " + entry->locator;
    const Result result = guarded(doing, [&] { return connection_->run(sql, parameters, doing); });
    return result.rows() > 0 ? std::stoll(result.text(0, 0)) : RowId{-1};
}

// The server keeps its own structures sound; what can be wrong is a table this
// program cannot read.
std::vector<std::string> PostgresBackend::verify() {
    std::vector<std::string> problems;
    for (const std::string& table : catalog_.tableNames()) {
        try {
            auto cursor = select(Query{table, {}, std::nullopt});
            while (cursor->next())
                for (size_t c = 0; c < catalog_.entry(table)->schema.columns.size(); ++c)
                    cursor->value(static_cast<int>(c));
        } catch (const Error& e) {
            problems.push_back(e.what());
        }
    }
    return problems;
}

}  // namespace

std::shared_ptr<Backend> openPostgresBackend(const std::string& uri, const std::string& password) {
    return std::make_shared<PostgresBackend>(Connection::open(uri, password));
}

}  // namespace pelmora::engine

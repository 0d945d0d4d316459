// The backend for SQLite files: tables and schemas through the catalog, queries
// through cursors on live statements, and every write a bound statement that
// commits before the call returns. Values are fitted to their columns first,
// so a value that does not fit leaves the file untouched.
#include "db/engine/sqlite/SqliteBackend.h"

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/sqlite/Catalog.h"
#include "db/engine/sqlite/Connection.h"
#include "db/engine/sqlite/KeyIndex.h"
#include "db/engine/sqlite/Select.h"
#include "db/engine/sqlite/SqlText.h"
#include "db/engine/sqlite/SqliteTypes.h"
#include "db/engine/sqlite/TableIndexes.h"
#include "db/engine/sqlite/Verify.h"

namespace pelmora::engine {

namespace {

using sqlite::Connection;
using sqlite::quoteIdentifier;
using sqlite::Statement;

class SqliteBackend final : public Backend {
  public:
    explicit SqliteBackend(std::shared_ptr<Connection> connection)
        : connection_(std::move(connection)), catalog_(*connection_), indexes_(*connection_) {}

    const std::string& path() const override { return connection_->path(); }

    std::vector<std::string> tableNames() override { return catalog_.tableNames(); }
    TableSchema schema(const std::string& table) override { return catalog_.schema(table); }

    void createTable(const TableSchema& table, const std::vector<Index>& indexes) override;
    std::vector<Index> indexes(const std::string& table) override {
        return sqlite::readIndexes(*connection_, catalog_.entry(table));
    }
    void addColumn(const std::string& table, const Column& column) override;
    void setDefaultValue(const std::string& table, const std::string& column,
                         const Value& value) override;

    std::unique_ptr<Cursor> select(const Query& query) override {
        return sqlite::openCursor(connection_, catalog_.schema(query.table), query, indexes_);
    }
    Row read(const std::string& table, RowId id) override;
    void update(const std::string& table, RowId id, const Row& row) override;
    void updateColumn(const std::string& table, RowId id, int column, const Value& value) override;
    RowId insert(const std::string& table, const Row& row, const Given& given) override;

    void beginWrites() override;
    void endWrites() override;
    bool restoredOnOpen() const override { return connection_->restoredOnOpen(); }

    std::vector<std::string> verify() override { return sqlite::verify(*connection_, catalog_); }

  private:
    std::string definition(const std::string& table, const Column& column,
                           const std::string& declared, bool added) const;
    bool hasRows(const std::string& table);
    void updateRow(const TableSchema& table, RowId id, Statement& statement);
    void changeSchema(const std::vector<std::string>& statements, const std::string& doing);

    std::shared_ptr<Connection> connection_;
    int writeGroups_ = 0;  // groups of writes begun and not ended
    sqlite::Catalog catalog_;
    sqlite::KeyIndexes indexes_;
};

// One transaction for the whole group, taking the file's write lock at once when
// the file may be written (so that no other writer can slip in and make the
// group's first write fail at its end); inside it no other connection can
// change the schema, so the catalog is not asked again at every write.
void SqliteBackend::beginWrites() {
    if (writeGroups_ > 0) {
        ++writeGroups_;
        return;
    }
    connection_->execute(connection_->readOnly() ? "BEGIN" : "BEGIN IMMEDIATE",
                         "agrupar escrituras");
    try {
        catalog_.tableNames();
    } catch (...) {
        sqlite3_exec(connection_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    catalog_.hold(true);
    writeGroups_ = 1;
}

// A group SQLite already rolled back by itself (after a failed write) has
// nothing left to store; a failed COMMIT leaves no transaction open behind it.
void SqliteBackend::endWrites() {
    if (writeGroups_ == 0 || --writeGroups_ > 0) return;
    catalog_.hold(false);
    if (sqlite3_get_autocommit(connection_->handle())) return;
    try {
        connection_->execute("COMMIT", "guardar las escrituras agrupadas");
    } catch (...) {
        sqlite3_exec(connection_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// The column's definition in CREATE TABLE or ADD COLUMN (`added`), declared as
// `declared` (sqlite::declaredType, or the type of a key): yes/no never
// Null, empty text refused unless allowed, a replication-ID autonumber a new GUID.
// A required column added without a default is CHECK (name IS NOT NULL), which
// ADD COLUMN takes where NOT NULL needs a default.
std::string SqliteBackend::definition(const std::string& table, const Column& column,
                                      const std::string& declared, bool added) const {
    const std::string name = quoteIdentifier(column.name);
    std::string sql = name + " " + declared;
    if (column.autoNumber && column.type == Type::Guid)
        return sql + " DEFAULT (" + sqlite::kNewGuidDefault + ")";
    if (column.autoNumber) return sql;
    std::optional<Value> fallback = column.defaultValue;
    if (column.type == Type::Boolean && !fallback) fallback = Value::boolean(false);
    if (column.required && added && !fallback)
        sql += " CHECK (" + name + " IS NOT NULL)";
    else if (column.required || column.type == Type::Boolean)
        sql += " NOT NULL";
    if (fallback && !fallback->isNull())
        sql += " DEFAULT " + sqlite::sqlLiteral(fitToColumn(*fallback, {path(), table, column}));
    if ((column.type == Type::Text || column.type == Type::Memo) && !column.allowZeroLength)
        sql += " CHECK (" + name + " <> '')";
    return sql;
}

// The statements land whole or not at all: inside a write group under a
// savepoint, otherwise in a transaction of their own that takes the file's write
// lock at once (as a group does).
void SqliteBackend::changeSchema(const std::vector<std::string>& statements,
                                 const std::string& doing) {
    connection_->requireWritable(doing);
    catalog_.invalidate();
    const bool group = writeGroups_ > 0;
    connection_->execute(group ? "SAVEPOINT esquema" : "BEGIN IMMEDIATE", doing);
    try {
        for (const std::string& sql : statements) connection_->execute(sql, doing);
        connection_->execute(group ? "RELEASE esquema" : "COMMIT", doing);
    } catch (...) {
        sqlite3_exec(connection_->handle(),
                     group ? "ROLLBACK TO esquema; RELEASE esquema" : "ROLLBACK", nullptr, nullptr,
                     nullptr);
        throw;
    }
}

void SqliteBackend::createTable(const TableSchema& table, const std::vector<Index>& indexes) {
    const std::string doing = "crear " + inTable(table.name);
    checkNewTable(table, catalog_.tableNames(), path());
    checkNewIndexes(table, indexes, path());
    const sqlite::NewIndexes plan = sqlite::planIndexes(table, indexes);
    std::string sql = "CREATE TABLE " + quoteIdentifier(table.name) + " (";
    for (const Column& column : table.columns)
        sql += (&column == &table.columns.front() ? "" : ", ") +
               definition(table.name, column, sqlite::declaredIn(plan, column), false);
    std::vector<std::string> statements{sql + sqlite::keyClauses(plan) + ")"};
    for (const Index& index : plan.separate)
        statements.push_back(sqlite::createIndex(table.name, index));
    changeSchema(statements, doing);
}

void SqliteBackend::addColumn(const std::string& table, const Column& column) {
    const TableSchema schema = catalog_.schema(table);
    const std::string doing = "añadir el campo «" + column.name + "» a " + inTable(schema.name);
    checkAddedColumn(schema, column, path(), [&] { return hasRows(schema.name); });
    changeSchema({"ALTER TABLE " + quoteIdentifier(schema.name) + " ADD COLUMN " +
                  definition(schema.name, column, sqlite::declaredType(column), true)},
                 doing);
}

bool SqliteBackend::hasRows(const std::string& table) {
    Statement any = connection_->prepare("SELECT 1 FROM " + quoteIdentifier(table) + " LIMIT 1",
                                         "leer " + inTable(table));
    return any.step();
}

// SQLite cannot alter a column, so the DEFAULT clause is rewritten in the stored
// CREATE TABLE statement (the documented way for changes that leave the rows'
// format alone). Rows are rewritten first: a row stored before the column was
// added holds no value for it and would otherwise read the new default.
void SqliteBackend::setDefaultValue(const std::string& table, const std::string& column,
                                    const Value& value) {
    const TableSchema schema = catalog_.schema(table);
    const Column& target = columnNamed(schema, column, path());
    const std::string doing =
        "fijar el valor predeterminado del campo «" + target.name + "» de " + inTable(schema.name);
    connection_->requireWritable(doing);
    Value fallback = fitToColumn(value, {path(), schema.name, target});
    if (fallback.isNull() && target.type == Type::Boolean) fallback = Value::boolean(false);
    if (target.defaultValue ? *target.defaultValue == fallback : fallback.isNull()) return;

    const std::string& sql = catalog_.entry(schema.name).sql;
    std::string changed;
    for (const sqlite::ColumnDefinition& definition : sqlite::columnDefinitions(sql))
        if (sameName(definition.name, target.name))
            changed =
                sqlite::withDefault(sql, definition, sqlite::defaultLiteral(fallback, target));
    if (changed.empty() || !sqlite::isValidCreateStatement(changed))
        throw Error("No se puede " + doing + " en «" + path() +
                    "»: no se entiende la definición de la tabla");

    int64_t next = 0;
    {
        Statement version = connection_->cached("PRAGMA schema_version", doing);
        version.step();
        next = sqlite3_column_int64(version.raw(), 0) + 1;
    }
    catalog_.invalidate();
    connection_->execute("BEGIN IMMEDIATE", doing);
    try {
        const std::string name = quoteIdentifier(target.name);
        connection_->execute(
            "UPDATE " + quoteIdentifier(schema.name) + " SET " + name + " = " + name, doing);
        connection_->execute("PRAGMA writable_schema = ON", doing);
        Statement rewrite = connection_->prepare(
            "UPDATE sqlite_master SET sql = ? WHERE type = 'table' AND name = ?", doing);
        rewrite.bindText(1, changed);
        rewrite.bindText(2, schema.name);
        rewrite.step();
        connection_->execute("PRAGMA schema_version = " + std::to_string(next), doing);
        connection_->execute("PRAGMA writable_schema = OFF", doing);
        connection_->execute("COMMIT", doing);
    } catch (...) {
        sqlite3_exec(connection_->handle(), "PRAGMA writable_schema = OFF; ROLLBACK", nullptr,
                     nullptr, nullptr);
        throw;
    }
}

Row SqliteBackend::read(const std::string& table, RowId id) {
    const sqlite::CatalogEntry& entry = catalog_.entry(table);
    const TableSchema& schema = entry.schema;
    Statement statement = connection_->cached(entry.readRow, "leer " + inTable(schema.name));
    statement.bind(1, int64_t{id});
    if (!statement.step())
        throw Error("El registro ya no existe en la tabla «" + schema.name + "» de «" + path() +
                    "»");
    Row row;
    for (size_t i = 0; i < schema.columns.size(); ++i)
        row.push_back(
            checkedRead(sqlite::readValue(statement.raw(), static_cast<int>(i), schema.columns[i]),
                        {path(), schema.name, schema.columns[i]}));
    return row;
}

// Runs a bound UPDATE of one row; the row must still be there.
void SqliteBackend::updateRow(const TableSchema& table, RowId id, Statement& statement) {
    statement.step();
    if (sqlite3_changes(connection_->handle()) == 0)
        throw Error("El registro ya no existe en la tabla «" + table.name + "» de «" + path() +
                    "»");
    indexes_.rowWritten(table, id);
}

void SqliteBackend::update(const std::string& table, RowId id, const Row& row) {
    const sqlite::CatalogEntry& entry = catalog_.entry(table);
    const TableSchema& schema = entry.schema;
    const std::string doing = "escribir en " + inTable(schema.name);
    connection_->requireWritable(doing);
    std::vector<Value> values = fitRow(path(), schema, row);
    for (size_t i = 0; i < values.size(); ++i)
        completeForWrite(values[i], {path(), schema.name, schema.columns[i]});
    Statement statement = connection_->cached(entry.updateRow, doing);
    for (size_t i = 0; i < values.size(); ++i)
        sqlite::bindValue(statement, static_cast<int>(i + 1), values[i], schema.columns[i]);
    statement.bind(static_cast<int>(values.size() + 1), int64_t{id});
    updateRow(schema, id, statement);
}

void SqliteBackend::updateColumn(const std::string& table, RowId id, int column,
                                 const Value& value) {
    const sqlite::CatalogEntry& entry = catalog_.entry(table);
    const TableSchema& schema = entry.schema;
    const std::string doing = "escribir en " + inTable(schema.name);
    connection_->requireWritable(doing);
    if (column < 0 || column >= static_cast<int>(schema.columns.size()))
        throw Error(columnMissing(path(), schema.name, column));
    Value fitted = fitToColumn(value, {path(), schema.name, schema.columns[column]});
    completeForWrite(fitted, {path(), schema.name, schema.columns[column]});
    Statement statement = connection_->cached(entry.updateColumn[column], doing);
    sqlite::bindValue(statement, 1, fitted, schema.columns[column]);
    statement.bind(2, int64_t{id});
    updateRow(entry.schema, id, statement);
}

// Columns not given are left out of the INSERT, so that SQLite fills in their
// default (false for yes/no) or the autonumber; a given Null is written as such.
RowId SqliteBackend::insert(const std::string& table, const Row& row, const Given& given) {
    const TableSchema& schema = catalog_.schema(table);
    const std::string doing = "añadir un registro a " + inTable(schema.name);
    connection_->requireWritable(doing);
    std::vector<Value> values = fitRow(path(), schema, row);
    const std::vector<int> written = columnsToInsert(path(), schema, values, given);
    std::string names, marks;
    for (int i : written) {
        names += (names.empty() ? "" : ", ") + quoteIdentifier(schema.columns[i].name);
        marks += marks.empty() ? "?" : ", ?";
    }
    const std::string target = "INSERT INTO " + quoteIdentifier(schema.name);
    Statement statement =
        connection_->cached(written.empty() ? target + " DEFAULT VALUES"
                                            : target + " (" + names + ") VALUES (" + marks + ")",
                            doing);
    for (size_t k = 0; k < written.size(); ++k)
        sqlite::bindValue(statement, static_cast<int>(k + 1), values[written[k]],
                          schema.columns[written[k]]);
    statement.step();
    const RowId id = sqlite3_last_insert_rowid(connection_->handle());
    indexes_.rowWritten(schema, id);
    return id;
}

}  // namespace

std::shared_ptr<Backend> openSqliteBackend(const std::string& path) {
    return std::make_shared<SqliteBackend>(sqlite::Connection::open(path, false));
}

std::shared_ptr<Backend> createSqliteBackend(const std::string& path) {
    return std::make_shared<SqliteBackend>(sqlite::Connection::open(path, true));
}

}  // namespace pelmora::engine

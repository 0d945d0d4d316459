// The engine's public face: an open database file and the table definitions,
// fields and recordsets the program works through, shaped after the Access
// engine's object model. Backends plug in underneath (Backend.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/engine/Backend.h"

namespace pelmora::engine {

class Recordset;

enum class OpenMode {
    Dynaset = 2,   // records can be edited and added
    Snapshot = 4,  // read-only copy
};

// A table definition: attached (read from the database; appending a field adds the
// column to the table) or new (built field by field, then appended to the database).
class TableDef {
public:
    const std::string& name() const { return schema_.name; }
    const std::vector<Column>& fields() const { return schema_.columns; }
    const TableSchema& schema() const { return schema_; }

    Column createField(const std::string& name, Type type, int size = 0) const;
    void appendField(const Column& field);
    void setDefaultValue(const std::string& field, const Value& value);
    void setAllowZeroLength(const std::string& field, bool allow);

private:
    friend class Database;
    TableDef(std::shared_ptr<Backend> backend, TableSchema schema)
        : backend_(std::move(backend)), schema_(std::move(schema)) {}
    Column& column(const std::string& field);

    std::shared_ptr<Backend> backend_;  // null while the definition is new
    TableSchema schema_;
};

class Database {
public:
    const std::string& path() const { return backend_->path(); }

    // Every table name, system tables included, in the engine's order.
    std::vector<std::string> tableNames() { return backend_->tableNames(); }
    TableDef tableDef(const std::string& name);
    TableDef createTableDef(const std::string& name) const;
    void appendTableDef(const TableDef& def);

    // A statement of the forms in Query.h, or a bare table name.
    std::unique_ptr<Recordset> openRecordset(const std::string& source, OpenMode mode);

    Backend& backend() { return *backend_; }

private:
    friend std::shared_ptr<Database> openDatabase(const std::string& path);
    friend std::shared_ptr<Database> createSqliteDatabase(const std::string& path);
    explicit Database(std::shared_ptr<Backend> backend) : backend_(std::move(backend)) {}

    std::shared_ptr<Backend> backend_;
};

// Opens an existing file by what it holds (Jet or SQLite). Never creates a file.
// A file already open in this process, under whatever path, shares the same
// backend (pages, lock). A path that is not a regular file (a folder, a FIFO, a
// device) is refused before anything opens it.
std::shared_ptr<Database> openDatabase(const std::string& path);

// Creates a new, empty SQLite database; an existing file is an error.
std::shared_ptr<Database> createSqliteDatabase(const std::string& path);

}  // namespace pelmora::engine

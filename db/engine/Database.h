// The engine's public face: an open database file and the table definitions,
// fields and recordsets the program works through, shaped after the Access
// engine's object model, with the rows, writes and write groups beneath them.
// Backends plug in underneath, private to the engine (Backend.h, Opener.cpp).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "db/engine/Cursor.h"
#include "db/engine/Query.h"
#include "db/engine/Schema.h"

namespace pelmora::engine {

class Backend;
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
    const std::string& path() const;

    // Every table name, system tables included, in the engine's order.
    std::vector<std::string> tableNames();
    TableDef tableDef(const std::string& name);
    TableDef createTableDef(const std::string& name) const;
    void appendTableDef(const TableDef& def);

    // A statement of the forms in Query.h, or a bare table name.
    std::unique_ptr<Recordset> openRecordset(const std::string& source, OpenMode mode);

    // The table's columns; throws Error naming the table when it does not exist.
    TableSchema schema(const std::string& table);
    // A new table, with the indexes given (checkNewIndexes) made with it.
    void createTable(const TableSchema& table, const std::vector<Index>& indexes = {});
    // The table's indexes: its primary key first, then the others by name.
    std::vector<Index> indexes(const std::string& table);
    // A new column on an existing table; rows already there read the column's
    // default (false for yes/no), or Null.
    void addColumn(const std::string& table, const Column& column);

    // The rows that satisfy the query, in stored order or in the query's order.
    std::unique_ptr<Cursor> select(const Query& query);
    // One whole row by its locator.
    Row read(const std::string& table, RowId id);
    // Writes a whole row (every column, in schema order).
    void update(const std::string& table, RowId id, const Row& row);
    // Sets one column of a row (by index in schema order), the others as stored.
    void updateColumn(const std::string& table, RowId id, int column, const Value& value);
    // Appends a row. A column not given takes its default value (or the next
    // autonumber); a column given Null stays Null, except a yes/no, which is never
    // Null (false), and an autonumber, which takes the next number.
    RowId insert(const std::string& table, const Row& row, const Given& given);
    // Appends a row whose every column is given.
    RowId insert(const std::string& table, const Row& row);

    // A group of writes stored together: the writes between beginWrites() and the
    // matching endWrites() reach the file as one, whatever kills the process. Calls
    // nest; the outermost endWrites() stores. The outermost beginWrites() takes the
    // file's writer lock (waiting a bounded time for another writer) before anything
    // the group reads, and holds it until the group ends. A write that fails inside
    // a group leaves no trace in it; the writes before it stay in the group.
    void beginWrites();
    void endWrites();

    // A snapshot for reading: the reads between beginSnapshot() and the matching
    // endSnapshot() see the database as it was at the first of them, whatever other
    // connections commit meanwhile; nothing is written in between. Calls nest. A
    // server database gives it with a transaction; the files' backends have no
    // such thing and do nothing (each of their tables is read whole in one go).
    void beginSnapshot();
    void endSnapshot();

    // Whether opening the file put back a group of writes that a killed process
    // left unfinished (the file is then as it was before that group).
    bool restoredOnOpen() const;
    // Checks the file's structure (and, where the format has them, every index
    // against the rows). Returns one Spanish line per problem; empty when sound.
    std::vector<std::string> verify();

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

// Whether `name` is the address of a database on a PostgreSQL server
// (postgresql://user@host:port/database?...), which openDatabase also takes, as it
// takes a connection file (.pgconn) holding one on its first line.
bool isServerAddress(const std::string& name);

// The name as it may be shown and recorded: a server address without its password,
// which the engine keeps, in this process only, to open that address. Other
// names are returned as they are.
std::string withoutPassword(const std::string& name);

// Creates a new, empty SQLite database; an existing file is an error.
std::shared_ptr<Database> createSqliteDatabase(const std::string& path);

}  // namespace pelmora::engine

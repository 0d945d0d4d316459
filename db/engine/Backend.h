// What a storage backend (Jet, SQLite) offers to the engine's front (private to
// the engine: the program goes through Database.h): tables,
// their schemas, matching rows of a query, and row writes. Rows are vectors of
// values in the table's column order; a RowId is the backend's own locator.
// Every write lands whole before the call returns, except inside a group of
// writes (beginWrites), which lands whole when the group ends: whatever kills
// the process, the file holds a group entirely or not at all.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/engine/Cursor.h"
#include "db/engine/Query.h"
#include "db/engine/Schema.h"

namespace pelmora::engine {

// The message for a column index a table does not have.
std::string columnMissing(const std::string& path, const std::string& table, int column);

class Backend {
  public:
    virtual ~Backend() = default;

    virtual const std::string& path() const = 0;

    // Every table, system tables included, in the engine's own order.
    virtual std::vector<std::string> tableNames() = 0;
    // The table's columns; throws Error naming the table when it does not exist.
    virtual TableSchema schema(const std::string& table) = 0;

    // A new table with its indexes (checkNewIndexes), made whole or not at all.
    virtual void createTable(const TableSchema& table, const std::vector<Index>& indexes) = 0;
    // The table's indexes, in the backend's own order. Access's indexes of a
    // relationship (foreign keys) belong to it and are not listed.
    virtual std::vector<Index> indexes(const std::string& table) = 0;
    // A new column on an existing table; rows already there read the column's default
    // (false for yes/no), or Null.
    virtual void addColumn(const std::string& table, const Column& column) = 0;
    virtual void setDefaultValue(const std::string& table, const std::string& column,
                                 const Value& value) = 0;

    // The rows that satisfy the query, in stored order or in the query's order.
    virtual std::unique_ptr<Cursor> select(const Query& query) = 0;
    // One whole row by its locator.
    virtual Row read(const std::string& table, RowId id) = 0;
    // Writes a whole row (every column, in schema order).
    virtual void update(const std::string& table, RowId id, const Row& row) = 0;
    // Sets one column of a row (by index in schema order), the others left as stored.
    // This default reads the row and writes it whole.
    virtual void updateColumn(const std::string& table, RowId id, int column, const Value& value);
    // Appends a row. A column not given takes its default value (or the next
    // autonumber); a column given Null stays Null, except a yes/no, which is
    // never Null (false), and an autonumber, which takes the next number.
    virtual RowId insert(const std::string& table, const Row& row, const Given& given) = 0;
    // Appends a row whose every column is given.
    RowId insert(const std::string& table, const Row& row);

    // A group of writes stored together: the writes between beginWrites() and the
    // matching endWrites() reach the file as one at endWrites(), so that a long run of
    // small writes (the marks of a walk) does not pay a commit each. Calls nest; the
    // outermost endWrites() stores. The outermost beginWrites() takes the file's
    // writer lock (waiting a bounded time for another writer) before anything the
    // group reads, and holds it until the group ends. A write that fails inside a
    // group leaves no trace in it; the writes before it stay in the group.
    virtual void beginWrites() = 0;
    virtual void endWrites() = 0;

    // A snapshot for reading: the reads between beginSnapshot() and the matching
    // endSnapshot() see the database as it was at the first of them, whatever other
    // connections commit meanwhile; nothing is written in between. Calls nest. A
    // server database gives it with a transaction; the files' backends have no
    // such thing and do nothing (each of their tables is read whole in one go).
    virtual void beginSnapshot() {}
    virtual void endSnapshot() {}

    // Whether opening the file put back a group of writes that a killed process
    // left unfinished (the file is then as it was before that group).
    virtual bool restoredOnOpen() const = 0;

    // Checks the file's structure (and, where the format has them, every index
    // against the rows). Returns one Spanish line per problem; empty when sound.
    virtual std::vector<std::string> verify() = 0;
};

}  // namespace pelmora::engine

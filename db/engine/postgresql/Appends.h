// Appends held back inside a write group and sent to the server many rows to one
// INSERT, so that a merge of many records costs a few statements, not one each.
// A held row's ordinal (its RowId, and its place in stored order) is taken from
// the table's sequence when the row is held. The rows of a table are sent before
// anything else reads or changes that table, and all of them before the group
// ends; a batch the server refuses is sent again row by row, so that the rows
// before the refused one land and the error names the write that failed.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/engine/Cursor.h"
#include "db/engine/postgresql/Catalog.h"
#include "db/engine/postgresql/Connection.h"

namespace pelmora::engine::postgresql {

class Appends {
  public:
    explicit Appends(Connection& connection) : connection_(connection) {}

    // Whether appends to the table can be held: it has the hidden ordinal.
    static bool canHold(const TableEntry& table);
    // Holds one row of the given columns (indexes in schema order) and their values;
    // its ordinal.
    RowId hold(const std::shared_ptr<const TableEntry>& table, const std::vector<int>& columns,
               std::vector<Parameter> values);
    // Sends the rows held for the table (by upper-cased name), or for every table.
    void send(const std::string& table);
    void sendAll();
    // Forgets the held rows, and the ordinals taken (a new group takes others).
    void clear();

  private:
    struct Batch {
        std::shared_ptr<const TableEntry> table;
        std::vector<int> columns;
        std::vector<Parameter> values;  // row after row, the ordinal first
        size_t rows = 0;
    };
    RowId nextOrdinal(const TableEntry& table);
    void insert(const Batch& batch, size_t first, size_t count);

    Connection& connection_;
    std::map<std::string, Batch> batches_;
    std::map<std::string, std::deque<RowId>> ordinals_;  // taken and not yet used
};

}  // namespace pelmora::engine::postgresql

// A recordset: the rows a statement selected, visited through the backend's
// cursor, and for dynasets the edit buffer of AddNew/Edit that Update writes.
// RecordCount counts the records visited so far, as the Access engine does:
// above 0 right after opening when there is a record, exact after MoveLast.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "db/engine/Database.h"

namespace pelmora::engine {

class Recordset {
  public:
    Recordset(std::shared_ptr<Backend> backend, TableSchema schema, Query query, OpenMode mode);

    bool eof() const { return closed_ || !current_; }
    int32_t recordCount() const { return visited_; }
    void moveFirst();
    void moveNext();
    void moveLast();

    int fieldCount() const { return static_cast<int>(schema_.columns.size()); }
    const std::string& fieldName(int index) const { return schema_.columns.at(index).name; }
    const TableSchema& schema() const { return schema_; }

    // The current record's value of a field (or of the record begun by AddNew/Edit).
    Value field(const std::string& name);
    // Sets a field of the record begun by AddNew or Edit. A field AddNew's record
    // leaves unset takes its default value; one set to Null stays Null.
    void set(const std::string& name, Value value);

    void addNew();
    void edit();
    void update();
    void close();

  private:
    enum class Editing { None, Edit, AddNew };
    int column(const std::string& name) const;
    void restart();
    void advance();
    void requireOpen(const char* operation) const;
    void requireCurrent(const char* operation) const;
    void requireWritable(const char* operation) const;
    Row currentRow();

    std::shared_ptr<Backend> backend_;
    TableSchema schema_;
    Query query_;
    OpenMode mode_;
    std::unique_ptr<Cursor> cursor_;
    bool current_ = false;         // the cursor (or `detached_`) is on a record
    std::optional<Row> detached_;  // the current record held in memory (MoveLast, Update)
    bool pastLast_ = false;        // MoveLast ran: nothing follows the current record
    RowId currentId_ = 0;
    int32_t position_ = -1;
    int32_t visited_ = 0;
    bool closed_ = false;
    Editing editing_ = Editing::None;
    Row buffer_;
    Given given_;  // the fields set since AddNew
};

}  // namespace pelmora::engine

// A recordset: the rows a statement selected, a current position, and for
// dynasets the edit buffer of AddNew/Edit that Update writes through the backend.
#pragma once

#include <memory>
#include <string>

#include "db/engine/Backend.h"
#include "db/engine/Database.h"

namespace pelmora::engine {

class Recordset {
public:
    Recordset(std::shared_ptr<Backend> backend, TableSchema schema, Rows rows, OpenMode mode);

    bool eof() const { return closed_ || position_ >= static_cast<long>(rows_.ids.size()); }
    int32_t recordCount() const { return static_cast<int32_t>(rows_.ids.size()); }
    void moveFirst();
    void moveNext();
    void moveLast();

    int fieldCount() const { return static_cast<int>(schema_.columns.size()); }
    const std::string& fieldName(int index) const { return schema_.columns.at(index).name; }
    const TableSchema& schema() const { return schema_; }

    // The current record's value of a field (or of the record begun by AddNew/Edit).
    const Value& field(const std::string& name) const;
    // Sets a field of the record begun by AddNew or Edit.
    void set(const std::string& name, Value value);

    void addNew();
    void edit();
    void update();
    void close();

private:
    enum class Editing { None, Edit, AddNew };
    int column(const std::string& name) const;
    void requireCurrent(const char* operation) const;
    void requireWritable(const char* operation) const;

    std::shared_ptr<Backend> backend_;
    TableSchema schema_;
    Rows rows_;
    OpenMode mode_;
    long position_ = 0;
    bool closed_ = false;
    Editing editing_ = Editing::None;
    Row buffer_;
};

}  // namespace pelmora::engine

#include "db/engine/Recordset.h"

#include "db/engine/Error.h"

namespace pelmora::engine {

Recordset::Recordset(std::shared_ptr<Backend> backend, TableSchema schema, Rows rows,
                     OpenMode mode)
    : backend_(std::move(backend)), schema_(std::move(schema)), rows_(std::move(rows)),
      mode_(mode) {}

void Recordset::moveFirst() {
    requireCurrent("MoveFirst");
    position_ = 0;
}

void Recordset::moveNext() {
    requireCurrent("MoveNext");
    ++position_;
}

void Recordset::moveLast() {
    requireCurrent("MoveLast");
    position_ = static_cast<long>(rows_.ids.size()) - 1;
}

int Recordset::column(const std::string& name) const {
    int i = schema_.find(name);
    if (i < 0)
        throw Error("No existe el campo «" + name + "» en la tabla «" + schema_.name + "» de " +
                    backend_->path());
    return i;
}

void Recordset::requireCurrent(const char* operation) const {
    if (closed_)
        throw Error(std::string(operation) + ": el conjunto de registros de la tabla «" +
                    schema_.name + "» está cerrado");
    if (rows_.ids.empty())
        throw Error(std::string(operation) + ": no hay ningún registro en la tabla «" +
                    schema_.name + "»");
}

void Recordset::requireWritable(const char* operation) const {
    if (closed_)
        throw Error(std::string(operation) + ": el conjunto de registros de la tabla «" +
                    schema_.name + "» está cerrado");
    if (mode_ == OpenMode::Snapshot)
        throw Error(std::string(operation) + ": el conjunto de registros de la tabla «" +
                    schema_.name + "» es de solo lectura");
}

const Value& Recordset::field(const std::string& name) const {
    int i = column(name);
    if (editing_ != Editing::None) return buffer_[i];
    if (eof())
        throw Error("No hay registro actual en la tabla «" + schema_.name + "» al leer «" + name +
                    "»");
    return rows_.rows[position_][i];
}

void Recordset::set(const std::string& name, Value value) {
    int i = column(name);
    if (editing_ == Editing::None)
        throw Error("Se asigna el campo «" + name + "» de la tabla «" + schema_.name +
                    "» sin AddNew ni Edit");
    buffer_[i] = std::move(value);
}

void Recordset::addNew() {
    requireWritable("AddNew");
    buffer_.assign(schema_.columns.size(), Value());
    editing_ = Editing::AddNew;
}

void Recordset::edit() {
    requireWritable("Edit");
    if (eof()) throw Error("Edit: no hay registro actual en la tabla «" + schema_.name + "»");
    buffer_ = rows_.rows[position_];
    editing_ = Editing::Edit;
}

void Recordset::update() {
    requireWritable("Update");
    if (editing_ == Editing::Edit) {
        backend_->update(schema_.name, rows_.ids[position_], buffer_);
        rows_.rows[position_] = buffer_;
    } else if (editing_ == Editing::AddNew) {
        RowId id = backend_->insert(schema_.name, buffer_);
        // The new record joins the end of the set; the current record stays current.
        rows_.ids.push_back(id);
        rows_.rows.push_back(buffer_);
    } else {
        throw Error("Update sin AddNew ni Edit en la tabla «" + schema_.name + "»");
    }
    editing_ = Editing::None;
}

void Recordset::close() {
    closed_ = true;
    editing_ = Editing::None;
    rows_ = {};
}

}  // namespace pelmora::engine

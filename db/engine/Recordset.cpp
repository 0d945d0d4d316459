#include "db/engine/Recordset.h"

#include <algorithm>

#include "db/engine/Backend.h"
#include "db/engine/Error.h"

namespace pelmora::engine {

Recordset::Recordset(std::shared_ptr<Backend> backend, TableSchema schema, Query query,
                     OpenMode mode)
    : backend_(std::move(backend)),
      schema_(std::move(schema)),
      query_(std::move(query)),
      mode_(mode) {
    restart();
}

void Recordset::restart() {
    cursor_ = backend_->select(query_);
    position_ = -1;
    advance();
}

void Recordset::advance() {
    detached_.reset();
    pastLast_ = false;
    current_ = cursor_ && cursor_->next();
    if (!current_) return;
    currentId_ = cursor_->id();
    ++position_;
    visited_ = std::max(visited_, position_ + 1);
}

void Recordset::moveFirst() {
    requireOpen("MoveFirst");
    restart();
    if (!current_)
        throw Error("MoveFirst: no hay ningún registro en la tabla «" + schema_.name + "»");
}

void Recordset::moveNext() {
    requireCurrent("MoveNext");
    if (pastLast_) {
        detached_.reset();
        current_ = false;
        return;
    }
    advance();
}

void Recordset::moveLast() {
    requireOpen("MoveLast");
    if (!current_) restart();
    if (!current_)
        throw Error("MoveLast: no hay ningún registro en la tabla «" + schema_.name + "»");
    RowId last = currentId_;
    while (cursor_->next()) {
        last = cursor_->id();
        ++position_;
    }
    visited_ = std::max(visited_, position_ + 1);
    currentId_ = last;
    detached_ = backend_->read(schema_.name, last);
    pastLast_ = true;
    current_ = true;
}

int Recordset::column(const std::string& name) const {
    int i = schema_.find(name);
    if (i < 0)
        throw Error("No existe el campo «" + name + "» en la tabla «" + schema_.name + "» de " +
                    backend_->path());
    return i;
}

void Recordset::requireOpen(const char* operation) const {
    if (closed_)
        throw Error(std::string(operation) + ": el conjunto de registros de la tabla «" +
                    schema_.name + "» está cerrado");
}

void Recordset::requireCurrent(const char* operation) const {
    requireOpen(operation);
    if (!current_)
        throw Error(std::string(operation) + ": no hay registro actual en la tabla «" +
                    schema_.name + "»");
}

void Recordset::requireWritable(const char* operation) const {
    requireOpen(operation);
    if (mode_ == OpenMode::Snapshot)
        throw Error(std::string(operation) + ": el conjunto de registros de la tabla «" +
                    schema_.name + "» es de solo lectura");
}

Row Recordset::currentRow() {
    if (detached_) return *detached_;
    Row row;
    row.reserve(schema_.columns.size());
    for (int i = 0; i < fieldCount(); ++i) row.push_back(cursor_->value(i));
    return row;
}

Value Recordset::field(const std::string& name) {
    int i = column(name);
    if (editing_ != Editing::None) return buffer_[i];
    requireCurrent(("leer el campo «" + name + "»").c_str());
    return detached_ ? (*detached_)[i] : cursor_->value(i);
}

void Recordset::set(const std::string& name, Value value) {
    int i = column(name);
    if (editing_ == Editing::None)
        throw Error("Se asigna el campo «" + name + "» de la tabla «" + schema_.name +
                    "» sin AddNew ni Edit");
    buffer_[i] = std::move(value);
    if (editing_ == Editing::AddNew) given_[i] = true;
}

void Recordset::addNew() {
    requireWritable("AddNew");
    buffer_.assign(schema_.columns.size(), Value());
    given_.assign(schema_.columns.size(), false);
    editing_ = Editing::AddNew;
}

void Recordset::edit() {
    requireWritable("Edit");
    requireCurrent("Edit");
    buffer_ = currentRow();
    editing_ = Editing::Edit;
}

void Recordset::update() {
    requireWritable("Update");
    if (editing_ == Editing::Edit) {
        backend_->update(schema_.name, currentId_, buffer_);
        detached_ = buffer_;
    } else if (editing_ == Editing::AddNew) {
        backend_->insert(schema_.name, buffer_, given_);  // the current record stays current
    } else {
        throw Error("Update sin AddNew ni Edit en la tabla «" + schema_.name + "»");
    }
    editing_ = Editing::None;
}

void Recordset::close() {
    closed_ = true;
    current_ = false;
    editing_ = Editing::None;
    cursor_.reset();
    detached_.reset();
}

}  // namespace pelmora::engine

#include "db/engine/Database.h"

#include <algorithm>

#include "db/engine/Backend.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "db/engine/Text.h"

namespace pelmora::engine {

Column TableDef::createField(const std::string& name, Type type, int size) const {
    Column c;
    c.name = name;
    c.type = type;
    c.size = type == Type::Text ? size : 0;
    return c;
}

Column& TableDef::column(const std::string& field) {
    int i = schema_.find(field);
    if (i < 0) throw Error("No existe el campo «" + field + "» en la tabla «" + schema_.name + "»");
    return schema_.columns[i];
}

void TableDef::appendField(const Column& field) {
    if (schema_.find(field.name) >= 0)
        throw Error("El campo «" + field.name + "» ya existe en la tabla «" + schema_.name + "»");
    if (backend_) backend_->addColumn(schema_.name, field);
    schema_.columns.push_back(field);
}

void TableDef::setDefaultValue(const std::string& field, const Value& value) {
    Column& c = column(field);
    if (backend_) backend_->setDefaultValue(schema_.name, c.name, value);
    c.defaultValue = value;
}

void TableDef::setAllowZeroLength(const std::string& field, bool allow) {
    if (backend_)
        throw Error("AllowZeroLength solo se puede fijar antes de añadir la tabla «" +
                    schema_.name + "» a la base de datos");
    column(field).allowZeroLength = allow;
}

TableDef Database::tableDef(const std::string& name) {
    return TableDef(backend_, backend_->schema(name));
}

TableDef Database::createTableDef(const std::string& name) const {
    TableSchema schema;
    schema.name = name;
    return TableDef(nullptr, schema);
}

void Database::appendTableDef(const TableDef& def) {
    for (const auto& existing : backend_->tableNames())
        if (upperCase(existing) == upperCase(def.name()))
            throw Error("La tabla «" + def.name() + "» ya existe en " + path());
    backend_->createTable(def.schema(), {});
}

const std::string& Database::path() const {
    return backend_->path();
}
std::vector<std::string> Database::tableNames() {
    return backend_->tableNames();
}
TableSchema Database::schema(const std::string& table) {
    return backend_->schema(table);
}
void Database::createTable(const TableSchema& table, const std::vector<Index>& indexes) {
    backend_->createTable(table, indexes);
}
std::vector<Index> Database::indexes(const std::string& table) {
    std::vector<Index> found = backend_->indexes(table);
    std::stable_sort(found.begin(), found.end(), [](const Index& a, const Index& b) {
        if (a.primaryKey != b.primaryKey) return a.primaryKey;
        return upperCase(a.name) < upperCase(b.name);
    });
    return found;
}
void Database::addColumn(const std::string& table, const Column& column) {
    backend_->addColumn(table, column);
}
std::unique_ptr<Cursor> Database::select(const Query& query) {
    return backend_->select(query);
}
Row Database::read(const std::string& table, RowId id) {
    return backend_->read(table, id);
}
void Database::update(const std::string& table, RowId id, const Row& row) {
    backend_->update(table, id, row);
}
void Database::updateColumn(const std::string& table, RowId id, int column, const Value& value) {
    backend_->updateColumn(table, id, column, value);
}
RowId Database::insert(const std::string& table, const Row& row, const Given& given) {
    return backend_->insert(table, row, given);
}
RowId Database::insert(const std::string& table, const Row& row) {
    return backend_->insert(table, row);
}
void Database::beginWrites() {
    backend_->beginWrites();
}
void Database::endWrites() {
    backend_->endWrites();
}

void Database::beginSnapshot() {
    backend_->beginSnapshot();
}

void Database::endSnapshot() {
    backend_->endSnapshot();
}
bool Database::restoredOnOpen() const {
    return backend_->restoredOnOpen();
}
std::vector<std::string> Database::verify() {
    return backend_->verify();
}

std::unique_ptr<Recordset> Database::openRecordset(const std::string& source, OpenMode mode) {
    Query query = parseStatement(source);
    TableSchema schema = backend_->schema(query.table);
    return std::make_unique<Recordset>(backend_, std::move(schema), std::move(query), mode);
}

}  // namespace pelmora::engine

#include "db/engine/Database.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "db/engine/Text.h"
#include "db/engine/jet/JetBackend.h"
#include "db/engine/sqlite/SqliteBackend.h"

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
    if (i < 0)
        throw Error("No existe el campo «" + field + "» en la tabla «" + schema_.name + "»");
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
    backend_->createTable(def.schema());
}

std::unique_ptr<Recordset> Database::openRecordset(const std::string& source, OpenMode mode) {
    Query query = parseStatement(source);
    TableSchema schema = backend_->schema(query.table);
    return std::make_unique<Recordset>(backend_, std::move(schema), std::move(query), mode);
}

namespace {

// One backend per file in the process: a second open of the same path shares it.
std::mutex registryMutex;
std::map<std::string, std::weak_ptr<Backend>>& registry() {
    static std::map<std::string, std::weak_ptr<Backend>> open;
    return open;
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    auto c = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : c.string();
}

enum class Kind { Jet, Sqlite };

Kind kindOf(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw Error("No se encuentra el fichero de base de datos «" + path + "»");
    if (std::filesystem::is_directory(path, ec))
        throw Error("«" + path + "» es una carpeta, no un fichero de base de datos");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("No se puede abrir el fichero de base de datos «" + path + "»");
    char head[32] = {};
    in.read(head, sizeof head);
    std::string bytes(head, static_cast<size_t>(in.gcount()));
    if (bytes.empty()) throw Error("El fichero «" + path + "» está vacío: no es una base de datos");
    if (bytes.size() >= 16 && bytes.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0)
        return Kind::Sqlite;
    if (bytes.size() >= 19 && bytes.compare(4, 15, "Standard Jet DB") == 0) return Kind::Jet;
    if (bytes.size() >= 19 && bytes.compare(4, 15, "Standard ACE DB") == 0)
        throw Error("«" + path + "» es una base de datos de Access 2007 o posterior (.accdb), " +
                    "que no se admite: guárdela en formato Access 2000-2003 (.mdb)");
    throw Error("«" + path + "» no es una base de datos de Access ni de SQLite");
}

}  // namespace

std::shared_ptr<Database> openDatabase(const std::string& path) {
    const std::string key = canonical(path);
    std::lock_guard lock(registryMutex);
    if (auto shared = registry()[key].lock())
        return std::shared_ptr<Database>(new Database(shared));
    std::shared_ptr<Backend> backend =
        kindOf(path) == Kind::Sqlite ? openSqliteBackend(path) : openJetBackend(path);
    registry()[key] = backend;
    return std::shared_ptr<Database>(new Database(backend));
}

std::shared_ptr<Database> createSqliteDatabase(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        throw Error("El fichero «" + path + "» ya existe; no se crea otra base de datos encima");
    std::lock_guard lock(registryMutex);
    std::shared_ptr<Backend> backend = createSqliteBackend(path);
    registry()[canonical(path)] = backend;
    return std::shared_ptr<Database>(new Database(backend));
}

}  // namespace pelmora::engine

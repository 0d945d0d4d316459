#include "db/engine/sqlite/Catalog.h"

#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/sqlite/Select.h"
#include "db/engine/sqlite/SqlText.h"
#include "db/engine/sqlite/SqliteTypes.h"

namespace pelmora::engine::sqlite {

namespace {

std::string columnText(sqlite3_stmt* stmt, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    return text ? text : "";
}

}  // namespace

void Catalog::refresh() {
    if (held_ && version_ >= 0) return;
    Statement version = connection_.cached("PRAGMA schema_version", "leer el catálogo de tablas");
    version.step();
    const int64_t current = sqlite3_column_int64(version.raw(), 0);
    if (current == version_) return;
    names_.clear();
    tables_.clear();
    given_.clear();
    Statement list = connection_.cached(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
        "ESCAPE '\\' ORDER BY rowid",
        "leer el catálogo de tablas");
    while (list.step()) names_.push_back(columnText(list.raw(), 0));
    version_ = current;
}

const std::vector<std::string>& Catalog::tableNames() {
    refresh();
    return names_;
}

const CatalogEntry& Catalog::entry(const std::string& table) {
    refresh();
    if (auto known = given_.find(table); known != given_.end()) return *known->second;
    const std::string key = upperCase(table);
    auto found = tables_.find(key);
    if (found == tables_.end())
        for (const std::string& name : names_)
            if (upperCase(name) == key) found = tables_.emplace(key, load(name)).first;
    if (found == tables_.end())
        throw Error("No existe la tabla «" + table + "» en la base de datos «" +
                    connection_.path() + "»");
    return *given_.emplace(table, &found->second).first->second;
}

const TableSchema& Catalog::schema(const std::string& table) {
    return entry(table).schema;
}

CatalogEntry Catalog::load(const std::string& name) {
    const std::string doing = "leer la definición de la tabla «" + name + "»";
    CatalogEntry entry;
    entry.schema.name = name;
    Statement create = connection_.cached(
        "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?", doing);
    create.bindText(1, name);
    if (create.step()) entry.sql = columnText(create.raw(), 0);
    const std::vector<ColumnDefinition> definitions = columnDefinitions(entry.sql);

    Statement info = connection_.cached(
        "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?) ORDER BY cid",
        doing);
    info.bindText(1, name);
    int keyColumns = 0;
    std::vector<std::string> defaults;
    while (info.step()) {
        sqlite3_stmt* row = info.raw();
        Column column;
        column.name = columnText(row, 0);
        const bool key = sqlite3_column_int(row, 4) > 0;
        keyColumns += key;
        typeFromDeclared(columnText(row, 1), key && upperCase(columnText(row, 1)) == "INTEGER",
                         column);
        column.required = sqlite3_column_int(row, 2) != 0 && column.type != Type::Boolean;
        column.allowZeroLength = column.type == Type::Text || column.type == Type::Memo;
        for (const ColumnDefinition& definition : definitions) {
            if (!sameName(definition.name, column.name)) continue;
            if (definition.forbidsEmpty) column.allowZeroLength = false;
            if (definition.forbidsNull && column.type != Type::Boolean) column.required = true;
        }
        defaults.push_back(sqlite3_column_type(row, 3) == SQLITE_NULL ? "NULL"
                                                                      : columnText(row, 3));
        entry.schema.columns.push_back(std::move(column));
    }
    for (size_t i = 0; i < entry.schema.columns.size(); ++i) {
        Column& column = entry.schema.columns[i];
        if (column.autoNumber && keyColumns > 1) typeFromDeclared("INTEGER", false, column);
        if (column.type == Type::Guid && defaults[i] == kNewGuidDefault) column.autoNumber = true;
        if (column.autoNumber) column.required = false;
        column.defaultValue = storedDefault(defaults[i], column, name, connection_.path());
    }
    const TableSchema& schema = entry.schema;
    const std::string where = " WHERE " + rowidName(schema) + " = ?";
    entry.readRow = "SELECT " + columnList(schema) + " FROM " + quoteIdentifier(name) + where;
    std::string assignments;
    for (const Column& column : schema.columns) {
        const std::string assignment = quoteIdentifier(column.name) + " = ?";
        assignments += (assignments.empty() ? "" : ", ") + assignment;
        entry.updateColumn.push_back("UPDATE " + quoteIdentifier(name) + " SET " + assignment +
                                     where);
    }
    entry.updateRow = "UPDATE " + quoteIdentifier(name) + " SET " + assignments + where;
    return entry;
}

}  // namespace pelmora::engine::sqlite

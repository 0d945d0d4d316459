// The commands that write: create, create-table, add-column, insert and update.
// The rows of one insert or update land as one group: a line or row that fails
// leaves the ones before it stored; a killed process leaves none of them.
#include <stdexcept>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/GroupGuard.h"
#include "tools/pelmora-bdd/ColumnText.h"
#include "tools/pelmora-bdd/Commands.h"
#include "tools/pelmora-bdd/ValueJson.h"

namespace pelmora::bdd {

namespace {

const engine::Column& columnOf(const engine::TableSchema& schema, const std::string& name,
                               const std::string& path) {
    const int index = schema.find(name);
    if (index < 0)
        throw engine::Error("No existe el campo «" + name + "» en la tabla «" + schema.name +
                            "» de «" + path + "»");
    return schema.columns[index];
}

// One line of `insert` as a new row: the columns the line names are given
// (null as Null), the others take their default.
struct NewRow {
    engine::Row values;
    engine::Given given;
};

NewRow rowFromLine(const std::string& line, const engine::TableSchema& schema,
                   const std::string& path) {
    NewRow row{engine::Row(schema.columns.size()), engine::Given(schema.columns.size(), false)};
    for (const auto& [key, json] : parseJsonObject(line)) {
        const engine::Column& column = columnOf(schema, key, path);
        const int index = schema.find(column.name);
        row.values[index] = jsonToValue(json, column);
        row.given[index] = true;
    }
    return row;
}

std::string records(int n, const char* done) {
    return std::to_string(n) + (n == 1 ? " registro " : " registros ") + done + (n == 1 ? "" : "s");
}

}  // namespace

int runCreate(const Arguments& args, std::ostream&) {
    expectPositional(args, 1, 1);
    engine::createSqliteDatabase(args.positional[0]);
    return 0;
}

int runCreateTable(const Arguments& args, std::ostream&) {
    expectPositional(args, 3, 255);
    std::vector<engine::Column> columns;
    for (size_t i = 2; i < args.positional.size(); ++i)
        columns.push_back(parseColumnText(args.positional[i]));
    auto db = engine::openDatabase(args.positional[0]);
    engine::TableDef def = db->createTableDef(args.positional[1]);
    for (const engine::Column& column : columns) def.appendField(column);
    db->appendTableDef(def);
    return 0;
}

int runAddColumn(const Arguments& args, std::ostream&) {
    expectPositional(args, 3, 3);
    const engine::Column column = parseColumnText(args.positional[2]);
    auto db = engine::openDatabase(args.positional[0]);
    db->tableDef(args.positional[1]).appendField(column);
    return 0;
}

int runInsert(const Arguments& args, std::istream& in, std::ostream& out) {
    expectPositional(args, 2, 2);
    auto db = engine::openDatabase(args.positional[0]);
    engine::Database& backend = *db;
    engine::GroupGuard group(db);
    const engine::TableSchema schema = backend.schema(args.positional[1]);
    int lineNumber = 0, added = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        try {
            const NewRow row = rowFromLine(line, schema, db->path());
            backend.insert(schema.name, row.values, row.given);
        } catch (const std::exception& e) {
            throw engine::Error("Línea " + std::to_string(lineNumber) + " de la entrada: " +
                                e.what() + " (" + records(added, "añadido") + " antes)");
        }
        ++added;
    }
    group.finish();
    out << records(added, "añadido") << " a «" << schema.name << "»\n";
    return 0;
}

int runUpdate(const Arguments& args, std::ostream& out) {
    expectPositional(args, 2, 2);
    if (args.values("--set").empty()) throw ErrorUso("«update» necesita al menos un --set");
    std::vector<std::pair<std::string, std::string>> sets, wheres;
    for (const std::string& text : args.values("--set")) sets.push_back(splitAssignment(text));
    for (const std::string& text : args.values("--where")) wheres.push_back(splitAssignment(text));

    auto db = engine::openDatabase(args.positional[0]);
    engine::Database& backend = *db;
    engine::GroupGuard group(db);
    const engine::TableSchema schema = backend.schema(args.positional[1]);
    std::vector<std::pair<int, engine::Value>> changes;
    for (const auto& [name, text] : sets) {
        const engine::Column& column = columnOf(schema, name, db->path());
        changes.emplace_back(schema.find(column.name), argumentToValue(text, column));
    }
    engine::Query query;
    query.table = schema.name;
    for (const auto& [name, text] : wheres)
        query.conditions.push_back({name, engine::Comparison::Equal,
                                    argumentToValue(text, columnOf(schema, name, db->path()))});
    std::unique_ptr<engine::Cursor> cursor = backend.select(query);
    int updated = 0;
    while (cursor->next()) {
        engine::Row row = backend.read(schema.name, cursor->id());
        for (const auto& [index, value] : changes) row[index] = value;
        backend.update(schema.name, cursor->id(), row);
        ++updated;
    }
    group.finish();
    out << records(updated, "actualizado") << " en «" << schema.name << "»\n";
    return 0;
}

}  // namespace pelmora::bdd

// The commands that only read: tables, schema, indexes, dump and check.
#include "db/engine/Database.h"
#include "db/engine/Text.h"
#include "tools/pelmora-bdd/ColumnText.h"
#include "tools/pelmora-bdd/Commands.h"
#include "tools/pelmora-bdd/ValueJson.h"

namespace pelmora::bdd {

bool isSystemTable(const std::string& name) {
    const std::string upper = engine::upperCase(name.substr(0, 4));
    return upper == "MSYS" || upper == "USYS";
}

int runTables(const Arguments& args, std::ostream& out) {
    expectPositional(args, 1, 1);
    auto db = engine::openDatabase(args.positional[0]);
    for (const std::string& name : db->tableNames())
        if (args.flag("--system") || !isSystemTable(name)) out << name << '\n';
    return 0;
}

int runSchema(const Arguments& args, std::ostream& out) {
    expectPositional(args, 2, 2);
    auto db = engine::openDatabase(args.positional[0]);
    for (const engine::Column& column : db->schema(args.positional[1]).columns) {
        out << formatColumnText(column);
        if (column.defaultValue) out << " default=" << valueToJson(*column.defaultValue);
        out << '\n';
    }
    return 0;
}

std::string formatIndexText(const engine::Index& index) {
    std::string text = index.name + ":";
    for (const engine::IndexedColumn& column : index.columns)
        text += (&column == &index.columns.front() ? "" : ",") + column.name +
                (column.descending ? " desc" : "");
    if (index.primaryKey) return text + ":primary";
    return index.unique ? text + ":unique" : text;
}

int runIndexes(const Arguments& args, std::ostream& out) {
    expectPositional(args, 2, 2);
    auto db = engine::openDatabase(args.positional[0]);
    for (const engine::Index& index : db->indexes(args.positional[1]))
        out << formatIndexText(index) << '\n';
    return 0;
}

int runDump(const Arguments& args, std::ostream& out) {
    expectPositional(args, 2, 2);
    auto db = engine::openDatabase(args.positional[0]);
    engine::Database& backend = *db;
    const engine::TableSchema schema = backend.schema(args.positional[1]);
    engine::Query query;
    query.table = schema.name;
    std::unique_ptr<engine::Cursor> cursor = backend.select(query);
    std::vector<std::string> keys;
    for (const engine::Column& column : schema.columns) keys.push_back(jsonString(column.name));
    std::string line;
    while (cursor->next()) {
        line = "{";
        for (size_t i = 0; i < keys.size(); ++i)
            line +=
                (i ? ", " : "") + keys[i] + ": " + valueToJson(cursor->value(static_cast<int>(i)));
        out << line << "}\n";
    }
    return 0;
}

int runCheck(const Arguments& args, std::ostream& out) {
    expectPositional(args, 1, 1);
    auto db = engine::openDatabase(args.positional[0]);
    if (db->restoredOnOpen())
        out << "La base de datos «" << db->path() << "» tenía un grupo de escrituras sin "
            << "terminar (el proceso que escribía se interrumpió): ha vuelto a como estaba "
            << "antes de él\n";
    const std::vector<std::string> problems = db->verify();
    for (const std::string& problem : problems) out << problem << '\n';
    if (problems.empty()) out << "La base de datos «" << db->path() << "» está en buen estado\n";
    return problems.empty() ? 0 : 1;
}

}  // namespace pelmora::bdd

// copy: every table of one database into another of any kind (Access, SQLite,
// PostgreSQL), with its columns, types and properties, its primary key and
// indexes, and its rows in stored order. Each table lands whole, in one write group; the tables the
// target already has are refused before anything is written.
#include <filesystem>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/GroupGuard.h"
#include "db/engine/Text.h"
#include "tools/pelmora-bdd/Commands.h"

namespace pelmora::bdd {

namespace {

bool isCopied(const std::string& table) {
    return !isSystemTable(table) && engine::upperCase(table.substr(0, 7)) != "SQLITE_";
}

// The target, opened; a file that does not exist yet is made as SQLite.
std::shared_ptr<engine::Database> openTarget(const std::string& name) {
    std::error_code error;
    if (!engine::isServerAddress(name) && !std::filesystem::exists(name, error))
        return engine::createSqliteDatabase(name);
    return engine::openDatabase(name);
}

int copyTable(engine::Database& source, const std::shared_ptr<engine::Database>& target,
              const engine::TableSchema& schema) {
    engine::GroupGuard group(target);
    target->createTable(schema, source.indexes(schema.name));
    std::unique_ptr<engine::Cursor> rows = source.select(engine::Query{schema.name, {}, {}});
    const engine::Given all(schema.columns.size(), true);
    int copied = 0;
    for (; rows->next(); ++copied) {
        engine::Row row;
        for (size_t c = 0; c < schema.columns.size(); ++c)
            row.push_back(rows->value(static_cast<int>(c)));
        target->insert(schema.name, row, all);
    }
    group.finish();
    return copied;
}

}  // namespace

int runCopy(const Arguments& args, std::ostream& out) {
    expectPositional(args, 2, 2);
    auto source = engine::openDatabase(args.positional[0]);
    std::vector<engine::TableSchema> tables;
    for (const std::string& name : source->tableNames())
        if (isCopied(name)) tables.push_back(source->schema(name));
    auto target = openTarget(args.positional[1]);
    for (const std::string& existing : target->tableNames())
        for (const engine::TableSchema& table : tables)
            if (engine::sameName(existing, table.name))
                throw engine::Error("La tabla «" + existing + "» ya existe en «" + target->path() +
                                    "»; no se copia nada");
    for (const engine::TableSchema& table : tables)
        out << table.name << ": " << copyTable(*source, target, table) << " registros\n";
    return 0;
}

}  // namespace pelmora::bdd

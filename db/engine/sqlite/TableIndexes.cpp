#include "db/engine/sqlite/TableIndexes.h"

#include "db/engine/Text.h"
#include "db/engine/sqlite/SqlText.h"
#include "db/engine/sqlite/SqliteTypes.h"

namespace pelmora::engine::sqlite {

namespace {

// The name of a primary key made without one, as Access names it.
constexpr const char* kKeyName = "PrimaryKey";

const Column* rowidColumn(const TableSchema& table) {
    for (const Column& column : table.columns)
        if (column.autoNumber && column.type == Type::Long) return &column;
    return nullptr;
}

bool isOnly(const Index& index, const Column& column) {
    return index.columns.size() == 1 && sameName(index.columns[0].name, column.name);
}

// "PrimaryKey", or "PrimaryKey1", "PrimaryKey2"... when an index given has the name.
std::string freeKeyName(const std::vector<Index>& indexes) {
    std::string name = kKeyName;
    for (int n = 1;; ++n) {
        bool taken = false;
        for (const Index& index : indexes) taken = taken || sameName(index.name, name);
        if (!taken) return name;
        name = kKeyName + std::to_string(n);
    }
}

std::string keyList(const Index& index) {
    std::string list;
    for (const IndexedColumn& column : index.columns)
        list += (list.empty() ? "" : ", ") + quoteIdentifier(column.name) +
                (column.descending ? " DESC" : "");
    return list;
}

// The primary key's name: from its CONSTRAINT clause, else the one Access gives.
std::string keyName(const CatalogEntry& table) {
    const std::string given = primaryKeyName(table.sql);
    return given.empty() ? kKeyName : given;
}

std::string textAt(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? text : "";
}

// The index's key columns in key order; false when one is not a plain column.
bool readKey(Connection& connection, const std::string& stored, Index& index,
             const std::string& doing) {
    Statement key = connection.prepare(
        "SELECT cid, name, \"desc\" FROM pragma_index_xinfo(?) WHERE key ORDER BY seqno", doing);
    key.bindText(1, stored);
    while (key.step()) {
        if (sqlite3_column_int(key.raw(), 0) < 0) return false;
        index.columns.push_back({textAt(key.raw(), 1), sqlite3_column_int(key.raw(), 2) != 0});
    }
    return !index.columns.empty();
}

// A rowid primary key (INTEGER PRIMARY KEY) has no index of its own: its column
// is the one the table's columns mark as the key.
std::optional<Index> rowidKey(Connection& connection, const CatalogEntry& table,
                              const std::string& doing) {
    Statement info =
        connection.prepare("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk", doing);
    info.bindText(1, table.schema.name);
    Index key{keyName(table), {}, true, true};
    while (info.step()) key.columns.push_back({textAt(info.raw(), 0), false});
    if (key.columns.empty()) return std::nullopt;
    return key;
}

}  // namespace

NewIndexes planIndexes(const TableSchema& table, const std::vector<Index>& indexes) {
    NewIndexes plan;
    const Column* rowid = rowidColumn(table);
    for (const Index& index : indexes) {
        for (const IndexedColumn& column : index.columns)
            if (index.primaryKey && !(rowid && sameName(column.name, rowid->name)))
                plan.refuseNull.push_back(column.name);
        if (index.primaryKey && (!rowid || isOnly(index, *rowid))) {
            plan.primaryKey = index;
            continue;
        }
        plan.separate.push_back(index);
        if (!index.primaryKey) continue;
        plan.separate.back().primaryKey = false;
        plan.separate.back().unique = true;
    }
    if (rowid && !plan.primaryKey)
        plan.primaryKey = Index{freeKeyName(indexes), {{rowid->name, false}}, true, true};
    return plan;
}

std::string declaredIn(const NewIndexes& plan, const Column& column) {
    if (plan.primaryKey && isOnly(*plan.primaryKey, column)) return declaredKeyType(column);
    return declaredType(column);
}

std::string keyClauses(const NewIndexes& plan) {
    std::string sql;
    if (plan.primaryKey)
        sql += ", CONSTRAINT " + quoteIdentifier(plan.primaryKey->name) + " PRIMARY KEY (" +
               keyList(*plan.primaryKey) + ")";
    for (const std::string& column : plan.refuseNull)
        sql += ", CHECK (" + quoteIdentifier(column) + " IS NOT NULL)";
    return sql;
}

std::string createIndex(const std::string& table, const Index& index) {
    return std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
           quoteIdentifier(qualifiedIndexName(table, index.name)) + " ON " +
           quoteIdentifier(table) + " (" + keyList(index) + ")";
}

std::vector<Index> readIndexes(Connection& connection, const CatalogEntry& table) {
    const std::string& name = table.schema.name;
    const std::string doing = "leer los índices de la tabla «" + name + "»";
    Statement list = connection.prepare(
        "SELECT name, \"unique\", origin = 'pk' FROM pragma_index_list(?) WHERE NOT partial",
        doing);
    list.bindText(1, name);
    std::vector<Index> found;
    bool keyed = false;
    while (list.step()) {
        const std::string stored = textAt(list.raw(), 0);
        Index index;
        index.unique = sqlite3_column_int(list.raw(), 1) != 0;
        index.primaryKey = sqlite3_column_int(list.raw(), 2) != 0;
        index.name = index.primaryKey ? keyName(table) : ownIndexName(name, stored);
        keyed = keyed || index.primaryKey;
        if (readKey(connection, stored, index, doing)) found.push_back(std::move(index));
    }
    if (!keyed)
        if (std::optional<Index> key = rowidKey(connection, table, doing)) found.push_back(*key);
    return found;
}

}  // namespace pelmora::engine::sqlite

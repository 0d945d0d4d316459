#include "db/engine/postgresql/Catalog.h"

#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/postgresql/Types.h"

namespace pelmora::engine::postgresql {

namespace {

// Every column of every table of the current schema, tables in the order they were
// made; with whether the column alone is the table's primary key.
constexpr const char* kColumns = R"(
SELECT c.relname, a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull,
       a.attidentity <> '' OR coalesce(pg_get_expr(d.adbin, d.adrelid), '') LIKE 'nextval(%'
           OR coalesce(pg_get_expr(d.adbin, d.adrelid), '') = 'gen_random_uuid()',
       pg_get_expr(d.adbin, d.adrelid), coalesce(col_description(c.oid, a.attnum), '')
FROM pg_class c
JOIN pg_namespace n ON n.oid = c.relnamespace
JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
LEFT JOIN pg_attrdef d ON d.adrelid = c.oid AND d.adnum = a.attnum
WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p')
ORDER BY c.oid, a.attnum)";

// The primary keys' columns, in key order.
constexpr const char* kPrimaryKeys = R"(
SELECT c.relname, a.attname, format_type(a.atttypid, a.atttypmod)
FROM pg_index i
JOIN pg_class c ON c.oid = i.indrelid
JOIN pg_namespace n ON n.oid = c.relnamespace
CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(attnum, place)
JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum
WHERE i.indisprimary AND n.nspname = current_schema()
ORDER BY c.oid, k.place)";

bool isWholeNumber(const std::string& formatted) {
    return formatted == "integer" || formatted == "smallint" || formatted == "bigint";
}

}  // namespace

void Catalog::load() {
    tables_.clear();
    byName_.clear();
    std::map<std::string, bool> hasOrdinal;
    const Result columns = connection_.run(kColumns, {}, "leer el catálogo de tablas");
    for (int r = 0; r < columns.rows(); ++r) {
        const std::string table = columns.text(r, 0);
        if (tables_.empty() || tables_.back()->schema.name != table) {
            byName_[upperCase(table)] = tables_.size();
            tables_.push_back(std::make_shared<TableEntry>(TableEntry{{table, {}}, "", "ctid"}));
        }
        Column column;
        column.name = columns.text(r, 1);
        if (column.name == kOrdinal) {
            hasOrdinal[table] = true;
            continue;
        }
        typeFromCatalog(columns.text(r, 2), columns.text(r, 6), column);
        column.required =
            requiredFromCatalog(columns.text(r, 3) == "t", columns.text(r, 6), column);
        column.autoNumber = columns.text(r, 4) == "t";
        if (!column.autoNumber && !columns.isNull(r, 5))
            column.defaultValue = defaultFromExpression(columns.text(r, 5), column);
        tables_.back()->schema.columns.push_back(column);
    }
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> keys;
    const Result primary = connection_.run(kPrimaryKeys, {}, "leer el catálogo de tablas");
    for (int r = 0; r < primary.rows(); ++r)
        keys[primary.text(r, 0)].emplace_back(primary.text(r, 1), primary.text(r, 2));
    for (const auto& entry : tables_) {
        TableEntry& table = *entry;
        const auto& key = keys[table.schema.name];
        if (hasOrdinal[table.schema.name]) {
            table.locator = table.storedOrder = quoted(kOrdinal);
        } else if (!key.empty()) {
            table.storedOrder.clear();
            for (const auto& [name, type] : key)
                table.storedOrder += (table.storedOrder.empty() ? "" : ", ") + quoted(name);
            if (key.size() == 1 && isWholeNumber(key[0].second)) table.locator = table.storedOrder;
        }
    }
    loaded_ = true;
}

std::vector<std::string> Catalog::tableNames() {
    load();
    std::vector<std::string> names;
    for (const auto& table : tables_) names.push_back(table->schema.name);
    return names;
}

std::shared_ptr<const TableEntry> Catalog::entry(const std::string& table) {
    if (!loaded_ || !byName_.count(upperCase(table))) load();
    const auto found = byName_.find(upperCase(table));
    if (found == byName_.end())
        throw Error("No existe la tabla «" + table + "» en «" + connection_.address() + "»");
    return tables_[found->second];
}

}  // namespace pelmora::engine::postgresql

#include "db/engine/postgresql/TableIndexes.h"

#include <sstream>

#include "db/engine/postgresql/Catalog.h"
#include "db/engine/postgresql/Types.h"

namespace pelmora::engine::postgresql {

namespace {

// The longest name the server keeps, in bytes.
constexpr size_t kMostBytes = 63;

// The server makes a primary key's index in ascending order only: the key's
// descending columns, by their place from 1, are kept in the constraint's
// comment after this word.
constexpr const char* kDescending = "pelmora:descendentes";

// Every index of a table, one row per key column in key order; the key column's
// name is Null for an expression.
constexpr const char* kIndexes = R"(
SELECT ic.relname, i.indisunique, i.indisprimary,
       coalesce(obj_description(ic.oid, 'pg_class'), ''),
       coalesce(obj_description(p.oid, 'pg_constraint'), ''),
       a.attname, (i.indoption[k.place::int - 1] & 1) = 1
FROM pg_index i
JOIN pg_class ic ON ic.oid = i.indexrelid
JOIN pg_class t ON t.oid = i.indrelid
JOIN pg_namespace n ON n.oid = t.relnamespace
CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(attnum, place)
LEFT JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = k.attnum
LEFT JOIN pg_constraint p ON p.conindid = ic.oid AND p.conrelid = t.oid AND p.contype = 'p'
WHERE n.nspname = current_schema() AND t.relname = $1 AND i.indpred IS NULL
  AND k.place <= i.indnkeyatts
ORDER BY ic.oid, k.place)";

// Whether the schema has a table, index, sequence... of the name.
constexpr const char* kTaken = R"(
SELECT 1 FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
WHERE n.nspname = current_schema() AND c.relname = $1)";

// The text cut to at most `bytes` bytes, at the end of a UTF-8 character.
std::string cutAt(const std::string& text, size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes);
}

// Whether a primary key's comment marks its column at `place` (from 1) descending.
bool markedDescending(const std::string& comment, size_t place) {
    if (comment.rfind(kDescending, 0) != 0) return false;
    std::istringstream places(comment.substr(std::string(kDescending).size()));
    for (size_t marked; places >> marked;)
        if (marked == place) return true;
    return false;
}

}  // namespace

std::string storedIndexName(Connection& connection, const std::string& table,
                            const std::string& index, const std::string& doing) {
    const std::string whole = qualifiedIndexName(table, index);
    std::string name = cutAt(whole, kMostBytes);
    for (int n = 2; connection.run(kTaken, {name}, doing).rows() > 0; ++n) {
        const std::string number = "_" + std::to_string(n);
        name = cutAt(whole, kMostBytes - number.size()) + number;
    }
    return name;
}

std::string createIndex(const std::string& table, const Index& index, const std::string& stored) {
    std::string keys, descending;
    for (size_t c = 0; c < index.columns.size(); ++c) {
        const IndexedColumn& column = index.columns[c];
        keys += (c == 0 ? "" : ", ") + quoted(column.name) +
                (column.descending && !index.primaryKey ? " DESC" : "");
        if (column.descending) descending += " " + std::to_string(c + 1);
    }
    std::string sql = index.primaryKey
                          ? "ALTER TABLE " + quoted(table) + " ADD CONSTRAINT " + quoted(stored) +
                                " PRIMARY KEY (" + keys + ")"
                          : std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
                                quoted(stored) + " ON " + quoted(table) + " (" + keys + ")";
    sql += "; COMMENT ON INDEX " + quoted(stored) + " IS " + quotedText(index.name);
    if (index.primaryKey && !descending.empty())
        sql += "; COMMENT ON CONSTRAINT " + quoted(stored) + " ON " + quoted(table) + " IS " +
               quotedText(kDescending + descending);
    return sql;
}

std::vector<Index> readIndexes(Connection& connection, const std::string& table,
                               const std::string& doing) {
    const Result rows = connection.run(kIndexes, {table}, doing);
    std::vector<Index> found;
    std::vector<bool> plain;  // of each index found: every key column a column of the table
    for (int r = 0; r < rows.rows(); ++r) {
        const std::string stored = rows.text(r, 0);
        if (r == 0 || stored != rows.text(r - 1, 0)) {
            const std::string comment = rows.text(r, 3);
            found.push_back({comment.empty() ? ownIndexName(table, stored) : comment,
                             {},
                             rows.text(r, 1) == "t",
                             rows.text(r, 2) == "t"});
            plain.push_back(true);
        }
        Index& index = found.back();
        const std::string column = rows.isNull(r, 5) ? "" : rows.text(r, 5);
        if (column.empty() || column == kOrdinal) plain.back() = false;
        index.columns.push_back(
            {column, rows.text(r, 6) == "t" ||
                         markedDescending(rows.text(r, 4), index.columns.size() + 1)});
    }
    std::vector<Index> indexes;
    for (size_t i = 0; i < found.size(); ++i)
        if (plain[i]) indexes.push_back(std::move(found[i]));
    return indexes;
}

}  // namespace pelmora::engine::postgresql

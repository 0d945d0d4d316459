// Fuzz target of the Access reader: the input, written as an .mdb file, is opened,
// its catalog and every table's rows are read (stored order, sorted by the first
// column, and selected by the first row's value: all three must agree), and its
// structure is checked. A damaged file must end in the engine's error naming it.
#include <cmath>
#include <cstring>
#include <optional>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "fuzz/FuzzTarget.h"

namespace {

using namespace pelmora::engine;

// What a query visited: its rows, and the first row's first value.
struct Visit {
    size_t rows = 0;
    Value first;
};

// Converts a value as the program does: to text, and a number or date to a number.
// A value that does not convert is refused by the conversion's own error.
void convert(const Value& v) {
    if (v.isNull()) return;
    try {
        v.toText();
        if (v.isNumeric() || v.type() == Type::DateTime) v.toLong();
    } catch (const Error&) {
    }
}

// Reads every value of every row the query selects, converting each.
Visit readAll(Database& backend, const Query& query, size_t columns) {
    Visit visit;
    auto cursor = backend.select(query);
    while (cursor->next()) {
        for (size_t i = 0; i < columns; ++i) {
            Value v = cursor->value(static_cast<int>(i));
            convert(v);
            if (visit.rows == 0 && i == 0) visit.first = std::move(v);
        }
        ++visit.rows;
    }
    return visit;
}

// The value as a statement's literal can state it: a text, a whole number or a double.
std::optional<Value> literalOf(const Value& v) {
    switch (v.type()) {
        case Type::Text:
        case Type::Memo:
            return Value::text(v.rawText());
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return Value::longInt(v.toLong());
        case Type::Single:
        case Type::Double:  // NaN equals nothing, itself included
            return std::isnan(v.toDouble()) ? std::nullopt
                                            : std::optional(Value::dbl(v.toDouble()));
        default:
            return std::nullopt;
    }
}

// Reads the table in stored order, sorted by its first column (the same rows) and
// where the first column equals the first row's (that row at least).
void readTable(Database& backend, const std::string& table) {
    const TableSchema schema = backend.schema(table);
    Query query;
    query.table = table;
    const Visit stored = readAll(backend, query, schema.columns.size());
    if (schema.columns.empty()) return;
    query.orderBy = schema.columns[0].name;
    if (readAll(backend, query, schema.columns.size()).rows != stored.rows)
        pelmora::fuzz::finding("la tabla «" + table + "» ordenada no tiene las mismas filas");
    query.orderBy.reset();
    const std::optional<Value> literal = literalOf(stored.first);
    if (!literal) return;
    query.conditions.push_back({schema.columns[0].name, Comparison::Equal, *literal});
    if (readAll(backend, query, schema.columns.size()).rows == 0)
        pelmora::fuzz::finding("en la tabla «" + table +
                               "» ninguna fila tiene el valor de la primera");
}

void readDatabase(const std::string& path) {
    auto db = openDatabase(path);
    for (const std::string& table : db->tableNames()) readTable(*db, table);
    db->verify();
}

bool isSqlite(const uint8_t* data, size_t size) {
    return size >= 16 && std::memcmp(data, "SQLite format 3", 16) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    if (isSqlite(data, size)) return 0;  // the SQLite library reads those, not this engine
    const fs::path folder = pelmora::fuzz::scratch() / "access";
    fs::remove_all(folder);  // the journal and lock file of the last input go too
    fs::create_directories(folder);
    const std::string path = (folder / "entrada.mdb").string();
    pelmora::fuzz::writeFile(path, data, size);
    try {
        readDatabase(path);
    } catch (const Error& error) {
        pelmora::fuzz::requireNamesFile(error.what(), path);
    }
    return 0;
}

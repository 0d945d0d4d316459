// Fuzz target of the Access reader: the input, written as an .mdb file, is opened,
// its catalog and every table's rows are read (stored order, sorted by the first
// column, and selected by the first row's value), and its structure is checked.
// A damaged file must end in the engine's error naming the file.
#include <cstring>
#include <optional>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "fuzz/FuzzTarget.h"

namespace {

using namespace pelmora::engine;

// Reads every value of every row the query selects; the first row's first value.
Value readAll(Backend& backend, const Query& query, size_t columns) {
    Value first;
    bool firstRow = true;
    auto cursor = backend.select(query);
    while (cursor->next()) {
        for (size_t i = 0; i < columns; ++i) {
            Value v = cursor->value(static_cast<int>(i));
            if (firstRow && i == 0) first = std::move(v);
        }
        firstRow = false;
    }
    return first;
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
        case Type::Double:
            return Value::dbl(v.toDouble());
        default:
            return std::nullopt;
    }
}

void readTable(Backend& backend, const std::string& table) {
    const TableSchema schema = backend.schema(table);
    Query query;
    query.table = table;
    const Value first = readAll(backend, query, schema.columns.size());
    if (schema.columns.empty()) return;
    query.orderBy = schema.columns[0].name;
    readAll(backend, query, schema.columns.size());
    query.orderBy.reset();
    const std::optional<Value> literal = literalOf(first);
    if (!literal) return;
    query.conditions.push_back({schema.columns[0].name, Comparison::Equal, *literal});
    readAll(backend, query, schema.columns.size());
}

void readDatabase(const std::string& path) {
    auto db = openDatabase(path);
    for (const std::string& table : db->tableNames()) readTable(db->backend(), table);
    db->backend().verify();
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

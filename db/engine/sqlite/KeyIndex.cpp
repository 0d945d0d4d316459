#include "db/engine/sqlite/KeyIndex.h"

#include <algorithm>

#include "db/engine/EqualKey.h"
#include "db/engine/Text.h"
#include "db/engine/sqlite/Select.h"
#include "db/engine/sqlite/SqlText.h"
#include "db/engine/sqlite/SqliteTypes.h"

namespace pelmora::engine::sqlite {

namespace {

// Keys by the engine's one rule for equal values (EqualKey.h).
std::string numberKey(double value) {
    std::string key;
    appendNumberKey(key, value);
    return key;
}

std::string textKey(const std::string& text) {
    std::string key;
    appendTextKey(key, text);
    return key;
}

// The key of a stored value, or nullopt when it cannot equal any literal; a
// number divided by `scale` first (currency held in ten-thousandths).
std::optional<std::string> storedKey(sqlite3_stmt* stmt, int index, bool text, double scale) {
    const int storage = sqlite3_column_type(stmt, index);
    if (text && storage == SQLITE_TEXT) {
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
        return textKey(std::string(chars, sqlite3_column_bytes(stmt, index)));
    }
    if (!text && (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT))
        return numberKey(sqlite3_column_double(stmt, index) / scale);
    return std::nullopt;
}

}  // namespace

void KeyIndexes::dropIfChangedElsewhere() {
    Statement version = connection_.cached("PRAGMA data_version", "leer la versión de los datos");
    version.step();
    const int64_t current = sqlite3_column_int64(version.raw(), 0);
    if (current != dataVersion_) indexes_.clear();
    dataVersion_ = current;
}

void KeyIndexes::Index::add(RowId id, std::string key) {
    rows[key].push_back(id);
    keys.emplace(id, std::move(key));
}

void KeyIndexes::Index::remove(RowId id) {
    auto key = keys.find(id);
    if (key == keys.end()) return;
    std::vector<RowId>& ids = rows[key->second];
    ids.erase(std::find(ids.begin(), ids.end(), id));
    if (ids.empty()) rows.erase(key->second);
    keys.erase(key);
}

KeyIndexes::Index KeyIndexes::build(const TableSchema& table, const Column& column) {
    Index index;
    index.column = column.name;
    index.text = comparedAsText(column.type);
    index.scale = holdsTenThousandths(column) ? 10000.0 : 1.0;
    Statement scan =
        connection_.prepare("SELECT " + rowidName(table) + ", " + quoteIdentifier(column.name) +
                                " FROM " + quoteIdentifier(table.name),
                            "leer la tabla «" + table.name + "»");
    while (scan.step())
        if (auto key = storedKey(scan.raw(), 1, index.text, index.scale))
            index.add(sqlite3_column_int64(scan.raw(), 0), std::move(*key));
    return index;
}

void KeyIndexes::rowWritten(const TableSchema& table, RowId id) {
    const std::string name = upperCase(table.name);
    for (auto& [which, index] : indexes_) {
        if (which.first != name) continue;
        index.remove(id);
        Statement read = connection_.cached("SELECT " + quoteIdentifier(index.column) + " FROM " +
                                                quoteIdentifier(table.name) + " WHERE " +
                                                rowidName(table) + " = ?",
                                            "leer la tabla «" + table.name + "»");
        read.bind(1, int64_t{id});
        if (read.step())
            if (auto key = storedKey(read.raw(), 0, index.text, index.scale))
                index.add(id, std::move(*key));
    }
}

std::optional<std::vector<RowId>> KeyIndexes::candidates(const TableSchema& table,
                                                         const Column& column,
                                                         const Value& literal) {
    const bool text = comparedAsText(column.type);
    if (!text && !comparedAsNumber(column.type)) return std::nullopt;
    dropIfChangedElsewhere();
    const auto id = std::make_pair(upperCase(table.name), upperCase(column.name));
    auto found = indexes_.find(id);
    if (found == indexes_.end()) {
        if (++lookups_[id] < 2) return std::nullopt;
        found = indexes_.emplace(id, build(table, column)).first;
    }
    const std::string key = text ? textKey(literal.rawText()) : numberKey(literal.toDouble());
    auto rows = found->second.rows.find(key);
    if (rows == found->second.rows.end()) return std::vector<RowId>{};
    return rows->second;
}

}  // namespace pelmora::engine::sqlite

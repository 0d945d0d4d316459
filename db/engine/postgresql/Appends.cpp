#include "db/engine/postgresql/Appends.h"

#include "db/engine/Text.h"
#include "db/engine/postgresql/Types.h"

namespace pelmora::engine::postgresql {

namespace {

// Rows per INSERT, and ordinals taken from the sequence at once. The server takes
// at most 65 535 parameters in one statement.
constexpr size_t kRowsPerInsert = 1000;
constexpr size_t kMostParameters = 60000;
constexpr int kOrdinalsAtOnce = 1000;

std::string doing(const TableEntry& table) {
    return "añadir registros a la tabla «" + table.schema.name + "»";
}

}  // namespace

bool Appends::canHold(const TableEntry& table) {
    return table.locator == quoted(kOrdinal);
}

RowId Appends::nextOrdinal(const TableEntry& table) {
    std::deque<RowId>& free = ordinals_[upperCase(table.schema.name)];
    if (free.empty()) {
        const Result taken = connection_.run(
            "SELECT nextval(pg_get_serial_sequence($1, $2)) FROM generate_series(1, " +
                std::to_string(kOrdinalsAtOnce) + ")",
            {quoted(table.schema.name), std::string(kOrdinal)}, doing(table));
        for (int r = 0; r < taken.rows(); ++r) free.push_back(std::stoll(taken.text(r, 0)));
    }
    const RowId ordinal = free.front();
    free.pop_front();
    return ordinal;
}

RowId Appends::hold(const std::shared_ptr<const TableEntry>& table, const std::vector<int>& columns,
                    std::vector<Parameter> values) {
    const std::string key = upperCase(table->schema.name);
    auto found = batches_.find(key);
    if (found != batches_.end() && found->second.columns != columns) {
        send(key);
        found = batches_.end();
    }
    if (found == batches_.end()) found = batches_.emplace(key, Batch{table, columns, {}, 0}).first;
    Batch& batch = found->second;
    const RowId ordinal = nextOrdinal(*table);
    batch.values.push_back(std::to_string(ordinal));
    for (Parameter& value : values) batch.values.push_back(std::move(value));
    ++batch.rows;
    if (batch.rows >= kRowsPerInsert || batch.values.size() >= kMostParameters) send(key);
    return ordinal;
}

// One INSERT of `count` rows of the batch from `first`, under a savepoint.
void Appends::insert(const Batch& batch, size_t first, size_t count) {
    const size_t width = batch.columns.size() + 1;
    std::string sql = "INSERT INTO " + quoted(batch.table->schema.name) + " (" + quoted(kOrdinal);
    for (int c : batch.columns) sql += ", " + quoted(batch.table->schema.columns[c].name);
    sql += ") VALUES ";
    std::vector<Parameter> parameters(batch.values.begin() + first * width,
                                      batch.values.begin() + (first + count) * width);
    for (size_t r = 0; r < count; ++r) {
        sql += r == 0 ? "(" : ", (";
        for (size_t c = 0; c < width; ++c)
            sql += (c == 0 ? "$" : ", $") + std::to_string(r * width + c + 1);
        sql += ")";
    }
    connection_.execute("SAVEPOINT anadidos", doing(*batch.table));
    try {
        connection_.run(sql, parameters, doing(*batch.table));
    } catch (...) {
        connection_.execute("ROLLBACK TO SAVEPOINT anadidos", doing(*batch.table));
        throw;
    }
    connection_.execute("RELEASE SAVEPOINT anadidos", doing(*batch.table));
}

void Appends::send(const std::string& table) {
    const auto found = batches_.find(table);
    if (found == batches_.end()) return;
    const Batch batch = std::move(found->second);
    batches_.erase(found);
    try {
        insert(batch, 0, batch.rows);
    } catch (...) {
        for (size_t r = 0; r < batch.rows; ++r) insert(batch, r, 1);
        throw;  // a batch refused whole, but no row alone: not expected, still an error
    }
}

void Appends::sendAll() {
    while (!batches_.empty()) send(batches_.begin()->first);
}

void Appends::clear() {
    batches_.clear();
    ordinals_.clear();
}

}  // namespace pelmora::engine::postgresql

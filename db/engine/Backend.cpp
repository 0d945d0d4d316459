#include "db/engine/Backend.h"

#include "db/engine/Error.h"

namespace pelmora::engine {

void Backend::updateColumn(const std::string& table, RowId id, int column, const Value& value) {
    Row row = read(table, id);
    if (column < 0 || column >= static_cast<int>(row.size()))
        throw Error(columnMissing(path(), table, column));
    row[column] = value;
    update(table, id, row);
}

RowId Backend::insert(const std::string& table, const Row& row) {
    return insert(table, row, Given(row.size(), true));
}

std::string columnMissing(const std::string& path, const std::string& table, int column) {
    return "No existe el campo número " + std::to_string(column + 1) + " en la tabla «" + table +
           "» de «" + path + "»";
}

}  // namespace pelmora::engine

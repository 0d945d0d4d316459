#include "db/engine/jet/JetCursor.h"

#include <algorithm>

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/jet/Filter.h"

namespace pelmora::engine::jet {

namespace {

int columnIndex(const JetTable& table, const std::string& name, const std::string& path) {
    int i = table.schema.find(name);
    if (i < 0)
        throw Error("No existe el campo «" + name + "» en la tabla «" + table.schema.name +
                    "» de la base de datos «" + path + "»");
    return i;
}

}  // namespace

JetCursor::JetCursor(std::shared_ptr<JetFile> file, std::shared_ptr<const JetTable> table,
                     const Query& query)
    : file_(std::move(file)),
      table_(std::move(table)),
      scan_(file_->pages(), table_->definition),
      values_(file_->pages()) {
    for (const Condition& c : query.conditions)
        conditions_.push_back({columnIndex(*table_, c.column, file_->path()), c});
    if (query.orderBy) sortRows(columnIndex(*table_, *query.orderBy, file_->path()));
}

bool JetCursor::accepted(RowView& row) {
    for (const Bound& b : conditions_)
        if (!matches(values_.read(table_->definition.columns[b.column], row), b.condition,
                     table_->schema.name))
            return false;
    return true;
}

void JetCursor::sortRows(int column) {
    struct Keyed {
        Value key;
        RowPointer place;
    };
    std::vector<Keyed> rows;
    while (scan_.next())
        if (accepted(scan_.row()))
            rows.push_back(
                {values_.read(table_->definition.columns[column], scan_.row()), scan_.position()});
    std::stable_sort(rows.begin(), rows.end(), [](const Keyed& a, const Keyed& b) {
        return compareForOrder(a.key, b.key) < 0;
    });
    order_.reserve(rows.size());
    for (const Keyed& k : rows) order_.push_back(k.place);
    ordered_ = true;
}

bool JetCursor::next() {
    if (ordered_) {
        while (next_ < order_.size()) {
            current_ = order_[next_++];
            if (locateRow(file_->pages(), table_->definition, current_, holder_, orderedRow_)) {
                row_ = &orderedRow_;
                return true;
            }
        }
        row_ = nullptr;
        return false;
    }
    while (scan_.next()) {
        if (!accepted(scan_.row())) continue;
        current_ = scan_.position();
        row_ = &scan_.row();
        return true;
    }
    row_ = nullptr;
    return false;
}

Value JetCursor::value(int column) {
    if (!row_) throw Error("No hay fila actual en la tabla «" + table_->schema.name + "»");
    if (column < 0 || column >= static_cast<int>(table_->definition.columns.size()))
        throw Error("La tabla «" + table_->schema.name + "» no tiene la columna " +
                    std::to_string(column));
    return checkedRead(values_.read(table_->definition.columns[column], *row_),
                       {file_->path(), table_->schema.name, table_->schema.columns[column]});
}

}  // namespace pelmora::engine::jet

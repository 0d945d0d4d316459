#include "db/engine/sqlite/Select.h"

#include <cmath>

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/sqlite/SqlText.h"
#include "db/engine/sqlite/SqliteTypes.h"

namespace pelmora::engine::sqlite {

namespace {

class SqliteCursor : public Cursor {
  public:
    SqliteCursor(std::shared_ptr<Connection> connection, Statement statement, TableSchema table)
        : connection_(std::move(connection)),
          statement_(std::move(statement)),
          table_(std::move(table)) {}

    bool next() override { return statement_.step(); }
    RowId id() const override { return sqlite3_column_int64(statement_.raw(), 0); }
    Value value(int column) override {
        return checkedRead(readValue(statement_.raw(), column + 1, table_.columns.at(column)),
                           {connection_->path(), table_.name, table_.columns[column]});
    }

  private:
    std::shared_ptr<Connection> connection_;  // outlives the statement
    Statement statement_;
    TableSchema table_;
};

// The literal of a condition as the column's stored form, the way the Access
// engine converts a criterion to its field's type (numbers keep their range free).
Value literalFor(const Value& literal, const Column& column, const TableSchema& table,
                 const std::string& path) {
    try {
        if (comparedAsText(column.type))
            return Value::text(literal.isText() ? literal.rawText() : literal.toText());
        if (comparedAsNumber(column.type)) {
            if (literal.type() == Type::Boolean) return Value::longInt(literal.rawInt() ? -1 : 0);
            return Value::dbl(literal.toDouble());
        }
        Column free = column;
        free.allowZeroLength = true;
        return fitToColumn(literal, {path, table.name, free});
    } catch (const Error& e) {
        throw Error("No coinciden los tipos en la condición sobre el campo «" + column.name +
                    "» de la tabla «" + table.name + "» en «" + path + "»: " + continued(e.what()));
    }
}

void bindLiteral(Statement& statement, int index, const Value& value, const Column& column) {
    if (value.type() == Type::Double && std::trunc(value.rawDouble()) == value.rawDouble() &&
        std::fabs(value.rawDouble()) < 9e18)
        statement.bind(index, static_cast<int64_t>(value.rawDouble()));
    else
        bindValue(statement, index, value, column);
}

// Beyond this many candidate rows a lookup reads the table as it comes.
constexpr size_t kMostCandidates = 256;

const char* operatorText(Comparison op) {
    switch (op) {
        case Comparison::Equal:
            return " = ?";
        case Comparison::Less:
            return " < ?";
        case Comparison::Greater:
            return " > ?";
        case Comparison::LessEqual:
            return " <= ?";
        case Comparison::GreaterEqual:
            return " >= ?";
        case Comparison::NotEqual:
            return " <> ?";
    }
    return " = ?";
}

// The column as conditions and orders compare it: texts by the engine's collation,
// currency held in ten-thousandths as its value in units (the double the Access
// engine compares).
std::string columnExpression(const Column& column) {
    const std::string name = quoteIdentifier(column.name);
    if (holdsTenThousandths(column)) return "(" + name + " / 10000.0)";
    return name + (comparedAsText(column.type) ? " COLLATE PELMORA" : "");
}

}  // namespace

std::string rowidName(const TableSchema& table) {
    for (const char* name : {"rowid", "_rowid_", "oid"})
        if (table.find(name) < 0) return name;
    return "rowid";
}

std::string columnList(const TableSchema& table) {
    std::string list;
    for (const Column& column : table.columns)
        list += (list.empty() ? "" : ", ") + quoteIdentifier(column.name);
    return list;
}

std::unique_ptr<Cursor> openCursor(std::shared_ptr<Connection> connection, const TableSchema& table,
                                   const Query& query, KeyIndexes& indexes) {
    const std::string& path = connection->path();
    const std::string rowid = rowidName(table);
    std::string sql = "SELECT " + rowid + (table.columns.empty() ? "" : ", ") + columnList(table) +
                      " FROM " + quoteIdentifier(table.name);
    std::vector<Value> bound;
    std::vector<const Column*> boundColumns;
    std::optional<std::vector<RowId>> candidates;
    for (const Condition& condition : query.conditions) {
        const Column& column = columnNamed(table, condition.column, path);
        sql += &condition == &query.conditions.front() ? " WHERE " : " AND ";
        if (condition.literal.isNull()) {
            sql += "0";  // Null matches nothing
            continue;
        }
        sql += columnExpression(column) + operatorText(condition.op);
        bound.push_back(literalFor(condition.literal, column, table, path));
        boundColumns.push_back(&column);
        if (condition.op == Comparison::Equal && !candidates)
            candidates = indexes.candidates(table, column, bound.back());
    }
    if (candidates && candidates->size() <= kMostCandidates) {
        std::string list;
        for (RowId id : *candidates) list += (list.empty() ? "" : ", ") + std::to_string(id);
        sql += " AND " + rowid + " IN (" + list + ")";
    }
    sql += " ORDER BY ";
    if (query.orderBy) sql += columnExpression(columnNamed(table, *query.orderBy, path)) + ", ";
    sql += rowid;

    Statement statement = connection->prepare(sql, "leer la tabla «" + table.name + "»");
    for (size_t i = 0; i < bound.size(); ++i)
        bindLiteral(statement, static_cast<int>(i + 1), bound[i], *boundColumns[i]);
    return std::make_unique<SqliteCursor>(std::move(connection), std::move(statement), table);
}

}  // namespace pelmora::engine::sqlite

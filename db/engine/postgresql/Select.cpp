#include "db/engine/postgresql/Select.h"

#include "db/engine/ColumnValue.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "db/engine/postgresql/Types.h"

namespace pelmora::engine::postgresql {

namespace {

class ServerCursor : public Cursor {
  public:
    ServerCursor(Result result, TableSchema table, std::string address, bool located)
        : result_(std::move(result)),
          table_(std::move(table)),
          address_(std::move(address)),
          located_(located) {}

    bool next() override { return ++row_ < result_.rows(); }
    RowId id() const override { return located_ ? std::stoll(result_.text(row_, 0)) : RowId{-1}; }
    Value value(int column) override {
        const Column& c = table_.columns.at(column);
        if (result_.isNull(row_, column + 1)) return Value();
        return checkedRead(valueFromText(result_.text(row_, column + 1), c),
                           {address_, table_.name, c});
    }

  private:
    Result result_;
    TableSchema table_;
    std::string address_;
    bool located_;
    int row_ = -1;
};

// The characters the engine upper-cases and their capitals, for translate():
// the server then upper-cases exactly as the engine does, whatever its locale.
const std::pair<std::string, std::string>& upperCasing() {
    static const std::pair<std::string, std::string> pairs = [] {
        std::pair<std::string, std::string> p;
        for (char32_t c = 0x61; c < 0x250; ++c) {
            std::string lower;
            appendUtf8(c, lower);
            const std::string upper = upperCase(lower);
            if (upper == lower) continue;
            p.first += lower;
            p.second += upper;
        }
        return p;
    }();
    return pairs;
}

bool comparedAsText(Type type) {
    return type == Type::Text || type == Type::Memo || type == Type::Guid;
}

// The column as conditions and orders compare it.
std::string compared(const Column& column) {
    const std::string name = quoted(column.name);
    switch (column.type) {
        case Type::Text:
        case Type::Memo:
            return "translate(" + name + ", " + quotedText(upperCasing().first) + ", " +
                   quotedText(upperCasing().second) + ") COLLATE \"C\"";
        case Type::Guid:
            return "('{' || upper(" + name + "::text) || '}') COLLATE \"C\"";
        case Type::Boolean:
            return "(CASE WHEN " + name + " THEN -1 ELSE 0 END)::float8";
        case Type::DateTime:
        case Type::Binary:
        case Type::LongBinary:
            return name;
        default:
            return name + "::float8";
    }
}

const char* operatorText(Comparison op) {
    switch (op) {
        case Comparison::Less:
            return " < ";
        case Comparison::Greater:
            return " > ";
        case Comparison::LessEqual:
            return " <= ";
        case Comparison::GreaterEqual:
            return " >= ";
        case Comparison::NotEqual:
            return " <> ";
        default:
            return " = ";
    }
}

// The literal as a parameter of the column's compared form, the way the Access
// engine converts a criterion to its field's type.
std::pair<std::string, const char*> parameterFor(const Value& literal, const Column& column,
                                                 const TableSchema& table,
                                                 const std::string& address) {
    try {
        if (literal.isText() && literal.rawText().find('\0') != std::string::npos)
            throw Error("el texto tiene el carácter nulo, que PostgreSQL no admite");
        if (comparedAsText(column.type))
            return {upperCase(literal.isText() ? literal.rawText() : literal.toText()),
                    "::text COLLATE \"C\""};
        if (column.type == Type::DateTime || column.type == Type::Binary ||
            column.type == Type::LongBinary) {
            Column free = column;
            free.allowZeroLength = true;
            const Value fitted = fitToColumn(literal, {address, table.name, free});
            return {parameterText(fitted, column, ""),
                    column.type == Type::DateTime ? "::timestamp" : "::bytea"};
        }
        if (literal.type() == Type::Boolean) return {literal.rawInt() ? "-1" : "0", "::float8"};
        return {shortestNumber(literal.toDouble()), "::float8"};
    } catch (const Error& e) {
        throw Error("No coinciden los tipos en la condición sobre el campo «" + column.name +
                    "» de la tabla «" + table.name + "» en «" + address +
                    "»: " + continued(e.what()));
    }
}

}  // namespace

std::string columnList(const TableSchema& table) {
    std::string list;
    for (const Column& column : table.columns)
        list += (list.empty() ? "" : ", ") + quoted(column.name);
    return list;
}

std::unique_ptr<Cursor> select(Connection& connection, const TableEntry& entry,
                               const Query& query) {
    const TableSchema& table = entry.schema;
    const std::string& address = connection.address();
    std::string sql = "SELECT " + (entry.locator.empty() ? "NULL" : entry.locator) +
                      (table.columns.empty() ? "" : ", ") + columnList(table) + " FROM " +
                      quoted(table.name);
    std::vector<Parameter> parameters;
    for (const Condition& condition : query.conditions) {
        const Column& column = columnNamed(table, condition.column, address);
        sql += &condition == &query.conditions.front() ? " WHERE " : " AND ";
        if (condition.literal.isNull()) {
            sql += "FALSE";  // Null matches nothing
            continue;
        }
        const auto [text, cast] = parameterFor(condition.literal, column, table, address);
        parameters.push_back(text);
        sql += compared(column) + operatorText(condition.op) + "$" +
               std::to_string(parameters.size()) + cast;
    }
    sql += " ORDER BY ";
    if (query.orderBy)
        sql += compared(columnNamed(table, *query.orderBy, address)) + " NULLS FIRST, ";
    sql += entry.storedOrder;
    Result result = connection.run(sql, parameters, "leer la tabla «" + table.name + "»");
    return std::make_unique<ServerCursor>(std::move(result), table, address,
                                          !entry.locator.empty());
}

}  // namespace pelmora::engine::postgresql

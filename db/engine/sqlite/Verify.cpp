#include "db/engine/sqlite/Verify.h"

#include "db/engine/sqlite/Select.h"
#include "db/engine/sqlite/SqlText.h"

namespace pelmora::engine::sqlite {

namespace {

std::string textAt(sqlite3_stmt* stmt, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    return text ? text : "";
}

std::string range(const std::string& c, const char* low, const char* high) {
    return "typeof(" + c + ") NOT IN ('integer', 'null') OR " + c + " < " + low + " OR " + c +
           " > " + high;
}

// The SQL condition that picks the values a column of this type cannot hold as
// the engine stores them; empty when any value will do.
std::string badValues(const Column& column) {
    const std::string c = quoteIdentifier(column.name);
    const std::string digit = "[0-9]";
    switch (column.type) {
        case Type::Boolean:
            return c + " IS NULL OR " + c + " NOT IN (-1, 0)";
        case Type::Byte:
            return range(c, "0", "255");
        case Type::Integer:
            return range(c, "-32768", "32767");
        case Type::Long:
            return column.autoNumber ? "" : range(c, "-2147483648", "2147483647");
        case Type::Currency:
            if (!column.currencyInUnits) return "typeof(" + c + ") NOT IN ('integer', 'null')";
            [[fallthrough]];
        case Type::Single:
        case Type::Double:
        case Type::Decimal:
            return "typeof(" + c + ") NOT IN ('integer', 'real', 'null')";
        case Type::DateTime: {
            std::string d4 = digit + digit + digit + digit, d2 = digit + digit;
            return "typeof(" + c + ") NOT IN ('text', 'null') OR " + c + " NOT GLOB '" + d4 + "-" +
                   d2 + "-" + d2 + " " + d2 + ":" + d2 + ":" + d2 + "'";
        }
        case Type::Text:
            return "typeof(" + c + ") NOT IN ('text', 'null') OR length(" + c + ") > " +
                   std::to_string(column.size > 0 ? column.size : 255);
        case Type::Memo:
            return "typeof(" + c + ") NOT IN ('text', 'null')";
        case Type::Guid:
            return "typeof(" + c + ") NOT IN ('text', 'null') OR length(" + c + ") <> 38";
        default:
            return "";
    }
}

void integrity(Connection& connection, std::vector<std::string>& problems) {
    Statement check = connection.prepare("PRAGMA integrity_check(100)", "comprobar la integridad");
    while (check.step()) {
        std::string line = textAt(check.raw(), 0);
        if (line != "ok") problems.push_back("Integridad de «" + connection.path() + "»: " + line);
    }
    Statement keys = connection.prepare("PRAGMA foreign_key_check", "comprobar las claves ajenas");
    while (keys.step())
        problems.push_back("La tabla «" + textAt(keys.raw(), 0) + "» (registro " +
                           textAt(keys.raw(), 1) + ") apunta a un registro que no existe en «" +
                           textAt(keys.raw(), 2) + "»");
}

void values(Connection& connection, const TableSchema& table, std::vector<std::string>& problems) {
    for (const Column& column : table.columns) {
        const std::string condition = badValues(column);
        if (condition.empty()) continue;
        const std::string rowid = rowidName(table);
        Statement count =
            connection.prepare("SELECT count(*), min(" + rowid + ") FROM " +
                                   quoteIdentifier(table.name) + " WHERE " + condition,
                               "comprobar la tabla «" + table.name + "»");
        count.step();
        const int64_t bad = sqlite3_column_int64(count.raw(), 0);
        if (bad > 0)
            problems.push_back(
                "Tabla «" + table.name + "», campo «" + column.name + "»: " + std::to_string(bad) +
                " registros con valores que no son de tipo " + typeName(column.type) +
                " válidos (el primero, el registro " + textAt(count.raw(), 1) + ")");
    }
}

}  // namespace

std::vector<std::string> verify(Connection& connection, Catalog& catalog) {
    std::vector<std::string> problems;
    integrity(connection, problems);
    if (!problems.empty()) return problems;  // the tables cannot be trusted further
    const std::vector<std::string> tables = catalog.tableNames();
    for (const std::string& table : tables) values(connection, catalog.schema(table), problems);
    return problems;
}

}  // namespace pelmora::engine::sqlite

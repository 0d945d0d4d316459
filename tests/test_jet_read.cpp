// Reading real Access files (Jet3 and Jet4): every table of every fixture,
// system tables included, compared value by value with two independent readers.
//
// Where the readers disagree with the engine, the engine is right, for these reasons:
// - Rows moved elsewhere by an update keep their place in the stored order (the slot
//   that points to them); both mdb-reader and mdbtools list them after the others.
//   Those tables are compared as sets of rows, and their order is checked on its own.
// - mdb-reader turns the five bytes Windows-1252 leaves unassigned (0x81, 0x8D, 0x8F,
//   0x90, 0x9D) into U+FFFD; Windows maps them to the C1 controls of the same number,
//   and so does the engine.
// - mdb-reader reads a date before 1899-12-30 with a time of day as if the time counted
//   backwards; its number is compared with the stored number instead of the wall clock.
// - mdbtools 1.0 drops empty texts and Nulls alike, shows dates before 1900 wrongly,
//   prints replication IDs in its own form and cuts bytes at the first zero byte.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/TableScan.h"
#include "support/jet_oracles.h"

using namespace pelmora::engine;
using namespace pelmora::test;

namespace {

const char* oracleType(Type t) {
    switch (t) {
        case Type::Boolean: return "boolean";
        case Type::Byte: return "byte";
        case Type::Integer: return "integer";
        case Type::Long: return "long";
        case Type::Currency: return "currency";
        case Type::Single: return "float";
        case Type::Double: return "double";
        case Type::DateTime: return "datetime";
        case Type::Binary: return "binary";
        case Type::Text: return "text";
        case Type::LongBinary: return "ole";
        case Type::Memo: return "memo";
        case Type::Guid: return "repid";
        case Type::Decimal: return "numeric";
        default: return "?";
    }
}

std::string show(const QJsonValue& v) {
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}

std::string show(const Value& v) { return v.isNull() ? "Null" : show(plain(v)); }

std::vector<Row> engineRows(Backend& backend, const std::string& table, size_t columns) {
    std::vector<Row> rows;
    Query q;
    q.table = table;
    auto cursor = backend.select(q);
    while (cursor->next()) {
        Row row;
        for (size_t i = 0; i < columns; ++i) row.push_back(cursor->value(static_cast<int>(i)));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Whether any row of the table was moved elsewhere (its slot points to its data).
bool hasMovedRows(const std::string& file, const std::string& table) {
    pelmora::engine::jet::JetFile jet(file);
    auto t = jet.table(table);
    pelmora::engine::jet::TableScan scan(jet.pages(), t->definition);
    while (scan.next()) {
        auto place = scan.position();
        auto page = jet.pages().page(place.page);
        if (pelmora::engine::jet::rowSpan(*page, jet.pages().format(), place.row).moved) return true;
    }
    return false;
}

// Columns of a type neither reader knows (0x11, which Access keeps in MSysAccessObjects):
// the engine gives their bytes; mdbtools shows nothing and mdb-reader refuses the table.
std::set<QString> unknownTypeColumns(const std::string& file, const std::string& table) {
    pelmora::engine::jet::JetFile jet(file);
    std::set<QString> names;
    for (const auto& c : jet.table(table)->definition.columns)
        if (static_cast<int>(c.type) > 0x10) names.insert(QString::fromStdString(c.name));
    return names;
}

std::string upperGuid(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '{' || c == '}'; }), s.end());
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string withReplacementChars(std::string s) {
    for (const char* c1 : {"\xC2\x81", "\xC2\x8D", "\xC2\x8F", "\xC2\x90", "\xC2\x9D"})
        for (size_t at; (at = s.find(c1)) != std::string::npos;) s.replace(at, 2, "\xEF\xBF\xBD");
    return s;
}

// The engine's value against mdb-reader's.
bool sameAsMdbReader(const Value& v, const QJsonValue& want) {
    if (v.type() == Type::Guid && want.isString())
        return upperGuid(v.rawText()) == upperGuid(want.toString().toStdString());
    if (v.type() == Type::DateTime && want.isObject()) {
        const double ms = std::round((v.rawDouble() - 25569) * 86400000.0);
        return ms == want.toObject()["ms"].toDouble();
    }
    if (v.isText() && want.isString())
        return withReplacementChars(v.rawText()) == want.toString().toStdString();
    return plain(v) == want;
}

// Bytes cut at a zero byte, as mdbtools shows them: a prefix that ends where a zero byte is.
bool cutAtZero(const std::string& full, const std::string& shown) {
    return full == shown || (full.compare(0, shown.size(), shown) == 0 && full[shown.size()] == '\0');
}

// The engine's value against mdbtools' (key absent = Null or empty text).
bool sameAsMdbtools(const Value& v, const QJsonObject& row, const QString& key) {
    const bool binary = v.type() == Type::Binary || v.type() == Type::LongBinary;
    if (!row.contains(key) || row[key].isNull())
        return v.isNull() || (v.isText() && v.rawText().empty()) || (binary && cutAtZero(v.rawText(), ""));
    const QJsonValue want = row[key];
    switch (v.type()) {
        case Type::Null: return false;
        case Type::Boolean: return want.toInt() == (v.rawInt() ? 1 : 0);
        case Type::Byte: case Type::Integer: case Type::Long:
            return want.toDouble() == static_cast<double>(v.rawInt());
        case Type::Currency: return std::fabs(want.toDouble() - v.rawInt() / 10000.0) < 1e-9;
        case Type::Single:
            return std::fabs(want.toDouble() - v.rawDouble()) <= 1e-6 * std::fabs(v.rawDouble());
        case Type::Double: case Type::Decimal:
            return std::fabs(want.toDouble(std::nan("")) - v.toDouble()) <=
                   1e-9 * std::max(1.0, std::fabs(v.toDouble()));
        case Type::DateTime:
            return v.rawDouble() < 2 || want.toString().toStdString() == formatDateTime(v.rawDouble());
        case Type::Guid: return true;
        case Type::Binary: case Type::LongBinary: {
            const QByteArray base64 = want.toObject()["$binary"].toString().toLatin1();
            return cutAtZero(v.rawText(), QByteArray::fromBase64(base64).toStdString());
        }
        default: {  // iconv shows the bytes Windows-1252 leaves unassigned as '?'; C strings
                    // end at a zero character
            std::string text = withReplacementChars(v.rawText());
            text = text.substr(0, text.find('\0'));
            for (size_t at; (at = text.find("\xEF\xBF\xBD")) != std::string::npos;) text.replace(at, 3, "?");
            return want.toString().toStdString() == text;
        }
    }
}

// Rows compared in order, or as sets when the table has moved rows.
template <typename Same>
void compareRows(const std::string& file, const std::string& table, const TableSchema& schema,
                 const std::vector<Row>& rows, const std::vector<QJsonObject>& want, Same same,
                 const char* oracle) {
    ASSERT_EQ(rows.size(), want.size()) << oracle;
    const auto skipped = unknownTypeColumns(file, table);
    const auto rowMatches = [&](size_t r, const QJsonObject& w) {
        for (size_t i = 0; i < schema.columns.size(); ++i) {
            const QString key = QString::fromStdString(schema.columns[i].name);
            if (!skipped.count(key) && !same(rows[r][i], w, key)) return false;
        }
        return true;
    };
    bool inOrder = true;
    for (size_t r = 0; r < rows.size(); ++r) inOrder = inOrder && rowMatches(r, want[r]);
    if (inOrder) return;
    if (!hasMovedRows(file, table)) {
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t i = 0; i < schema.columns.size(); ++i) {
                const QString key = QString::fromStdString(schema.columns[i].name);
                if (skipped.count(key)) continue;
                EXPECT_TRUE(same(rows[r][i], want[r], key))
                    << "fila " << r << ", columna " << schema.columns[i].name << ": motor "
                    << show(rows[r][i]) << ", " << oracle << " " << show(want[r][key]);
            }
        return;
    }
    std::vector<bool> used(want.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        bool found = false;
        for (size_t w = 0; w < want.size() && !found; ++w)
            if (!used[w] && rowMatches(r, want[w])) used[w] = found = true;
        std::string shown;
        for (const auto& v : rows[r]) shown += show(v) + " ";
        EXPECT_TRUE(found) << "fila " << r << " del motor, que " << oracle << " no tiene: " << shown;
    }
}

}  // namespace

TEST(JetRead, EveryTableMatchesMdbReader) {
    const auto files = jetFixtures();
    if (files.empty()) GTEST_SKIP() << "No están las bases de datos de prueba en " << PELMORA_FIXTURES;
    const auto oracle = mdbReaderDump(files);
    if (oracle.empty()) GTEST_SKIP() << "Falta mdb-reader (scripts/setup lo instala en tests/oracle)";
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        auto db = openDatabase(file);
        const auto& expected = oracle.at(file);
        const auto list = db->tableNames();
        std::set<std::string> oracleNames;
        for (const auto& [name, t] : expected) oracleNames.insert(name);
        EXPECT_EQ(std::set<std::string>(list.begin(), list.end()), oracleNames);
        for (const auto& [name, t] : expected) {
            SCOPED_TRACE(name);
            if (!t.error.empty()) continue;  // a column type mdb-reader does not know; mdbtools reads it
            const TableSchema schema = db->backend().schema(name);
            ASSERT_EQ(schema.columns.size(), static_cast<size_t>(t.columns.size()));
            for (size_t i = 0; i < schema.columns.size(); ++i) {
                const QJsonObject c = t.columns[static_cast<int>(i)].toObject();
                EXPECT_EQ(schema.columns[i].name, c["name"].toString().toStdString());
                EXPECT_STREQ(oracleType(schema.columns[i].type), c["type"].toString().toUtf8().data());
            }
            compareRows(file, name, schema, engineRows(db->backend(), name, schema.columns.size()),
                        t.rows,
                        [](const Value& v, const QJsonObject& row, const QString& key) {
                            return sameAsMdbReader(v, row[key]);
                        },
                        "mdb-reader");
        }
    }
}

TEST(JetRead, EveryTableMatchesMdbtools) {
    const auto files = jetFixtures();
    if (files.empty()) GTEST_SKIP() << "No están las bases de datos de prueba en " << PELMORA_FIXTURES;
    std::string version;
    if (!runCommand("mdb-json --version 2>&1", version)) GTEST_SKIP() << "Falta mdbtools";
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        auto db = openDatabase(file);
        for (const auto& name : db->tableNames()) {
            SCOPED_TRACE(name);
            const TableSchema schema = db->backend().schema(name);
            compareRows(file, name, schema, engineRows(db->backend(), name, schema.columns.size()),
                        mdbtoolsRows(file, name), sameAsMdbtools, "mdbtools");
        }
    }
}

TEST(JetRead, MovedRowsKeepTheirPlace) {
    const std::string file = fixture("overflowTestV2000.mdb");
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "Falta " << file;
    auto db = openDatabase(file);
    ASSERT_TRUE(hasMovedRows(file, "Table1"));
    std::vector<std::string> first;
    for (const auto& row : engineRows(db->backend(), "Table1", 9))
        first.push_back(row[0].isNull() ? row[1].rawText() : row[0].rawText());
    // Each row's values name the row; rows 3, 5 and 6 were moved by updates.
    EXPECT_EQ(first, (std::vector<std::string>{"row1col1", "row2col1", "row3col3", "row4col1",
                                                "row5col2", "row6col2", "row7col1"}));
}

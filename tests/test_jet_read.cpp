// Reading real Access files (Jet3, Jet4 and Access 2007+): every table of every fixture,
// system tables included, compared value by value with two independent readers
// (where they disagree with the engine, and why: support/jet_compare.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "db/engine/Database.h"
#include "support/jet_compare.h"

using namespace pelmora::engine;
using namespace pelmora::test;

namespace {

// The .mdb fixtures, then the .accdb ones.
std::vector<std::string> allFixtures() {
    std::vector<std::string> files = jetFixtures();
    for (auto& f : aceFixtures()) files.push_back(std::move(f));
    return files;
}

}  // namespace

TEST(JetRead, EveryTableMatchesMdbReader) {
    const auto files = allFixtures();
    if (files.empty())
        GTEST_SKIP() << "No están las bases de datos de prueba en " << PELMORA_FIXTURES;
    const auto oracle = mdbReaderDump(files);
    if (oracle.empty())
        GTEST_SKIP() << "Falta mdb-reader (scripts/setup lo instala en tests/oracle)";
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
            if (!t.error.empty())
                continue;  // a column type mdb-reader does not know; mdbtools reads it
            const TableSchema schema = db->schema(name);
            ASSERT_EQ(schema.columns.size(), static_cast<size_t>(t.columns.size()));
            for (size_t i = 0; i < schema.columns.size(); ++i) {
                const QJsonObject c = t.columns[static_cast<int>(i)].toObject();
                EXPECT_EQ(schema.columns[i].name, c["name"].toString().toStdString());
                // A complex column reads as its complex id; a calculated one as its result.
                if (c["type"] == "complex") {
                    EXPECT_EQ(schema.columns[i].type, Type::Long);
                } else if (!columnsOraclesMisread(file, name).count(c["name"].toString())) {
                    EXPECT_STREQ(oracleType(schema.columns[i].type),
                                 c["type"].toString().toUtf8().data());
                }
            }
            compareRows(
                file, name, schema, engineRows(*db, name, schema.columns.size()), t.rows,
                [](const Value& v, const QJsonObject& row, const QString& key) {
                    return sameAsMdbReader(v, row[key]);
                },
                "mdb-reader");
        }
    }
}

TEST(JetRead, EveryTableMatchesMdbtools) {
    const auto files = allFixtures();
    if (files.empty())
        GTEST_SKIP() << "No están las bases de datos de prueba en " << PELMORA_FIXTURES;
    std::string version;
    if (!runCommand("mdb-json --version 2>&1", version)) GTEST_SKIP() << "Falta mdbtools";
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        auto db = openDatabase(file);
        for (const auto& name : db->tableNames()) {
            SCOPED_TRACE(name);
            const TableSchema schema = db->schema(name);
            compareRows(file, name, schema, engineRows(*db, name, schema.columns.size()),
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
    for (const auto& row : engineRows(*db, "Table1", 9))
        first.push_back(row[0].isNull() ? row[1].rawText() : row[0].rawText());
    // Each row's values name the row; rows 3, 5 and 6 were moved by updates.
    EXPECT_EQ(first, (std::vector<std::string>{"row1col1", "row2col1", "row3col3", "row4col1",
                                               "row5col2", "row6col2", "row7col1"}));
}

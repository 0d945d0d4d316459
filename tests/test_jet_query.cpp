// Statements on real Access files through the engine's front: conditions and
// ORDER BY with the engine's rules, read-only recordsets, schemas with their
// column properties (checked against mdb-prop), and refusals to write.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "support/jet_oracles.h"
#include "tests/support/Fallo.h"
#include "tests/support/QuerySemantics.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::test;

namespace {

std::shared_ptr<Database> open(const std::string& name) {
    const std::string path = fixture(name);
    if (!std::filesystem::exists(path)) return nullptr;
    return openDatabase(path);
}

// The values of one column for every row a statement selects, in its order ("-" = Null).
std::vector<std::string> column(Database& db, const std::string& statement,
                                const std::string& field) {
    std::vector<std::string> out;
    auto rs = db.openRecordset(statement, OpenMode::Snapshot);
    for (; !rs->eof(); rs->moveNext()) {
        Value v = rs->field(field);
        out.push_back(v.isNull() ? "-" : v.toText());
    }
    return out;
}

}  // namespace

// Conditions and ORDER BY follow the shared semantics (TheSameSemanticsAsOnSqlite);
// on an Access file's own rows, what they cannot answer is refused.
TEST(JetQuery, ConditionsThatCannotBeAnsweredAreRefused) {
    auto idx = open("indexTestV2000.mdb");
    if (!idx) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    EXPECT_EQ(column(*idx, "Select Table1.* from Table1 WHERE otherfk1 = 1;", "data"),
              (std::vector<std::string>{"baz11", "baz11-2"}));
    EXPECT_THROW(column(*idx, "Select Table1.* from Table1 WHERE otherfk1 = 'x';", "id"), Error);
    expectMentions(pelmora::prueba::errorOf(
                       [&] { column(*idx, "Select Table1.* from Table1 WHERE nada = 1;", "id"); }),
                   {"nada", "indexTestV2000.mdb"});
    EXPECT_THROW(column(*idx, "Select Nada.* from Nada;", "id"), Error);
}

// On a read-only copy of its own: the fixtures may be writable in a checkout.
TEST(JetQuery, RecordsetsReadAndRefuseToWrite) {
    if (!std::filesystem::exists(fixture("indexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("indexTestV2000.mdb"), "indexTestV2000.mdb");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    auto db = openDatabase(path);
    auto rs = db->openRecordset("Select Table1.* from Table1;", OpenMode::Dynaset);
    rs->edit();
    rs->set("data", Value::text("nuevo"));
    expectMentions(pelmora::prueba::errorOf([&] { rs->update(); }),
                   {"solo lectura", "indexTestV2000.mdb"});
    EXPECT_EQ(column(*db, "Select Table1.* from Table1 WHERE id = 0;", "data"),
              std::vector<std::string>{"baz0"});
}

// mdb-prop's listing of a table's properties: column name -> its "Name: value" lines.
std::map<std::string, std::string> mdbProp(const std::string& file, const std::string& table) {
    std::string out;
    std::map<std::string, std::string> blocks;
    if (!runCommand("mdb-prop '" + file + "' '" + table + "' 2>/dev/null", out)) return blocks;
    std::string* current = nullptr;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        const std::string line = out.substr(start, end - start);
        if (line.rfind("name: ", 0) == 0) {
            current = &blocks[line.substr(6)];
        } else if (current) {
            *current += line + "\n";
        }
        start = end + 1;
    }
    return blocks;
}

TEST(JetQuery, SchemasCarryTheColumnProperties) {
    const auto files = jetFixtures();
    if (files.empty()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    int defaults = 0, required = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        auto d = openDatabase(file);
        for (const auto& table : d->tableNames()) {
            const auto props = mdbProp(file, table);
            const TableSchema schema = d->schema(table);
            // mdb-prop sometimes lists another table's properties (in testPromotionV2000.mdb,
            // jobDB1's for MSysAccessObjects): recognisable by columns the table lacks.
            bool another = false;
            for (const auto& [name, lines] : props)
                another = another || (name != "(none)" && schema.find(name) < 0);
            if (another) continue;
            for (const Column& c : schema.columns) {
                SCOPED_TRACE(table + "." + c.name);
                const auto found = props.find(c.name);
                const std::string p = found == props.end() ? "" : found->second;
                const auto has = [&](const std::string& line) {
                    return p.find("\t" + line + "\n") != std::string::npos;
                };
                EXPECT_EQ(c.required, has("Required: yes"));
                EXPECT_EQ(c.allowZeroLength, has("AllowZeroLength: yes"));
                required += c.required;
                const size_t at = p.find("\tDefaultValue: ");
                // GenGUID(), a new replication ID for each row, makes the field an autonumber.
                const bool newGuid =
                    at != std::string::npos && p.compare(at + 15, 10, "GenGUID()\n") == 0;
                EXPECT_EQ(c.autoNumber && c.type == Type::Guid, newGuid);
                ASSERT_EQ(c.defaultValue.has_value(), at != std::string::npos && !newGuid);
                if (!c.defaultValue) continue;
                std::string shown = p.substr(at + 15, p.find('\n', at) - at - 15);
                if (shown.size() >= 2 && shown.front() == '"')
                    shown = shown.substr(1, shown.size() - 2);
                if (c.type != Type::Boolean) {
                    EXPECT_EQ(c.defaultValue->toText(), shown);
                }
                ++defaults;
            }
        }
    }
    EXPECT_GT(defaults, 0);
    EXPECT_GT(required, 0);
}

// The statements and recordsets the SQLite backend is held to, on writable copies of
// an empty Access file: the same answers from the same writes.
TEST(JetQuery, TheSameSemanticsAsOnSqlite) {
    if (!std::filesystem::exists(fixture("empty.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    for (const auto& check :
         {pelmora::prueba::checkQuerySemantics, pelmora::prueba::checkRecordsetBehaviour}) {
        auto db = openDatabase(dir.writableCopy(fixture("empty.mdb"), "copia.mdb"));
        check(*db);
        for (const std::string& problem : db->verify()) ADD_FAILURE() << problem;
    }
}

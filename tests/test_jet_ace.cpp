// Access 2007+ files (.accdb): the header's versions and the files refused on
// opening (unknown versions, enciphered pages, truncations), calculated columns
// against the expressions Access computed them from, complex columns against the
// hidden tables that hold their values, every stored index entry re-derived from
// its row (text in the General order of Access 2010 too), rows written in that
// order, and the writes refused
// because a column cannot be written exactly. Every table against mdbtools and
// mdb-reader: test_jet_read; random rows into them: test_jet_index_rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/jet/Header.h"
#include "db/engine/jet/IndexKey.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/ValueReader.h"
#include "support/jet_compare.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

using pelmora::prueba::contents;

using namespace pelmora::engine;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

bool haveFixtures() {
    return fs::exists(fixture("empty2007.accdb"));
}

void store(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Opening the file fails with a message that mentions each of `mentions`, and
// leaves it as it was.
void expectOpenRefused(const std::string& path, const std::vector<std::string>& mentions) {
    const std::string before = contents(path);
    expectMentions(pelmora::prueba::errorOf([&] { openDatabase(path)->tableNames(); }), mentions);
    EXPECT_EQ(contents(path), before);
}

// Marks a copy of an empty database as enciphered with a password, as Access 2007+
// does: a database key in the masked header area and, from 0x299, the length and
// version (4.4, agile encryption) of the encryption description.
void encipherHeader(const std::string& path) {
    std::string bytes = contents(path);
    auto* area = reinterpret_cast<uint8_t*>(bytes.data() + 0x18);
    jet::maskHeaderArea(area, 128);
    const uint8_t key[4] = {0x5A, 0x1F, 0x93, 0x2C};
    std::memcpy(bytes.data() + 0x3E, key, 4);
    jet::maskHeaderArea(area, 128);
    const uint8_t info[] = {0x08, 0x00, 0x04, 0x00, 0x04, 0x00, 0x40, 0x00, 0x00, 0x00};
    std::memcpy(bytes.data() + 0x299, info, sizeof info);
    store(path, bytes);
}

std::map<std::string, Value> rowByName(const TableSchema& schema, const Row& row) {
    std::map<std::string, Value> named;
    for (size_t i = 0; i < row.size(); ++i) named[schema.columns[i].name] = row[i];
    return named;
}

// The values of one column over a table's rows.
std::multiset<int64_t> columnIds(Database& db, const std::string& table,
                                 const std::string& column) {
    const TableSchema schema = db.schema(table);
    std::multiset<int64_t> ids;
    for (const Row& row : engineRows(db, table, schema.columns.size())) {
        const Value v = rowByName(schema, row).at(column);
        if (!v.isNull()) ids.insert(v.rawInt());
    }
    return ids;
}

// Texts of letters with and without accents, digits, punctuation and spaces
// (trailing ones too), from `most` characters down to one.
std::string randomText(std::mt19937& random, int most) {
    static const std::vector<std::string> characters = {
        "a", "k", "w", "y", "z", "Z", "K", "q", "ñ", "Ñ", "á", "É", "ü", "ç",
        "ß", "æ", "0", "9", " ", "-", "'", ".", "_", "€", "¿", "Ω", "ж", "中"};
    std::string text;
    const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(most));
    for (int i = 0; i < length; ++i) text += characters[random() % characters.size()];
    return text;
}

RowId firstRowId(Database& db, const std::string& table) {
    Query q;
    q.table = table;
    auto cursor = db.select(q);
    return cursor->next() ? cursor->id() : -1;
}

}  // namespace

TEST(JetAce, EveryVersionOpensAndBadHeadersAreRefused) {
    if (!haveFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    const std::map<std::string, int> versions = {{"empty2007.accdb", 2}, {"empty2010.accdb", 3},
                                                 {"empty2016.accdb", 5}, {"empty2019.accdb", 6},
                                                 {"testV2007.accdb", 2}, {"testV2010.accdb", 3}};
    for (const auto& [name, version] : versions) {
        jet::JetFile file(fixture(name));
        EXPECT_EQ(file.header().aceVersion, version) << name;
        EXPECT_EQ(file.pages().format().pageSize, 4096u) << name;
        EXPECT_FALSE(openDatabase(fixture(name))->tableNames().empty()) << name;
    }
    pelmora::prueba::TempDir dir;
    const std::string copy = dir.writableCopy(fixture("empty2007.accdb"), "x.accdb");
    const std::string original = contents(copy);

    std::string bytes = original;
    bytes[0x14] = 9;
    store(copy, bytes);
    expectOpenRefused(copy, {copy, "versión de formato 9"});

    bytes = original;
    bytes.replace(4, 15, "Standard Jet DB");  // a Jet signature with an Access 2007 version
    store(copy, bytes);
    expectOpenRefused(copy, {copy, "versión de formato 2"});

    for (size_t length : {size_t(100), size_t(4096), size_t(9000)}) {
        SCOPED_TRACE(length);
        store(copy, original.substr(0, length));
        expectOpenRefused(copy, {copy});
    }

    store(copy, original);
    encipherHeader(copy);
    expectOpenRefused(copy, {copy, "contraseña"});
    store(copy, original);
    EXPECT_NO_THROW(openDatabase(copy)->tableNames());
}

// calcFieldTestV2010's Table1: each calculated column against its Expression
// property (as mdb-prop shows it), computed from the row's other columns.
TEST(JetAce, CalculatedColumnsHoldWhatTheirExpressionsGive) {
    if (!haveFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    auto db = openDatabase(fixture("calcFieldTestV2010.accdb"));
    const TableSchema schema = db->schema("Table1");
    const auto rows = engineRows(*db, "Table1", schema.columns.size());
    ASSERT_EQ(rows.size(), 4u);
    for (const Row& stored : rows) {
        auto row = rowByName(schema, stored);
        const std::string lastFirst = row["LastName"].rawText() + ", " + row["FirstName"].rawText();
        SCOPED_TRACE(lastFirst);
        EXPECT_EQ(row["LastFirst"], Value::text(lastFirst));  // [LastName] & ", " & [FirstName]
        EXPECT_EQ(row["LastFirstLen"], Value::longInt(static_cast<int32_t>(lastFirst.size())));
        EXPECT_EQ(row["AllNames"], Value::text(lastFirst + "=" + lastFirst, Type::Memo));
        const int64_t salary = row["Salary"].rawInt();  // currency, scaled by 10 000
        EXPECT_EQ(row["SalaryTest"], Value::currency(salary));
        EXPECT_EQ(row["MonthlySalary"], Value::currency(std::llround(salary / 12.0)));
        EXPECT_NEAR(row["WeeklySalary"].toDouble(), salary / 10000.0 / 52, 1e-9);
        EXPECT_EQ(row["BoolTest"], Value::boolean(true));
        EXPECT_EQ(row["IsRich"], Value::boolean(salary > 100000LL * 10000));  // [Salary]>100000
        EXPECT_EQ(row["DecimalTest"], row["Popularity"]);
        const double decimal = row["DecimalTest"].toDouble(), money = salary / 10000.0;
        const auto near = [](double got, double want) {
            EXPECT_NEAR(got, want, 1e-6 * std::max(1.0, std::fabs(want)));
        };
        near(row["FloatTest"].toDouble(), money * 0.13 / decimal);
        near(row["BigNumTest"].toDouble(),
             money * row["MonthlySalary"].toDouble() / decimal * 34.12342134);
    }
}

TEST(JetAce, ComplexColumnsReadAsTheIdsOfTheirFlatTables) {
    if (!haveFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    for (const char* name : {"complexDataTestV2007.accdb", "complexDataTestV2010.accdb"}) {
        SCOPED_TRACE(name);
        auto db = openDatabase(fixture(name));
        int flatTables = 0;
        for (const std::string column : {"multi-value-data", "attach-data"}) {
            // The hidden table of a complex column's values: f_<id>_<column>, whose
            // column _<column> holds the complex id of the row each value belongs to.
            for (const std::string& table : db->tableNames()) {
                if (table.rfind("f_", 0) != 0 || table.size() < column.size() ||
                    table.compare(table.size() - column.size(), column.size(), column) != 0)
                    continue;
                ++flatTables;
                const auto owned = columnIds(*db, table, "_" + column);
                const auto ids = columnIds(*db, "Table1", column);
                // Each row its own id; each value of the hidden table belongs to a row.
                EXPECT_EQ(std::set<int64_t>(ids.begin(), ids.end()).size(), ids.size());
                for (int64_t id : owned) EXPECT_EQ(ids.count(id), 1u) << column << " " << id;
                EXPECT_FALSE(owned.empty()) << column;
            }
        }
        EXPECT_EQ(flatTables, 2);
    }
}

TEST(JetAce, RowsOfTablesWithColumnsNotWrittenExactlyAreRefused) {
    if (!haveFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const struct {
        const char* fixture;
        const char* column;  // the first column the writer cannot store
    } cases[] = {
        {"calcFieldTestV2010.accdb", "LastFirst"},
        {"complexDataTestV2007.accdb", "VersionHistory_F5F8918F-0A3F-4DA9-AE71-184EE5012880"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string copy = dir.writableCopy(fixture(c.fixture), c.fixture);
        const std::string before = contents(copy);
        auto db = openDatabase(copy);
        const TableSchema schema = db->schema("Table1");
        Row row(schema.columns.size());
        expectMentions(pelmora::prueba::errorOf([&] { db->insert("Table1", row); }),
                       {copy, "Table1", c.column});
        Query q;
        q.table = "Table1";
        auto cursor = db->select(q);
        ASSERT_TRUE(cursor->next());
        int text = 0;
        while (schema.columns[text].type != Type::Text) ++text;
        expectMentions(pelmora::prueba::errorOf([&] {
                           db->updateColumn("Table1", cursor->id(), text, Value::text("x"));
                       }),
                       {copy, c.column});
        EXPECT_EQ(contents(copy), before);
    }
}

// A column of a kind no Access version has (its type byte damaged): its values read
// as their bytes, and no row of its table is written.
TEST(JetAce, UnknownColumnKindsReadAsBytesAndAreNotWritten) {
    if (!haveFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("testV2007.accdb"), "x.accdb");
    {
        jet::JetFile jet(path);
        const auto& t = jet.table("Table1")->definition;
        const auto& f = jet.pages().format();
        std::string bytes = contents(path);
        const size_t column = t.pages.front() * size_t(f.pageSize) + f.tdefHeaderSize +
                              t.realIndexes.size() * f.realIndexCountSize;
        bytes[column + f.colType] = 0x55;
        store(path, bytes);
    }
    auto db = openDatabase(path);
    const TableSchema schema = db->schema("Table1");
    const auto rows = engineRows(*db, "Table1", schema.columns.size());
    ASSERT_FALSE(rows.empty());
    const std::string before = contents(path);
    expectMentions(pelmora::prueba::errorOf([&] { db->insert("Table1", rows.front()); }),
                   {path, "Table1", "tipo desconocido (código 85)"});
    EXPECT_EQ(contents(path), before);
}

TEST(JetAce, EveryStoredEntryIsTheOneItsRowGives) {
    if (!haveFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    size_t entries2010 = 0;
    for (const std::string& file : aceFixtures()) {
        SCOPED_TRACE(file);
        std::vector<std::string> expected;
        if (file.ends_with("calcFieldTestV2010.accdb"))  // as Access left it
            expected = {"tabla «Table1»: su definición dice tener 3 filas y tiene 4"};
        EXPECT_EQ(openDatabase(file)->verify(), expected);
        // The check is not vacuous: the entries of text in the General order of Access
        // 2010 whose key the engine derives (so compares) from their rows.
        jet::JetFile jet(file);
        for (const auto& entry : jet.catalog().tables()) {
            const auto table = jet.table(entry.name);
            for (const auto& index : table->definition.realIndexes) {
                const auto& last = table->definition.columns[index.columns.back().column];
                if (!last.isText() || last.sortVersion != 1) continue;
                jet::ValueReader values(jet.pages());
                jet::TableScan scan(jet.pages(), table->definition);
                std::string key;
                for (; scan.next(); ++entries2010)
                    EXPECT_NO_THROW(jet::rowKey(table->definition, index, jet.pages().format(),
                                                scan.row(), values, key));
            }
        }
    }
    EXPECT_GT(entries2010, 170u);
}

TEST(JetAce, TextKeysOfAccess2010AreWrittenInItsGeneralOrder) {
    if (!haveFixtures()) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    // users: a long key, texts and dates, several of them indexed; texts of sort version 1.
    const std::string path = dir.writableCopy(fixture("fixedTextTestV2010.accdb"), "x.accdb");
    {
        auto db = openDatabase(path);
        const TableSchema schema = db->schema("users");
        std::mt19937 random(5);
        db->beginWrites();
        EXPECT_TRUE(fs::exists(dir.path("x.laccdb"))) << "el fichero de bloqueo de Access 2007+";
        for (int n = 0; n < 400; ++n) {
            Row row;
            for (const Column& c : schema.columns) {
                if (c.type == Type::Long)
                    row.push_back(Value::longInt(1000 + n));
                else if (c.type == Type::DateTime)
                    row.push_back(Value::dateTime(40000 + n * 0.37));
                else
                    row.push_back(Value::text(randomText(random, std::min(c.size, 12))));
            }
            db->insert("users", row);
        }
        db->endWrites();
        EXPECT_FALSE(fs::exists(dir.path("x.laccdb")));

        // The catalog indexes the tables' names in that order too.
        Column a;
        a.name = "a";
        a.type = Type::Long;
        db->createTable(TableSchema{"Tabla ñandú", {a}});
        db->insert("Tabla ñandú", {Value::longInt(1)});
    }
    expectSound(path);
    expectReadersAgree(path, "users");
}

TEST(JetAce, ExtendedDatesReadAsTextToTheTenthOfAMicrosecond) {
    EXPECT_EQ(jet::extendedDateTimeText("0000000000000000000:0000000000000000000:7"),
              "0001-01-01 00:00:00.0000000");
    EXPECT_EQ(jet::extendedDateTimeText("0000000000000737119:0000000450011234567:7"),
              "2019-03-02 12:30:01.1234567");
    // Not in that form: the stored text as it is, never a failure.
    EXPECT_EQ(jet::extendedDateTimeText(std::string("abc\0\0", 5)), "abc");
}

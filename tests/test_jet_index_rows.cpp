// Rows written through the Jet backend into Access files with indexes, Access 97
// and 2000 alike: every index stays exact (the check re-derives every entry from
// its row), the rows read back the same through mdbtools and mdb-reader, and tens
// of thousands of accented text keys added in random order grow a tree of
// several levels. (Debian's mdbtools is built without the library its
// index reading needs, so its use_index option reads by scanning there.)
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Query.h"
#include "db/engine/jet/IndexPages.h"
#include "db/engine/jet/JetFile.h"
#include "support/jet_compare.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::test;
namespace fs = std::filesystem;
namespace jet = pelmora::engine::jet;

namespace {

std::string accentedWord(std::mt19937& random, size_t length) {
    static const char* parts[] = {"ca", "ñu", "mi", "ón", "Á", "to", "pe", "ré", "güe", "lla",
                                  "za", "ÑA", "sí", "ú",  "b", "x",  " ",  "de", "Co",  "9"};
    std::string word;
    while (word.size() < length) word += parts[random() % 20];
    return word;
}

// Text of 1 to `most` characters, each one code point.
std::string accentedText(std::mt19937& random, int most) {
    static const char* letters[] = {"a", "ñ", "é", "Ó", "z", "ü", "B", " ", "c", "Á", "9", "l"};
    std::string text;
    const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(most));
    for (int i = 0; i < length; ++i) text += letters[random() % 12];
    return text;
}

// A value for a column as users write them: accented texts up to the column's
// size, empty texts where allowed, Nulls, memos from a few bytes to several
// pages, the boundaries of each number type.
Value randomValue(std::mt19937& random, const Column& c) {
    const unsigned pick = random() % 8;
    if (c.autoNumber) return Value();
    if (pick == 0 && !c.required && c.type != Type::Boolean) return Value();
    switch (c.type) {
        case Type::Boolean:
            return Value::boolean(pick % 2);
        case Type::Byte:
            return Value::byte(pick < 4 ? 255 : static_cast<uint8_t>(random()));
        case Type::Integer:
            return Value::integer(pick < 3   ? INT16_MIN
                                  : pick < 5 ? INT16_MAX
                                             : static_cast<int16_t>(random()));
        case Type::Long:
            return Value::longInt(pick < 3 ? INT32_MIN + 1 : static_cast<int32_t>(random()));
        case Type::Currency:
            return Value::currency(pick < 3 ? -922337203685477580 : static_cast<int32_t>(random()));
        case Type::Single:
            return Value::single(pick < 3 ? -3.4e38f : static_cast<float>(random() % 1000) / 7);
        case Type::Double:
            return Value::dbl(pick < 3 ? 1e300 : -static_cast<double>(random()) / 3);
        case Type::DateTime:
            return Value::dateTime(pick < 3 ? 73050.5 : 1 + random() % 80000 * 0.25);
        case Type::Guid:
            return Value::newGuid();
        case Type::Decimal:
            return Value::decimal(pick < 3 ? "-99999999" : std::to_string(random() % 100000));
        case Type::Binary:
            return Value::binary(std::string(random() % std::max(c.size, 1), '\x07'));
        case Type::LongBinary:
            return Value::binary(std::string(random() % 5000, '\xFE'), Type::LongBinary);
        case Type::Memo: {
            const size_t length = pick < 4 ? 1 + random() % 60 : random() % 6000;
            return Value::text(accentedWord(random, length), Type::Memo);
        }
        default:
            if (pick == 1 && c.allowZeroLength) return Value::text("");
            return Value::text(accentedText(random, std::min(c.size > 0 ? c.size : 255, 40)));
    }
}

Row randomRow(std::mt19937& random, const TableSchema& schema) {
    Row row;
    for (const Column& c : schema.columns) row.push_back(randomValue(random, c));
    return row;
}

}  // namespace

// Random rows into every table of a real file, then a fifth of them rewritten
// with other values (keys change, rows grow until they move, long values change
// size). A row a unique index or a relationship refuses is refused whole.
class JetRandomRows : public testing::TestWithParam<const char*> {};

TEST_P(JetRandomRows, KeepEveryTableAndIndexSoundAndReadable) {
    if (!fs::exists(fixture(GetParam()))) GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = fixtureCopy(dir, GetParam());
    std::mt19937 random(17);
    size_t written = 0;
    std::vector<std::string> tables;
    {
        auto db = openDatabase(path);
        for (const std::string& table : db->tableNames())
            if (table.rfind("MSys", 0) != 0) tables.push_back(table);
        for (const std::string& table : tables) {
            const TableSchema schema = db->schema(table);
            for (int n = 0; n < 150; ++n) try {
                    db->insert(table, randomRow(random, schema));
                    ++written;
                } catch (const Error&) {  // a duplicate key or a missing related row
                }
            auto cursor = db->select(Query{table, {}, {}});
            std::vector<RowId> ids;
            while (cursor->next()) ids.push_back(cursor->id());
            for (size_t i = 0; i < ids.size(); i += 5) try {
                    Row row = randomRow(random, schema);
                    const Row old = db->read(table, ids[i]);
                    for (size_t k = 0; k < row.size(); ++k)
                        if (schema.columns[k].autoNumber) row[k] = old[k];
                    db->update(table, ids[i], row);
                    ++written;
                } catch (const Error&) {
                }
        }
    }
    EXPECT_GT(written, 50 * tables.size());
    expectSound(path);
    for (const std::string& table : tables) expectReadersAgree(path, table);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, JetRandomRows,
                         testing::Values("testV1997.mdb", "test2V1997.mdb", "indexTestV1997.mdb",
                                         "compIndexTestV1997.mdb", "testIndexCodesV1997.mdb",
                                         "testV2000.mdb", "indexTestV2000.mdb",
                                         "compIndexTestV2000.mdb", "testV2007.accdb",
                                         "indexTestV2007.accdb", "compIndexTestV2007.accdb",
                                         "test2V2007.accdb", "testV2010.accdb"),
                         [](const auto& info) {
                             const std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(JetIndexRows, InsertsAndKeyUpdatesKeepEveryIndexExact) {
    if (!fs::exists(fixture("indexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    // Table1: id (primary key), otherfk1 -> Table2.id, otherfk2 -> Table3.id, data, otherfk3.
    const std::string related = fixtureCopy(dir, "indexTestV2000.mdb");
    {
        auto db = openDatabase(related);
        for (int32_t id = 100; id < 400; ++id)
            db->insert("Table1",
                       {Value::longInt(id), Value::longInt(id % 3), Value::longInt(10 + id % 3),
                        Value::text("dato " + std::to_string(id)), Value::longInt(id)});
        for (int32_t id = 100; id < 110; ++id)
            db->insert("Table2",
                       {Value::longInt(id), Value::text("padre ñ " + std::to_string(id))});
        // Keys that change: the primary key, a foreign key to a new parent.
        auto cursor = db->select(Query{"Table1", {}, {}});
        std::vector<RowId> ids;
        while (cursor->next()) ids.push_back(cursor->id());
        for (size_t i = 0; i < ids.size(); i += 7) {
            Row row = db->read("Table1", ids[i]);
            row[0] = Value::longInt(row[0].rawInt() + 100000);
            row[1] = Value::longInt(100 + static_cast<int32_t>(i % 10));
            db->update("Table1", ids[i], row);
        }
    }
    expectSound(related);
    expectReadersAgree(related, "Table1");
    expectReadersAgree(related, "Table2");

    // Many single-column indexes: text, date, long.
    const std::string users = fixtureCopy(dir, "fixedTextTestV2000.mdb");
    {
        auto db = openDatabase(users);
        const TableSchema schema = db->schema("users");
        std::mt19937 random(3);
        for (int n = 0; n < 500; ++n) {
            Row row;
            for (const Column& c : schema.columns) {
                switch (c.type) {
                    case Type::Long:
                        row.push_back(Value::longInt(1000 + n));
                        break;
                    case Type::DateTime:
                        row.push_back(Value::dateTime(40000 + n * 0.37));
                        break;
                    case Type::Text:
                        row.push_back(Value::text(accentedText(random, std::min(c.size, 12))));
                        break;
                    default:
                        row.push_back(Value());
                        break;
                }
            }
            db->insert("users", row);
        }
    }
    expectSound(users);
    expectReadersAgree(users, "users");
}

// Access 2000's bigIndexTestV2000 Table1: col1 and col2, texts of 255 characters,
// col1 indexed; Access 97's testIndexCodesV1997 Table14: name (primary key) and
// data, the same. Each key ends in its row's number, so that none repeats.
TEST(JetIndexRows, TensOfThousandsOfAccentedKeysInRandomOrder) {
    if (!fs::exists(fixture("bigIndexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    for (const auto& [name, table] : {std::pair{"bigIndexTestV2000.mdb", "Table1"},
                                      std::pair{"testIndexCodesV1997.mdb", "Table14"}}) {
        SCOPED_TRACE(name);
        pelmora::prueba::TempDir dir;
        const std::string path = fixtureCopy(dir, name);
        std::mt19937 random(11);
        constexpr int kRows = 30000;
        const size_t before = mdbtoolsRows(path, table).size();
        {
            auto db = openDatabase(path);
            for (int n = 0; n < kRows; ++n) {
                const std::string key = accentedWord(random, 20 + random() % 100);
                db->insert(table,
                           {Value::text(key + std::to_string(n)), Value::text(std::to_string(n))});
            }
        }
        expectSound(path);
        // Several levels: the root's first children are nodes too.
        jet::JetFile file(path);
        const auto t = file.table(table);
        for (const auto& index : t->definition.realIndexes) {
            if (index.columns.front().column != 0) continue;
            size_t depth = 1;
            for (uint32_t page = index.rootPage;; ++depth) {
                const jet::IndexPage p =
                    jet::readIndexPage(file.pages(), page, t->definition.pages.front(), "");
                if (p.leaf) break;
                page = p.children.empty() ? p.tail : p.children.front();
            }
            EXPECT_GE(depth, 3u);
        }
        EXPECT_EQ(mdbtoolsRows(path, table).size(), before + kRows);
        const auto dump = mdbReaderDump({path});
        if (!dump.empty()) {
            EXPECT_EQ(dump.at(path).at(table).rows.size(), before + kRows);
        }
    }
}

// Access 97 keeps a page's shared prefix length in one byte: keys of 250 equal
// characters share more than it counts, and the pages still read back whole.
TEST(JetIndexRows, LongKeysShareNoMoreThanAnAccess97PageCounts) {
    if (!fs::exists(fixture("testIndexCodesV1997.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    // Table14: name (primary key) and data, texts of 255 characters, both indexed;
    // "é" takes more than one byte of a key.
    const std::string path = fixtureCopy(dir, "testIndexCodesV1997.mdb");
    std::string accented;
    for (int i = 0; i < 250; ++i) accented += "é";
    {
        auto db = openDatabase(path);
        db->beginWrites();
        for (int i = 0; i < 300; ++i)
            db->insert("Table14", {Value::text(accented.substr(0, 480) + std::to_string(i)),
                                   Value::text(accented + std::to_string(i % 2))});
        db->endWrites();
    }
    expectSound(path);
    expectReadersAgree(path, "Table14");
}

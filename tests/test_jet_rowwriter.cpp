// Rows written into copies of real Access files, read back by the engine, by
// mdbtools and by mdb-reader, and checked by `check`: inserts over several new
// pages, long values of every size, updates that grow rows until they move and
// shrink them back, and refusals that leave the file exactly as it was. Rows of
// every length in both layouts, Access 97's jump table included, read back as built.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Query.h"
#include "db/engine/Recordset.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/RowEncoder.h"
#include "db/engine/jet/RowView.h"
#include "support/jet_compare.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

class Copy {
  public:
    explicit Copy(const std::string& name) : path_(dir_.path(name)) {
        pelmora::prueba::copyWritable(fixture(name), path_);
    }
    const std::string& path() const { return path_; }
    std::string bytes() const { return pelmora::prueba::contents(path_); }

  private:
    pelmora::prueba::TempDir dir_;
    std::string path_;
};

bool haveFixtures() {
    return fs::exists(fixture("overflowTestV2000.mdb"));
}

std::vector<std::string> firstColumn(const std::string& path, const std::string& table) {
    std::vector<std::string> out;
    auto db = openDatabase(path);
    for (const auto& row : engineRows(*db, table, 1))
        out.push_back(row[0].isNull() ? "-" : row[0].rawText());
    return out;
}

// The action is refused with a message that mentions each of `mentions`, and the
// file is left as it was.
void expectRefused(const Copy& copy, const std::function<void()>& action,
                   const std::vector<std::string>& mentions) {
    const std::string before = copy.bytes();
    expectMentions(pelmora::prueba::errorOf(action), mentions);
    EXPECT_EQ(copy.bytes(), before);
}

uint32_t storedRowCount(const std::string& path, const std::string& table) {
    pelmora::engine::jet::JetFile jet(path);
    return jet.table(table)->definition.rowCount;
}

}  // namespace

TEST(JetRowWriter, InsertedRowsReadBackEverywhere) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Copy copy("overflowTestV2000.mdb");  // Table1: nine text columns, one deleted before
    {
        auto db = openDatabase(copy.path());
        auto rs = db->openRecordset("Select Table1.* from Table1;", OpenMode::Dynaset);
        for (int i = 0; i < 300; ++i) {
            rs->addNew();
            rs->set("data1",
                    Value::text("fila " + std::to_string(i) + " con eñes y acentos: áéíóú"));
            if (i % 3 == 0) rs->set("data3", Value::text("Ωμέγα " + std::to_string(i)));
            if (i % 5 == 0) rs->set("data10", Value::text(""));
            if (i % 7 == 0) rs->set("data9", Value::text(std::string(50, 'z')));
            rs->update();
        }
    }
    EXPECT_EQ(storedRowCount(copy.path(), "Table1"), 307u);
    EXPECT_EQ(firstColumn(copy.path(), "Table1").size(), 307u);
    const auto first = firstColumn(copy.path(), "Table1");
    EXPECT_NE(std::find(first.begin(), first.end(), "fila 0 con eñes y acentos: áéíóú"),
              first.end());
    expectReadersAgree(copy.path(), "Table1");
    expectSound(copy.path());
}

TEST(JetRowWriter, LongValuesAndDecimalsOfEverySize) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Copy copy("fixedNumericTestV2000.mdb");  // test: a memo and six decimal(18,0) columns
    auto db = openDatabase(copy.path());
    std::string big;
    for (int i = 0; big.size() < 20000; ++i) big += "línea " + std::to_string(i) + " ñ\r\n";
    const std::vector<std::string> memos = {
        "corto", std::string(64, 'a'), std::string(65, 'b'), std::string(1500, 'c'),
        big,     "€ Ω sin comprimir"};
    for (size_t i = 0; i < memos.size(); ++i)
        db->insert("test", {Value::text(memos[i], Type::Memo), Value::decimal("-12345678901234567"),
                            Value::decimal("0"), Value::decimal(std::to_string(i)), Value(),
                            Value::decimal("999999999999999999"), Value::decimal("-1")});
    // Digits past the column's scale are rounded, in the row as in its index keys.
    db->insert("test", {Value(), Value::decimal("2.5"), Value::decimal("-2.5"),
                        Value::decimal("7.49"), Value(), Value(), Value()});
    {  // long values replaced by others of other sizes: the old ones' rows are given up
        auto rs = db->openRecordset("Select test.* from test;", OpenMode::Dynaset);
        // The fixture's own first row and the rounding row keep their values.
        for (size_t i = 0; !rs->eof(); rs->moveNext(), ++i) {
            if (i == 0 || i > memos.size()) continue;
            rs->edit();
            rs->set("col1", Value::text(memos[memos.size() - i], Type::Memo));
            rs->update();
        }
    }
    db.reset();
    auto rows = engineRows(*openDatabase(copy.path()), "test", 7);
    ASSERT_EQ(rows.size(), 2 + memos.size());
    for (size_t i = 0; i < memos.size(); ++i)
        EXPECT_EQ(rows[1 + i][0].rawText(), memos[memos.size() - 1 - i]) << i;
    EXPECT_EQ(rows[1][1].rawText(), "-12345678901234567");
    EXPECT_EQ(rows.back()[1].rawText(), "3");
    EXPECT_EQ(rows.back()[2].rawText(), "-3");
    EXPECT_EQ(rows.back()[3].rawText(), "7");
    expectReadersAgree(copy.path(), "test");
    expectSound(copy.path());
}

TEST(JetRowWriter, TinyRowsNeverOutnumberWhatARowPointerCounts) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("empty.mdb"), "vacia.mdb");
    {
        auto db = openDatabase(path);
        db->createTable(
            TableSchema{"Parcela", {{"mslink", Type::Long}, {"tcorrelate", Type::Boolean}}});
        for (int i = 0; i < 700; ++i)
            db->insert("Parcela", {Value::longInt(i), Value::boolean(false)});
        auto rs = db->openRecordset("Select Parcela.* from Parcela;", OpenMode::Dynaset);
        for (; !rs->eof(); rs->moveNext()) {
            rs->edit();
            rs->set("Tcorrelate", Value::boolean(true));
            rs->update();
        }
    }
    EXPECT_EQ(firstColumn(path, "Parcela").size(), 700u);
    expectReadersAgree(path, "Parcela");
    expectSound(path);
}

TEST(JetRowWriter, UpdatesGrowRowsUntilTheyMoveAndKeepTheirPlace) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Copy copy("overflowTestV2000.mdb");
    const auto order = firstColumn(copy.path(), "Table1");
    auto db = openDatabase(copy.path());
    for (int round = 1; round <= 6; ++round) {
        auto rs = db->openRecordset("Select Table1.* from Table1;", OpenMode::Dynaset);
        for (; !rs->eof(); rs->moveNext()) {
            rs->edit();
            for (const char* c : {"data4", "data5", "data6", "data7", "data8"})
                rs->set(c, Value::text(std::string(8 * round, 'a' + round)));
            rs->update();
        }
    }
    db.reset();
    EXPECT_TRUE(hasMovedRows(copy.path(), "Table1"));
    EXPECT_EQ(firstColumn(copy.path(), "Table1"), order) << "una fila movida conserva su sitio";
    expectReadersAgree(copy.path(), "Table1");
    expectSound(copy.path());

    db = openDatabase(copy.path());
    {
        auto rs = db->openRecordset("Select Table1.* from Table1;", OpenMode::Dynaset);
        for (; !rs->eof(); rs->moveNext()) {
            rs->edit();
            for (const char* c : {"data4", "data5", "data6", "data7", "data8"}) rs->set(c, Value());
            rs->update();
        }
    }
    db.reset();
    EXPECT_EQ(firstColumn(copy.path(), "Table1"), order);
    expectReadersAgree(copy.path(), "Table1");
    expectSound(copy.path());
}

// A yes/no mark is set in place where the row has the column's bit and through a
// rewritten row where it is older than the column; both read back the same
// everywhere, and setting a mark changes no other byte of the file's rows.
TEST(JetRowWriter, MarksOnRowsOlderAndNewerThanTheirColumn) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Copy copy("overflowTestV2000.mdb");
    auto db = openDatabase(copy.path());
    db->addColumn("Table1", {"marca", Type::Boolean});
    const int column = static_cast<int>(db->schema("Table1").columns.size()) - 1;
    std::vector<RowId> ids;
    for (auto c = db->select(parseStatement("Table1")); c->next();) ids.push_back(c->id());
    ASSERT_GE(ids.size(), 4u);
    auto markEveryOther = [&](bool first) {
        for (size_t i = 0; i < ids.size(); ++i)
            db->updateColumn("Table1", ids[i], column, Value::boolean((i % 2 == 0) == first));
    };
    markEveryOther(true);  // the rows predate the column: rewritten whole
    db.reset();
    expectReadersAgree(copy.path(), "Table1");
    const std::string before = copy.bytes();
    db = openDatabase(copy.path());
    markEveryOther(false);  // now each has its bit
    markEveryOther(true);
    db.reset();
    EXPECT_EQ(copy.bytes(), before) << "marcar y desmarcar deja el fichero como estaba";
    db = openDatabase(copy.path());
    markEveryOther(false);
    size_t row = 0;
    for (auto c = db->select(parseStatement("Table1")); c->next(); ++row)
        EXPECT_EQ(c->value(column), Value::boolean(row % 2 == 1)) << "fila " << row;
    db.reset();
    expectReadersAgree(copy.path(), "Table1");
    expectSound(copy.path());
}

TEST(JetRowWriter, RefusalsLeaveTheFileAsItWas) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Copy copy("overflowTestV2000.mdb");
    const std::string before = copy.bytes();
    auto db = openDatabase(copy.path());
    // UCS-2: 100 bytes each, 900 in all, fit.
    EXPECT_NO_THROW(db->insert("Table1", Row(9, Value::text("€" + std::string(49, 'x')))));
    const std::string grown = copy.bytes();
    EXPECT_NE(grown, before);
    expectRefused(copy, [&] { db->insert("Table1", Row(9, Value::text(std::string(51, 'x')))); },
                  {"data1"});

    // indexTestV2000 Table1: id (primary key), otherfk1 -> Table2, otherfk2 -> Table3, data,
    // otherfk3. A key this session wrote is as taken as one Access wrote.
    Copy indexed("indexTestV2000.mdb");
    db = openDatabase(indexed.path());
    const auto row = [](int id, int fk1) {
        return Row{Value::longInt(id), Value::longInt(fk1), Value::longInt(11), Value::text("x"),
                   Value()};
    };
    db->insert("Table1", row(500, 1));
    const std::vector<std::pair<Row, std::string>> refused = {
        {row(500, 1), "ya existe"},
        {row(1, 1), "ya existe"},
        {row(1000, 99), "no existe en la tabla relacionada"}};
    for (const auto& [bad, why] : refused)
        expectRefused(indexed, [&] { db->insert("Table1", bad); }, {why});
    db.reset();
    expectSound(indexed.path());
}

// Table1 of both files has nine columns, the first a text of 50 characters (a
// primary key in Access 97's).
TEST(JetRowWriter, AFullDiskLeavesTheFileAsSoundAsBefore) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    for (const auto& [name, pageSize] :
         {std::pair{"overflowTestV2000.mdb", 4096}, std::pair{"testV1997.mdb", 2048}}) {
        SCOPED_TRACE(name);
        Copy copy(name);
        const uintmax_t size = fs::file_size(copy.path());
        const size_t rowsBefore = firstColumn(copy.path(), "Table1").size();
        // The file may grow by two pages only: then every write that needs a new page fails.
        struct sigaction ignore {
        }, old{};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &old);
        rlimit limit{}, saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        limit = saved;
        limit.rlim_cur = size + 2 * pageSize;
        setrlimit(RLIMIT_FSIZE, &limit);
        int added = 0;
        std::string message;
        {
            auto db = openDatabase(copy.path());
            try {
                for (; added < 1000; ++added)
                    db->insert(
                        "Table1",
                        Row{Value::text(std::to_string(added) + std::string(44, 'a')), Value(),
                            Value(), Value(), Value(), Value(), Value(), Value(), Value()});
            } catch (const Error& e) {
                message = e.what();
            }
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        sigaction(SIGXFSZ, &old, nullptr);
        EXPECT_NE(message.find("No se pueden guardar los cambios"), std::string::npos) << message;
        EXPECT_NE(message.find(copy.path()), std::string::npos) << message;
        EXPECT_GT(added, 0);
        EXPECT_LE(fs::file_size(copy.path()), size + 2 * pageSize);
        EXPECT_EQ(firstColumn(copy.path(), "Table1").size(), rowsBefore + added);
        expectSound(copy.path());
        expectReadersAgree(copy.path(), "Table1");
    }
}

namespace {

// A table of a long, a yes/no and `variable` text columns.
pelmora::engine::jet::TableDefinition textTable(int variable) {
    using namespace pelmora::engine::jet;
    TableDefinition t;
    t.columns.push_back(
        ColumnDef{.name = "n", .type = ColumnType::Long, .number = 0, .length = 4, .flags = 0x03});
    t.columns.push_back(ColumnDef{
        .name = "b", .type = ColumnType::Boolean, .number = 1, .length = 1, .flags = 0x03});
    for (int i = 0; i < variable; ++i)
        t.columns.push_back(ColumnDef{.name = "t" + std::to_string(i),
                                      .type = ColumnType::Text,
                                      .number = static_cast<uint16_t>(2 + i),
                                      .varIndex = static_cast<uint16_t>(i),
                                      .length = 255,
                                      .flags = 0x02});
    t.maxColumns = static_cast<uint16_t>(2 + variable);
    t.varColumns = static_cast<uint16_t>(variable);
    return t;
}

}  // namespace

// Every row length across the 256-byte steps of Access 97's offsets, with few and
// many variable columns, some Null: each column reads back its bytes from the row
// placed at the end of a page, as the readers find it.
TEST(JetRowWriter, RowsOfEveryLengthReadBackInBothLayouts) {
    using namespace pelmora::engine::jet;
    const std::string path = "filas.mdb";
    for (const Format* format : {&kJet3, &kJet4}) {
        for (int variable : {1, 3, 40}) {
            const TableDefinition t = textTable(variable);
            for (size_t total = 0; total < maxRowLength(*format) - 140; total += 7) {
                std::vector<Field> fields(t.columns.size());
                fields[0].bytes = std::string("\x01\x02\x03\x04", 4);
                fields[1].bit = total % 2;
                for (int i = 0; i < variable; ++i)
                    if ((i + total) % 5 != 0)
                        fields[2 + i].bytes = std::string(
                            total / variable + (i == 0 ? total % variable : 0), char('a' + i % 26));
                const std::string row = assembleRow(t, *format, fields);
                std::vector<uint8_t> bytes(format->pageSize, 0);
                std::copy(row.begin(), row.end(), bytes.end() - static_cast<long>(row.size()));
                const Page page(path, 1, bytes);
                RowView view;
                view.set(page, static_cast<uint16_t>(format->pageSize - row.size()),
                         static_cast<uint16_t>(format->pageSize), *format, true);
                SCOPED_TRACE("Jet" + std::to_string(format->version) + ", " +
                             std::to_string(variable) + " variables, " + std::to_string(total) +
                             " bytes, fila de " + std::to_string(row.size()));
                EXPECT_EQ(view.bit(1), fields[1].bit);
                for (size_t i = 0; i < t.columns.size(); ++i) {
                    if (i == 1) continue;
                    std::string_view stored;
                    const bool present = view.columnBytes(t.columns[i], stored);
                    ASSERT_EQ(present, fields[i].bytes.has_value()) << t.columns[i].name;
                    if (present)
                        ASSERT_EQ(std::string(stored), *fields[i].bytes) << t.columns[i].name;
                }
            }
        }
    }
}

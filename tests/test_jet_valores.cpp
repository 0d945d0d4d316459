// Values written into copies of a real Access file as Access stores them, read
// back by the engine and by mdbtools; values a field cannot hold are refused
// with an error naming the field, and the file is left exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "db/engine/ColumnValue.h"
#include "db/engine/Currency.h"
#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/PropertyBlob.h"
#include "support/jet_compare.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

using pelmora::prueba::contents;
using pelmora::prueba::errorOf;

using namespace pelmora::engine;
using namespace pelmora::test;

namespace {

// A copy of the empty Access 2000 file with one table "Valores": a long "n"
// numbering the rows, then the given fields.
class Valores {
  public:
    explicit Valores(const std::vector<std::pair<std::string, Type>>& fields)
        : path_(dir_.writableCopy(fixture("empty.mdb"), "valores.mdb")) {
        auto db = openDatabase(path_);
        TableDef def = db->createTableDef("Valores");
        def.appendField(def.createField("n", Type::Long));
        for (const auto& [name, type] : fields)
            def.appendField(def.createField(name, type, type == Type::Text ? 10 : 0));
        db->appendTableDef(def);
    }

    // Adds one row per value, of the given field; n counts on from the rows there.
    void add(const std::string& field, const std::vector<Value>& values) {
        auto db = openDatabase(path_);
        auto rs = db->openRecordset("Valores", OpenMode::Dynaset);
        for (const Value& v : values) {
            rs->addNew();
            rs->set("n", Value::longInt(rows_ + 1));
            rs->set(field, v);
            rs->update();
            ++rows_;
        }
    }
    // The field of every row, through the engine.
    std::vector<Value> read(const std::string& field) const {
        std::vector<Value> out;
        auto rs = openDatabase(path_)->openRecordset("Valores", OpenMode::Snapshot);
        for (; !rs->eof(); rs->moveNext()) out.push_back(rs->field(field));
        return out;
    }
    // The field of every row as mdb-export shows it.
    std::vector<std::string> exported(const std::string& field) const {
        std::string out;
        EXPECT_TRUE(runCommand(
            "mdb-export -H -Q -d '|' -T '%Y-%m-%d %H:%M:%S' '" + path_ + "' Valores", out));
        const int column = openDatabase(path_)->schema("Valores").find(field);
        std::vector<std::string> values;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream cells(line);
            std::string cell;
            for (int i = 0; i <= column; ++i) std::getline(cells, cell, '|');
            values.push_back(cell);
        }
        return values;
    }
    // The message of adding a row with the value; the file is left as it was.
    std::string refusal(const std::string& field, const Value& value);

  private:
    pelmora::prueba::TempDir dir_;
    std::string path_;
    int rows_ = 0;
};

bool haveFixtures() {
    return std::filesystem::exists(fixture("empty.mdb"));
}

std::string Valores::refusal(const std::string& field, const Value& value) {
    const std::string before = contents(path_);
    const std::string message = errorOf([&] { add(field, {value}); });
    EXPECT_EQ(contents(path_), before) << "se escribió al rechazar un valor de " << field;
    return message;
}

// The message names the field and says what is wrong.
void expectNamed(const std::string& message, const std::string& field, const std::string& why) {
    EXPECT_NE(message.find("«" + field + "»"), std::string::npos) << message;
    EXPECT_NE(message.find(why), std::string::npos) << message;
}

}  // namespace

// Currency is the stored 64-bit count of ten-thousandths, end to end: the
// extremes, the smallest step and a sum of doubles arrive exactly, and Access's
// text of them (mdb-export shows four decimals) is the engine's.
TEST(JetValores, MonedaExactaEnElFichero) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Valores file({{"importe", Type::Currency}});
    file.add("importe",
             {Value::text("922337203685477.5807"), Value::decimal("-922337203685477.5808"),
              Value::text("-0,0001"), Value::dbl(0.1 + 0.2), Value::longInt(-7),
              Value::currency(123456789012345678)});
    const std::vector<int64_t> stored = {INT64_MAX, INT64_MIN, -1,
                                         3000,      -70000,    123456789012345678};
    const std::vector<std::string> texts = {
        "922337203685477.5807", "-922337203685477.5808", "-0.0001", "0.3", "-7",
        "12345678901234.5678"};
    const std::vector<Value> read = file.read("importe");
    const std::vector<std::string> exported = file.exported("importe");
    ASSERT_EQ(read.size(), stored.size());
    ASSERT_EQ(exported.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(read[i], Value::currency(stored[i])) << i;
        EXPECT_EQ(read[i].toText(), texts[i]) << i;
        EXPECT_EQ(parseCurrency(exported[i]), stored[i]) << exported[i];
    }
    EXPECT_EQ(exported[2], "-0.0001");
    EXPECT_EQ(exported[3], "0.3000");
    expectNamed(file.refusal("importe", Value::text("922337203685477.5808")), "importe",
                "fuera del intervalo");
    expectNamed(file.refusal("importe", Value::dbl(-1e15)), "importe", "fuera del intervalo");
}

// Every date of the real files' own tables whose time is a whole second is
// the very double its text gives back: the engine computes times as Access does.
TEST(JetValores, HorasComoLasGuardaAccess) {
    int checked = 0;
    for (const std::string& path : jetFixtures()) {
        auto db = openDatabase(path);
        for (const std::string& table : db->tableNames()) {
            if (table.rfind("MSys", 0) == 0) continue;
            const TableSchema schema = db->schema(table);
            auto rows = db->select(parseStatement(table));
            while (rows->next())
                for (size_t i = 0; i < schema.columns.size(); ++i) {
                    const Value v = rows->value(static_cast<int>(i));
                    if (v.type() != Type::DateTime) continue;
                    const double seconds =
                        std::fabs(v.rawDouble() - std::trunc(v.rawDouble())) * 86400;
                    if (std::fabs(seconds - std::round(seconds)) > 1e-6) continue;
                    double back = 0;
                    ASSERT_TRUE(parseDateTime(formatDateTime(v.rawDouble()), back));
                    EXPECT_EQ(back, v.rawDouble()) << path << " " << table << " " << v.toText();
                    ++checked;
                }
        }
    }
    if (checked == 0) GTEST_SKIP() << "sin ficheros de Access de prueba";
}

// Dates from the first to the last day Access stores go in, times exact to the
// bit; a date outside them is refused naming the field, and nothing is written.
TEST(JetValores, FechasFueraDeLoQueAccessGuardaRechazadas) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Valores file({{"fecha", Type::DateTime}});
    const double time = 0.21883101851851849;  // 05:15:07, as Access stores it
    file.add("fecha",
             {Value::text("0100-01-01"), Value::text("9999-12-31 23:59:59"), Value::dateTime(time),
              Value::dateTime(-657434.999), Value::text("2026-12-07 10:20:30")});
    const std::vector<Value> read = file.read("fecha");
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(read[0], Value::dateTime(-657434.0));
    EXPECT_EQ(read[1].toText(), "9999-12-31 23:59:59");
    EXPECT_EQ(read[2], Value::dateTime(time));
    EXPECT_EQ(read[3], Value::dateTime(-657434.999));
    const std::vector<std::string> exported = file.exported("fecha");
    ASSERT_EQ(exported.size(), 5u);  // mdbtools shows neither the first nor the last year
    EXPECT_EQ(exported[2], "1899-12-30 05:15:07");
    EXPECT_EQ(exported[4], "2026-12-07 10:20:30");
    const std::string range = "del 1 de enero del año 100 al 31 de diciembre de 9999";
    for (const Value& v :
         {Value::text("0099-12-31"), Value::text("10000-01-01"), Value::dateTime(-657435.0),
          Value::dbl(2958466.0), Value::dbl(1e300), Value::dbl(std::nan(""))})
        expectNamed(file.refusal("fecha", v), "fecha", range);
    expectNamed(file.refusal("fecha", Value::text("2023-02-29")), "fecha", "no es una fecha");
}

// Numbers that fit go in exactly (rounded half to even to a whole number); one
// a byte, integer, long or single field cannot hold is refused naming the
// field, never wrapped or cut, and so is text that is not a replication ID.
TEST(JetValores, NumerosEIdentificadoresQueNoCabenRechazados) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    Valores file({{"b", Type::Byte},
                  {"i", Type::Integer},
                  {"l", Type::Long},
                  {"s", Type::Single},
                  {"g", Type::Guid}});
    const std::string guid = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
    const std::vector<std::pair<std::string, std::vector<std::pair<Value, Value>>>> fitting = {
        {"b",
         {{Value::longInt(255), Value::byte(255)},
          {Value::dbl(254.5), Value::byte(254)},
          {Value::text(" 0 "), Value::byte(0)}}},
        {"i",
         {{Value::dbl(-32768.5), Value::integer(-32768)},
          {Value::text("32767"), Value::integer(32767)}}},
        {"l",
         {{Value::dbl(-2147483648.0), Value::longInt(INT32_MIN)},
          {Value::currency(21474836470000), Value::longInt(INT32_MAX)}}},
        {"s",
         {{Value::dbl(FLT_MAX), Value::single(FLT_MAX)},
          {Value::dbl(-1e-45), Value::single(-1e-45f)}}},
        {"g", {{Value::text("01234567-89ab-cdef-0123-456789abcdef"), Value::guid(guid)}}},
    };
    for (const auto& [field, cases] : fitting) {
        std::vector<Value> given;
        for (const auto& c : cases) given.push_back(c.first);
        file.add(field, given);
        const std::vector<Value> read = file.read(field);
        for (size_t k = 0; k < cases.size(); ++k)
            EXPECT_EQ(read[read.size() - cases.size() + k], cases[k].second) << field << " " << k;
    }

    const std::vector<std::pair<std::string, std::vector<Value>>> refused = {
        {"b", {Value::longInt(256), Value::longInt(-1), Value::dbl(255.5), Value::boolean(true)}},
        {"i", {Value::longInt(32768), Value::text("-32769"), Value::dbl(32767.5)}},
        {"l",
         {Value::dbl(2147483648.0), Value::text("-2147483649"), Value::dbl(2147483647.5),
          Value::currency(INT64_MAX), Value::dbl(std::nan(""))}},
        {"s",
         {Value::dbl(3.5e38), Value::text("-340282357000000000000000000000000000000"),
          Value::dbl(INFINITY)}},
    };
    for (const auto& [field, values] : refused)
        for (const Value& v : values) expectNamed(file.refusal(field, v), field, "no cabe");
    for (const Value& v : {Value::text("{01234567-89AB-CDEF-0123-456789ABCDEG}"),
                           Value::text("{01234567-89AB-CDEF-0123-456789ABCDEF"),
                           Value::text("01234567089AB0CDEF001230456789ABCDEF"), Value::longInt(5)})
        expectNamed(file.refusal("g", v), "g", "no es un identificador de réplica");
    expectNamed(file.refusal("b", Value::longInt(256)), "b", "fuera del intervalo de 0 a 255");
}

// A default of a number field the field cannot hold stays the expression's
// text, which the field then refuses: a byte default of 300 is never 44.
TEST(JetValores, PredeterminadoQueNoCabeNoSeTrunca) {
    jet::TableDefinition table;
    table.name = "T";
    for (const auto& [name, type] :
         {std::pair{"b", jet::ColumnType::Byte}, std::pair{"i", jet::ColumnType::Integer},
          std::pair{"m", jet::ColumnType::Currency}}) {
        jet::ColumnDef c;
        c.name = name;
        c.type = type;
        table.columns.push_back(c);
    }
    jet::PropertyBlob blob("", jet::kJet4, jet::CodePage::windows1252(), "x.mdb", "T");
    blob.setText("b", "DefaultValue", "300");
    blob.setText("i", "DefaultValue", "-7");
    blob.setText("m", "DefaultValue", "922337203685477.5807");
    const TableSchema schema =
        jet::schemaOf(table, jet::kJet4, jet::CodePage::windows1252(), blob.bytes(), "x.mdb");
    EXPECT_EQ(schema.columns[0].defaultValue, Value::text("300"));
    EXPECT_EQ(schema.columns[1].defaultValue, Value::integer(-7));
    EXPECT_EQ(schema.columns[2].defaultValue, Value::currency(INT64_MAX));
    ASSERT_TRUE(schema.columns[0].defaultValue.has_value());
    EXPECT_THROW(fitToColumn(*schema.columns[0].defaultValue, {"x.mdb", "T", schema.columns[0]}),
                 Error);
}

// Text with characters outside the Basic Multilingual Plane (emoji): stored as
// UTF-16 pairs, counted by Access as two characters each against the field's
// size, and indexed (bigIndexTestV2000: one index over two 255-character text
// fields) so that the index check finds every entry where the rows put it.
TEST(JetValores, EmojisEnUnCampoDeTextoIndexado) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("bigIndexTestV2000.mdb"), "emojis.mdb");
    std::string longest;
    for (int i = 0; i < 127; ++i) longest += i % 2 ? "😀" : "🙃";  // 254 of 255 units
    const std::vector<Row> rows = {
        {Value::text("a😀b"), Value::text("x")},     {Value::text(longest), Value::text(longest)},
        {Value::text("a"), Value::text("𠀀 ñ")},    {Value::text("😀"), Value::text("a😀")},
        {Value::text("abc"), Value::text("😃😃😃😃z")}, {Value::text(longest + "x"), Value()},
    };
    {
        auto db = openDatabase(path);
        for (const Row& row : rows) db->insert("Table1", row);
    }
    auto db = openDatabase(path);
    const std::vector<Row> read = engineRows(*db, "Table1", 2);
    ASSERT_GE(read.size(), rows.size());
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), read.end() - rows.size()));
    for (const std::string& problem : db->verify()) ADD_FAILURE() << problem;
    std::string exported;
    ASSERT_TRUE(runCommand("mdb-export -H '" + path + "' Table1 | wc -l", exported));
    EXPECT_EQ(std::stoul(exported), read.size());
    const std::string before = contents(path);
    expectNamed(errorOf([&] {
                    db->insert("Table1", {Value::text(longest + "😀"), Value()});
                }),
                "col1", "tiene 256 caracteres");
    db.reset();
    EXPECT_EQ(contents(path), before);

    Valores file({{"t", Type::Text}});  // ten characters
    file.add("t", {Value::text("😀😀😀😀😀"), Value::text("ñññññññññÑ")});
    const std::vector<Value> textos = file.read("t");
    ASSERT_FALSE(textos.empty());
    EXPECT_EQ(textos[0], Value::text("😀😀😀😀😀"));
    expectNamed(
        file.refusal("t", Value::text("😀😀😀😀😀x")), "t",
        "tiene 11 caracteres (los de fuera del plano básico, como los emojis, cuentan por dos)");
}

// A replication ID whose default is GenGUID() (Table4 of a real Access file: the
// replication-ID autonumber Access makes) takes a new random GUID in every new row
// that leaves it out or gives it Null, and keeps one the row gives; mdbtools and
// mdb-reader read back the very GUIDs the engine wrote.
TEST(JetValores, IdDeReplicaConGenGuidTomaUnoNuevo) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("testV2000.mdb"), "guid.mdb");
    const std::string given = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
    {
        auto db = openDatabase(path);
        const Column& data = db->schema("Table4").columns.at(1);
        EXPECT_TRUE(data.autoNumber);
        EXPECT_FALSE(data.defaultValue.has_value());
        db->insert("Table4", {Value::text("uno"), Value()}, {true, false});
        db->insert("Table4", {Value::text("dos"), Value()}, {true, true});
        db->insert("Table4", {Value::text("tres"), Value::text(given)}, {true, true});
    }
    auto db = openDatabase(path);
    std::map<std::string, std::string> guids;
    for (const Row& row : engineRows(*db, "Table4", 2))
        guids[row[0].rawText()] = row[1].isNull() ? "" : row[1].rawText();
    ASSERT_EQ(guids.size(), 3u);
    EXPECT_EQ(guids["tres"], given);
    EXPECT_NE(guids["uno"], guids["dos"]);
    for (const char* name : {"uno", "dos"}) {
        const std::string& g = guids[name];
        ASSERT_EQ(g.size(), 38u) << g;
        EXPECT_EQ(fitToColumn(Value::text(g), {path, "Table4", db->schema("Table4").columns[1]}),
                  Value::guid(g));
        EXPECT_EQ(g[15], '4') << g;  // version 4: random
        EXPECT_NE(std::string("89AB").find(g[20]), std::string::npos) << g;
    }
    for (const std::string& problem : db->verify()) ADD_FAILURE() << problem;

    // mdb-reader shows a GUID in lower case without braces, mdb-export leaves out
    // its last hyphen: compared as their hexadecimal digits.
    const auto digits = [](const std::string& guid) {
        std::string out;
        for (char c : guid)
            if (std::isxdigit(static_cast<unsigned char>(c)))
                out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return out;
    };
    std::string exported;
    ASSERT_TRUE(runCommand("mdb-export -H -Q -d '|' '" + path + "' Table4", exported));
    std::istringstream lines(exported);
    int rows = 0;
    for (std::string line; std::getline(lines, line); ++rows) {
        const size_t bar = line.find('|');
        EXPECT_EQ(digits(line.substr(bar + 1)), digits(guids[line.substr(0, bar)])) << line;
    }
    EXPECT_EQ(rows, 3);
    const auto dump = mdbReaderDump({path});
    if (dump.empty()) GTEST_SKIP() << "sin mdb-reader";
    const OracleTable& table = dump.at(path).at("Table4");
    ASSERT_EQ(table.rows.size(), 3u);
    for (const QJsonObject& row : table.rows)
        EXPECT_EQ(digits(row["data"].toString().toStdString()),
                  digits(guids[row["name"].toString().toStdString()]));
}

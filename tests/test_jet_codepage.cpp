// Text of Access 97 files in the code page their header names: read and
// written in it (mdbtools, told the code page, reads the same), a character it
// lacks refused with the file and the column named and the file left as it
// was, and a code page the engine does not know refused when the file opens.
// Names of new tables and columns too, and a decimal column, which Access 97
// does not have.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "db/engine/Database.h"
#include "db/engine/jet/Header.h"
#include "support/jet_compare.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::test;
using pelmora::prueba::contents;
using pelmora::prueba::errorOf;
namespace fs = std::filesystem;

namespace {

Column columna(const std::string& nombre, Type tipo) {
    Column c;
    c.name = nombre;
    c.type = tipo;
    return c;
}

constexpr int kMaskedStart = 0x18, kMaskedLength = 126, kCodePage = 0x3C;

// A copy of testV1997.mdb whose header names another code page.
std::string copyWithCodePage(const pelmora::prueba::TempDir& dir, uint16_t codePage) {
    const std::string path = dir.writableCopy(fixture("testV1997.mdb"), "cp.mdb");
    std::string page = contents(path).substr(0, 2048);
    auto* area = reinterpret_cast<uint8_t*>(page.data()) + kMaskedStart;
    jet::maskHeaderArea(area, kMaskedLength);
    page[kCodePage] = static_cast<char>(codePage & 0xFF);
    page[kCodePage + 1] = static_cast<char>(codePage >> 8);
    jet::maskHeaderArea(area, kMaskedLength);
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).write(page.data(), 2048);
    return path;
}

// Table1 of testV1997: A text(50), B text(100, indexed), C..H numbers, I yes/no.
Row table1Row(const std::string& a, const std::string& b) {
    return {Value::text(a),    Value::text(b),         Value::byte(1),
            Value::integer(2), Value::longInt(3),      Value::dbl(4),
            Value(),           Value::currency(50000), Value::boolean(true)};
}

// Table3 of testV1997: a (autonumber), b text(50), no text index.
Row table3Row(const std::string& b) {
    return {Value(), Value::text(b)};
}

}  // namespace

TEST(JetCodePage, TextIsWrittenAndReadInTheHeadersCodePage) {
    if (!fs::exists(fixture("testV1997.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string cyrillic = copyWithCodePage(dir, 1251);
    const size_t rowsBefore = engineRows(*openDatabase(cyrillic), "Table3", 2).size();
    openDatabase(cyrillic)->insert("Table3", table3Row("Москва"));
    openDatabase(cyrillic)->insert("Table3", table3Row("Привет, мир №1"));
    const auto rows = engineRows(*openDatabase(cyrillic), "Table3", 2);
    ASSERT_EQ(rows.size(), rowsBefore + 2);
    EXPECT_EQ(rows[rowsBefore][1].rawText(), "Москва");
    EXPECT_EQ(rows.back()[1].rawText(), "Привет, мир №1");
    EXPECT_NE(contents(cyrillic).find("\xCC\xEE\xF1\xEA\xE2\xE0"), std::string::npos);
    ::setenv("MDB_JET3_CHARSET", "CP1251", 1);
    const auto mdbtools = mdbtoolsRows(cyrillic, "Table3");
    ::unsetenv("MDB_JET3_CHARSET");
    ASSERT_EQ(mdbtools.size(), rowsBefore + 2);
    EXPECT_EQ(mdbtools.back()["b"].toString().toStdString(), "Привет, мир №1");
    expectSound(cyrillic);

    // Spanish text does not fit a Cyrillic code page, nor Greek a Western one; the
    // General sort order of Access 97 is known for the Western code page only.
    const std::string before = contents(cyrillic);
    expectMentions(errorOf([&] { openDatabase(cyrillic)->insert("Table3", table3Row("Año")); }),
                   {"«ñ»", "U+00F1", "«b»", "Table3", cyrillic, "1251"});
    expectMentions(errorOf([&] { openDatabase(cyrillic)->insert("Table1", table1Row("a", "b")); }),
                   {"«B»", "Table1", cyrillic, "1251"});
    EXPECT_EQ(contents(cyrillic), before);
    const std::string western = dir.writableCopy(fixture("testV1997.mdb"), "w.mdb");
    auto db = openDatabase(western);
    db->insert("Table1", table1Row("€ y ñ", "‰ Œ"));
    const std::string beforeRefusals = contents(western);
    expectMentions(errorOf([&] { db->insert("Table1", table1Row("x", "Ωμέγα")); }),
                   {"«Ω»", "«B»", western, "1252"});
    expectMentions(errorOf([&] { db->addColumn("Table1", columna("Ωμέγα", Type::Long)); }),
                   {"«Ωμέγα»", "«Ω»", western, "1252"});
    expectMentions(errorOf([&] {
                       db->createTable({"Números", {columna("importe", Type::Decimal)}});
                   }),
                   {"«importe»", "decimal", western});
    EXPECT_EQ(contents(western), beforeRefusals);
    db.reset();
    expectReadersAgree(western, "Table1");
}

TEST(JetCodePage, ACodePageTheEngineDoesNotKnowIsRefusedOnOpening) {
    if (!fs::exists(fixture("testV1997.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = copyWithCodePage(dir, 932);  // Japanese: two bytes a character
    const std::string before = contents(path);
    expectMentions(errorOf([&] { openDatabase(path); }), {path, "932"});
    EXPECT_EQ(contents(path), before);
}

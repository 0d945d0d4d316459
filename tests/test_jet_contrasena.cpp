// Access 2000-2003 files protected by a database password, and files Access
// encoded: the engine reads the first (their pages are plain) but never writes
// them, and refuses to read the second; either way the file is left as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "db/engine/jet/Header.h"
#include "support/jet_compare.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

using pelmora::prueba::contents;
using pelmora::prueba::errorOf;

using namespace pelmora::engine;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

constexpr int kMaskedStart = 0x18, kMaskedLength = 128;

// A copy of testV2000.mdb whose header holds the given password (as Access 2000
// stores it: UCS-2, masked by the whole part of the creation date and by the
// header's key stream) and database key.
std::string protectedCopy(const pelmora::prueba::TempDir& dir, const std::u16string& password,
                          uint32_t key = 0) {
    const std::string path = dir.writableCopy(fixture("testV2000.mdb"), "protegida.mdb");
    std::string page = contents(path).substr(0, 4096);
    auto* area = reinterpret_cast<uint8_t*>(page.data()) + kMaskedStart;
    jet::maskHeaderArea(area, kMaskedLength);
    double created;
    std::memcpy(&created, page.data() + 0x72, sizeof created);
    const int32_t day = static_cast<int32_t>(created);
    uint8_t mask[4];
    std::memcpy(mask, &day, sizeof day);
    for (int i = 0; i < 40; ++i) {
        const char16_t c = i / 2 < static_cast<int>(password.size()) ? password[i / 2] : 0;
        page[0x42 + i] = static_cast<char>((i % 2 ? c >> 8 : c & 0xFF) ^ mask[i % 4]);
    }
    std::memcpy(page.data() + 0x3E, &key, sizeof key);
    jet::maskHeaderArea(area, kMaskedLength);
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).write(page.data(), 4096);
    return path;
}

bool haveFixtures() {
    return fs::exists(fixture("testV2000.mdb"));
}

}  // namespace

TEST(JetContrasena, SeLeePeroNoSeEscribeNada) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = protectedCopy(dir, u"secreto");
    const std::string before = contents(path);
    auto db = openDatabase(path);
    auto original = openDatabase(fixture("testV2000.mdb"));
    const size_t columns = db->schema("Table1").columns.size();
    EXPECT_EQ(engineRows(*db, "Table1", columns), engineRows(*original, "Table1", columns));

    const std::vector<std::function<void()>> writes = {
        [&] { db->insert("Table1", Row(columns)); },
        [&] {
            auto rs = db->openRecordset("Select Table1.* from Table1;", OpenMode::Dynaset);
            rs->edit();
            rs->set("A", Value::text("otro"));
            rs->update();
        },
        [&] {
            TableDef def = db->createTableDef("Nueva");
            def.appendField(def.createField("n", Type::Long));
            db->appendTableDef(def);
        },
    };
    for (const auto& write : writes)
        expectMentions(errorOf(write), {path, "protegida con una contraseña"});
    db.reset();
    EXPECT_EQ(contents(path), before);
    EXPECT_FALSE(fs::exists(dir.path("protegida.ldb")));
}

TEST(JetContrasena, UnaBaseCodificadaNoSeLee) {
    if (!haveFixtures()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    for (const std::u16string password : {u"", u"clave"}) {
        const std::string path = protectedCopy(dir, password, 0x1234ABCD);
        const std::string before = contents(path);
        const std::string message = errorOf([&] { openDatabase(path)->tableNames(); });
        expectMentions(message, {path, "codificada"});
        EXPECT_EQ(message.find("contraseña") != std::string::npos, !password.empty()) << message;
        EXPECT_EQ(contents(path), before);
    }
}

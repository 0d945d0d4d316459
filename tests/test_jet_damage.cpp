// Hand-damaged copies of real Access files: every damage gives a clear Spanish
// error that names the file, never a crash, a hang or an unbounded allocation.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/TableScan.h"
#include "support/jet_oracles.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

// Opens the file and reads every value of every table, then verifies it.
// Returns the error's message, or "" when all of it read.
std::string readEverything(const std::string& path) {
    try {
        auto db = openDatabase(path);
        for (const auto& table : db->tableNames()) {
            const TableSchema schema = db->schema(table);
            Query q;
            q.table = table;
            auto cursor = db->select(q);
            while (cursor->next())
                for (size_t i = 0; i < schema.columns.size(); ++i)
                    cursor->value(static_cast<int>(i));
        }
        db->verify();
        return "";
    } catch (const Error& e) {
        return e.what();
    }
}

class Damaged {
  public:
    Damaged(const std::string& fixtureName, const std::string& copyName)
        : path_(dir_.path(copyName)) {
        pelmora::prueba::copyWritable(fixture(fixtureName), path_);
    }
    const std::string& path() const { return path_; }

    void write(uint64_t offset, std::initializer_list<uint8_t> bytes) {
        std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(offset));
        for (uint8_t b : bytes) f.put(static_cast<char>(b));
    }
    void write32(uint64_t offset, uint32_t v) {
        write(offset, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    }
    void truncate(uint64_t size) { fs::resize_file(path_, size); }

  private:
    pelmora::prueba::TempDir dir_;
    std::string path_;
};

// The error names the file and says it is damaged (or why it cannot be read).
void expectClearError(const std::string& path, const std::string& mentions) {
    const std::string message = readEverything(path);
    ASSERT_FALSE(message.empty()) << "se leyó sin error un fichero dañado";
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(mentions), std::string::npos) << message;
}

uint32_t definitionPage(const std::string& file, const std::string& table) {
    pelmora::engine::jet::JetFile jet(file);
    return jet.table(table)->definition.pages.front();
}

}  // namespace

TEST(JetDamage, EachDamageGivesAClearError) {
    if (!fs::exists(fixture("testV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    const uint32_t jet4 = 4096, jet3 = 2048;
    struct Case {
        const char *fixture, *copy, *mentions;
        std::function<void(Damaged&)> damage;
    };
    const std::vector<Case> cases = {
        {"testV2000.mdb", "truncado.mdb", "truncado", [](Damaged& d) { d.truncate(5000); }},
        {"indexTestV2000.mdb", "cortado.mdb", "más allá del final del fichero",
         [](Damaged& d) { d.truncate(fs::file_size(d.path()) / 2); }},
        // the catalog's definition page is not a definition
        {"testV1997.mdb", "tipo.mdb", "definición de tabla",
         [&](Damaged& d) { d.write(2 * jet3, {0x01}); }},
        // a table's definition continues on itself
        {"testV2000.mdb", "ciclo.mdb", "ciclo",
         [&](Damaged& d) {
             const uint32_t page = definitionPage(d.path(), "Table1");
             d.write32(uint64_t(page) * jet4 + 4, page);
         }},
        // a table's usage map points past the end of the file
        {"testV2000.mdb", "lejos.mdb", "más allá del final del fichero",
         [&](Damaged& d) {
             d.write32(uint64_t(definitionPage(d.path(), "Table2")) * jet4 + 55, 0x7FFFFF00);
         }},
        // an absurd column count
        {"testV1997.mdb", "columnas.mdb", "columnas",
         [&](Damaged& d) {
             d.write(uint64_t(definitionPage(d.path(), "Table1")) * jet3 + 25, {0xFF, 0xFF});
         }},
        // the catalog's first row runs past its page
        {"testV2000.mdb", "fila.mdb", "fuera de la zona de datos",
         [&](Damaged& d) {
             pelmora::engine::jet::JetFile jet(d.path());
             d.write(uint64_t(jet.catalog().tables().front().row.page) * jet4 + 14, {0xF0, 0x1F});
         }},
        // a file that only says it is an Access file
        {"testV2000.mdb", "cabecera.mdb", "dañada", [](Damaged& d) { d.truncate(200); }},
        {"testV2007.accdb", "truncado.accdb", "truncado", [](Damaged& d) { d.truncate(9000); }},
        // a calculated value ("Wayne, Bruce", compressed) that claims more than its row holds
        {"calcFieldTestV2010.accdb", "calculado.accdb", "valor calculado",
         [](Damaged& d) {
             std::ifstream in(d.path(), std::ios::binary);
             const std::string bytes((std::istreambuf_iterator<char>(in)), {});
             const size_t at = bytes.find(std::string("\x0E\0\0\0\xFF\xFEWayne", 11));
             ASSERT_NE(at, std::string::npos);
             d.write32(at, 0x00FFFFFF);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.copy);
        Damaged d(c.fixture, c.copy);
        c.damage(d);
        expectClearError(d.path(), c.mentions);
    }
}

TEST(JetDamage, LongValuesThatLieAboutTheirLength) {
    if (!fs::exists(fixture("test2V2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    // The first memo of MSP_PROJECTS kept on another page now claims a gigabyte.
    Damaged d("test2V2000.mdb", "largo.mdb");
    uint64_t header = 0;
    {
        pelmora::engine::jet::JetFile jet(d.path());
        auto table = jet.table("MSP_PROJECTS");
        pelmora::engine::jet::TableScan scan(jet.pages(), table->definition);
        while (!header && scan.next())
            for (const auto& c : table->definition.columns) {
                std::string_view bytes;
                if (c.type != pelmora::engine::jet::ColumnType::Memo ||
                    !scan.row().columnBytes(c, bytes) || (static_cast<uint8_t>(bytes[3]) & 0x80))
                    continue;
                auto page = jet.pages().page(scan.position().page);
                header = uint64_t(page->number()) * 4096 +
                         (reinterpret_cast<const uint8_t*>(bytes.data()) - page->data());
                break;
            }
    }
    ASSERT_NE(header, 0u);
    d.write(header, {0xFF, 0xFF, 0xFF, 0x3F});
    expectClearError(d.path(), "más que el fichero entero");
}

TEST(JetDamage, RandomDamageNeverCrashes) {
    if (!fs::exists(fixture("indexTestV1997.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    std::mt19937 random(20240601);
    int errors = 0;
    for (const char* name : {"indexTestV1997.mdb", "overflowTestV2000.mdb", "test2V2000.mdb",
                             "calcFieldTestV2010.accdb", "complexDataTestV2010.accdb"}) {
        const std::string original = fixture(name);
        std::ifstream in(original, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const size_t pageSize = bytes[0x14] == 0 ? 2048 : 4096;
        for (int round = 0; round < 60; ++round) {
            Damaged d(name, "azar.mdb");
            // A few bytes changed on catalog, definition and data pages (not the header).
            for (int k = 0; k < 8; ++k) {
                const size_t at = pageSize + random() % (bytes.size() - pageSize);
                d.write(at, {static_cast<uint8_t>(random())});
            }
            const std::string message = readEverything(d.path());
            if (!message.empty()) {
                ++errors;
                EXPECT_NE(message.find(d.path()), std::string::npos) << message;
            }
        }
    }
    EXPECT_GT(errors, 0);
}

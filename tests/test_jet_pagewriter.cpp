// Page writing on copies of real Access files: the free-page map, pages added at
// the end, the writer's lock and the Access lock file, and a read-only file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/jet/DataPage.h"
#include "db/engine/jet/Header.h"
#include "db/engine/jet/PageWriter.h"
#include "db/engine/jet/UsageMap.h"
#include "support/jet_oracles.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

using pelmora::prueba::errorOf;
using namespace pelmora::engine;
using namespace pelmora::engine::jet;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

bool freeInMap(PageFile& file, uint32_t number) {
    PageRef map = file.page(1);
    const RowSpan span = rowSpan(*map, file.format(), 0);
    const uint32_t first = map->u32(span.start + 1);
    const size_t byte = span.start + 5 + (number - first) / 8;
    if (byte >= span.end) return true;
    return map->u8(byte) & (1 << ((number - first) % 8));
}

}  // namespace

TEST(JetPageWriter, AllocatesFromTheFreeMapThenAtTheEndAndWritesAtOnce) {
    if (!fs::exists(fixture("empty2003.mdb"))) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = fixtureCopy(dir, "empty2003.mdb");  // pages 15, 16, 40-45 free
    const std::string ldb = dir.path("empty2003.ldb");
    {
        PageFile file(path);
        readHeader(file);
        const uint32_t pages = file.pageCount();
        EXPECT_FALSE(fs::exists(ldb));
        WriteGroup group(file);
        PageWriter writer(file);
        EXPECT_TRUE(fs::exists(ldb)) << "el fichero de bloqueo de Access se crea al escribir";
        EXPECT_EQ(fs::file_size(ldb), 64u);
        std::vector<uint32_t> got;
        for (int i = 0; i < 10; ++i) {
            Page& page = writer.allocate();
            formatDataPage(page, file.format(), 2);
            got.push_back(page.number());
        }
        EXPECT_EQ(got, (std::vector<uint32_t>{15, 16, 40, 41, 42, 43, 44, 45, pages, pages + 1}));
        EXPECT_EQ(file.pageCount(), pages) << "nada se escribe antes de commit()";
        EXPECT_TRUE(freeInMap(file, 15));
        writer.commit();
        EXPECT_EQ(file.pageCount(), pages + 2);
        EXPECT_EQ(fs::file_size(path), uint64_t(pages) * 4096)
            << "nada llega al disco antes del final del grupo";
        for (uint32_t n : got) {
            EXPECT_EQ(file.page(n)->type(), PageType::Data);
            EXPECT_FALSE(freeInMap(file, n)) << n;
        }
        writer.release(41);
        writer.commit();
        EXPECT_TRUE(freeInMap(file, 41));
        EXPECT_EQ(writer.allocate().number(), 41u);
        writer.discard();
        group.end();
        EXPECT_EQ(fs::file_size(path), uint64_t(pages + 2) * 4096);
        EXPECT_FALSE(fs::exists(ldb)) << "el fichero de bloqueo se borra al acabar el grupo";
    }
    PageFile again(path);
    readHeader(again);
    EXPECT_EQ(again.page(44)->type(), PageType::Data);
    std::string out;
    EXPECT_TRUE(runCommand("mdb-tables -S '" + path + "'", out)) << out;
    EXPECT_NE(out.find("MSysObjects"), std::string::npos);
}

TEST(JetPageWriter, GrowsTheFreeMapPastItsRange) {
    if (!fs::exists(fixture("empty.mdb"))) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = fixtureCopy(dir, "empty.mdb");  // map of 512 pages, 24 in the file
    PageFile file(path);
    readHeader(file);
    WriteGroup group(file);
    PageWriter writer(file);
    for (int i = 0; i < 600; ++i) formatDataPage(writer.allocate(), file.format(), 2);
    writer.commit();
    group.end();
    EXPECT_EQ(file.pageCount(), 624u);
    for (uint32_t n : {23u, 24u, 511u, 512u, 623u}) EXPECT_FALSE(freeInMap(file, n)) << n;
    EXPECT_TRUE(freeInMap(file, 624));
    EXPECT_EQ(rowCount(*file.page(1), file.format()), 2) << "la otra fila de la página 1 sigue";
}

// An operation that fails inside a longer group (a table's merge) takes back
// exactly what it wrote; what the group wrote before it reaches the file.
TEST(JetPageWriter, AFailedNestedGroupLeavesNoTraceInTheGroupAroundIt) {
    if (!fs::exists(fixture("empty.mdb"))) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = fixtureCopy(dir, "empty.mdb");
    uint32_t kept = 0, pages = 0;
    {
        PageFile file(path);
        readHeader(file);
        WriteGroup outer(file);
        pages = file.pageCount();
        {
            PageWriter writer(file);
            Page& page = writer.allocate();
            formatDataPage(page, file.format(), 2);
            kept = page.number();
            writer.commit();
        }
        const uint32_t afterFirst = file.pageCount();
        try {
            WriteGroup failing(file);
            PageWriter writer(file);
            writer.edit(kept).set8(100, 0xAB);
            formatDataPage(writer.allocate(), file.format(), 2);
            writer.commit();
            EXPECT_EQ(file.page(kept)->u8(100), 0xAB);
            throw Error("falla la operación");
        } catch (const Error&) {
        }
        EXPECT_EQ(file.pageCount(), afterFirst);
        EXPECT_NE(file.page(kept)->u8(100), 0xAB) << "la página vuelve a como la dejó el grupo";
        outer.end();
    }
    PageFile again(path);
    readHeader(again);
    EXPECT_EQ(again.page(kept)->type(), PageType::Data);
    EXPECT_NE(again.page(kept)->u8(100), 0xAB);
    EXPECT_EQ(again.pageCount(), kept >= pages ? kept + 1 : pages);
}

TEST(JetPageWriter, ALockedOrReadOnlyFileIsRefusedClearly) {
    if (!fs::exists(fixture("empty.mdb"))) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = fixtureCopy(dir, "empty.mdb");
    PageFile first(path), second(path);
    readHeader(first);
    readHeader(second);
    setenv("PELMORA_ESPERA_BLOQUEO", "0.2", 1);
    first.beginGroup();
    expectMentions(errorOf([&] { second.beginGroup(); }),
                   {"está ocupada: la está usando", "se esperó 0,2 segundos", path});
    first.endGroup();
    EXPECT_TRUE(second.beginGroup()) << "el cerrojo se suelta al acabar el grupo";
    second.endGroup();
    unsetenv("PELMORA_ESPERA_BLOQUEO");

    const std::string readOnly = fixtureCopy(dir, "emptyJet4.mdb");
    fs::permissions(readOnly, fs::perms::owner_read);
    PageFile file(readOnly);
    readHeader(file);
    expectMentions(errorOf([&] { WriteGroup group(file); }), {"solo lectura"});
}

// Another user's lock file (x.ldb beside x.mdb, x.laccdb beside x.accdb): while a
// live user holds it, nothing is written and the message names them; once nobody
// holds it, it is left as it was.
TEST(JetPageWriter, AnotherUsersLockFileIsRespected) {
    if (!fs::exists(fixture("empty.mdb"))) GTEST_SKIP() << "sin ficheros de Access de prueba";
    for (const auto& [database, lockFile] :
         {std::pair{"empty.mdb", "empty.ldb"}, std::pair{"empty2010.accdb", "empty2010.laccdb"}}) {
        SCOPED_TRACE(database);
        pelmora::prueba::TempDir dir;
        const std::string path = fixtureCopy(dir, database);
        const std::string ldb = dir.path(lockFile);
        std::string record(64, '\0');
        record.replace(0, 8, "PCREMOTO");
        record.replace(32, 3, "ana");
        std::ofstream(ldb, std::ios::binary) << record;
        const auto before = fs::last_write_time(path);
        {
            const int held = ::open(ldb.c_str(), O_RDWR);  // a lock as another user's Access keeps
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = 0x10000000;
            lock.l_len = 1;
            ASSERT_EQ(::fcntl(held, F_OFD_SETLK, &lock), 0);
            PageFile file(path);
            readHeader(file);
            expectMentions(errorOf([&] { WriteGroup group(file); }),
                           {"está abierta en Access por «ana» en el equipo «PCREMOTO»"});
            ::close(held);
        }
        EXPECT_EQ(fs::last_write_time(path), before);
        {
            PageFile file(path);
            readHeader(file);
            WriteGroup group(file);
            PageWriter writer(file);
            formatDataPage(writer.allocate(), file.format(), 2);
            writer.commit();
            group.end();
        }
        EXPECT_EQ(pelmora::prueba::contents(ldb), record)
            << "el fichero de bloqueo ajeno sigue como estaba";
    }
}

// With page 1 full, the inline free-page map cannot grow past its 512 pages: it
// becomes a reference map whose pages of bits reach every page of the file, so
// that Access, which counts a page out of the map's reach as free, never hands
// out a page that holds rows. The structure check counts such pages free too.
TEST(JetPageWriter, AFullPage1TurnsTheFreeMapIntoAReferenceMap) {
    if (!fs::exists(fixture("empty.mdb"))) GTEST_SKIP() << "sin ficheros de Access de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = fixtureCopy(dir, "empty.mdb");
    {
        PageFile file(path);
        readHeader(file);
        WriteGroup group(file);
        PageWriter writer(file);
        Page& page1 = writer.edit(1);
        appendRow(page1, file.format(), std::string(freeSpace(page1) - 16, 'x'));
        writer.commit();
        group.end();
    }
    const int kRows = 1200;  // two to a page: past the 512 pages the map reaches
    {
        auto db = openDatabase(path);
        TableDef def = db->createTableDef("Grande");
        for (int c = 0; c < 8; ++c)
            def.appendField(def.createField("t" + std::to_string(c), Type::Text, 255));
        db->appendTableDef(def);
        Row row;
        for (int c = 0; c < 8; ++c) row.push_back(Value::text(std::string(250, char('a' + c))));
        for (int i = 0; i < kRows; ++i) db->insert("Grande", row);
        for (const auto& p : db->verify()) ADD_FAILURE() << p;
    }
    PageFile file(path);
    readHeader(file);
    EXPECT_GT(file.pageCount(), 600u);
    PageRef map = file.page(1);
    EXPECT_EQ(map->u8(rowSpan(*map, file.format(), 0).start), 0x01) << "mapa de referencias";
    const UsageMapReach reach(file, 1 << 8, "el mapa de páginas libres");
    const auto freeList = readUsageMap(file, 1 << 8, "el mapa de páginas libres", true);
    const std::set<uint32_t> free(freeList.begin(), freeList.end());
    for (uint32_t p = 2; p < file.pageCount(); ++p)
        if (file.page(p)->type() != PageType::Header) {  // a page of zeros is unused
            EXPECT_TRUE(reach.reaches(p)) << p;
            EXPECT_FALSE(free.count(p)) << p;
        }
    EXPECT_EQ(mdbtoolsRows(path, "Grande").size(), size_t(kRows));
}

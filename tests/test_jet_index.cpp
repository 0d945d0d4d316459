// Index reading and the index check: every entry Access stored in every index
// of every fixture is re-derived from its row and compared byte for byte (Jet3
// and Jet4, every indexed type, ascending and descending, the text codes of
// every character in testIndexCodesV1997.mdb); a damaged entry is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "db/engine/Database.h"
#include "db/engine/jet/IndexCheck.h"
#include "db/engine/jet/IndexKey.h"
#include "db/engine/jet/IndexPages.h"
#include "db/engine/jet/PageWriter.h"
#include "db/engine/jet/SortCodes.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/UsageMapEdit.h"
#include "support/jet_oracles.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::engine::jet;
using namespace pelmora::test;
namespace fs = std::filesystem;

TEST(JetIndex, EveryStoredEntryIsTheOneItsRowGives) {
    const auto files = jetFixtures();
    if (files.empty())
        GTEST_SKIP() << "Faltan las bases de datos de prueba en " << PELMORA_FIXTURES;
    size_t entries = 0, textIndexes = 0, descending = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        auto db = openDatabase(file);
        const auto problems = db->verify();
        for (const auto& p : problems) ADD_FAILURE() << p;
        // The check is not vacuous: count what it compared.
        JetFile jet(file);
        for (const auto& entry : jet.catalog().tables()) {
            const auto table = jet.table(entry.name);
            for (const auto& index : table->definition.realIndexes) {
                std::vector<std::string> structural;
                entries += readIndexEntries(jet.pages(), index, table->definition.pages.front(),
                                            entry.name, structural)
                               .size();
                for (const auto& c : index.columns) {
                    textIndexes += table->definition.columns[c.column].isText();
                    descending += !c.ascending;
                }
            }
        }
    }
    EXPECT_GT(entries, 5000u);
    EXPECT_GT(textIndexes, 50u);
    EXPECT_GT(descending, 10u);
}

TEST(JetIndex, DamagedEntriesAreReported) {
    if (!fs::exists(fixture("indexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("indexTestV2000.mdb"), "indice.mdb");
    // The last byte of the first entry of Table1's first index: part of its key.
    uint64_t offset = 0;
    {
        JetFile jet(path);
        const auto table = jet.table("Table1");
        const auto& index = table->definition.realIndexes.front();
        uint32_t page = index.rootPage;
        while (jet.pages().page(page)->type() == PageType::IndexNode)
            page = readIndexPage(jet.pages(), page, table->definition.pages.front(), "")
                       .children.front();
        offset = uint64_t(page) * 4096 + jet.pages().format().indexEntries + 2;
    }
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekg(static_cast<std::streamoff>(offset));
        const char old = static_cast<char>(f.get());
        f.seekp(static_cast<std::streamoff>(offset));
        f.put(static_cast<char>(old ^ 0x01));
    }
    const auto problems = openDatabase(path)->verify();
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.front().find("tabla «Table1»"), std::string::npos) << problems.front();
}

namespace {

std::string key(const std::string& text, bool jet4 = true, bool ascending = true) {
    std::string out;
    if (jet4)
        appendGeneralText(text, ascending, out);
    else
        appendGeneral97Text(text, ascending, out);
    return out;
}

}  // namespace

TEST(JetIndex, GeneralSortOrderOfSpanishText) {
    for (bool jet4 : {true, false}) {
        SCOPED_TRACE(jet4 ? "Jet4" : "Jet3");
        // Letter case does not count; accents count after the letters.
        EXPECT_EQ(key("camión", jet4), key("CAMIÓN", jet4));
        EXPECT_LT(key("camion", jet4), key("camión", jet4));
        EXPECT_LT(key("camión", jet4), key("camiones", jet4));
        // In the General order ñ is an n with a mark, as é is an e: niño sorts between
        // nino and ninos, and every ñ word before any word in o.
        EXPECT_LT(key("nino", jet4), key("niño", jet4));
        EXPECT_LT(key("niño", jet4), key("ninos", jet4));
        EXPECT_LT(key("ñz", jet4), key("oa", jet4));
        // Digits before letters; trailing spaces do not count; only 255 characters do.
        EXPECT_LT(key("9", jet4), key("a", jet4));
        EXPECT_EQ(key("árbol  ", jet4), key("árbol", jet4));
        EXPECT_EQ(key(std::string(300, 'x'), jet4), key(std::string(255, 'x') + "y", jet4));
        // Descending keys sort the other way round.
        EXPECT_GT(key("a", jet4, false), key("b", jet4, false));
    }
}

TEST(JetIndex, CheckCommandPassesOnEveryFixtureAndDumpReadsThem) {
    const auto files = jetFixtures();
    const std::string tool = std::string(PELMORA_BIN_DIR) + "/pelmora-bdd";
    if (files.empty() || !fs::exists(tool))
        GTEST_SKIP() << "Faltan las bases de datos de prueba o pelmora-bdd";
    for (const auto& file : files) {
        std::string out;
        EXPECT_TRUE(runCommand("'" + tool + "' check '" + file + "'", out)) << file << ": " << out;
        auto db = openDatabase(file);
        for (const auto& table : db->tableNames()) {
            ASSERT_TRUE(runCommand("'" + tool + "' dump '" + file + "' '" + table + "'", out))
                << table;
            size_t rows = 0;
            auto rs = db->select(Query{table, {}, {}});
            while (rs->next()) ++rows;
            EXPECT_EQ(static_cast<size_t>(std::count(out.begin(), out.end(), '\n')), rows)
                << file << " " << table;
        }
    }
}

TEST(JetIndex, ARepeatedKeyInAUniqueIndexIsReported) {
    if (!fs::exists(fixture("indexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("indexTestV2000.mdb"), "repetida.mdb");
    // Table2's second row takes the id (its primary key, a fixed long) of the first.
    uint64_t offset = 0;
    char first[4];
    {
        JetFile jet(path);
        const auto& def = jet.table("Table2")->definition;
        const Format& f = jet.pages().format();
        TableScan scan(jet.pages(), def);
        std::vector<RowPointer> rows;
        while (scan.next()) rows.push_back(scan.position());
        ASSERT_GE(rows.size(), 2u);
        const ColumnDef& id = def.columns[0];
        for (int i = 0; i < 2; ++i) {
            PageRef page = jet.pages().page(rows[i].page);
            const RowSpan span = rowSpan(*page, f, rows[i].row);
            const size_t at = span.start + f.rowCountSize + id.fixedOffset;
            if (i == 0) std::memcpy(first, page->data() + at, 4);
            offset = uint64_t(rows[i].page) * f.pageSize + at;
        }
    }
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(offset));
        f.write(first, 4);
    }
    const auto problems = openDatabase(path)->verify();
    const bool reported = std::any_of(problems.begin(), problems.end(), [](const std::string& p) {
        return p.find("el índice es único y 2 filas tienen la clave") != std::string::npos;
    });
    EXPECT_TRUE(reported) << (problems.empty() ? "" : problems.front());
}

TEST(JetIndex, AnIndexMapThatDisagreesWithItsTreeIsReported) {
    if (!fs::exists(fixture("compIndexTestV2000.mdb")))
        GTEST_SKIP() << "Faltan las bases de datos de prueba";
    pelmora::prueba::TempDir dir;
    const std::string path = dir.writableCopy(fixture("compIndexTestV2000.mdb"), "mapa.mdb");
    {
        JetFile jet(path);
        const auto& index = jet.table("Table1")->definition.realIndexes.front();
        WriteGroup group(jet.pages());
        PageWriter pages(jet.pages());
        markInUsageMap(pages, index.usageMap, index.rootPage, false, "mapa");
        markInUsageMap(pages, index.usageMap, 5, true, "mapa");
        pages.commit();
        group.end();
    }
    const auto problems = openDatabase(path)->verify();
    const auto has = [&](const std::string& text) {
        return std::any_of(problems.begin(), problems.end(),
                           [&](const std::string& p) { return p.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has("no marca la página")) << problems.size();
    EXPECT_TRUE(has("marca la página 5, que no es del árbol")) << problems.size();
}

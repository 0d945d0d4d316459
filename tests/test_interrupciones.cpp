// Writers killed at every point where they change a file, and two writers at
// once, on copies of a real Access file and on SQLite files. After a kill the
// next opening must find a sound file (the engine's check, mdbtools and
// mdb-reader agree) holding exactly the groups that landed; two writers each
// reading before they write must both succeed, one after the other.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "db/engine/Database.h"
#include "db/engine/Recordset.h"
#include "support/jet_oracles.h"
#include "tests/procesos/Grupos.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::test;
namespace grupos = pelmora::grupos;
namespace fs = std::filesystem;
using pelmora::prueba::TempDir;

namespace {

constexpr int kGroups = 6;

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// The file Table1 lives in: the Access fixture (col1 indexed), or a SQLite file.
std::string base(const TempDir& dir, bool access) {
    if (access) return dir.writableCopy(fixture("bigIndexTestV2000.mdb"), "base.mdb");
    const std::string path = dir.path("base.db3");
    auto db = createSqliteDatabase(path);
    TableDef def = db->createTableDef("Table1");
    def.appendField(def.createField("col1", Type::Text, 255));
    def.appendField(def.createField("col2", Type::Text, 255));
    db->appendTableDef(def);
    return path;
}

// Runs the writer child on `path` under the killing library, killed before its
// change number `killAt` (or halfway through it, `torn`); returns the last group
// it reported landed.
int runWriter(const std::string& path, long killAt, bool torn, const std::string& countFile = "") {
    std::string command = "LD_PRELOAD=" + quoted(PELMORA_MATAR) +
                          " PELMORA_MATAR_EN=" + std::to_string(killAt) +
                          " PELMORA_MATAR_MITAD=" + (torn ? "1" : "0");
    if (!countFile.empty()) command += " PELMORA_MATAR_CUENTA=" + quoted(countFile);
    command += " " + quoted(PELMORA_ESCRITOR) + " grupos " + quoted(path) + " " +
               std::to_string(kGroups) + " 2>/dev/null";
    std::string out;
    runCommand(command, out);
    int last = 0;
    for (size_t at = 0; at < out.size();) {
        last = std::stoi(out.substr(at));
        at = out.find('\n', at) + 1;
    }
    return last;
}

int rowsOf(Database& db, const std::string& table) {
    int n = 0;
    for (auto r = db.openRecordset(table, OpenMode::Snapshot); !r->eof(); r->moveNext()) ++n;
    return n;
}

// Which of the writer's states the database is in: the number of groups it
// holds, or -1 when it holds no state the writer could have left.
int groupsHeld(Database& db, int baseRows) {
    int fresh = 0, marked = 0, newest = 0;
    std::set<std::string> keys;
    for (auto r = db.openRecordset("Table1", OpenMode::Snapshot); !r->eof(); r->moveNext()) {
        const std::string col2 = r->field("col2").toText();
        std::string col1 = r->field("col1").toText();
        if (col2 == grupos::kMarked) {
            ++marked;
            col1 = col1.substr(grupos::kMarked.size());
        } else if (col2 == grupos::kNew) {
            ++fresh;
            newest = std::max(newest, std::stoi(col1.substr(1, 3)));
        } else {
            continue;
        }
        keys.insert(col1);
    }
    const int k = newest;
    if (fresh != (k ? grupos::kRows : 0) || marked != grupos::kRows * std::max(0, k - 1) ||
        keys.size() != size_t(fresh + marked) || rowsOf(db, "Table1") != baseRows + fresh + marked)
        return -1;
    const std::vector<std::string> tables = db.tableNames();
    for (int g = 5; g <= kGroups; g += 5) {
        const bool exists =
            std::find(tables.begin(), tables.end(), grupos::tableOf(g)) != tables.end();
        if (exists != (g <= k) || (exists && rowsOf(db, grupos::tableOf(g)) != 1)) return -1;
    }
    return k;
}

void killAtEveryPoint(bool access) {
    TempDir dir;
    const std::string original = base(dir, access);
    const int baseRows = rowsOf(*openDatabase(original), "Table1");
    const std::string counted = dir.path("cuenta" + fs::path(original).extension().string());
    fs::copy_file(original, counted);
    ASSERT_EQ(runWriter(counted, 0, false, dir.path("cuenta.txt")), kGroups)
        << "el escritor sin matar";
    long points = 0;
    std::ifstream(dir.path("cuenta.txt")) >> points;
    ASSERT_GT(points, kGroups);

    std::vector<std::string> kept;
    for (long point = 2; point <= 2 * points + 1; ++point) {
        const long at = point / 2;
        const bool torn = point % 2;
        const std::string path =
            dir.path("m" + std::to_string(point) + fs::path(original).extension().string());
        fs::copy_file(original, path);
        const int landed = runWriter(path, at, torn);
        auto db = openDatabase(path);
        const int held = groupsHeld(*db, baseRows);
        EXPECT_TRUE(held == landed || held == landed + 1)
            << "matado en la escritura " << at << " de " << points << (torn ? " a medias" : "")
            << ": " << landed << " grupos terminados, la base tiene " << held;
        for (const auto& p : db->verify())
            ADD_FAILURE() << "matado en la escritura " << at << ": " << p;
        // SQLite leaves an empty journal of a group killed before its first
        // write; a journal with anything in it would be a group not put back.
        EXPECT_FALSE(fs::exists(path + "-journal") && fs::file_size(path + "-journal") > 0) << at;
        if (access) {
            EXPECT_EQ(mdbtoolsRows(path, "Table1").size(), size_t(rowsOf(*db, "Table1"))) << at;
            if (point % 7 == 0) kept.push_back(path);
        }
    }
    if (kept.empty()) return;
    const auto dump = mdbReaderDump(kept);
    if (dump.empty()) return;
    for (const std::string& path : kept)
        EXPECT_EQ(dump.at(path).at("Table1").rows.size(),
                  size_t(rowsOf(*openDatabase(path), "Table1")))
            << path;
}

// Two writers merge into one file at once, each reading the highest number and
// pausing before it writes: both must succeed and every number be taken once.
void twoMergesAtOnce(bool access) {
    TempDir dir;
    const std::string path = base(dir, access);
    const int baseRows = rowsOf(*openDatabase(path), "Table1");
    std::string script;
    for (const char* who : {"a", "b"})
        script += "(" + quoted(PELMORA_ESCRITOR) + " fusiona " + quoted(path) +
                  " 4 150 >/dev/null 2>" + quoted(dir.path(who)) + "; echo $? >" +
                  quoted(dir.path(who) + ".rc") + ") & ";
    std::string out;
    ASSERT_TRUE(runCommand("sh -c " + quoted(script + "wait"), out)) << out;
    for (const char* who : {"a", "b"}) {
        std::string rc, err;
        std::ifstream(dir.path(who) + ".rc") >> rc;
        std::getline(std::ifstream(dir.path(who)), err);
        EXPECT_EQ(rc, "0") << who << ": " << err;
    }
    auto db = openDatabase(path);
    std::set<int> numbers;
    int merged = 0;
    for (auto r = db->openRecordset("Table1", OpenMode::Snapshot); !r->eof(); r->moveNext()) {
        if (r->field("col2").toText() != grupos::kMerged) continue;
        ++merged;
        numbers.insert(std::stoi(r->field("col1").toText()));
    }
    const int expected = 2 * 4 * grupos::kRows;
    EXPECT_EQ(merged, expected);
    EXPECT_EQ(numbers.size(), size_t(expected)) << "un número tomado dos veces";
    EXPECT_EQ(numbers.empty() ? 0 : *numbers.rbegin(), expected);
    for (const auto& p : db->verify()) ADD_FAILURE() << p;
    if (access) {
        EXPECT_EQ(mdbtoolsRows(path, "Table1").size(), size_t(baseRows + expected));
    }
}

}  // namespace

TEST(Interrupciones, UnEscritorMatadoEnCualquierPuntoDejaLaBaseAccessSana) {
    if (!fs::exists(fixture("bigIndexTestV2000.mdb"))) GTEST_SKIP() << "sin ficheros de Access";
    killAtEveryPoint(true);
}

TEST(Interrupciones, UnEscritorMatadoEnCualquierPuntoDejaLaBaseSqliteSana) {
    killAtEveryPoint(false);
}

TEST(Interrupciones, DosFusionesALaVezSeTurnanEnAccess) {
    if (!fs::exists(fixture("bigIndexTestV2000.mdb"))) GTEST_SKIP() << "sin ficheros de Access";
    twoMergesAtOnce(true);
}

TEST(Interrupciones, DosFusionesALaVezSeTurnanEnSqlite) {
    twoMergesAtOnce(false);
}

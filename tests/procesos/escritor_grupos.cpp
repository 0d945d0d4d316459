// A child process for the tests that kill writers and run two at once. It
// writes groups to Table1 (two text columns, col1 maybe indexed) of a database
// through the engine, as the runs do, and prints each group's number once the
// group has landed.
//   escritor_grupos grupos FILE N      group g adds kRows rows, renames and marks
//                                      the rows of group g-1, and every fifth
//                                      group creates table Tabla<g> with one row
//   escritor_grupos fusiona FILE N MS  group g reads the highest number among the
//                                      merged rows, waits MS milliseconds, then
//                                      adds the kRows numbers after it
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "db/engine/Database.h"
#include "db/engine/Error.h"
#include "db/engine/GroupGuard.h"
#include "db/engine/Recordset.h"
#include "tests/procesos/Grupos.h"

using namespace pelmora;
using namespace pelmora::engine;

namespace {

void add(Database& db, const std::string& col1, const std::string& col2) {
    auto table = db.openRecordset("Table1", OpenMode::Dynaset);
    table->addNew();
    table->set("col1", Value::text(col1));
    table->set("col2", Value::text(col2));
    table->update();
}

void writeGroup(Database& db, int g) {
    for (int i = 0; i < grupos::kRows; ++i) add(db, grupos::key(g, i), grupos::kNew);
    auto table = db.openRecordset("Table1", OpenMode::Dynaset);
    for (; !table->eof(); table->moveNext()) {
        const Value col1 = table->field("col1");
        if (col1.isNull() || col1.toText().rfind(grupos::key(g - 1, 0).substr(0, 5), 0) != 0)
            continue;
        table->edit();
        table->set("col1", Value::text(grupos::kMarked + col1.toText()));
        table->set("col2", Value::text(grupos::kMarked));
        table->update();
    }
    if (g % 5 != 0) return;
    TableDef def = db.createTableDef(grupos::tableOf(g));
    def.appendField(def.createField("n", Type::Long));
    db.appendTableDef(def);
    auto created = db.openRecordset(grupos::tableOf(g), OpenMode::Dynaset);
    created->addNew();
    created->set("n", Value::longInt(g));
    created->update();
}

void mergeGroup(Database& db, int pauseMs) {
    int highest = 0;
    auto table = db.openRecordset("Table1", OpenMode::Snapshot);
    for (; !table->eof(); table->moveNext())
        if (table->field("col2").toText() == grupos::kMerged)
            highest = std::max(highest, std::stoi(table->field("col1").toText()));
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    for (int i = 1; i <= grupos::kRows; ++i) add(db, grupos::number(highest + i), grupos::kMerged);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string mode = argv[1];
    const int groups = std::stoi(argv[3]);
    try {
        auto db = openDatabase(argv[2]);
        for (int g = 1; g <= groups; ++g) {
            engine::GroupGuard group(db);
            if (mode == "grupos")
                writeGroup(*db, g);
            else
                mergeGroup(*db, argc > 4 ? std::stoi(argv[4]) : 0);
            group.finish();
            std::printf("%d\n", g);
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

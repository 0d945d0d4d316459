// The SQLite backend on the program's access patterns: one-row lookups by a
// condition (two per ATR in the Adaptation run), whole scans, and row writes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "db/engine/Database.h"
#include "db/engine/Recordset.h"

using namespace pelmora::engine;

namespace {

// A database of `rows` records with distinct mslinks and repeated tcomplet/clasific keys.
std::shared_ptr<Database> sample(int rows) {
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("pelmora-bench-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"))
            .string();
    std::filesystem::remove(path);
    auto db = createSqliteDatabase(path);
    TableDef def = db->createTableDef("Parcela");
    def.appendField(def.createField("mslink", Type::Long));
    def.appendField(def.createField("tcomplet", Type::Text, 20));
    def.appendField(def.createField("clasific", Type::Integer));
    def.appendField(def.createField("Tcorrelate", Type::Boolean));
    db->appendTableDef(def);
    for (int i = 0; i < rows; ++i)
        db->insert("Parcela", {Value::longInt(i), Value::text("T" + std::to_string(i % 5000)),
                               Value::integer(static_cast<int16_t>(i % 7)), Value()});
    return db;
}

void lookupByMslink(benchmark::State& state) {
    auto db = sample(static_cast<int>(state.range(0)));
    int32_t key = 0;
    for (auto _ : state) {
        auto rs = db->openRecordset("Select Parcela.* from Parcela WHERE mslink=" +
                                        std::to_string(key++ % state.range(0)) + ";",
                                    OpenMode::Snapshot);
        rs->moveLast();
        benchmark::DoNotOptimize(rs->recordCount());
    }
    std::filesystem::remove(db->path());
}
BENCHMARK(lookupByMslink)->Arg(1000)->Arg(20000);

void lookupByTextKey(benchmark::State& state) {
    auto db = sample(static_cast<int>(state.range(0)));
    int key = 0;
    for (auto _ : state) {
        const int k = key++ % 5000;
        auto rs = db->openRecordset("Select Parcela.* from Parcela WHERE (tcomplet='t" +
                                        std::to_string(k) +
                                        "' AND clasific=" + std::to_string(k % 7) + ");",
                                    OpenMode::Snapshot);
        if (!rs->eof()) rs->moveLast();
        benchmark::DoNotOptimize(rs->recordCount());
    }
    std::filesystem::remove(db->path());
}
BENCHMARK(lookupByTextKey)->Arg(1000)->Arg(20000);

void scanAndMarkEveryRow(benchmark::State& state) {
    auto db = sample(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto rs = db->openRecordset("Parcela", OpenMode::Dynaset);
        for (; !rs->eof(); rs->moveNext()) {
            rs->edit();
            rs->set("Tcorrelate", Value::boolean(true));
            rs->update();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove(db->path());
}
BENCHMARK(scanAndMarkEveryRow)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

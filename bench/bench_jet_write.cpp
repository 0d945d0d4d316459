// Row writing in copies of Access files, on the program's patterns: ERRORES
// rows appended one at a time (each its own write group), the Tcorrelate mark
// set on every row of a table in one group as the Correlate walk does, and rows
// appended to a table with an indexed text column in one group as a table's
// merge does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "db/engine/Database.h"
#include "db/engine/Recordset.h"

using namespace pelmora::engine;
namespace fs = std::filesystem;

namespace {

std::string freshCopy(const std::string& fixture = "empty.mdb") {
    const std::string path =
        (fs::temp_directory_path() / ("pelmora-bench-" + std::to_string(getpid()) + ".mdb")).string();
    fs::copy_file(std::string(PELMORA_FIXTURES) + "/" + fixture, path,
                  fs::copy_options::overwrite_existing);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    return path;
}

Column field(const std::string& name, Type type) {
    Column c;
    c.name = name;
    c.type = type;
    return c;
}

void appendErrorRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::string path = freshCopy();
        {
            auto db = openDatabase(path);
            db->createTable(TableSchema{"ERRORES", {field("DescripcionError", Type::Text),
                                                              field("EntitynumError", Type::Long),
                                                              field("Fecha", Type::DateTime)}});
            for (int i = 0; i < rows; ++i)
                db->insert("ERRORES", {Value::text("No existe Registro " + std::to_string(i)),
                                                 Value::longInt(i), Value::dateTime(46000)});
        }
        fs::remove(path);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

void markEveryRow(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string path = freshCopy();
    auto db = openDatabase(path);
    db->createTable(TableSchema{"Parcela", {field("mslink", Type::Long), field("tcorrelate", Type::Boolean)}});
    db->beginWrites();
    for (int i = 0; i < rows; ++i) db->insert("Parcela", {Value::longInt(i), Value::boolean(false)});
    db->endWrites();
    bool mark = true;
    for (auto _ : state) {
        db->beginWrites();
        auto rs = db->openRecordset("Select Parcela.* from Parcela;", OpenMode::Dynaset);
        for (; !rs->eof(); rs->moveNext()) {
            rs->edit();
            rs->set("Tcorrelate", Value::boolean(mark));
            rs->update();
        }
        db->endWrites();
        mark = !mark;
    }
    state.SetItemsProcessed(state.iterations() * rows);
    db.reset();
    fs::remove(path);
}

// Table1 of bigIndexTestV2000.mdb: two texts of 255 characters, col1 indexed.
void appendIndexedRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::string path = freshCopy("bigIndexTestV2000.mdb");
        {
            auto db = openDatabase(path);
            db->beginWrites();
            auto rs = db->openRecordset("Table1", OpenMode::Dynaset);
            for (int i = 0; i < rows; ++i) {
                rs->addNew();
                rs->set("col1", Value::text("Parcela " + std::to_string(i * 7919 % rows)));
                rs->set("col2", Value::text("nueva"));
                rs->update();
            }
            db->endWrites();
        }
        fs::remove(path);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

}  // namespace

BENCHMARK(appendErrorRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(markEveryRow)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(appendIndexedRows)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

// Row writing in copies of Access files, on the program's patterns: ERRORES
// rows appended one at a time (each its own write group), the Tcorrelate mark
// set on every row of a table in one group as the Correlate walk does, and rows
// appended to a table with an indexed text column in one group as a table's
// merge does. The same rows in an Access 97 and an Access 2000 copy of one
// table compare the two formats' writers.
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
        (fs::temp_directory_path() / ("pelmora-bench-" + std::to_string(getpid()) + ".mdb"))
            .string();
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
            db->createTable(
                TableSchema{"ERRORES",
                            {field("DescripcionError", Type::Text),
                             field("EntitynumError", Type::Long), field("Fecha", Type::DateTime)}});
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
    db->createTable(
        TableSchema{"Parcela", {field("mslink", Type::Long), field("tcorrelate", Type::Boolean)}});
    db->beginWrites();
    for (int i = 0; i < rows; ++i)
        db->insert("Parcela", {Value::longInt(i), Value::boolean(false)});
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

// Table1 of testV1997.mdb and of testV2000.mdb, the same table in both formats:
// two texts (B indexed), six numbers and a yes/no. Rows appended in one group,
// then every row's yes/no set in another.
void appendAndMarkRows(benchmark::State& state, const std::string& fixture) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::string path = freshCopy(fixture);
        {
            auto db = openDatabase(path);
            db->beginWrites();
            for (int i = 0; i < rows; ++i)
                db->insert("Table1",
                           {Value::text("Parcela " + std::to_string(i)),
                            Value::text("Río " + std::to_string(i * 7919 % rows)), Value::byte(1),
                            Value::integer(2), Value::longInt(i), Value::dbl(i / 3.0),
                            Value::dateTime(46000), Value::currency(i), Value::boolean(false)});
            db->endWrites();
            db->beginWrites();
            auto rs = db->openRecordset("Select Table1.* from Table1;", OpenMode::Dynaset);
            for (; !rs->eof(); rs->moveNext()) {
                rs->edit();
                rs->set("I", Value::boolean(true));
                rs->update();
            }
            db->endWrites();
        }
        fs::remove(path);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

}  // namespace

BENCHMARK_CAPTURE(appendAndMarkRows, access97, std::string("testV1997.mdb"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(appendAndMarkRows, access2000, std::string("testV2000.mdb"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(appendErrorRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(markEveryRow)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(appendIndexedRows)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

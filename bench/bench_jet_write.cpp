// Row writing in a copy of an empty Access file, on the program's patterns:
// ERRORES rows appended one at a time, and the Tcorrelate mark set on every
// row of a table (an update that changes no key) as the Correlate run does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "db/engine/Database.h"
#include "db/engine/Recordset.h"

using namespace pelmora::engine;
namespace fs = std::filesystem;

namespace {

const std::string kEmpty = std::string(PELMORA_FIXTURES) + "/empty.mdb";

std::string freshCopy() {
    const std::string path =
        (fs::temp_directory_path() / ("pelmora-bench-" + std::to_string(getpid()) + ".mdb")).string();
    fs::copy_file(kEmpty, path, fs::copy_options::overwrite_existing);
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
            db->backend().createTable(TableSchema{"ERRORES", {field("DescripcionError", Type::Text),
                                                              field("EntitynumError", Type::Long),
                                                              field("Fecha", Type::DateTime)}});
            for (int i = 0; i < rows; ++i)
                db->backend().insert("ERRORES", {Value::text("No existe Registro " + std::to_string(i)),
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
    db->backend().createTable(TableSchema{"Parcela", {field("mslink", Type::Long), field("tcorrelate", Type::Boolean)}});
    for (int i = 0; i < rows; ++i) db->backend().insert("Parcela", {Value::longInt(i), Value::boolean(false)});
    bool mark = true;
    for (auto _ : state) {
        auto rs = db->openRecordset("Select Parcela.* from Parcela;", OpenMode::Dynaset);
        for (; !rs->eof(); rs->moveNext()) {
            rs->edit();
            rs->set("Tcorrelate", Value::boolean(mark));
            rs->update();
        }
        mark = !mark;
    }
    state.SetItemsProcessed(state.iterations() * rows);
    db.reset();
    fs::remove(path);
}

}  // namespace

BENCHMARK(appendErrorRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(markEveryRow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

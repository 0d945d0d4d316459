// How long the element walk takes per ATR on sheets of 10^4, 10^5 and 10^6 ATRs, in
// the Correlate run (mark the record) and the Adaptation run (find the Particular and
// the General record, rewrite the ATR), on SQLite files. Each element has two ATRs,
// one per table; each table holds one record per ATR; one Correlate ATR in a hundred
// reaches no record. The tables are made through the engine and filled in one
// transaction with libsqlite3; the time per ATR (wall clock: the walk waits on its files)
// must stay flat as the sheet grows. Also the reset of an earlier run's marks
// that precedes a Correlate walk.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bin/RecorreFicheroBin.h"
#include "core/PantallaGuion.h"
#include "db/Marcas.h"
#include "db/TablasControl.h"
#include "db/engine/Database.h"

namespace {

using namespace pelmora;
namespace fs = std::filesystem;

const char* const kTablas[] = {"Vias", "Edificios"};

void Ejecuta(sqlite3* bdd, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(bdd, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string texto = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(texto);
    }
}

// Both tables with `registros` records each: mslink base + i, key "Calle i", class i % 7.
void CreaBdD(const fs::path& ruta, int registros, int base, bool particular) {
    {
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.BdDParticular = engine::createSqliteDatabase(ruta);
        for (const char* tabla : kTablas) {
            engine::TableDef def = estado.BdDParticular->createTableDef(tabla);
            def.appendField(def.createField("mslink", engine::Type::Long));
            def.appendField(def.createField("clasific", engine::Type::Long));
            def.appendField(def.createField("tmapa", engine::Type::Text));
            def.appendField(def.createField("tcomplet", engine::Type::Text));
            def.appendField(def.createField("tfeature", engine::Type::Long));
            def.appendField(def.createField("Tcorrelate", engine::Type::Boolean));
            estado.BdDParticular->appendTableDef(def);
        }
        if (particular) CreaTablasControl(estado);
    }
    sqlite3* bdd = nullptr;
    sqlite3_open(ruta.c_str(), &bdd);
    Ejecuta(bdd, "BEGIN");
    for (const char* tabla : kTablas) {
        sqlite3_stmt* inserta = nullptr;
        const std::string sql = std::string("INSERT INTO ") + tabla +
                                " (mslink, clasific, tcomplet, tfeature) VALUES (?1, ?2, ?3, 1)";
        sqlite3_prepare_v2(bdd, sql.c_str(), -1, &inserta, nullptr);
        for (int i = 0; i < registros; ++i) {
            const std::string clave = "Calle " + std::to_string(i);
            sqlite3_bind_int(inserta, 1, base + i);
            sqlite3_bind_int(inserta, 2, i % 7);
            sqlite3_bind_text(inserta, 3, clave.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(inserta);
            sqlite3_reset(inserta);
        }
        sqlite3_finalize(inserta);
    }
    Ejecuta(bdd, "COMMIT");
    sqlite3_close(bdd);
}

void Escribe16(std::string& b, int v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}

void Escribe32(std::string& b, int64_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// `atributos` / 2 point-list elements of two body records and two ATRs (one per table),
// reaching the records in a scattered order; with `perdidos`, one ATR in a hundred
// reaches an mslink that no record has.
void CreaBin(const fs::path& ruta, int atributos, bool perdidos) {
    const int registros = atributos / 2;
    std::string b;
    for (int e = 0; e < registros; ++e) {
        b += "C=";
        b += std::string("200\0\0\0\0", 7);
        b += static_cast<char>(2);
        Escribe16(b, 2);
        b += std::string(36 + 24, '\x11');
        for (int t = 0; t < 2; ++t) {
            const int i = static_cast<int>((static_cast<int64_t>(e) * 7919 + t) % registros);
            Escribe16(b, 10 * (t + 1));
            Escribe32(b, perdidos && (e * 2 + t) % 100 == 0 ? registros + 1 + e : 1 + i);
            b += "resto ";
        }
    }
    std::ofstream(ruta, std::ios::binary | std::ios::trunc) << b;
}

void Recorre(benchmark::State& state, const std::string& tipo) {
    const int atributos = static_cast<int>(state.range(0));
    const bool adaptacion = tipo == "ADAPTACION";
    std::string plantilla = (fs::temp_directory_path() / "pelmora-bench-XXXXXX").string();
    if (!mkdtemp(plantilla.data())) throw std::runtime_error("mkdtemp");
    const fs::path carpeta = plantilla;
    CreaBdD(carpeta / "hoja0.sqlite", atributos / 2, 1, true);
    if (adaptacion) CreaBdD(carpeta / "general.sqlite", atributos / 2, 100001, false);
    CreaBin(carpeta / "hoja0.bin", atributos, !adaptacion);
    for (auto _ : state) {
        state.PauseTiming();
        for (const std::string extension : {".sqlite", ".bin"})
            fs::copy_file(carpeta / ("hoja0" + extension), carpeta / ("hoja" + extension),
                          fs::copy_options::overwrite_existing);
        fs::remove(carpeta / "hoja_err.bin");
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.TipoProceso = tipo;
        estado.NombreFicheroBin = (carpeta / "hoja.bin").string();
        estado.NombreBdDParticular = (carpeta / "hoja.sqlite").string();
        estado.BdDParticular = engine::openDatabase(estado.NombreBdDParticular);
        if (adaptacion) {
            estado.NombreBdDGeneral = (carpeta / "general.sqlite").string();
            estado.BdDGeneral = engine::openDatabase(estado.NombreBdDGeneral);
        }
        estado.CatalogoParticular = {{"Vias", 10}, {"Edificios", 20}};
        estado.ListaFeature = {{"Vias", 100, 1, false}};
        state.ResumeTiming();
        RecorreFicheroBin(estado, estado.NombreFicheroBin);
        state.PauseTiming();
        state.counters["sin_registro"] = estado.NumSinRegistro;
        state.ResumeTiming();
    }
    state.counters["por_atr"] = benchmark::Counter(
        atributos, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    fs::remove_all(carpeta);
}

// The Correlate run's first step on the same Particular database after an earlier
// run marked every record: each mark set back to false.
void BM_PreparaTcorrelate(benchmark::State& state) {
    const int registros = static_cast<int>(state.range(0));
    std::string plantilla = (fs::temp_directory_path() / "pelmora-bench-XXXXXX").string();
    if (!mkdtemp(plantilla.data())) throw std::runtime_error("mkdtemp");
    const fs::path carpeta = plantilla;
    CreaBdD(carpeta / "hoja0.sqlite", registros, 1, true);
    {
        sqlite3* bdd = nullptr;
        sqlite3_open((carpeta / "hoja0.sqlite").c_str(), &bdd);
        for (const char* tabla : kTablas)
            Ejecuta(bdd, std::string("UPDATE ") + tabla + " SET Tcorrelate = -1");
        sqlite3_close(bdd);
    }
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(carpeta / "hoja0.sqlite", carpeta / "hoja.sqlite",
                      fs::copy_options::overwrite_existing);
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.BdDParticular = engine::openDatabase((carpeta / "hoja.sqlite").string());
        estado.CatalogoParticular = {{"Vias", 10}, {"Edificios", 20}};
        state.ResumeTiming();
        PreparaTcorrelate(estado, estado.NombreBdDParticular);
    }
    state.counters["por_registro"] =
        benchmark::Counter(2.0 * registros, benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
    fs::remove_all(carpeta);
}

void BM_RecorreCorrelate(benchmark::State& state) {
    Recorre(state, "CORRELATE");
}
void BM_RecorreAdaptacion(benchmark::State& state) {
    Recorre(state, "ADAPTACION");
}

BENCHMARK(BM_PreparaTcorrelate)
    ->Arg(10000)
    ->Arg(500000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_RecorreCorrelate)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_RecorreAdaptacion)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

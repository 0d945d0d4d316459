// How long the element walk takes per ATR on sheets of 10^4, 10^5 and 10^6 ATRs, in
// the Correlate run (mark the record) and the Adaptation run (find the Particular
// and the General record, rewrite the ATR), on SQLite and on Access files. Each
// element has two ATRs, one per table; each table holds one record per ATR; one
// Correlate ATR in a hundred reaches no record. The time per ATR (wall clock: the
// walk waits on its files) must stay flat as the sheet grows. Also the reset of
// an earlier run's marks that precedes a Correlate walk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/support/BdDBench.h"
#include "core/PantallaGuion.h"
#include "db/Marcas.h"
#include "db/TablasControl.h"
#include "ficherobin/RecorreFicheroBin.h"

namespace {

using namespace pelmora;
using namespace pelmora::bench;
namespace fs = std::filesystem;

const char* const kTablas[] = {"Vias", "Edificios"};

// Both tables with `registros` records each: mslink base + i, key "Calle i", class
// i % 7; in the Particular database with the control tables and every mark `marcada`.
void CreaHojaBdD(const fs::path& ruta, int registros, int base, bool particular,
                 bool marcada = false) {
    {
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.BdDParticular = CreaBdD(ruta);
        for (const char* tabla : kTablas) CreaTablaVias(*estado.BdDParticular, tabla, true);
        if (particular) CreaTablasControl(estado);
    }
    for (const char* tabla : kTablas)
        Llena(ruta, tabla, true, registros, [&](int i) {
            return FilaVias{base + i, i % 7, "Calle " + std::to_string(i), 1, marcada};
        });
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

void Recorre(benchmark::State& state, Opcion tipo, const std::string& extension) {
    const int atributos = static_cast<int>(state.range(0));
    const bool adaptacion = tipo == Opcion::Adaptacion;
    const prueba::TempDir carpeta;
    const fs::path& c = carpeta.root();
    CreaHojaBdD(c / ("hoja0" + extension), atributos / 2, 1, true);
    if (adaptacion) CreaHojaBdD(c / ("general" + extension), atributos / 2, 100001, false);
    CreaBin(c / "hoja0.bin", atributos, !adaptacion);
    for (auto _ : state) {
        state.PauseTiming();
        for (const std::string& e : {extension, std::string(".bin")})
            fs::copy_file(c / ("hoja0" + e), c / ("hoja" + e),
                          fs::copy_options::overwrite_existing);
        fs::remove(c / "hoja_err.bin");
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.TipoProceso = tipo;
        estado.NombreFicheroBin = (c / "hoja.bin").string();
        estado.NombreBdDParticular = (c / ("hoja" + extension)).string();
        estado.BdDParticular = engine::openDatabase(estado.NombreBdDParticular);
        if (adaptacion) {
            estado.NombreBdDGeneral = (c / ("general" + extension)).string();
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
}

// The Correlate run's first step on the same Particular database after an earlier
// run marked every record: each mark set back to false.
void BM_PreparaTcorrelate(benchmark::State& state) {
    const int registros = static_cast<int>(state.range(0));
    const prueba::TempDir carpeta;
    const fs::path& c = carpeta.root();
    CreaHojaBdD(c / "hoja0.sqlite", registros, 1, true, true);
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(c / "hoja0.sqlite", c / "hoja.sqlite", fs::copy_options::overwrite_existing);
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.BdDParticular = engine::openDatabase((c / "hoja.sqlite").string());
        estado.CatalogoParticular = {{"Vias", 10}, {"Edificios", 20}};
        state.ResumeTiming();
        PreparaTcorrelate(estado, estado.NombreBdDParticular);
    }
    state.counters["por_registro"] =
        benchmark::Counter(2.0 * registros, benchmark::Counter::kIsIterationInvariantRate |
                                                benchmark::Counter::kInvert);
}

void BM_RecorreCorrelate(benchmark::State& state) {
    Recorre(state, Opcion::Correlate, ".sqlite");
}
void BM_RecorreCorrelateAccess(benchmark::State& state) {
    Recorre(state, Opcion::Correlate, ".mdb");
}
void BM_RecorreAdaptacion(benchmark::State& state) {
    Recorre(state, Opcion::Adaptacion, ".sqlite");
}
void BM_RecorreAdaptacionAccess(benchmark::State& state) {
    Recorre(state, Opcion::Adaptacion, ".mdb");
}

// Sheets of 10^4, 10^5 and 10^6 ATRs, each walked once, timed by the wall clock.
void TresTamanos(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Arg(1000000);
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
}

BENCHMARK(BM_PreparaTcorrelate)
    ->Arg(10000)
    ->Arg(500000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_RecorreCorrelate)->Apply(TresTamanos);
BENCHMARK(BM_RecorreCorrelateAccess)->Apply(TresTamanos);
BENCHMARK(BM_RecorreAdaptacion)->Apply(TresTamanos);
BENCHMARK(BM_RecorreAdaptacionAccess)->Apply(TresTamanos);

}  // namespace

BENCHMARK_MAIN();

// How long the merge takes on a large sheet: N marked Particular records, one
// in two new, into a General table of M records, on SQLite files. The tables
// are made through the engine and filled in bulk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/support/BdDBench.h"
#include "core/PantallaGuion.h"
#include "db/Fusion.h"

namespace {

using namespace pelmora;
using namespace pelmora::bench;
namespace fs = std::filesystem;

// Rows i = 0..n-1 with key "Calle <i * paso>" and its number's class. General
// records are stored out of mslink order, and all but a thousand are numbered from
// 100000 up, so that the new records still find numbers below 60000.
void CreaVias(const fs::path& ruta, int n, int paso, bool particular) {
    CreaTablaVias(*CreaBdD(ruta), "Vias", particular);
    Llena(ruta, "Vias", particular, n, [&](int i) {
        const int64_t numero = static_cast<int64_t>(i) * paso;
        const int desordenado = static_cast<int>((static_cast<int64_t>(i) * 13) % n);
        const int32_t mslink = particular           ? i + 1
                               : desordenado < 1000 ? desordenado + 1
                                                    : 100000 + desordenado;
        return FilaVias{mslink, static_cast<int32_t>(numero % 7), "Calle " + std::to_string(numero),
                        1, true};
    });
}

int64_t Cuenta(const fs::path& ruta) {
    auto bdd = engine::openDatabase(ruta.string());
    auto filas = bdd->select(engine::parseStatement("Select Vias.* from Vias;"));
    int64_t n = 0;
    while (filas->next()) ++n;
    return n;
}

void BM_FusionaBdD(benchmark::State& state) {
    const int marcados = static_cast<int>(state.range(0));
    const int generales = static_cast<int>(state.range(1));
    const prueba::TempDir temporal;
    const fs::path& carpeta = temporal.root();
    // Even General keys: every other marked record finds its equivalent.
    CreaVias(carpeta / "general0.sqlite", generales, 2, false);
    CreaVias(carpeta / "particular.sqlite", marcados, 1, true);
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(carpeta / "general0.sqlite", carpeta / "general.sqlite",
                      fs::copy_options::overwrite_existing);
        PantallaGuion pantalla;
        Estado estado(pantalla);
        estado.BdDGeneral = engine::openDatabase(carpeta / "general.sqlite");
        estado.BdDParticular = engine::openDatabase(carpeta / "particular.sqlite");
        estado.CatalogoParticular = {{"Vias", 1}};
        state.ResumeTiming();
        FusionaBdD(estado);
        state.PauseTiming();
        estado.BdDGeneral.reset();
        state.counters["altas"] =
            static_cast<double>(Cuenta(carpeta / "general.sqlite") - generales);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FusionaBdD)
    ->Args({1000, 10000})
    ->Args({100000, 1000000})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

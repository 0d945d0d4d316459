// The BIN file check on sheets of 10^4, 10^5 and 10^6 elements: the time per
// element must stay flat (one header read and one skip each).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "core/PantallaGuion.h"
#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/Modulo_tipo.h"

using namespace pelmora;

namespace {

// A file of `n` point-list elements with four body records and two ATRs each.
std::string hoja(int64_t n) {
    const std::string ruta =
        (std::filesystem::temp_directory_path() /
         ("pelmora-bench-" + std::to_string(getpid()) + "-" + std::to_string(n) + ".bin"))
            .string();
    std::filesystem::remove(ruta);
    FicheroBinario f(ruta, FicheroBinario::Modo::CreaSiFalta);
    CabeceraElemento cabecera;
    asignaTexto(cabecera.Tipo, "C=");
    asignaTexto(cabecera.CodigoFeature, std::string("101\0\0\0\0", 7));
    cabecera.NumRegistros = 4;
    cabecera.NumAtributos = 2;
    std::string cuerpo(36 + 12 * 6, '\x11');
    for (int64_t i = 0; i < n; ++i) {
        f.escribe(cabecera);
        f.escribeBytes(reinterpret_cast<const uint8_t*>(cuerpo.data()), cuerpo.size());
    }
    return ruta;
}

void chequeaFicheroBin(benchmark::State& state) {
    std::string ruta = hoja(state.range(0));
    PantallaGuion pantalla;
    Estado estado(pantalla);
    estado.NombreFicheroBin = ruta;
    for (auto _ : state) ChequeaFicheroBin(estado);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove(ruta);
}

}  // namespace

BENCHMARK(chequeaFicheroBin)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

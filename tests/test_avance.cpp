// Progress told at a bounded rate: from nothing done to the whole, once per whole
// percentage and once per tenth of a second of a slow stretch; and the walk of a
// large generated sheet telling the bytes of its BIN file read, a few times only.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/Avance.h"
#include "core/FinPrograma.h"
#include "core/PantallaGuion.h"
#include "db/Modulo_BdD.h"
#include "ficherobin/RecorreFicheroBin.h"
#include "tests/support/Extremo.h"
#include "tests/support/TempDir.h"

using namespace pelmora;
using namespace std::chrono_literals;
using Reloj = std::chrono::steady_clock;

namespace {

std::vector<int64_t> Hechos(const PantallaGuion& pantalla) {
    std::vector<int64_t> hechos;
    for (const auto& p : pantalla.progresos) hechos.push_back(p.hecho);
    return hechos;
}

}  // namespace

TEST(Avance, UnaVezPorPorcentajeYPorDecimaDeSegundo) {
    Reloj::time_point ahora{};
    auto reloj = [&] { return ahora; };

    PantallaGuion rapido;
    Avance avance(rapido, "Recorriendo «H1.bin»", 1000, reloj);
    for (int64_t hecho = 1; hecho <= 1000; ++hecho) avance.anota(hecho);
    avance.termina();
    ASSERT_EQ(rapido.progresos.size(), 101u);  // 0 %, each of 1..100 %, the end told once
    for (int i = 0; i <= 100; ++i) EXPECT_EQ(rapido.progresos[i].hecho, 10 * i);
    EXPECT_EQ(rapido.progresos.back().tarea, "Recorriendo «H1.bin»");
    EXPECT_EQ(rapido.progresos.back().total, 1000);

    // Within one percent, only the passing of time brings a report.
    PantallaGuion lento;
    Avance despacio(lento, "Fusionando «H1.mdb»", 1000, reloj);
    despacio.anota(1);
    ahora += 99ms;
    despacio.anota(2);
    ahora += 1ms;
    despacio.anota(3);
    despacio.anota(4);
    EXPECT_EQ(Hechos(lento), (std::vector<int64_t>{0, 3}));

    // Nothing to do still ends at the whole; what lies beyond the total counts as it.
    PantallaGuion vacio;
    Avance nada(vacio, "Fusionando «H1.mdb»", 0, reloj);
    nada.anota(7);
    ahora += 1s;
    nada.anota(8);
    nada.termina();
    EXPECT_EQ(Hechos(vacio), (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(vacio.progresos.back().total, 1);
}

TEST(Avance, ElRecorridoDeUnaHojaGrandeInformaPocasVeces) {
    prueba::TempDir temporal;
    const prueba::HojaGenerada hoja =
        prueba::GeneraHoja(temporal.root(), {"--elementos", "4000", "--semilla", "3"});
    ASSERT_FALSE(hoja.esperado.isEmpty());
    const std::string bin = hoja.fichero("bin");
    const std::string particular = hoja.fichero("particular");

    PantallaGuion pantalla;
    Estado estado(pantalla);
    estado.TipoProceso = Opcion::Correlate;
    estado.NombreFicheroBin = bin;
    estado.NombreBdDParticular = particular;
    ASSERT_TRUE(ejecutaHastaFin(pantalla, [&] {
        AbreYChequeaBdD(estado, particular);
        PreparaTcorrelate(estado, particular);
    }));
    const auto inicio = Reloj::now();
    ASSERT_TRUE(ejecutaHastaFin(pantalla, [&] { RecorreFicheroBin(estado, bin); }));
    const auto decimas = (Reloj::now() - inicio) / Avance::kIntervalo;

    const auto longitud = static_cast<int64_t>(std::filesystem::file_size(bin));
    const std::vector<int64_t> hechos = Hechos(pantalla);
    ASSERT_GE(hechos.size(), 2u);
    EXPECT_EQ(hechos.front(), 0);
    EXPECT_EQ(hechos.back(), longitud);
    EXPECT_TRUE(std::is_sorted(hechos.begin(), hechos.end()));
    // The start, at most one per percent and per tenth of a second; the end once.
    EXPECT_LE(hechos.size(), static_cast<size_t>(101 + decimas));
    EXPECT_LT(hechos[hechos.size() - 2], longitud);
    for (const auto& p : pantalla.progresos) {
        EXPECT_EQ(p.tarea, "Recorriendo «" + std::filesystem::path(bin).filename().string() + "»");
        EXPECT_EQ(p.total, longitud);
    }
}

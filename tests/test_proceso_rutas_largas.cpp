// Paths longer than 255 characters in the log rows: the log tables a run creates
// hold them whole (their path columns are Memo), and log tables an older
// database keeps with Text columns of 255 characters end the run before it
// writes anything, with a message naming the column that cannot hold the path.
#include <filesystem>

#include "runs/Lanzamiento.h"
#include "runs/Procesos.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/HojaPrueba.h"

namespace pelmora::prueba {
namespace {

namespace fs = std::filesystem;
using Lista = std::vector<std::string>;

class ProcesoRutasLargas : public ProcesoPrueba {
  protected:
    void SetUp() override {
        ProcesoPrueba::SetUp();
        if (IsSkipped()) return;
        larga = std::string(120, 'a') + "/" + std::string(120, 'b');
        fs::create_directories(carpeta / larga);
        particular = NuevaBdD(larga + "/H1");
        binLargo = (carpeta / larga / "H1.bin").string();
        estado.NombreBdDParticular = particular->path();
        CreaHoja(*particular, {{"EDIFICIOS", 10, 101, {{1, 1, "Casa A"}, {2, 1, "Casa B"}}}});
        CreaHoja(*general, {{"EDIFICIOS", 10, 101, {{7, 1, "Casa A"}}}});
        BinPrueba b;
        b.Elemento("C=", "101", 1, {{10, 1}});
        b.Elemento("C=", "101", 1, {{10, 77}});  // no such record: an ERRORES row
        b.Escribe(binLargo);
        b.Escribe(bin);
    }
    // The log tables as older databases have them: every text column Text(255).
    void ErroresDeTexto() {
        using engine::Type;
        CreaTabla(*particular, "ERRORES",
                  {{"DescripcionError"},
                   {"EntitynumError", Type::Long},
                   {"RegistroError", Type::Long},
                   {"FicheroBinError"},
                   {"FicheroMdbError"},
                   {"Fecha", Type::DateTime},
                   {"Hora", Type::DateTime}});
    }
    void ControlDeTexto() {
        using engine::Type;
        CreaTabla(*particular, "ControlFicherosProcesados",
                  {{"Proceso"},
                   {"FicheroBin"},
                   {"BdDMdb_P"},
                   {"BdDMdb_G"},
                   {"Fecha", Type::DateTime},
                   {"Hora", Type::DateTime}});
    }
    // Runs `proceso` with the BIN file `rutaBin`: it has to end with a message that
    // `columna` of `tabla` cannot hold `ruta`, every file as it was.
    void Rechaza(bool (*proceso)(Estado&), Opcion tipo, const std::string& rutaBin,
                 const char* tabla, const char* columna, const std::string& ruta) {
        SCOPED_TRACE(std::string(TipoProcesoDe(tipo)) + " " + columna);
        const auto antes = LeeCarpeta(carpeta);
        pantalla.mensajes.clear();
        pantalla.llamadas.clear();
        estado.TipoProceso = tipo;
        estado.NombreFicheroBin = rutaBin;
        EXPECT_FALSE(Corre(proceso));
        const std::string noCabe = "no cabe en el campo «" + std::string(columna) +
                                   "» (texto) de la tabla «" + tabla + "» en «" +
                                   particular->path() + "»: tiene " + std::to_string(ruta.size()) +
                                   " caracteres y el campo admite 255";
        ASSERT_EQ(pantalla.mensajes.size(), 1u);
        EXPECT_NE(pantalla.mensajes[0].find(noCabe), std::string::npos) << pantalla.mensajes[0];
        EXPECT_TRUE(Etiquetas().empty());
        EXPECT_TRUE(LeeCarpeta(carpeta) == antes);
    }
    std::string larga, binLargo;
};
INSTANTIATE_TEST_SUITE_P(Motores, ProcesoRutasLargas, Motores(), NombreMotor);

TEST_P(ProcesoRutasLargas, LasTablasQueCreaElProcesoGuardanLaRutaEntera) {
    ASSERT_GT(particular->path().size(), 255u);
    estado.NombreFicheroBin = binLargo;
    estado.NombreBdDGeneral.clear();
    estado.TipoProceso = Opcion::Correlate;
    ASSERT_TRUE(Corre(ProcesoCorrelate)) << pantalla.mensajes.at(0);
    EXPECT_EQ(Textos(*particular, "ControlFicherosProcesados", {"FicheroBin", "BdDMdb_P"}),
              (std::vector<Lista>{{binLargo, particular->path()}}));
    EXPECT_EQ(Textos(*particular, "ERRORES", {"FicheroBinError", "FicheroMdbError"}),
              (std::vector<Lista>{{binLargo, particular->path()}}));
}

TEST_P(ProcesoRutasLargas, TablasDeTextoDe255SeRechazanAntesDeEscribirNada) {
    const std::string bdd = particular->path();
    ErroresDeTexto();
    // ERRORES alone: Correlate would create its control table, but checks first.
    Rechaza(ProcesoCorrelate, Opcion::Correlate, binLargo, "ERRORES", "FicheroBinError", binLargo);
    ControlDeTexto();
    TablasControl(general);
    Rechaza(ProcesoCorrelate, Opcion::Correlate, binLargo, "ControlFicherosProcesados",
            "FicheroBin", binLargo);
    Rechaza(ProcesoCorrelate, Opcion::Correlate, bin, "ControlFicherosProcesados", "BdDMdb_P", bdd);
    Rechaza(ProcesoFusion, Opcion::Fusion, bin, "ControlFicherosProcesados", "BdDMdb_P", bdd);
    Rechaza(ProcesoAdaptacion, Opcion::Adaptacion, binLargo, "ControlFicherosProcesados",
            "FicheroBin", binLargo);
}

}  // namespace
}  // namespace pelmora::prueba

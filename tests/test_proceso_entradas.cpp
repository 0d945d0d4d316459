// The input paths every run checks before it opens anything for writing: a FIFO,
// a device or a folder given as BIN file or database, a file the run reads that
// is missing, and one file given as two inputs (by a link or another spelling of
// its path) end the run at once with a message naming the input, every file left
// as it was.
#include <filesystem>

#include "runs/Procesos.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/HojaPrueba.h"
#include "tests/support/Tuberia.h"

namespace pelmora::prueba {
namespace {

namespace fs = std::filesystem;

struct Caso {
    const char* que;
    bool (*proceso)(Estado&);
    std::string Estado::*entrada;
    std::string ruta;
    std::string mensaje;  // after "No se puede usar "
};

class ProcesoEntradas : public ProcesoPrueba {
  protected:
    void SetUp() override {
        ProcesoPrueba::SetUp();
        if (IsSkipped()) return;
        CreaHoja(*particular, {{"EDIFICIOS", 10, 101, {{1, 1, "Casa A", true}}}});
        CreaHoja(*general, {{"EDIFICIOS", 10, 101, {}}});
        TablasControl(particular);
        BinPrueba b;
        b.Elemento("C=", "101", 1, {{10, 1}});
        b.Escribe(bin);
    }
    // Runs each case on the sheet, which has to come out of every one untouched.
    void Comprueba(const std::vector<Caso>& casos) {
        const auto antes = LeeCarpeta(carpeta);
        for (const Caso& caso : casos) {
            SCOPED_TRACE(caso.que);
            pantalla.mensajes.clear();
            pantalla.llamadas.clear();
            const std::string original = estado.*caso.entrada;
            estado.*caso.entrada = caso.ruta;
            EXPECT_FALSE(Corre(caso.proceso));
            EXPECT_EQ(pantalla.mensajes,
                      std::vector<std::string>{"No se puede usar " + caso.mensaje});
            EXPECT_TRUE(Etiquetas().empty());
            EXPECT_TRUE(LeeCarpeta(carpeta) == antes);
            estado.*caso.entrada = original;
        }
    }
    std::string Ruta(const std::string& nombre) { return (carpeta / nombre).string(); }
};
INSTANTIATE_TEST_SUITE_P(Motores, ProcesoEntradas, Motores(), NombreMotor);

constexpr auto kBin = &Estado::NombreFicheroBin;
constexpr auto kParticular = &Estado::NombreBdDParticular;
constexpr auto kGeneral = &Estado::NombreBdDGeneral;

TEST_P(ProcesoEntradas, LoQueNoEsUnFicheroSeRechazaAntesDeEscribirNada) {
    Tuberia tuberia(Ruta("tuberia"));
    fs::create_directory(Ruta("carpeta.bin"));
    const std::string fifo = ", no un fichero";
    Comprueba({
        {"BIN FIFO", ProcesoCorrelate, kBin, Ruta("tuberia"),
         "el fichero BIN «" + Ruta("tuberia") + "»: es una tubería con nombre (FIFO)" + fifo},
        {"BIN carpeta", ProcesoCorrelate, kBin, Ruta("carpeta.bin"),
         "el fichero BIN «" + Ruta("carpeta.bin") + "»: es una carpeta" + fifo},
        {"BIN que falta", ProcesoCorrelate, kBin, Ruta("falta.bin"),
         "el fichero BIN «" + Ruta("falta.bin") + "»: no existe"},
        {"Particular dispositivo", ProcesoCorrelate, kParticular, "/dev/null",
         "la BdD Particular «/dev/null»: es un dispositivo" + fifo},
        {"General FIFO", ProcesoFusion, kGeneral, Ruta("tuberia"),
         "la BdD General «" + Ruta("tuberia") + "»: es una tubería con nombre (FIFO)" + fifo},
        // Fusion only records its BIN file: a missing one is no error, a folder is.
        {"BIN carpeta en Fusion", ProcesoFusion, kBin, Ruta("carpeta.bin"),
         "el fichero BIN «" + Ruta("carpeta.bin") + "»: es una carpeta" + fifo},
        {"Particular FIFO", ProcesoAdaptacion, kParticular, Ruta("tuberia"),
         "la BdD Particular «" + Ruta("tuberia") + "»: es una tubería con nombre (FIFO)" + fifo},
        {"General que falta", ProcesoAdaptacion, kGeneral, Ruta("falta.mdb"),
         "la BdD General «" + Ruta("falta.mdb") + "»: no existe"},
    });
}

TEST_P(ProcesoEntradas, UnMismoFicheroNoSirveDeDosEntradas) {
    const std::string ruta = particular->path();
    const std::string nombre = fs::path(ruta).filename().string();
    fs::create_symlink(ruta, Ruta("enlace"));
    fs::create_hard_link(ruta, Ruta("duro"));
    fs::create_directory(Ruta("sub"));
    const std::string mismo = ": es el mismo fichero que la BdD Particular «" + ruta + "»";
    Comprueba({
        {"General igual", ProcesoFusion, kGeneral, ruta, "la BdD General «" + ruta + "»" + mismo},
        {"General enlace", ProcesoFusion, kGeneral, Ruta("enlace"),
         "la BdD General «" + Ruta("enlace") + "»" + mismo},
        {"General enlace duro", ProcesoAdaptacion, kGeneral, Ruta("duro"),
         "la BdD General «" + Ruta("duro") + "»" + mismo},
        {"General otra ruta", ProcesoAdaptacion, kGeneral, Ruta("sub/../" + nombre),
         "la BdD General «" + Ruta("sub/../" + nombre) + "»" + mismo},
        {"Correlate anota la General", ProcesoCorrelate, kGeneral, Ruta("./" + nombre),
         "la BdD General «" + Ruta("./" + nombre) + "»" + mismo},
        {"BIN igual", ProcesoCorrelate, kBin, Ruta("enlace"),
         "la BdD Particular «" + ruta + "»: es el mismo fichero que el fichero BIN «" +
             Ruta("enlace") + "»"},
    });
}

}  // namespace
}  // namespace pelmora::prueba

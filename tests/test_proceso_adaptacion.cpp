// The Adaptation run on hand-made databases and BIN files: different table lists
// stop it before anything is registered; a complete run checks the General
// database (creating its log tables), registers itself in the Particular one,
// rewrites the links, keeps the earlier error BIN file and shows the counts.
#include <filesystem>
#include <fstream>

#include "ficherobin/Modulo_Bin.h"
#include "runs/Procesos.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/HojaPrueba.h"

namespace pelmora::prueba {
namespace {

namespace fs = std::filesystem;
using Lista = std::vector<std::string>;
const Lista kControl = {"Proceso", "FicheroBin", "BdDMdb_P", "BdDMdb_G"};

class ProcesoAdaptacionPrueba : public ProcesoPrueba {
  protected:
    void SetUp() override {
        ProcesoPrueba::SetUp();
        if (IsSkipped()) return;
        estado.TipoProceso = Opcion::Adaptacion;
    }
    // Two buildings in each database under other mslinks (the General Feature code
    // differs, to tell which Feature table the walk holds), and a BIN file reaching both.
    void Hojas(const std::vector<TablaHoja>& extraGeneral = {}, bool control = true) {
        CreaHoja(*particular, {{"EDIFICIOS", 10, 101, {{1, 1, "Casa A"}, {2, 1, "Casa B"}}}});
        std::vector<TablaHoja> tablas = {
            {"EDIFICIOS", 10, 102, {{7, 1, "Casa A"}, {8, 1, "Casa B"}}}};
        tablas.insert(tablas.end(), extraGeneral.begin(), extraGeneral.end());
        CreaHoja(*general, tablas);
        if (control) TablasControl(particular);
        atr1 = contenido.PosicionAtr(contenido.Elemento("C=", "101", 1, {{10, 1}}), 0);
        atr2 = contenido.PosicionAtr(contenido.Elemento("T=", "101", 2, {{1, 5}, {10, 2}}), 1);
        contenido.Escribe(bin);
    }
    bool TieneTabla(engine::Database& bdd, const std::string& tabla) {
        for (const std::string& t : bdd.tableNames())
            if (t == tabla) return true;
        return false;
    }
    BinPrueba contenido;
    int64_t atr1 = 0, atr2 = 0;
};
INSTANTIATE_TEST_SUITE_P(Motores, ProcesoAdaptacionPrueba, Motores(), NombreMotor);

TEST_P(ProcesoAdaptacionPrueba, RecorridoCompleto) {
    Hojas();
    const std::string errores = NombreFicheroErrorBin(bin);
    BinPrueba viejo;
    viejo.Elemento("T=", "61601", 2, {});
    viejo.Escribe(errores);

    bool alFinal = false;
    ASSERT_TRUE(Corre(ProcesoAdaptacion, &alFinal)) << pantalla.mensajes.at(0);
    EXPECT_TRUE(alFinal);
    EXPECT_TRUE(pantalla.mensajes.empty());
    // Its labels, as each run window shows them: test_extremo_ventanas.cpp.
    ASSERT_FALSE(pantalla.llamadas.empty());
    EXPECT_EQ(pantalla.llamadas.front(), "ocupado");  // the General database's checks
    EXPECT_FALSE(pantalla.ocupado);

    EXPECT_EQ(LeeFichero(bin), BinPrueba(contenido).ConMslink(atr1, 7).replace(
                                   static_cast<size_t>(atr2 + 2), 4, Le32(8)));
    EXPECT_EQ(LeeFichero(errores), viejo.bytes());  // kept, not removed
    EXPECT_EQ(Textos(*particular, "ControlFicherosProcesados", kControl),
              (std::vector<Lista>{{"Adaptación", bin, particular->path(), general->path()}}));
    // The General database got its log tables, but no control row.
    EXPECT_TRUE(TieneTabla(*general, "ERRORES"));
    EXPECT_TRUE(Textos(*general, "ControlFicherosProcesados", kControl).empty());
    // The General Feature table stays loaded; the catalog is the Particular one again.
    ASSERT_EQ(estado.ListaFeature.size(), 1u);
    EXPECT_EQ(estado.ListaFeature[0].mslink, 102);
    EXPECT_EQ(estado.BdDParticular->path(), particular->path());
}

TEST_P(ProcesoAdaptacionPrueba, TablasDistintasNoRegistranNada) {
    Hojas({{"VIAS", 11, 111, {}}});
    estado.NumSinAtr = 5;
    bool alFinal = true;
    ASSERT_TRUE(Corre(ProcesoAdaptacion, &alFinal));
    EXPECT_FALSE(alFinal);
    EXPECT_EQ(pantalla.llamadas,
              (Lista{"mensaje|0|Pelmora|Numero de tablas distintos en las dos BdD", "enfoca"}));
    EXPECT_EQ(estado.NumSinAtr, 5);
    EXPECT_TRUE(Textos(*particular, "ControlFicherosProcesados", kControl).empty());
    EXPECT_FALSE(TieneTabla(*general, "ERRORES"));
    EXPECT_EQ(LeeFichero(bin), contenido.bytes());
}

TEST_P(ProcesoAdaptacionPrueba, SinTablaDeControlEnLaParticularTerminaAlRegistrar) {
    Hojas({}, false);
    EXPECT_FALSE(Corre(ProcesoAdaptacion));
    EXPECT_TRUE(pantalla.terminado);
    ASSERT_EQ(pantalla.mensajes.size(), 1u);
    EXPECT_NE(pantalla.mensajes[0].find("ControlFicherosProcesados"), std::string::npos);
    EXPECT_TRUE(Etiquetas().empty());
    EXPECT_TRUE(TieneTabla(*general, "ControlFicherosProcesados"));  // made before
    EXPECT_EQ(LeeFichero(bin), contenido.bytes());
}

// Checked before anything is written: a BIN file nobody may write (root
// included) ends the run with every file as it was.
TEST_P(ProcesoAdaptacionPrueba, UnBinDeSoloLecturaSeRechazaAntesDeEscribirNada) {
    Hojas();
    fs::permissions(bin, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(Corre(ProcesoAdaptacion));
    ASSERT_EQ(pantalla.mensajes.size(), 1u);
    EXPECT_NE(pantalla.mensajes[0].find("solo lectura"), std::string::npos) << pantalla.mensajes[0];
    EXPECT_NE(pantalla.mensajes[0].find(bin), std::string::npos) << pantalla.mensajes[0];
    EXPECT_FALSE(TieneTabla(*general, "ERRORES"));
    EXPECT_TRUE(Textos(*particular, "ControlFicherosProcesados", kControl).empty());
    EXPECT_EQ(LeeFichero(bin), contenido.bytes());
}

// So is an error BIN file the walk could not append to: read-only, or a folder.
TEST_P(ProcesoAdaptacionPrueba, UnFicheroDeErroresSinEscrituraSeRechazaAntesDeEscribirNada) {
    Hojas();
    const std::string errores = NombreFicheroErrorBin(bin);
    std::ofstream(errores, std::ios::binary) << "previo";
    fs::permissions(errores, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(Corre(ProcesoAdaptacion));
    EXPECT_EQ(pantalla.mensajes,
              std::vector<std::string>{"No se puede añadir al fichero de errores «" + errores +
                                       "»: es de solo lectura"});
    fs::remove(errores);
    fs::create_directory(errores);
    pantalla.mensajes.clear();
    EXPECT_FALSE(Corre(ProcesoAdaptacion));
    EXPECT_EQ(pantalla.mensajes,
              std::vector<std::string>{"No se puede añadir al fichero de errores «" + errores +
                                       "»: es una carpeta"});
    EXPECT_FALSE(TieneTabla(*general, "ERRORES"));
    EXPECT_TRUE(Textos(*particular, "ControlFicherosProcesados", kControl).empty());
    EXPECT_EQ(LeeFichero(bin), contenido.bytes());
}

// The adapted file takes the original's place: reached through a link, with its
// mode; the copy a killed run left beside it is gone.
TEST_P(ProcesoAdaptacionPrueba, ElBinAdaptadoOcupaElLugarDelOriginal) {
    Hojas();
    const fs::path real(bin);
    const fs::path enlace = real.parent_path() / "enlace.bin";
    const fs::path resto = real.parent_path() / ("." + real.filename().string() + ".adaptando");
    fs::create_symlink(real, enlace);
    std::ofstream(resto) << "a medias";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    estado.NombreFicheroBin = enlace.string();
    ASSERT_TRUE(Corre(ProcesoAdaptacion)) << pantalla.mensajes.at(0);
    EXPECT_TRUE(fs::is_symlink(enlace));
    EXPECT_FALSE(fs::exists(resto));
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(LeeFichero(bin), BinPrueba(contenido).ConMslink(atr1, 7).replace(
                                   static_cast<size_t>(atr2 + 2), 4, Le32(8)));
}

// A walk ended by an error (an ATR whose record the Particular database lacks)
// leaves the BIN file as it was and nothing that the next run could take for a
// finished adaptation: that run adapts the file.
TEST_P(ProcesoAdaptacionPrueba, UnRecorridoFallidoNoDejaLaHojaPorAdaptada) {
    Hojas();
    BinPrueba conFallo(contenido);
    conFallo.Elemento("C=", "101", 3, {{10, 99}});
    conFallo.Escribe(bin);
    EXPECT_FALSE(Corre(ProcesoAdaptacion));
    EXPECT_EQ(LeeFichero(bin), conFallo.bytes());

    contenido.Escribe(bin);
    pantalla.mensajes.clear();
    bool alFinal = false;
    ASSERT_TRUE(Corre(ProcesoAdaptacion, &alFinal)) << pantalla.mensajes.at(0);
    EXPECT_TRUE(alFinal);
    EXPECT_TRUE(pantalla.mensajes.empty()) << pantalla.mensajes.at(0);
    EXPECT_EQ(LeeFichero(bin), BinPrueba(contenido).ConMslink(atr1, 7).replace(
                                   static_cast<size_t>(atr2 + 2), 4, Le32(8)));
}

}  // namespace
}  // namespace pelmora::prueba

// Opening with checks: log tables first, then the catalog tables, the names
// of the catalog's tables and the columns each of them must carry.
#include "db/Apertura.h"
#include "db/ChequeoTablas.h"
#include "db/engine/Text.h"
#include "tests/support/BdDPrueba.h"

namespace pelmora::prueba {
namespace {

using engine::Type;
using Llamadas = std::vector<std::string>;

class Chequeos : public BdDPrueba {
  protected:
    // A database whose catalog lists the tables given, with the columns given.
    std::string BdD(const std::vector<std::pair<std::string, std::vector<Columna>>>& tablas,
                    const std::vector<std::string>& catalogo) {
        auto bdd = NuevaBdD("particular" + std::to_string(++numero_));
        std::vector<std::pair<std::string, int32_t>> filas;
        for (const std::string& t : catalogo)
            filas.emplace_back(t, static_cast<int32_t>(filas.size()) + 1);
        CreaMsCatalog(*bdd, filas);
        CreaFeature(*bdd, {});
        CreaTabla(*bdd, "NoAsignar", {{"mslink", Type::Long}});
        for (const auto& [nombre, columnas] : tablas) CreaTabla(*bdd, nombre, columnas);
        return bdd->path();
    }
    Llamadas Abre(const std::string& ruta) {
        pantalla.llamadas.clear();
        Ejecuta([&] { AbreYChequeaBdD(estado, ruta); });
        return pantalla.llamadas;
    }
    static std::vector<Columna> Sin(std::vector<Columna> columnas, const std::string& quitada) {
        std::erase_if(columnas,
                      [&](const Columna& c) { return engine::sameName(c.nombre, quitada); });
        return columnas;
    }

    int numero_ = 0;
};
INSTANTIATE_TEST_SUITE_P(Motores, Chequeos, Motores(), NombreMotor);

TEST_P(Chequeos, UnaBaseCorrectaPasaSinMensajes) {
    std::vector<Columna> mayusculas = {{"MSLINK", Type::Long},
                                       {"Clasific", Type::Long},
                                       {"TMAPA"},
                                       {"TComplet"},
                                       {"tFeature", Type::Long}};
    const std::string ruta =
        BdD({{"Vias", ColumnasOcurrencias(false)},
             {"RIOS", mayusculas},
             {"Maps", Sin(ColumnasOcurrencias(false), "clasific")},
             {"199Etiquetas", Sin(ColumnasOcurrencias(), "clasific")},
             {"Category", {{"nada"}}}},
            {"vias", "Rios", "MAPS", "199ETIQUETAS", "mscatalog", "FEATURE", "category"});
    EXPECT_TRUE(Abre(ruta).empty());
    EXPECT_FALSE(pantalla.terminado);
    // The log tables are made first and count among the table definitions.
    auto& bdd = *estado.BdDParticular;
    EXPECT_EQ(estado.NumTablas, static_cast<int32_t>(bdd.tableNames().size()));
    EXPECT_GE(bdd.tableDef("ERRORES").fields().size(), 7u);
    EXPECT_EQ(estado.CatalogoParticular.size(), 7u);
    CompruebaPorFuera(bdd, {"ERRORES", "ControlFicherosProcesados"});

    // An empty catalog checks nothing.
    EXPECT_TRUE(Abre(BdD({}, {})).empty());
    EXPECT_TRUE(estado.CatalogoParticular.empty());
}

TEST_P(Chequeos, NombresConEspaciosOTablasInexistentes) {
    const auto ocurrencias = ColumnasOcurrencias(false);
    EXPECT_EQ(
        Abre(BdD({{"Vias", ocurrencias}}, {"Vias", "mis vias", "NoHay"})),
        (Llamadas{"normal",
                  "mensaje|0|Pelmora|Nombre de tabla con espacios en la tabla MsCatalog:\rMIS VIAS",
                  "terminar"}));
    // Entries before the missing one pass; the message comes without a pointer reset.
    EXPECT_EQ(Abre(BdD({{"Vias", ocurrencias}}, {"Vias", "NoHay", "mis vias"})),
              (Llamadas{"mensaje|0|Pelmora|No existe la Tabla : NOHAY", "terminar"}));
    // The log tables were ensured before the end.
    EXPECT_TRUE(engine::sameName(estado.BdDParticular->tableDef("controlficherosprocesados").name(),
                                 "ControlFicherosProcesados"));
}

TEST_P(Chequeos, UnaTablaConEspaciosDetieneSoloSiUnaBusquedaPasaPorElla) {
    const auto ocurrencias = ColumnasOcurrencias(false);
    // Made last and last in name order: every scan stops at its table before it.
    EXPECT_TRUE(Abre(BdD({{"Vias", ocurrencias}, {"zz con espacios", {{"a"}}}}, {"Vias"})).empty());
    // A missing table makes the scan pass over it.
    EXPECT_EQ(
        Abre(BdD({{"Vias", ocurrencias}, {"zz con espacios", {{"a"}}}}, {"Vias", "Rios"})),
        (Llamadas{"normal", "mensaje|0|Pelmora|Nombre de tabla con espacios :\rzz con espacios",
                  "terminar"}));
}

TEST_P(Chequeos, CadaColumnaQueFaltaTieneSuMensajeYLuegoElFin) {
    auto sinMapaNiMslink = Sin(Sin(ColumnasOcurrencias(false), "tmapa"), "mslink");
    EXPECT_EQ(Abre(BdD({{"Vias", sinMapaNiMslink}, {"Rios", {{"x"}}}}, {"Vias", "Rios"})),
              (Llamadas{"mensaje|0|Pelmora|No existe el campo TMAPA en la tabla: VIAS",
                        "mensaje|0|Pelmora|No existe el campo MSLINK en la tabla: VIAS", "normal",
                        "terminar"}));
    EXPECT_EQ(Abre(BdD({{"Rios", {{"x"}}}}, {"Rios"})),
              (Llamadas{"mensaje|0|Pelmora|No existe el campo TMAPA en la tabla: RIOS",
                        "mensaje|0|Pelmora|No existe el campo TCOMPLET en la tabla: RIOS",
                        "mensaje|0|Pelmora|No existe el campo TFEATURE en la tabla: RIOS",
                        "mensaje|0|Pelmora|No existe el campo MSLINK en la tabla: RIOS",
                        "mensaje|0|Pelmora|No existe el campo CLASIFIC en la tabla: RIOS", "normal",
                        "terminar"}));
    // MAPS is spared clasific only.
    EXPECT_EQ(
        Abre(BdD({{"maps", Sin(Sin(ColumnasOcurrencias(false), "clasific"), "mslink")}}, {"Maps"})),
        (Llamadas{"mensaje|0|Pelmora|No existe el campo MSLINK en la tabla: MAPS", "normal",
                  "terminar"}));
}

TEST_P(Chequeos, LosProcedimientosSueltos) {
    auto bdd = NuevaBdD("sueltos");
    CreaTabla(*bdd, "Vias", ColumnasOcurrencias(false));
    CreaTabla(*bdd, "Señales", ColumnasOcurrencias(false));
    estado.BdDParticular = bdd;
    estado.NumTablas = static_cast<int32_t>(bdd->tableNames().size());
    EXPECT_TRUE(Ejecuta([&] { ChequeaExistenciaTabla(estado, "VIAS"); }));
    EXPECT_TRUE(Ejecuta([&] { ChequeaCamposTabla(estado, "VIAS"); }));
    // Accented letters are upper-cased too.
    EXPECT_TRUE(Ejecuta([&] { ChequeaExistenciaTabla(estado, "SEÑALES"); }));
    // The bound is the count in force, not a fresh one (the new table is last in
    // creation order and in name order alike).
    CreaTabla(*bdd, "Zanjas", ColumnasOcurrencias(false));
    EXPECT_FALSE(Ejecuta([&] { ChequeaExistenciaTabla(estado, "ZANJAS"); }));
    ASSERT_FALSE(pantalla.mensajes.empty());
    EXPECT_EQ(pantalla.mensajes.back(), "No existe la Tabla : ZANJAS");
}

}  // namespace
}  // namespace pelmora::prueba

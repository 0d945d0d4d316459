// The catalog tables in memory: MsCatalog, Feature and the NoAsignar marks,
// the check that the catalog tables exist, and the opening of both databases.
#include <fstream>

#include "db/Apertura.h"
#include "db/Catalogos.h"
#include "tests/support/BdDPrueba.h"

namespace pelmora::prueba {
namespace {

using engine::Type;

const std::string kAvisoNoAsignar =
    "No existe la tabla NoAsignar\rSe asignarán todos los elementos que se encuentren en la "
    "tabla FEATURE, excepto los centroides (ftype=4)";

class Catalogos : public BdDPrueba {};
INSTANTIATE_TEST_SUITE_P(Motores, Catalogos, Motores(), NombreMotor);

TEST_P(Catalogos, CargaLasTresTablasEnCualquierCasoDeLetra) {
    auto bdd = NuevaBdD("particular");
    CreaTabla(*bdd, "MSCATALOG", {{"tablename"}, {"entitynum", Type::Long}});
    Inserta(*bdd, "MSCATALOG", {"tablename", "entitynum"},
            {{T("  Vias "), L(10)}, {T("edificios"), L(20)}, {T("Vias"), L(10)}});
    CreaTabla(*bdd, "feature", {{"tablename"}, {"mslink", Type::Long}, {"ftype", Type::Long}});
    Inserta(*bdd, "feature", {"tablename", "mslink", "ftype"},
            {{T(" Vias"), L(100), L(1)},
             {T("Vias"), L(100), L(2)},
             {T("edificios"), L(200), L(4)},
             {T("x"), L(300), L(-7)}});
    CreaTabla(*bdd, "noASIGNAR", {{"mslink", Type::Long}});
    Inserta(*bdd, "noASIGNAR", {"mslink"}, {{L(100)}, {L(100)}, {Nulo()}, {L(999)}});
    estado.BdDParticular = bdd;

    ASSERT_TRUE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    EXPECT_TRUE(pantalla.llamadas.empty());
    EXPECT_EQ(estado.NumTablas, static_cast<int32_t>(bdd->tableNames().size()));

    ASSERT_EQ(estado.CatalogoParticular.size(), 3u);  // no sorting, no removal of duplicates
    EXPECT_EQ(estado.CatalogoParticular[0].tablename, "Vias");
    EXPECT_EQ(estado.CatalogoParticular[0].entitynum, 10);
    EXPECT_EQ(estado.CatalogoParticular[1].tablename, "edificios");
    EXPECT_EQ(estado.CatalogoParticular[2].tablename, "Vias");

    ASSERT_EQ(estado.ListaFeature.size(), 4u);
    EXPECT_EQ(estado.ListaFeature[0].tablename, "Vias");
    EXPECT_EQ(estado.ListaFeature[2].mslink, 200);
    EXPECT_EQ(estado.ListaFeature[2].ftype, 4);
    EXPECT_EQ(estado.ListaFeature[3].ftype, -7);
    // An mslink listed twice marks its entries once; both entries with it are marked.
    EXPECT_TRUE(estado.ListaFeature[0].NoAsignar);
    EXPECT_TRUE(estado.ListaFeature[1].NoAsignar);
    EXPECT_FALSE(estado.ListaFeature[2].NoAsignar);
    EXPECT_FALSE(estado.ListaFeature[3].NoAsignar);
}

TEST_P(Catalogos, SinMsCatalogOFeatureElProgramaTermina) {
    auto sinNinguna = NuevaBdD("sin_ninguna");
    estado.BdDParticular = sinNinguna;
    EXPECT_FALSE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    // Feature is not looked at once MsCatalog is missing.
    EXPECT_EQ(pantalla.llamadas,
              (std::vector<std::string>{"normal", "mensaje|0|Pelmora|No existe la tabla MsCatalog",
                                        "terminar"}));

    auto sinFeature = NuevaBdD("sin_feature");
    CreaMsCatalog(*sinFeature, {{"Vias", 10}});
    estado.BdDParticular = sinFeature;
    pantalla.llamadas.clear();
    EXPECT_FALSE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    EXPECT_EQ(pantalla.llamadas,
              (std::vector<std::string>{"normal", "mensaje|0|Pelmora|No existe la tabla Feature",
                                        "terminar"}));
    ASSERT_EQ(estado.CatalogoParticular.size(), 1u);
}

TEST_P(Catalogos, NoAsignarAusenteAvisaYVacioNoMarcaNada) {
    auto bdd = NuevaBdD("particular");
    CreaMsCatalog(*bdd, {{"Vias", 10}});
    CreaFeature(*bdd, {{T("Vias"), L(100), L(1)}});
    estado.BdDParticular = bdd;
    ASSERT_TRUE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    EXPECT_EQ(pantalla.llamadas,
              (std::vector<std::string>{"normal", "mensaje|0|Pelmora|" + kAvisoNoAsignar}));
    ASSERT_EQ(estado.ListaFeature.size(), 1u);
    EXPECT_FALSE(estado.ListaFeature[0].NoAsignar);

    CreaTabla(*bdd, "NoAsignar", {{"mslink", Type::Long}});
    pantalla.llamadas.clear();
    ASSERT_TRUE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    EXPECT_TRUE(pantalla.llamadas.empty());
    ASSERT_FALSE(estado.ListaFeature.empty());
    EXPECT_FALSE(estado.ListaFeature[0].NoAsignar);
}

TEST_P(Catalogos, UnaRecargaSustituyeLaListaAunqueQuedeVacia) {
    auto general = NuevaBdD("general");
    CreaMsCatalog(*general, {{"Vias", 10}, {"Rios", 30}});
    estado.BdDGeneral = general;
    CargaMsCatalogGeneral(estado);
    ASSERT_EQ(estado.CatalogoGeneral.size(), 2u);
    EXPECT_EQ(estado.CatalogoGeneral[1].tablename, "Rios");
    EXPECT_TRUE(estado.CatalogoParticular.empty());

    auto vacia = NuevaBdD("vacia");
    CreaMsCatalog(*vacia, {});
    estado.BdDGeneral = vacia;
    CargaMsCatalogGeneral(estado);
    EXPECT_TRUE(estado.CatalogoGeneral.empty());
}

TEST_P(Catalogos, UnValorQueNoConvierteNombraBaseTablaRegistroYColumna) {
    const auto falla = [&](const std::function<void(engine::Database&)>& prepara,
                           const std::function<void()>& carga) {
        auto bdd = NuevaBdD("particular" + std::to_string(pantalla.mensajes.size()));
        prepara(*bdd);
        estado.BdDParticular = estado.BdDGeneral = bdd;
        EXPECT_FALSE(Ejecuta(carga));
        return pantalla.mensajes.empty() ? std::string() : pantalla.mensajes.back();
    };
    const auto conFeature = [](const Fila& mala) {
        return [mala](engine::Database& bdd) { CreaFeature(bdd, {{T("Vias"), L(1), L(1)}, mala}); };
    };
    const auto carga = [&] { CargaFeature(estado); };

    std::string m = falla(
        [](engine::Database& bdd) {
            CreaTabla(bdd, "MsCatalog", {{"tablename"}, {"entitynum", Type::Long}});
            Inserta(bdd, "MsCatalog", {"tablename", "entitynum"},
                    {{T("Vias"), L(10)}, {T("Rios"), Nulo()}});
        },
        [&] { CargaMsCatalogGeneral(estado); });
    EXPECT_NE(m.find("Valor no válido en la base de datos «" + estado.BdDGeneral->path() +
                     "», tabla «MsCatalog», registro 2, columna «entitynum»"),
              std::string::npos)
        << m;

    m = falla(conFeature({T("Rios"), L(2), L(40000)}), carga);
    EXPECT_NE(m.find("tabla «Feature», registro 2 (mslink 2), columna «ftype»"), std::string::npos)
        << m;
    m = falla(conFeature({Nulo(), L(3), L(1)}), carga);
    EXPECT_NE(m.find("registro 2 (mslink 3), columna «tablename»"), std::string::npos) << m;
    m = falla(conFeature({T("Rios"), Nulo(), L(1)}), carga);
    EXPECT_NE(m.find("registro 2, columna «mslink»"), std::string::npos) << m;
}

TEST_P(Catalogos, NoAsignarSoloSeLeeCuandoHayQueMarcar) {
    auto bdd = NuevaBdD("particular");
    CreaMsCatalog(*bdd, {});
    CreaFeature(*bdd, {{T("Vias"), L(5), L(1)}});
    CreaTabla(*bdd, "NoAsignar", {{"codigo", Type::Text}});  // no column mslink
    estado.BdDParticular = bdd;
    // Empty: the missing column goes unnoticed.
    EXPECT_TRUE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    Inserta(*bdd, "NoAsignar", {"codigo"}, {{T("5")}});
    EXPECT_FALSE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    EXPECT_TRUE(UltimoMensajeDice("mslink"));

    // A text column: a value that is not a number matters only to an entry that
    // finds no match before reaching it.
    auto textos = NuevaBdD("textos");
    CreaMsCatalog(*textos, {});
    CreaFeature(*textos, {{T("Vias"), L(5), L(1)}});
    CreaTabla(*textos, "NoAsignar", {{"mslink", Type::Text}});
    Inserta(*textos, "NoAsignar", {"mslink"}, {{T("5")}, {T("cinco")}});
    estado.BdDParticular = textos;
    pantalla.llamadas.clear();
    ASSERT_TRUE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    ASSERT_FALSE(estado.ListaFeature.empty());
    EXPECT_TRUE(estado.ListaFeature[0].NoAsignar);
    Inserta(*textos, "Feature", {"tablename", "mslink", "ftype"}, {{T("Rios"), L(7), L(1)}});
    EXPECT_FALSE(Ejecuta([&] { ChequeaTablasMsCatalogFeature(estado); }));
    EXPECT_TRUE(UltimoMensajeDice("tabla «NoAsignar», registro 2, columna «mslink»"));
}

TEST_P(Catalogos, UnaBaseQueNoSeAbreTerminaNombrandoElFichero) {
    auto general = NuevaBdD("general");
    const std::string texto = (carpeta / "notas.mdb").string();
    std::ofstream(texto) << "esto no es una base de datos";
    EXPECT_FALSE(Ejecuta([&] { AbreBdDGeneralYParticular(estado, general->path(), texto); }));
    EXPECT_TRUE(UltimoMensajeDice(texto));
    EXPECT_TRUE(pantalla.terminado);
}

}  // namespace
}  // namespace pelmora::prueba

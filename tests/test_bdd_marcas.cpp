// The correlation marks: the column Tcorrelate added where missing and set
// to false on every record of every catalog table but the catalog ones.
#include "db/Marcas.h"
#include "tests/support/BdDPrueba.h"

namespace pelmora::prueba {
namespace {

using engine::Type;

class Marcas : public BdDPrueba {
  protected:
    std::vector<Fila> LeeMarcas(const std::string& tabla) {
        return Lee(*estado.BdDParticular, "Select " + tabla + ".* from " + tabla + ";",
                   {"mslink", "Tcorrelate"});
    }
};
INSTANTIATE_TEST_SUITE_P(Motores, Marcas, Motores(), NombreMotor);

TEST_P(Marcas, SeCreaLaColumnaOSePoneAFalsoEnTodos) {
    auto bdd = NuevaBdD("particular");
    CreaTabla(*bdd, "Vias", ColumnasOcurrencias(false));
    Inserta(*bdd, "Vias", {"mslink"}, {{L(1)}, {L(2)}});
    CreaTabla(*bdd, "Rios", {{"mslink", Type::Long}, {"TCORRELATE", Type::Boolean}});
    Inserta(*bdd, "Rios", {"mslink", "TCORRELATE"},
            {{L(1), B(true)}, {L(2), B(false)}, {L(3), B(true)}});
    CreaTabla(*bdd, "Maps", {{"mslink", Type::Long}, {"tcorrelate", Type::Boolean}});
    estado.BdDParticular = bdd;
    // The catalog tables are never opened (here they do not even exist).
    estado.CatalogoParticular = {{"vias", 1}, {"Feature", 2},  {"Rios", 3}, {"MSCATALOG", 4},
                                 {"maps", 5}, {"category", 6}, {"Rios", 3}};

    ASSERT_TRUE(Ejecuta([&] { PreparaTcorrelate(estado, "no se usa"); }));
    EXPECT_TRUE(pantalla.llamadas.empty());

    const engine::TableDef vias = bdd->tableDef("Vias");
    ASSERT_FALSE(vias.fields().empty());
    const engine::Column& nueva = vias.fields().back();
    EXPECT_EQ(nueva.name, "tcorrelate");
    EXPECT_EQ(nueva.type, Type::Boolean);
    ASSERT_TRUE(nueva.defaultValue.has_value());
    EXPECT_EQ(*nueva.defaultValue, B(false));
    EXPECT_EQ(LeeMarcas("Vias"), (std::vector<Fila>{{L(1), B(false)}, {L(2), B(false)}}));

    ASSERT_FALSE(bdd->tableDef("Rios").fields().empty());
    EXPECT_EQ(bdd->tableDef("Rios").fields().back().name, "TCORRELATE");
    EXPECT_EQ(LeeMarcas("Rios"),
              (std::vector<Fila>{{L(1), B(false)}, {L(2), B(false)}, {L(3), B(false)}}));
    EXPECT_TRUE(LeeMarcas("Maps").empty());
    EXPECT_EQ(bdd->tableDef("Maps").fields().size(), 2u);

    // Twice is the same as once.
    Inserta(*bdd, "Vias", {"mslink", "tcorrelate"}, {{L(3), B(true)}});
    ASSERT_TRUE(Ejecuta([&] { PreparaTcorrelate(estado, ""); }));
    EXPECT_EQ(bdd->tableDef("Vias").fields().size(), ColumnasOcurrencias(true).size());
    const std::vector<Fila> marcas = LeeMarcas("Vias");
    ASSERT_FALSE(marcas.empty());
    EXPECT_EQ(marcas.back(), (Fila{L(3), B(false)}));
    CompruebaPorFuera(*bdd, {"Vias", "Rios", "Maps"});
}

TEST_P(Marcas, UnaTablaDelCatalogoQueNoExisteTerminaConElErrorDelMotor) {
    estado.BdDParticular = NuevaBdD("particular");
    estado.CatalogoParticular = {{"NoHay", 1}};
    EXPECT_FALSE(Ejecuta([&] { PreparaTcorrelate(estado, ""); }));
    EXPECT_TRUE(UltimoMensajeDice("NoHay"));
}

}  // namespace
}  // namespace pelmora::prueba

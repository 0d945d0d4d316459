// The comparison of the two catalogs in memory: same tables, same entity
// numbers, and the one message of the first difference.
#include <gtest/gtest.h>

#include "core/PantallaGuion.h"
#include "db/Comparacion.h"

namespace pelmora {
namespace {

using Catalogo = std::vector<RegistroMsCatalog>;

// The result and the messages of one comparison.
std::pair<bool, std::vector<std::string>> Compara(const Catalogo& particular,
                                                  const Catalogo& general) {
    PantallaGuion pantalla;
    Estado estado(pantalla);
    estado.NombreBdDParticular = "/hojas/p.mdb";
    estado.NombreBdDGeneral = "/proyecto/g.mdb";
    estado.CatalogoParticular = particular;
    estado.CatalogoGeneral = general;
    bool iguales = ComparaTablasBdD(estado);
    return {iguales, pantalla.llamadas};
}

using Mensajes = std::vector<std::string>;
const std::string kDistintas = "mensaje|0|Pelmora|Numero de tablas distintos en las dos BdD";

TEST(ComparaTablasBdD, IgualesEnCualquierOrden) {
    EXPECT_EQ(Compara({}, {}), std::make_pair(true, Mensajes{}));
    EXPECT_EQ(Compara({{"Vias", 1}, {"Rios", 2}}, {{"Rios", 2}, {"Vias", 1}}),
              std::make_pair(true, Mensajes{}));
}

TEST(ComparaTablasBdD, LaPrimeraDiferenciaEsLaQueSeMuestra) {
    // Only the count, even when the shorter catalog is inside the longer one.
    EXPECT_EQ(Compara({{"Vias", 1}}, {{"Vias", 1}, {"Rios", 2}}),
              std::make_pair(false, Mensajes{kDistintas}));
    // Letter case counts; the Particular entry is reported with the Particular path.
    EXPECT_EQ(Compara({{"Vias", 1}, {"rios", 2}}, {{"Vias", 1}, {"Rios", 2}}),
              std::make_pair(false, Mensajes{"mensaje|0|Pelmora|No encontrada la tabla : rios en "
                                             "la BdD : /hojas/p.mdb"}));
    // Same names, another entity number; a later entry is looked up on its own.
    EXPECT_EQ(Compara({{"Vias", 1}, {"Rios", 3}}, {{"Vias", 1}, {"Rios", 2}}),
              std::make_pair(false, Mensajes{"mensaje|0|Pelmora|No encontrada la tabla : Rios en "
                                             "la BdD : /hojas/p.mdb"}));
    // Every Particular entry found (one twice): the General table missing is named
    // with the General path.
    EXPECT_EQ(
        Compara({{"Vias", 1}, {"Vias", 1}, {"Rios", 2}}, {{"Vias", 1}, {"Rios", 2}, {"Lagos", 4}}),
        std::make_pair(false, Mensajes{"mensaje|0|Pelmora|No encontrada la tabla : Lagos en "
                                       "la BdD : /proyecto/g.mdb"}));
}

}  // namespace
}  // namespace pelmora

// The merge of the marked Particular records into the General database:
// equivalence, numbering, 199ETIQUETAS and the tables it leaves alone.
#include "db/Fusion.h"
#include "db/engine/Recordset.h"
#include "tests/support/BdDPrueba.h"

namespace pelmora::prueba {
namespace {

using engine::Type;
using Filas = std::vector<Fila>;

const std::vector<std::string> kParticular = {"Tcorrelate", "tcomplet", "tmapa", "clasific",
                                              "tfeature"};
const std::vector<std::string> kGeneral = {"mslink", "tcomplet", "tmapa", "clasific", "tfeature"};

class Fusion : public BdDPrueba {
  protected:
    void SetUp() override {
        BdDPrueba::SetUp();
        if (IsSkipped()) return;
        estado.BdDParticular = NuevaBdD("particular");
        estado.BdDGeneral = NuevaBdD("general");
        estado.NombreBdDParticular = estado.BdDParticular->path();
        estado.NombreBdDGeneral = estado.BdDGeneral->path();
    }
    // The same table in both databases, with rows, listed in the catalog.
    void Tabla(const std::string& nombre, const Filas& particular, const Filas& general,
               const std::vector<Columna>& columnas = ColumnasOcurrencias()) {
        CreaTabla(*estado.BdDParticular, nombre, columnas);
        CreaTabla(*estado.BdDGeneral, nombre, columnas);
        Inserta(*estado.BdDParticular, nombre, kParticular, particular);
        Inserta(*estado.BdDGeneral, nombre, kGeneral, general);
        estado.CatalogoParticular.push_back(
            {nombre, static_cast<int32_t>(estado.CatalogoParticular.size()) + 1});
    }
    Filas General(const std::string& tabla, const std::vector<std::string>& columnas = kGeneral) {
        return Lee(*estado.BdDGeneral, "Select " + tabla + ".* from " + tabla + " ORDER BY mslink;",
                   columnas);
    }
    bool Fusiona() {
        return Ejecuta([&] { FusionaBdD(estado); });
    }
};
INSTANTIATE_TEST_SUITE_P(Motores, Fusion, Motores(), NombreMotor);

TEST_P(Fusion, EquivalenciaYNumeracion) {
    Tabla("Vias",
          {{B(true), T("Calle A"), T("H1"), L(1), L(11)},
           {B(true), T("Calle B"), T("H1"), L(1), L(12)},
           {B(true), T("calle a"), Nulo(), L(1), L(13)},   // letter case counts
           {B(true), T("Calle A "), Nulo(), L(1), L(14)},  // trailing spaces count
           {B(true), T("Calle B"), T("H9"), L(1), L(15)},  // appended just before: found
           {B(true), T("Calle Z"), Nulo(), L(1), L(16)},   // 70000 still takes part
           {B(true), T("Calle A"), Nulo(), L(2), L(17)},   // another class
           {B(false), T("Calle C"), Nulo(), L(1), L(18)},
           {Nulo(), T("Calle C"), Nulo(), L(1), L(19)},
           {B(true), Nulo(), T("M1"), Nulo(), L(20)},       // key from Tmapa, class 0
           {B(true), T("Calle D"), Nulo(), Nulo(), L(21)},  // Null class matches Null
           {B(true), T("Calle E"), Nulo(), Nulo(), L(22)},  // and 0
           {B(true), T("Calle N"), Nulo(), L(1), L(23)}},   // a Null Tcomplet never matches
          {{L(5), T("Calle A"), Nulo(), L(1), Nulo()},
           {L(70000), T("Calle Z"), Nulo(), L(1), Nulo()},
           {L(3), T("Calle D"), Nulo(), Nulo(), Nulo()},
           {L(4), T("Calle E"), Nulo(), L(0), Nulo()},
           {L(1), Nulo(), T("Calle N"), L(1), Nulo()}});
    const Filas antes = General("Vias");
    ASSERT_TRUE(Fusiona());
    Filas esperadas = antes;
    esperadas.insert(esperadas.end() - 1, {{L(6), T("Calle B"), T("H1"), L(1), L(12)},
                                           {L(7), T("calle a"), Nulo(), L(1), L(13)},
                                           {L(8), T("Calle A "), Nulo(), L(1), L(14)},
                                           {L(9), T("Calle A"), Nulo(), L(2), L(17)},
                                           {L(10), T("M1"), T("M1"), L(0), L(20)},
                                           {L(11), T("Calle N"), Nulo(), L(1), L(23)}});
    EXPECT_EQ(General("Vias"), esperadas);
    EXPECT_TRUE(pantalla.llamadas.empty());

    // A second merge finds everything.
    ASSERT_TRUE(Fusiona());
    EXPECT_EQ(General("Vias"), esperadas);
    CompruebaPorFuera(*estado.BdDGeneral, {"Vias"});
}

TEST_P(Fusion, TablaGeneralVaciaYTablasSinMarcas) {
    Tabla("Vias", {{B(true), T("A"), Nulo(), L(1), L(1)}, {B(true), T("B"), Nulo(), L(1), L(1)}},
          {});
    // No marked record: the General table is never read, so its columns do not matter.
    CreaTabla(*estado.BdDParticular, "Rios", ColumnasOcurrencias());
    Inserta(*estado.BdDParticular, "Rios", {"Tcorrelate", "tcomplet"}, {{B(false), T("R")}});
    CreaTabla(*estado.BdDGeneral, "Rios", {{"mslink", Type::Long}});
    estado.CatalogoParticular.push_back({"Rios", 9});
    ASSERT_TRUE(Fusiona());
    EXPECT_EQ(General("Vias", {"mslink", "tcomplet"}), (Filas{{L(1), T("A")}, {L(2), T("B")}}));
    EXPECT_TRUE(General("Rios", {"mslink"}).empty());
}

TEST_P(Fusion, Etiquetas199ComparanTmapaYLlevanNetiqueta) {
    std::vector<Columna> columnas = ColumnasOcurrencias();
    columnas.push_back({"netiqueta", Type::Long});
    Tabla("199ETIQUETAS",
          {{B(true), T("Rio"), Nulo(), L(8), L(8)},
           {B(true), T("Rio"), T("H1"), L(8), L(8)},
           {B(true), T("Rio"), T("H2"), L(8), L(8)},
           {B(true), T("Monte"), Nulo(), L(8), L(8)}},
          {{L(1), T("Rio"), Nulo(), L(3), Nulo()}, {L(2), T("Rio"), T("H1"), L(3), Nulo()}},
          columnas);
    estado.CatalogoParticular.back().tablename = "199Etiquetas";
    auto netiquetas = [&](const Filas& filas) {
        auto rs = estado.BdDParticular->openRecordset("199ETIQUETAS", engine::OpenMode::Dynaset);
        for (const Fila& f : filas) {
            rs->edit();
            rs->set("netiqueta", f[0]);
            rs->update();
            rs->moveNext();
        }
    };
    netiquetas({{L(7)}, {L(5)}, {L(9)}, {L(11)}});
    ASSERT_TRUE(Fusiona());
    EXPECT_EQ(General("199ETIQUETAS",
                      {"mslink", "tcomplet", "tmapa", "clasific", "tfeature", "netiqueta"}),
              (Filas{{L(1), T("Rio"), Nulo(), L(3), Nulo(), Nulo()},
                     {L(2), T("Rio"), T("H1"), L(3), Nulo(), Nulo()},
                     {L(3), T("Rio"), T("H2"), Nulo(), Nulo(), L(9)},
                     {L(4), T("Monte"), Nulo(), Nulo(), Nulo(), L(11)}}));
    CompruebaPorFuera(*estado.BdDGeneral, {"199ETIQUETAS"});
}

TEST_P(Fusion, LasTablasDeCatalogoYMapsNoSeAbren) {
    Tabla("Maps", {{B(true), T("Hoja"), Nulo(), L(1), L(1)}}, {});
    CreaMsCatalog(*estado.BdDParticular, {{"MsCatalog", 1}});  // has no Tcorrelate
    for (const char* t : {"MSCATALOG", "category", "Feature"})
        estado.CatalogoParticular.push_back({t, 2});
    estado.CatalogoParticular.front().tablename = "maps";
    ASSERT_TRUE(Fusiona());
    EXPECT_TRUE(pantalla.llamadas.empty());
    EXPECT_TRUE(General("Maps").empty());
}

TEST_P(Fusion, SinNumerosLibresPorDebajoDe60000SeDetieneConservandoLoAnadido) {
    Tabla("Vias", {{B(true), T("A"), Nulo(), L(1), L(1)}, {B(true), T("B"), Nulo(), L(1), L(1)}},
          {{L(59998), T("X"), Nulo(), L(1), Nulo()}, {L(60000), T("Y"), Nulo(), L(1), Nulo()}});
    EXPECT_FALSE(Fusiona());
    EXPECT_EQ(pantalla.llamadas,
              (std::vector<std::string>{"normal",
                                        "mensaje|0|Pelmora|No quedan números mslink libres por "
                                        "debajo de 60000 en la tabla VIAS",
                                        "terminar"}));
    EXPECT_EQ(General("Vias", {"mslink", "tcomplet"}),
              (Filas{{L(59998), T("X")}, {L(59999), T("A")}, {L(60000), T("Y")}}));
    CompruebaPorFuera(*estado.BdDGeneral, {"Vias"});
}

TEST_P(Fusion, UnValorQueNoSirveNombraBaseTablaRegistroYColumna) {
    std::vector<Columna> columnas = ColumnasOcurrencias();
    columnas[1].tipo = Type::Text;  // clasific as text
    Tabla("Vias", {{B(true), T("A"), Nulo(), T("3"), L(1)}},
          {{L(1), T("A"), Nulo(), T("3"), Nulo()},
           {L(2), T("Q"), Nulo(), T("x"), Nulo()},
           {L(3), T("B"), Nulo(), T("5"), Nulo()}},
          columnas);
    // The scan in mslink order finds A before the General record whose class is not a number.
    ASSERT_TRUE(Fusiona());
    // B lies after it.
    Inserta(*estado.BdDParticular, "Vias", kParticular, {{B(true), T("B"), Nulo(), T("5"), L(1)}});
    EXPECT_FALSE(Fusiona());
    EXPECT_TRUE(UltimoMensajeDice("Valor no válido en la base de datos «" +
                                  estado.NombreBdDGeneral +
                                  "», tabla «Vias», registro 2 (mslink 2), columna «Clasific»"));

    // A marked record with a class that is not a number, or without Tcomplet and Tmapa:
    // the Particular record is named, and the General table is not even read.
    CreaTabla(*estado.BdDParticular, "Rios", columnas);
    Inserta(*estado.BdDParticular, "Rios", kParticular,
            {{B(true), T("R"), Nulo(), T("uno"), L(1)}});
    CreaTabla(*estado.BdDParticular, "Lagos", columnas);
    Inserta(*estado.BdDParticular, "Lagos", kParticular,
            {{B(false), Nulo(), Nulo(), T("1"), L(1)}, {B(true), Nulo(), Nulo(), T("1"), L(1)}});
    estado.CatalogoParticular = {{"Rios", 2}};
    EXPECT_FALSE(Fusiona());
    EXPECT_TRUE(UltimoMensajeDice("«" + estado.NombreBdDParticular +
                                  "», tabla «Rios», registro 1, columna «Clasific»"));
    estado.CatalogoParticular = {{"lagos", 3}};
    EXPECT_FALSE(Fusiona());
    EXPECT_TRUE(UltimoMensajeDice("tabla «Lagos», registro 2, columna «Tmapa»"));
}

}  // namespace
}  // namespace pelmora::prueba

// The Fusion run on hand-made databases: the control row "Anexa" before the
// comparison, the merge and its final line, the stop on different table lists,
// a run without BIN file, and a Particular database without log tables.
#include "runs/Procesos.h"
#include "tests/support/HojaPrueba.h"

namespace pelmora::prueba {
namespace {

using Textos2 = std::vector<std::vector<std::string>>;
const std::vector<std::string> kControl = {"Proceso", "FicheroBin", "BdDMdb_P", "BdDMdb_G"};

class ProcesoFusionPrueba : public ProcesoPrueba {
  protected:
    // The Particular database with two marked records and one unmarked; the
    // General one holds the first of them.
    void Hojas(const std::vector<TablaHoja>& extraGeneral = {}) {
        TablaHoja edificios{"EDIFICIOS",
                            10,
                            101,
                            {{1, 1, "Casa A", true}, {2, 1, "Casa B", true}, {3, 1, "Casa C"}}};
        CreaHoja(*particular, {edificios});
        TablaHoja enGeneral{"EDIFICIOS", 10, 101, {{7, 1, "Casa A"}}};
        std::vector<TablaHoja> tablas = {enGeneral};
        tablas.insert(tablas.end(), extraGeneral.begin(), extraGeneral.end());
        CreaHoja(*general, tablas);
        TablasControl(particular);
    }
    Textos2 EdificiosGeneral() { return Textos(*general, "EDIFICIOS", {"mslink", "tcomplet"}); }
};
INSTANTIATE_TEST_SUITE_P(Motores, ProcesoFusionPrueba, Motores(), NombreMotor);

TEST_P(ProcesoFusionPrueba, MismasTablasRegistraFusionaYTermina) {
    Hojas();
    bool alFinal = false;
    ASSERT_TRUE(Corre(ProcesoFusion, &alFinal));
    EXPECT_TRUE(alFinal);
    EXPECT_EQ(pantalla.llamadas, std::vector<std::string>{"etiqueta|Label6|PROCESO TERMINADO"});
    EXPECT_EQ(Textos(*particular, "ControlFicherosProcesados", kControl),
              (Textos2{{"Anexa", bin, particular->path(), general->path()}}));
    EXPECT_EQ(EdificiosGeneral(), (Textos2{{"7", "Casa A"}, {"8", "Casa B"}}));
    EXPECT_EQ(estado.DatosControl.Proceso, "Anexa");

    // Without a BIN file the control row's FicheroBin is empty; the merge finds
    // nothing more to append.
    estado.NombreFicheroBin.clear();
    pantalla.llamadas.clear();
    ASSERT_TRUE(Corre(ProcesoFusion, &alFinal));
    EXPECT_TRUE(alFinal);
    EXPECT_EQ(Etiquetas(), std::vector<std::string>{"Label6=PROCESO TERMINADO"});
    const auto control = Textos(*particular, "ControlFicherosProcesados", kControl);
    ASSERT_FALSE(control.empty());
    EXPECT_EQ(control.back(),
              (std::vector<std::string>{"Anexa", "", particular->path(), general->path()}));
    EXPECT_EQ(EdificiosGeneral().size(), 2u);
}

TEST_P(ProcesoFusionPrueba, TablasDistintasRegistraPeroNoFusiona) {
    Hojas({{"VIAS", 11, 111, {}}});
    bool alFinal = true;
    ASSERT_TRUE(Corre(ProcesoFusion, &alFinal));
    EXPECT_FALSE(alFinal);
    EXPECT_EQ(pantalla.llamadas,
              (std::vector<std::string>{
                  "mensaje|0|Pelmora|Numero de tablas distintos en las dos BdD", "enfoca"}));
    EXPECT_EQ(Textos(*particular, "ControlFicherosProcesados", kControl).size(), 1u);
    EXPECT_EQ(EdificiosGeneral(), (Textos2{{"7", "Casa A"}}));
}

TEST_P(ProcesoFusionPrueba, SinTablaDeControlTerminaElPrograma) {
    CreaHoja(*particular, {{"EDIFICIOS", 10, 101, {{2, 1, "Casa B", true}}}});
    CreaHoja(*general, {{"EDIFICIOS", 10, 101, {}}});
    EXPECT_FALSE(Corre(ProcesoFusion));
    EXPECT_TRUE(pantalla.terminado);
    ASSERT_EQ(pantalla.mensajes.size(), 1u);
    EXPECT_NE(pantalla.mensajes[0].find("ControlFicherosProcesados"), std::string::npos)
        << pantalla.mensajes[0];
    EXPECT_TRUE(Etiquetas().empty());
    EXPECT_TRUE(EdificiosGeneral().empty());
}

}  // namespace
}  // namespace pelmora::prueba

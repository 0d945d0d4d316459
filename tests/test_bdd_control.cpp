// The run log tables: created with their columns where missing, left alone
// where present, and one dated row per run and per problem.
#include "db/TablasControl.h"
#include "db/engine/Error.h"
#include "db/engine/Text.h"
#include "tests/support/BdDPrueba.h"

namespace pelmora::prueba {
namespace {

using engine::Type;

class TablasDeControl : public BdDPrueba {
  protected:
    void Prepara(const std::vector<std::string>& existentes = {}) {
        estado.BdDParticular = NuevaBdD("particular" + std::to_string(++numero_));
        for (const std::string& t : existentes) CreaTabla(*estado.BdDParticular, t, {{"otra"}});
    }
    std::string Esquema(const std::string& tabla) {
        std::string s;
        const engine::TableDef def = estado.BdDParticular->tableDef(tabla);
        for (const engine::Column& c : def.fields())
            s += c.name + ":" + engine::typeName(c.type) +
                 (c.allowZeroLength && (c.type == Type::Text || c.type == Type::Memo) ? ":vacío"
                                                                                      : "") +
                 " ";
        return s;
    }
    int numero_ = 0;
};
INSTANTIATE_TEST_SUITE_P(Motores, TablasDeControl, Motores(), NombreMotor);

TEST_P(TablasDeControl, SeCreanLasQueFaltanConSusColumnas) {
    Prepara();
    CreaTablasControl(estado);
    auto& bdd = *estado.BdDParticular;
    EXPECT_EQ(estado.NumTablas, static_cast<int32_t>(bdd.tableNames().size()));
    EXPECT_EQ(Esquema("ERRORES"),
              "DescripcionError:texto EntitynumError:entero largo RegistroError:entero largo "
              "FicheroBinError:memo FicheroMdbError:memo Fecha:fecha/hora Hora:fecha/hora ");
    EXPECT_EQ(Esquema("ControlFicherosProcesados"),
              "Proceso:texto FicheroBin:memo:vacío BdDMdb_P:memo BdDMdb_G:memo:vacío "
              "Fecha:fecha/hora Hora:fecha/hora ");
    for (const char* tabla : {"ERRORES", "ControlFicherosProcesados"}) {
        const engine::TableDef def = bdd.tableDef(tabla);
        for (const engine::Column& c : def.fields()) {
            EXPECT_FALSE(c.required) << c.name;
            EXPECT_FALSE(c.defaultValue.has_value()) << c.name;
            if (c.type == Type::Text) {
                EXPECT_TRUE(c.size == 0 || c.size >= 255) << c.name;
            }
        }
    }

    CompruebaPorFuera(bdd, {"ERRORES", "ControlFicherosProcesados"});

    // Present in any letter case: left alone; only the missing one is made.
    Prepara({"errores"});
    CreaTablasControl(estado);
    EXPECT_EQ(Esquema("ERRORES"), "otra:texto ");
    EXPECT_EQ(estado.NumTablas, static_cast<int32_t>(estado.BdDParticular->tableNames().size()));
    EXPECT_NE(Esquema("ControlFicherosProcesados").find("Proceso"), std::string::npos);

    Prepara({"Errores", "CONTROLFICHEROSPROCESADOS"});
    const auto antes = estado.BdDParticular->tableNames();
    CreaTablasControl(estado);
    EXPECT_EQ(estado.BdDParticular->tableNames(), antes);
    EXPECT_EQ(Esquema("ControlFicherosProcesados"), "otra:texto ");
}

TEST_P(TablasDeControl, UnaFilaPorRegistroConFechaYHora) {
    Prepara();
    CreaTablasControl(estado);
    // Two readings of the clock: the date before midnight, the time after it.
    std::vector<FechaHora> lecturas = {{2026, 12, 31, 23, 59, 59},
                                       {2027, 1, 1, 0, 0, 1},
                                       {2027, 1, 1, 0, 0, 1},
                                       {2027, 1, 1, 0, 0, 1}};
    estado.reloj = [&] {
        FechaHora f = lecturas.front();
        if (lecturas.size() > 1) lecturas.erase(lecturas.begin());
        return f;
    };
    RegistraFicheroProcesado(estado, "Correlate", "", "/hojas/h1.mdb", "");
    RegistraFicheroProcesado(estado, "Adaptación", "/hojas/h1.bin", "/hojas/h1.mdb", "/g.mdb");
    auto filas = Lee(*estado.BdDParticular,
                     "Select ControlFicherosProcesados.* from ControlFicherosProcesados;",
                     {"Proceso", "FicheroBin", "BdDMdb_P", "BdDMdb_G", "Fecha", "Hora"});
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0],
              (Fila{T("Correlate"), M(""), M("/hojas/h1.mdb"), M(""),
                    engine::Value::dateTime(engine::oleDaysFromCivil(2026, 12, 31)),
                    engine::Value::dateTime(engine::oleDaysFromCivil(1899, 12, 30, 0, 0, 1))}));
    EXPECT_EQ(filas[1][0], T("Adaptación"));
    EXPECT_EQ(filas[1][3], M("/g.mdb"));
    EXPECT_EQ(engine::formatDateTime(filas[1][4].rawDouble()), "2027-01-01 00:00:00");
    EXPECT_EQ(engine::formatDateTime(filas[1][5].rawDouble()), "1899-12-30 00:00:01");

    // Errors in the order found, same second, same date and time.
    AnotaError(estado, "Elemento en gráfico sin ATR", 0, 0, "/hojas/h1.bin", "/hojas/h1.mdb");
    AnotaError(estado, "No existe Registro -12 en BdD Vias", 10, -12, "/hojas/h1.bin",
               "/hojas/h1.mdb");
    filas = Lee(*estado.BdDParticular, "Select ERRORES.* from ERRORES;",
                {"DescripcionError", "EntitynumError", "RegistroError", "FicheroBinError",
                 "FicheroMdbError", "Fecha", "Hora"});
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0][0], T("Elemento en gráfico sin ATR"));
    EXPECT_EQ(filas[1], (Fila{T("No existe Registro -12 en BdD Vias"), L(10), L(-12),
                              M("/hojas/h1.bin"), M("/hojas/h1.mdb"), filas[0][5], filas[0][6]}));
    EXPECT_EQ(engine::formatDateTime(filas[1][6].rawDouble()), "1899-12-30 00:00:01");
    CompruebaPorFuera(*estado.BdDParticular, {"ERRORES", "ControlFicherosProcesados"});
}

TEST_P(TablasDeControl, ElTextoVacioSoloLoAdmitenFicheroBinYBdDMdbG) {
    Prepara();
    CreaTablasControl(estado);
    EXPECT_THROW(RegistraFicheroProcesado(estado, "", "b", "p", "g"), engine::Error);
    EXPECT_THROW(RegistraFicheroProcesado(estado, "Anexa", "b", "", "g"), engine::Error);
    EXPECT_THROW(AnotaError(estado, "d", 0, 0, "", "m"), engine::Error);
    EXPECT_TRUE(Lee(*estado.BdDParticular, "Select ERRORES.* from ERRORES;", {"Fecha"}).empty());
    // Without the tables (a Fusion run on a database no Correlate run has seen).
    Prepara();
    EXPECT_THROW(RegistraFicheroProcesado(estado, "Anexa", "", "p", "g"), engine::Error);
}

}  // namespace
}  // namespace pelmora::prueba

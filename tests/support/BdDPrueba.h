// What the database-layer tests share: fresh databases of each backend in a
// temporary folder, a state with the scripted screen, and short ways to build
// tables and rows through the engine and to read them back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Estado.h"
#include "core/PantallaGuion.h"
#include "db/engine/Database.h"
#include "db/engine/Value.h"
#include "tests/support/ServidorPrueba.h"
#include "tests/support/TempDir.h"
#include "tests/support/ValuePrint.h"

namespace pelmora::prueba {

enum class Motor { Sqlite, Jet, Postgresql };

// The backends the database tests run on: SQLite, Jet on copies of an empty .mdb,
// and a General database on the suite's PostgreSQL server (skipped without it)
// beside SQLite files for the others.
::testing::internal::ParamGenerator<Motor> Motores();
std::string NombreMotor(const ::testing::TestParamInfo<Motor>& info);

// Value shorthands.
inline engine::Value L(int32_t v) {
    return engine::Value::longInt(v);
}
inline engine::Value T(const std::string& v) {
    return engine::Value::text(v);
}
// Text as a Memo column holds it (the log tables' paths).
inline engine::Value M(const std::string& v) {
    return engine::Value::text(v, engine::Type::Memo);
}
inline engine::Value B(bool v) {
    return engine::Value::boolean(v);
}
inline engine::Value Nulo() {
    return engine::Value();
}

struct Columna {
    std::string nombre;
    engine::Type tipo = engine::Type::Text;
};
using Fila = std::vector<engine::Value>;

void CreaTabla(engine::Database& bdd, const std::string& tabla,
               const std::vector<Columna>& columnas);
// Appends rows whose values go to `columnas` in order; the other columns stay Null.
void Inserta(engine::Database& bdd, const std::string& tabla,
             const std::vector<std::string>& columnas, const std::vector<Fila>& filas);
// The values of `columnas` of every row of the statement, in its order.
std::vector<Fila> Lee(engine::Database& bdd, const std::string& sentencia,
                      const std::vector<std::string>& columnas);

// The columns every catalog table needs (mslink, clasific, tmapa, tcomplet, tfeature),
// and Tcorrelate when asked.
std::vector<Columna> ColumnasOcurrencias(bool conTcorrelate = true);
// MsCatalog (tablename, entitynum) with its rows.
void CreaMsCatalog(engine::Database& bdd,
                   const std::vector<std::pair<std::string, int32_t>>& filas);
// Feature (tablename, mslink, ftype) with its rows.
void CreaFeature(engine::Database& bdd, const std::vector<Fila>& filas);

// A test on every backend: a temporary folder, the scripted screen and the state.
class BdDPrueba : public ::testing::TestWithParam<Motor> {
  protected:
    void SetUp() override;

    // A new empty database in the temporary folder; with PostgreSQL, one whose name
    // starts with "general" is a fresh database of the server instead.
    std::shared_ptr<engine::Database> NuevaBdD(const std::string& nombre);
    // Runs `paso` as the top level does: a fatal check or an error shows its
    // message and ends the program (recorded by the scripted screen). True when
    // `paso` ended normally.
    bool Ejecuta(const std::function<void()>& paso);
    // The last message shown says `parte` (the message is shown when it does not).
    ::testing::AssertionResult UltimoMensajeDice(const std::string& parte) const;
    // On .mdb files: the engine's structure check passes, and mdbtools and
    // mdb-reader read these tables as the engine does. Nothing to do on SQLite.
    void CompruebaPorFuera(engine::Database& bdd, const std::vector<std::string>& tablas);

    std::vector<std::unique_ptr<BdDServidor>> servidor_;  // dropped after the state below
    TempDir temporal;
    const std::filesystem::path& carpeta = temporal.root();
    PantallaGuion pantalla;
    Estado estado{pantalla};
};

}  // namespace pelmora::prueba

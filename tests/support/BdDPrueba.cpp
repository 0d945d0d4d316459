#include "tests/support/BdDPrueba.h"

#include "core/FinPrograma.h"
#include "db/engine/Recordset.h"
#include "tests/support/TempDir.h"
#include "tests/support/jet_compare.h"

namespace pelmora::prueba {

::testing::internal::ParamGenerator<Motor> Motores() {
    return ::testing::Values(Motor::Sqlite, Motor::Jet, Motor::Postgresql);
}

std::string NombreMotor(const ::testing::TestParamInfo<Motor>& info) {
    switch (info.param) {
        case Motor::Sqlite:
            return "SQLite";
        case Motor::Jet:
            return "Jet";
        default:
            return "PostgreSQL";
    }
}

void CreaTabla(engine::Database& bdd, const std::string& tabla,
               const std::vector<Columna>& columnas) {
    engine::TableDef def = bdd.createTableDef(tabla);
    for (const Columna& c : columnas) def.appendField(def.createField(c.nombre, c.tipo));
    bdd.appendTableDef(def);
}

void Inserta(engine::Database& bdd, const std::string& tabla,
             const std::vector<std::string>& columnas, const std::vector<Fila>& filas) {
    auto rs = bdd.openRecordset(tabla, engine::OpenMode::Dynaset);
    for (const Fila& fila : filas) {
        rs->addNew();
        for (size_t i = 0; i < columnas.size(); ++i) rs->set(columnas[i], fila.at(i));
        rs->update();
    }
    rs->close();
}

std::vector<Fila> Lee(engine::Database& bdd, const std::string& sentencia,
                      const std::vector<std::string>& columnas) {
    std::vector<Fila> filas;
    auto rs = bdd.openRecordset(sentencia, engine::OpenMode::Snapshot);
    for (; !rs->eof(); rs->moveNext()) {
        Fila fila;
        for (const std::string& c : columnas) fila.push_back(rs->field(c));
        filas.push_back(fila);
    }
    return filas;
}

std::vector<Columna> ColumnasOcurrencias(bool conTcorrelate) {
    std::vector<Columna> columnas = {{"mslink", engine::Type::Long},
                                     {"clasific", engine::Type::Long},
                                     {"tmapa", engine::Type::Text},
                                     {"tcomplet", engine::Type::Text},
                                     {"tfeature", engine::Type::Long}};
    if (conTcorrelate) columnas.push_back({"Tcorrelate", engine::Type::Boolean});
    return columnas;
}

void CreaMsCatalog(engine::Database& bdd,
                   const std::vector<std::pair<std::string, int32_t>>& filas) {
    CreaTabla(bdd, "MsCatalog",
              {{"tablename", engine::Type::Text}, {"entitynum", engine::Type::Long}});
    std::vector<Fila> valores;
    for (const auto& [tabla, entitynum] : filas) valores.push_back({T(tabla), L(entitynum)});
    Inserta(bdd, "MsCatalog", {"tablename", "entitynum"}, valores);
}

void CreaFeature(engine::Database& bdd, const std::vector<Fila>& filas) {
    CreaTabla(bdd, "Feature",
              {{"tablename", engine::Type::Text},
               {"mslink", engine::Type::Long},
               {"ftype", engine::Type::Long}});
    Inserta(bdd, "Feature", {"tablename", "mslink", "ftype"}, filas);
}

namespace {
std::filesystem::path BdDVaciaJet() {
    return std::filesystem::path(PELMORA_FIXTURES) / "empty.mdb";
}
}  // namespace

void BdDPrueba::SetUp() {
    if (GetParam() == Motor::Jet && !std::filesystem::exists(BdDVaciaJet()))
        GTEST_SKIP() << "No está " << BdDVaciaJet() << ": las pruebas sobre .mdb no se ejecutan";
    if (GetParam() == Motor::Postgresql && !BdDServidor::hay())
        GTEST_SKIP() << "Sin el servidor PostgreSQL de las pruebas";
    estado.reloj = [] { return FechaHora{2026, 3, 14, 9, 26, 53}; };
}

std::shared_ptr<engine::Database> BdDPrueba::NuevaBdD(const std::string& nombre) {
    if (GetParam() != Motor::Jet && nombre.rfind("general", 0) != 0)
        return engine::createSqliteDatabase(carpeta / (nombre + ".sqlite"));
    if (GetParam() == Motor::Postgresql && nombre.rfind("general", 0) == 0) {
        servidor_.push_back(std::make_unique<BdDServidor>());
        return engine::openDatabase(servidor_.back()->direccion());
    }
    const std::filesystem::path ruta = carpeta / (nombre + ".mdb");
    copyWritable(BdDVaciaJet(), ruta);
    return engine::openDatabase(ruta);
}

bool BdDPrueba::Ejecuta(const std::function<void()>& paso) {
    return ejecutaHastaFin(pantalla, paso);
}

::testing::AssertionResult BdDPrueba::UltimoMensajeDice(const std::string& parte) const {
    if (pantalla.mensajes.empty()) return ::testing::AssertionFailure() << "ningún mensaje";
    if (pantalla.mensajes.back().find(parte) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << pantalla.mensajes.back();
}

void BdDPrueba::CompruebaPorFuera(engine::Database& bdd, const std::vector<std::string>& tablas) {
    if (GetParam() != Motor::Jet) return;
    std::string problemas;
    for (const std::string& p : bdd.verify()) problemas += p + "\n";
    EXPECT_TRUE(problemas.empty()) << bdd.path() << ":\n" << problemas;
    for (const std::string& tabla : tablas) test::expectReadersAgree(bdd.path(), tabla);
}

}  // namespace pelmora::prueba

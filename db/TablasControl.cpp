#include "db/TablasControl.h"

#include <algorithm>

#include "db/Lectura.h"
#include "db/engine/ColumnValue.h"
#include "db/engine/GroupGuard.h"
#include "db/engine/Text.h"

namespace pelmora {

namespace {

using engine::Type;
using engine::Value;

struct ColumnaControl {
    const char* nombre;
    Type tipo;
    bool admiteVacio;
};

// Text columns take the engine's default width (255 characters) and the columns
// that hold paths are Memo, as a path may be far longer; date/time columns are
// passed the size 255, which means nothing for them.
void CreaTabla(Estado& estado, const char* nombre, std::initializer_list<ColumnaControl> columnas) {
    engine::Database& bdd = BdDAbierta(estado.BdDParticular);
    engine::TableDef tabla = bdd.createTableDef(nombre);
    for (const ColumnaControl& c : columnas)
        tabla.appendField(tabla.createField(c.nombre, c.tipo, c.tipo == Type::DateTime ? 255 : 0));
    for (const ColumnaControl& c : columnas)
        if (c.admiteVacio) tabla.setAllowZeroLength(c.nombre, true);
    bdd.appendTableDef(tabla);
    estado.NumTablas = static_cast<int32_t>(bdd.tableNames().size());
}

// The current date at midnight.
Value Fecha(Estado& estado) {
    const FechaHora ahora = estado.reloj();
    return Value::dateTime(engine::oleDaysFromCivil(ahora.anio, ahora.mes, ahora.dia));
}

// The current time of day, on the engine's day zero (30 December 1899).
Value Hora(Estado& estado) {
    const FechaHora ahora = estado.reloj();
    return Value::dateTime(
        engine::oleDaysFromCivil(1899, 12, 30, ahora.hora, ahora.minuto, ahora.segundo));
}

// Opens the table, lets `rellena` set the row's own columns, dates it and stores it.
template <typename Relleno>
void AnadeFila(Estado& estado, const std::string& tabla, Relleno rellena) {
    std::unique_ptr<engine::Recordset> rs =
        BdDAbierta(estado.BdDParticular)
            .openRecordset(SentenciaTabla(tabla), engine::OpenMode::Dynaset);
    rs->addNew();
    rellena(*rs);
    rs->set("Fecha", Fecha(estado));
    rs->set("Hora", Hora(estado));
    rs->update();
    rs->close();
}

}  // namespace

// Another process may create the tables between a look and the creation (two
// Adaptations checking one General database at once): once one is missing, the
// look is made again holding the database's writer lock, and the creation with it.
void CreaTablasControl(Estado& estado) {
    const auto cuenta = [&] {
        estado.NumTablas =
            static_cast<int32_t>(BdDAbierta(estado.BdDParticular).tableNames().size());
    };
    cuenta();
    if (ExisteTabla(estado, "ERRORES") && ExisteTabla(estado, "CONTROLFICHEROSPROCESADOS")) return;
    engine::GroupGuard grupo(estado.BdDParticular);
    cuenta();
    if (!ExisteTabla(estado, "ERRORES"))
        CreaTabla(estado, "ERRORES",
                  {{"DescripcionError", Type::Text, false},
                   {"EntitynumError", Type::Long, false},
                   {"RegistroError", Type::Long, false},
                   {"FicheroBinError", Type::Memo, false},
                   {"FicheroMdbError", Type::Memo, false},
                   {"Fecha", Type::DateTime, false},
                   {"Hora", Type::DateTime, false}});
    if (!ExisteTabla(estado, "CONTROLFICHEROSPROCESADOS"))
        CreaTabla(estado, "ControlFicherosProcesados",
                  {{"Proceso", Type::Text, false},
                   {"FicheroBin", Type::Memo, true},
                   {"BdDMdb_P", Type::Memo, false},
                   {"BdDMdb_G", Type::Memo, true},
                   {"Fecha", Type::DateTime, false},
                   {"Hora", Type::DateTime, false}});
    grupo.finish();
}

void CompruebaQueCabenLasRutas(Estado& estado, const std::vector<RutaAnotada>& rutas) {
    engine::Database& bdd = BdDAbierta(estado.BdDParticular);
    const std::vector<std::string> tablas = bdd.tableNames();
    for (const RutaAnotada& ruta : rutas) {
        const auto existe = [&](const std::string& t) { return engine::sameName(t, ruta.tabla); };
        if (std::none_of(tablas.begin(), tablas.end(), existe)) continue;
        const engine::TableDef tabla = bdd.tableDef(ruta.tabla);
        const int columna = tabla.schema().find(ruta.columna);
        if (columna < 0) continue;  // its row's write says so
        engine::fitToColumn(Value::text(ruta.ruta),
                            {bdd.path(), tabla.name(), tabla.fields()[size_t(columna)]});
    }
}

void RegistraFicheroProcesado(Estado& estado, const std::string& Proceso,
                              const std::string& FicheroBin, const std::string& BdDMdb_P,
                              const std::string& BdDMdb_G) {
    AnadeFila(estado, "ControlFicherosProcesados", [&](engine::Recordset& rs) {
        rs.set("Proceso", Value::text(Proceso));
        rs.set("FicheroBin", Value::text(FicheroBin));
        rs.set("BdDMdb_P", Value::text(BdDMdb_P));
        rs.set("BdDMdb_G", Value::text(BdDMdb_G));
    });
}

void AnotaError(Estado& estado, const std::string& DescripcionError, int32_t EntitynumError,
                int32_t RegistroError, const std::string& FicheroBinError,
                const std::string& FicheroMdbError) {
    AnadeFila(estado, "ERRORES", [&](engine::Recordset& rs) {
        rs.set("DescripcionError", Value::text(DescripcionError));
        rs.set("EntitynumError", Value::longInt(EntitynumError));
        rs.set("RegistroError", Value::longInt(RegistroError));
        rs.set("FicheroBinError", Value::text(FicheroBinError));
        rs.set("FicheroMdbError", Value::text(FicheroMdbError));
    });
}

}  // namespace pelmora

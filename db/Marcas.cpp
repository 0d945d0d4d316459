#include "db/Marcas.h"

#include "db/Lectura.h"
#include "db/engine/GroupGuard.h"
#include "db/engine/Text.h"

namespace pelmora {

void PreparaTcorrelate(Estado& estado, const std::string& /*NombreBdDParticular*/) {
    const size_t n = estado.CatalogoParticular.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string& tabla = estado.CatalogoParticular[i].tablename;
        const std::string nombre = engine::upperCase(tabla);
        if (nombre != "FEATURE" && nombre != "MSCATALOG" && nombre != "CATEGORY")
            PreparaTcorrelateTabla(estado, tabla);
    }
}

void PreparaTcorrelateTabla(Estado& estado, const std::string& tabla) {
    engine::Database& bdd = BdDAbierta(estado.BdDParticular);
    std::unique_ptr<engine::Recordset> rs =
        bdd.openRecordset(SentenciaTabla(tabla), engine::OpenMode::Dynaset);
    if (rs->schema().find("TCORRELATE") >= 0) {
        // A record already false is left as it is: rewriting it would change nothing.
        const engine::Value falso = engine::Value::boolean(false);
        engine::GroupGuard grupo(estado.BdDParticular);
        for (; !rs->eof(); rs->moveNext()) {
            if (rs->field("Tcorrelate") == falso) continue;
            rs->edit();
            rs->set("Tcorrelate", falso);
            rs->update();
        }
        rs->close();
        grupo.finish();
        return;
    }
    rs->close();
    engine::TableDef definicion = bdd.tableDef(tabla);
    definicion.appendField(definicion.createField("tcorrelate", engine::Type::Boolean));
    definicion.setDefaultValue("tcorrelate", engine::Value::boolean(false));
}

}  // namespace pelmora

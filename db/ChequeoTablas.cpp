#include "db/ChequeoTablas.h"

#include <algorithm>

#include "core/FinPrograma.h"
#include "db/Lectura.h"
#include "db/engine/Printable.h"
#include "db/engine/Text.h"

namespace pelmora {

void ChequeaNombresTablas(Estado& estado) {
    const size_t n = estado.CatalogoParticular.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string tabla = engine::upperCase(estado.CatalogoParticular[i].tablename);
        if (tabla.find(' ') != std::string::npos)
            throw FinPrograma{
                "Nombre de tabla con espacios en la tabla MsCatalog:\r" + engine::printable(tabla),
                estilo::Aceptar, true};
        ChequeaExistenciaTabla(estado, tabla);
    }
}

void ChequeaExistenciaTabla(Estado& estado, const std::string& tabla) {
    const std::vector<std::string> tablas = BdDAbierta(estado.BdDParticular).tableNames();
    const std::string buscada = engine::upperCase(tabla);
    const size_t n = std::min<size_t>(tablas.size(), std::max(estado.NumTablas, 0));
    for (size_t i = 0; i < n; ++i) {
        if (tablas[i].find(' ') != std::string::npos)
            throw FinPrograma{"Nombre de tabla con espacios :\r" + engine::printable(tablas[i]),
                              estilo::Aceptar, true};
        if (engine::upperCase(tablas[i]) == buscada) return;
    }
    throw FinPrograma{"No existe la Tabla : " + engine::printable(tabla), estilo::Aceptar, false};
}

void ChequeaEstructuraTablas(Estado& estado) {
    const size_t n = estado.CatalogoParticular.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string t = engine::upperCase(estado.CatalogoParticular[i].tablename);
        if (t != "MSCATALOG" && t != "FEATURE" && t != "CATEGORY") ChequeaCamposTabla(estado, t);
    }
}

void ChequeaCamposTabla(Estado& estado, const std::string& tabla) {
    std::unique_ptr<engine::Recordset> rs =
        BdDAbierta(estado.BdDParticular)
            .openRecordset(SentenciaTabla(tabla), engine::OpenMode::Snapshot);
    const auto tiene = [&](const std::string& campo) {
        for (int j = 0; j < rs->fieldCount(); ++j)
            if (engine::upperCase(rs->fieldName(j)) == engine::upperCase(campo)) return true;
        return false;
    };
    const std::string nombre = engine::upperCase(tabla);
    const bool sinClasificar = nombre == "199ETIQUETAS" || nombre == "MAPS";
    // The columns in the order their messages are shown.
    const struct {
        const char* campo;
        bool presente;
    } campos[] = {{"TMAPA", tiene("tmapa")},
                  {"TCOMPLET", tiene("tcomplet")},
                  {"TFEATURE", tiene("tfeature")},
                  {"MSLINK", tiene("mslink")},
                  {"CLASIFIC", tiene("clasific") || sinClasificar}};
    bool completa = true;
    for (const auto& c : campos) {
        if (c.presente) continue;
        estado.pantalla.mensaje(std::string("No existe el campo ") + c.campo +
                                " en la tabla: " + engine::printable(tabla));
        completa = false;
    }
    if (!completa) throw FinPrograma{"", estilo::Aceptar, true};
}

}  // namespace pelmora

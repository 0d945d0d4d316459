#include "db/Comparacion.h"

#include <set>
#include <utility>

#include "db/engine/Printable.h"

namespace pelmora {

namespace {

using Entrada = std::pair<std::string, int32_t>;

std::set<Entrada> Entradas(const std::vector<RegistroMsCatalog>& catalogo) {
    std::set<Entrada> entradas;
    for (const RegistroMsCatalog& r : catalogo) entradas.emplace(r.tablename, r.entitynum);
    return entradas;
}

// Shows the message for the first entry of `catalogo` that `otro` lacks.
bool TodasEn(Estado& estado, const std::vector<RegistroMsCatalog>& catalogo,
             const std::vector<RegistroMsCatalog>& otro, const std::string& ruta) {
    const std::set<Entrada> enOtro = Entradas(otro);
    for (const RegistroMsCatalog& r : catalogo) {
        if (enOtro.count({r.tablename, r.entitynum})) continue;
        estado.pantalla.mensaje("No encontrada la tabla : " + engine::printable(r.tablename) +
                                " en la BdD : " + engine::printable(ruta));
        return false;
    }
    return true;
}

}  // namespace

bool ComparaTablasBdD(Estado& estado) {
    if (estado.CatalogoParticular.size() != estado.CatalogoGeneral.size()) {
        estado.pantalla.mensaje("Numero de tablas distintos en las dos BdD");
        return false;
    }
    return TodasEn(estado, estado.CatalogoParticular, estado.CatalogoGeneral,
                   estado.NombreBdDParticular) &&
           TodasEn(estado, estado.CatalogoGeneral, estado.CatalogoParticular,
                   estado.NombreBdDGeneral);
}

}  // namespace pelmora

#include "db/Catalogos.h"

#include <optional>
#include <unordered_set>

#include "core/FinPrograma.h"
#include "db/Lectura.h"
#include "db/engine/Text.h"

namespace pelmora {

namespace {

std::vector<RegistroMsCatalog> CargaMsCatalog(engine::Database& bdd) {
    std::vector<RegistroMsCatalog> catalogo;
    LectorRegistros rs(bdd, SentenciaTabla("mscatalog"), engine::OpenMode::Snapshot);
    for (; !rs.fin(); rs.siguiente())
        catalogo.push_back({QuitaEspacios(rs.texto("tablename")), rs.entero32("entitynum")});
    return catalogo;
}

}  // namespace

void ChequeaTablasMsCatalogFeature(Estado& estado) {
    estado.NumTablas = static_cast<int32_t>(BdDAbierta(estado.BdDParticular).tableNames().size());
    if (!ExisteTabla(estado, "MsCatalog"))
        throw FinPrograma{"No existe la tabla MsCatalog", estilo::Aceptar, true};
    CargaMsCatalogParticular(estado);
    if (!ExisteTabla(estado, "Feature"))
        throw FinPrograma{"No existe la tabla Feature", estilo::Aceptar, true};
    CargaFeature(estado);
    CargaNoAsignar(estado);
}

void CargaMsCatalogParticular(Estado& estado) {
    estado.CatalogoParticular = CargaMsCatalog(BdDAbierta(estado.BdDParticular));
}

void CargaMsCatalogGeneral(Estado& estado) {
    estado.CatalogoGeneral = CargaMsCatalog(BdDAbierta(estado.BdDGeneral));
}

void CargaFeature(Estado& estado) {
    estado.ListaFeature.clear();
    LectorRegistros rs(BdDAbierta(estado.BdDParticular), SentenciaTabla("feature"),
                       engine::OpenMode::Snapshot);
    for (; !rs.fin(); rs.siguiente()) {
        RegistroFeature feature;
        feature.tablename = QuitaEspacios(rs.texto("tablename"));
        feature.mslink = rs.entero32("mslink");
        feature.ftype = rs.entero16("ftype");
        estado.ListaFeature.push_back(feature);
    }
}

void CargaNoAsignar(Estado& estado) {
    if (!ExisteTabla(estado, "NoAsignar")) {
        estado.pantalla.punteroNormal();
        estado.pantalla.mensaje(
            "No existe la tabla NoAsignar\rSe asignarán todos los elementos que se encuentren en "
            "la tabla FEATURE, excepto los centroides (ftype=4)");
        return;
    }
    LectorRegistros rs(BdDAbierta(estado.BdDParticular), engine::upperCase("NoAsignar"),
                       engine::OpenMode::Dynaset);
    // The table is read only when there is an entry to mark, as the per-entry scans did.
    if (estado.ListaFeature.empty()) return;
    // One pass up to the first value that is not a number: an entry that finds no
    // match before that row would have reached it, and that ends the program.
    std::unordered_set<double> listados;
    std::optional<ValorNoValido> ilegible;
    for (; !rs.fin(); rs.siguiente()) {
        if (rs.valor("mslink").isNull()) continue;
        try {
            listados.insert(rs.numero("mslink"));
        } catch (const ValorNoValido& error) {
            ilegible = error;
            break;
        }
    }
    for (RegistroFeature& feature : estado.ListaFeature) {
        if (listados.count(feature.mslink))
            feature.NoAsignar = true;
        else if (ilegible)
            throw *ilegible;
    }
}

}  // namespace pelmora

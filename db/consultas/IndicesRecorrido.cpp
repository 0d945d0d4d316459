#include "db/consultas/IndicesRecorrido.h"

#include "db/Lectura.h"
#include "db/engine/Text.h"

namespace pelmora {

IndicesRecorrido::IndicesRecorrido(Estado& estado) : estado_(estado) {
    for (const RegistroFeature& entrada : estado.ListaFeature) {
        if (entrada.ftype == 4 || entrada.NoAsignar) continue;
        hayAsignable_ = true;
        const std::string tabla = QuitaEspacios(entrada.tablename);
        if (!tabla.empty()) features_.emplace(entrada.mslink, tabla);
    }
    for (size_t i = 0; i < estado.CatalogoParticular.size(); ++i)
        catalogo_.emplace(estado.CatalogoParticular[i].entitynum, i);
}

IndicesRecorrido::~IndicesRecorrido() {
    for (auto& [nombre, tabla] : tablas_) {
        try {
            tabla->EscribeMarcas();
        } catch (...) {
        }
    }
}

void IndicesRecorrido::EscribeMarcas() {
    for (auto& [nombre, tabla] : tablas_) tabla->EscribeMarcas();
}

const std::string* IndicesRecorrido::TablaDeFeature(int32_t mslink) const {
    auto entrada = features_.find(mslink);
    return entrada == features_.end() ? nullptr : &entrada->second;
}

const RegistroMsCatalog* IndicesRecorrido::EntradaCatalogo(int32_t entitynum) const {
    auto entrada = catalogo_.find(entitynum);
    return entrada == catalogo_.end() ? nullptr : &estado_.CatalogoParticular[entrada->second];
}

PrimerosPorMslink& IndicesRecorrido::TablaParticular(const std::string& tabla) {
    PrimerosPorMslink*& porNombre = nombres_[tabla];
    if (porNombre) return *porNombre;
    // One table under every letter case of its name, so that a record is marked once;
    // a table that cannot be read leaves no entry behind.
    const std::string clave = engine::upperCase(tabla);
    auto leida = tablas_.find(clave);
    if (leida == tablas_.end())
        leida = tablas_
                    .emplace(clave, std::make_unique<PrimerosPorMslink>(
                                        BdDAbierta(estado_.BdDParticular), tabla))
                    .first;
    return *(porNombre = leida->second.get());
}

ConsultasEnMemoria& IndicesRecorrido::ConsultasParticular() {
    if (!particular_) {
        BdDAbierta(estado_.BdDParticular);  // a handle never opened is an error
        particular_.emplace(estado_.BdDParticular);
    }
    return *particular_;
}

ConsultasEnMemoria& IndicesRecorrido::ConsultasGeneral() {
    if (!general_) {
        BdDAbierta(estado_.BdDGeneral);
        general_.emplace(estado_.BdDGeneral);
    }
    return *general_;
}

}  // namespace pelmora

#include "db/VistaGeneral.h"

#include "db/Lectura.h"

namespace pelmora {

VistaGeneral::VistaGeneral(engine::Database& general, const std::string& tabla, bool etiquetas)
    : etiquetas_(etiquetas) {
    LectorRegistros rs(general, SentenciaTabla(tabla, " ORDER BY mslink"),
                       engine::OpenMode::Snapshot);
    std::optional<ValorNoValido> errorMayor;
    for (; !rs.fin(); rs.siguiente()) {
        Posicion posicion{!rs.valor("mslink").isNull(), 0, siguienteOrden_++};
        if (posicion.conNumero) posicion.mslink = rs.numero("mslink");
        // Ascending order: the last record below 60000 holds the highest number.
        if (posicion.conNumero && posicion.mslink < 60000) {
            try {
                mayor_ = rs.entero32("mslink");
                errorMayor.reset();
            } catch (const ValorNoValido& error) {
                errorMayor = error;
            }
        }
        int32_t clase = 0;
        if (!etiquetas_ && !rs.valor("Clasific").isNull()) {
            try {
                clase = rs.entero32("Clasific");
            } catch (const ValorNoValido& error) {
                if (!posicionIlegible_) {
                    posicionIlegible_ = posicion;
                    errorIlegible_ = error;
                }
                continue;
            }
        }
        if (rs.valor("Tcomplet").isNull()) continue;  // never equivalent to anything
        std::optional<std::string> mapa;
        if (etiquetas_ && !rs.valor("Tmapa").isNull()) mapa = rs.texto("Tmapa");
        AnotaPrimera(Indice(rs.texto("Tcomplet"), clase, mapa), posicion);
    }
    if (errorMayor) throw *errorMayor;
}

std::string VistaGeneral::Indice(const std::string& texto, int32_t clase,
                                 const std::optional<std::string>& mapa) const {
    std::string indice = std::to_string(texto.size()) + ':' + texto + '|';
    if (!etiquetas_) return indice + std::to_string(clase);
    return mapa ? indice + 'T' + *mapa : indice + 'N';
}

void VistaGeneral::AnotaPrimera(const std::string& indice, const Posicion& posicion) {
    auto [it, nueva] = primera_.emplace(indice, posicion);
    if (!nueva && posicion < it->second) it->second = posicion;
}

bool VistaGeneral::TieneEquivalente(const ClaveFusion& clave) const {
    auto it = primera_.find(Indice(clave.texto, clave.clase, clave.mapa));
    if (posicionIlegible_ && (it == primera_.end() || *posicionIlegible_ < it->second))
        throw *errorIlegible_;
    return it != primera_.end();
}

void VistaGeneral::Anota(const ClaveFusion& clave, int32_t mslink) {
    AnotaPrimera(Indice(clave.texto, clave.clase, clave.mapa),
                 Posicion{true, static_cast<double>(mslink), siguienteOrden_++});
    if (mslink < 60000 && mslink > mayor_) mayor_ = mslink;
}

}  // namespace pelmora

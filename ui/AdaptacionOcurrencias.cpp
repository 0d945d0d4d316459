#include "ui/AdaptacionOcurrencias.h"

#include "ui/LineasCuenta.h"

namespace pelmora {

namespace {

std::vector<EtiquetaProceso> etiquetas() {
    std::vector<EtiquetaProceso> lista(kLineasCuenta.begin(), kLineasCuenta.end());
    lista.push_back({"Label6", 4800, 3960, 5655, 495});
    return lista;
}

}  // namespace

AdaptacionOcurrencias::AdaptacionOcurrencias(Estado& estado, Proceso proceso)
    : VentanaProceso(estado, std::move(proceso), "AdaptacionOcurrencias",
                     "Adaptación Ocurrencias a BdD General", etiquetas()) {}

}  // namespace pelmora

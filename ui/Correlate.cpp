#include "ui/Correlate.h"

#include "ui/LineasCuenta.h"

namespace pelmora {

namespace {

std::vector<EtiquetaProceso> etiquetas() {
    std::vector<EtiquetaProceso> lista = {
        {"Label1", 840, 600, 2415, 375},  {"Label2", 840, 1200, 2415, 375},
        {"Label3", 840, 1800, 2415, 375}, {"Label4", 840, 2400, 2415, 375},
        {"Label5", 840, 3000, 2415, 375},
    };
    lista.insert(lista.end(), kLineasCuenta.begin(), kLineasCuenta.end());
    lista.push_back({"Label6", 4800, 4200, 5655, 660});
    return lista;
}

}  // namespace

Correlate::Correlate(Estado& estado, Proceso proceso)
    : VentanaProceso(estado, std::move(proceso), "Correlate", "Correlate BIN -> BdD", etiquetas()) {
}

}  // namespace pelmora

#include "runs/Procesos.h"

namespace pelmora {

Procesos procesosDisponibles() {
    Procesos procesos;
    procesos.correlate = ProcesoCorrelate;
    procesos.fusion = ProcesoFusion;
    procesos.adaptacion = ProcesoAdaptacion;
    return procesos;
}

}  // namespace pelmora

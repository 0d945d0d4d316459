#include "runs/Procesos.h"

namespace pelmora {

Procesos procesosDisponibles() {
    Procesos procesos;
    procesos.fusion = ProcesoFusion;
    return procesos;
}

}  // namespace pelmora

#include "runs/Procesos.h"

namespace pelmora {

Procesos procesosDisponibles() {
    return {};
}

}  // namespace pelmora

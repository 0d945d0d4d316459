// The Fusion run's window: one label, the final status.
#pragma once

#include "ui/VentanaProceso.h"

namespace pelmora {

class FusionBdD : public VentanaProceso {
    Q_OBJECT

  public:
    FusionBdD(Estado& estado, Proceso proceso);
};

}  // namespace pelmora

// The Adaptation run's window: the seven count lines where the Correlate window
// has them and the final status below them; the left half stays empty.
#pragma once

#include "ui/VentanaProceso.h"

namespace pelmora {

class AdaptacionOcurrencias : public VentanaProceso {
    Q_OBJECT

  public:
    AdaptacionOcurrencias(Estado& estado, Proceso proceso);
};

}  // namespace pelmora

// The Correlate run's window: five progress lines on the left, seven count lines
// on the right and the final status at the bottom right.
#pragma once

#include "ui/VentanaProceso.h"

namespace pelmora {

class Correlate : public VentanaProceso {
    Q_OBJECT

  public:
    Correlate(Estado& estado, Proceso proceso);
};

}  // namespace pelmora

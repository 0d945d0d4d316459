#include "ui/FusionBdD.h"

namespace pelmora {

FusionBdD::FusionBdD(Estado& estado, Proceso proceso)
    : VentanaProceso(estado, std::move(proceso), "FusionBdD",
                     "Fusión BdD Particular en BdD General", {{"Label6", 7800, 2880, 5655, 495}}) {}

}  // namespace pelmora

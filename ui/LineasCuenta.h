// The seven count lines that the Correlate and Adaptation windows share, at the
// same places in both.
#pragma once

#include <array>

#include "ui/VentanaProceso.h"

namespace pelmora {

inline constexpr std::array<EtiquetaProceso, 7> kLineasCuenta = {{
    {"Label7", 4680, 480, 5175, 300},
    {"Label8", 4680, 840, 5175, 300},
    {"Label9", 4680, 1200, 5175, 300},
    {"Label10", 4680, 1560, 5175, 300},
    {"Label11", 4680, 1920, 5175, 300},
    {"Label12", 4680, 2280, 5175, 300},
    {"Label13", 4680, 2640, 5175, 495},  // two text lines high
}};

}  // namespace pelmora

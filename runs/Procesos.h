// The three runs as the run windows and the command line start them. A run reads
// its inputs from the Estado, talks to the user through estado.pantalla, throws
// FinPrograma or a std::exception to end the program, and returns true when it
// reached its final status (false when it stopped without ending, e.g. the table
// lists differ).
#pragma once

#include <functional>

#include "core/Estado.h"

namespace pelmora {

using Proceso = std::function<bool(Estado&)>;

struct Procesos {
    Proceso correlate;
    Proceso fusion;
    Proceso adaptacion;
};

// The runs this build carries; each run registers itself here.
Procesos procesosDisponibles();

// Checks the Particular database and the BIN file, starts a new error BIN file,
// resets the marks and walks the BIN file marking each element's record; shows the
// progress lines, the seven counts and "PROCESO DE CORRELATE TERMINADO".
bool ProcesoCorrelate(Estado& estado);

// Merges the Particular records that the last Correlate run marked into the
// General database, once both databases list the same tables; registers itself
// ("Anexa") before the comparison. Shows "PROCESO TERMINADO".
bool ProcesoFusion(Estado& estado);

// Once both databases list the same tables, checks the General database and walks
// the BIN file rewriting each ATR's link to the matching General record; shows the
// seven counts and "PROCESO DE ADAPTACION DE OCURRENCIAS TERMINADO". Stops (false)
// with the main window focused when the table lists differ.
bool ProcesoAdaptacion(Estado& estado);

}  // namespace pelmora

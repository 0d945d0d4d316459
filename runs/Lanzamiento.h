// What "Procesar" decides before a run window opens, kept apart from the widgets
// so the command line and the batch share it: the inputs each run needs, the name
// check of the BIN file against the Particular database, the run kind TipoProceso,
// and a run launched without a window from start to end.
#pragma once

#include <string>

#include "core/Estado.h"
#include "runs/Procesos.h"

namespace pelmora {

// "CORRELATE", "FUSION" or "ADAPTACION", as the run kind is shown.
const char* TipoProcesoDe(Opcion opcion);
const Proceso& ProcesoDe(const Procesos& procesos, Opcion opcion);

// A path without its extension (the dot and what follows it in the file name),
// upper-cased: "D:\Hojas\H123.bin" gives "D:\HOJAS\H123".
std::string NombreSinExtension(const std::string& ruta);

// True when the BIN file and the Particular database share their name.
bool CoincidenNombres(const std::string& bin, const std::string& particular);

// The checks of "Procesar" in their order: the inputs the run needs (a missing
// one stops silently), then for Correlate and Adaptation the name check, whose
// question goes through estado.pantalla (No stops). When all pass, sets
// TipoProceso and returns true.
bool PreparaProceso(Opcion opcion, Estado& estado);

// How a run launched without a window ended.
enum class Desenlace {
    Terminado,  // it reached its final status
    Error,      // a fatal check or error ended it (its message shown, terminar called)
    Detenido,   // it stopped without ending: the name question answered No, or the
                // table lists differ (a missing input stops it too)
};

// Prepares and runs `opcion` on the inputs of `estado`, talking through estado.pantalla.
Desenlace LanzaProceso(Opcion opcion, Estado& estado, const Procesos& procesos);

}  // namespace pelmora
